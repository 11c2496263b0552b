#pragma once
// Conversion between GBK, UTF-8 and UTF-16. UTF-16 travels in a Bytes as little-endian 16-bit
// units. A Text ends at its first NUL: bytes after it are never read, and a Text that starts with
// NUL converts like the empty Text. Invalid input is replaced by the converter's substitute and a
// character the target code page lacks becomes its default character ("?" for GBK); nothing fails.

#include "text/types.h"

// The UTF-16 form, ending in the zero unit unless `drop_terminator` is true; empty for an empty
// `text`.
Bytes gbk_to_utf16(const Text& text, bool drop_terminator = false);

// The GBK form of the whole units of `units` (an odd last byte is ignored), ending at the first
// zero unit. A base letter followed by a combining mark becomes the precomposed character where
// GBK has one.
Text utf16_to_gbk(const Bytes& units);

// The UTF-16 form of `text` read in `code_page`, with its zero unit. The result is sized by what
// the text would make as GBK, so it may end in further zero bytes.
Bytes multibyte_to_utf16(const Text& text, int code_page = 65001);

// The text in `code_page` of `units` up to their first zero unit; without a zero unit, of all the
// whole units. Code page 0 is GBK.
Text utf16_to_multibyte(const Bytes& units, int code_page = 0);

Text gbk_to_utf8(const Text& text);
Text utf8_to_gbk(const Text& text);
