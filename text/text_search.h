#pragma once
// Searching and shaping GBK text. Positions and lengths count bytes and are 1-based; a search
// that finds nothing answers -1. A search steps through the text one character at a time, where
// a byte of 0x80 or above starts a two-byte character, so a marker is found only where a
// character begins. Case folding touches the ASCII letters only. The spaces are the ASCII space
// and the GBK full-width space (A1 A1).

#include "text/types.h"

// Finds `marker` in `text` from `start_position` on (0 and below mean 1). A position beyond the
// end finds nothing; an empty marker answers 1 when the searched part is not empty, else -1.
int find_text(const Text& text, const Text& marker, int start_position = 1,
              bool ignore_case = false);

Text to_lower_ascii(const Text& text);

// Removes the spaces at both ends.
Text trim_spaces(const Text& text);

// Removes every space.
Text remove_spaces(const Text& text);

// Two separators in a row, or one at the start, make an empty item; a separator at the very end
// makes none; an empty text makes no item at all.
TextArray split_text(const Text& text, const Text& separator);

Text join_texts(const TextArray& items, const Text& separator);

// Replaces every occurrence of `from`, left to right and without overlap, comparing bytes exactly.
Text replace_all(const Text& text, const Text& from, const Text& to);

// The marker "#引号" written where a double quote is meant, and its replacement.
Text replace_quote_markers(const Text& text);
