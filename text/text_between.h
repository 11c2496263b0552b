#pragma once

#include "text/types.h"

// The bytes after the first occurrence of `first_marker` (searched from `start_position`) up to
// the next occurrence of `second_marker`; empty when either is missing. "#引号" in a marker
// stands for a double quote. `ignore_case` folds the ASCII letters of the markers only.
Text text_between(const Text& text, const Text& first_marker, const Text& second_marker,
                  int start_position = 1, bool ignore_case = false);
