#include "text/text_between.h"

#include "text/text_search.h"

Text text_between(const Text& text, const Text& first_marker, const Text& second_marker,
                  int start_position, bool ignore_case) {
  Text first = replace_quote_markers(first_marker);
  Text second = replace_quote_markers(second_marker);
  int value_start = find_text(text, first, start_position, ignore_case);
  if (value_start == -1) return Text();
  value_start += static_cast<int>(first.size());
  int value_end = find_text(text, second, value_start, ignore_case);
  if (value_end == -1 || value_end < value_start) return Text();
  return text.substr(static_cast<std::size_t>(value_start) - 1,
                     static_cast<std::size_t>(value_end - value_start));
}
