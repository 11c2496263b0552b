// Cutting text out between two markers: the value stands in the text right behind the first
// marker and right before the first occurrence of the second.

#include "fuzz/fuzz_support.h"
#include "text/text_between.h"
#include "text/text_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the start position (-8 to 119) and whether case is ignored.
  const int start_position = (data[0] >> 1) - 8;
  const bool ignore_case = (data[0] & 1) != 0;
  const TextArray texts = texts_of(data + 1, size - 1, 3);
  const Text& text = texts[0];

  const Text value = text_between(text, texts[1], texts[2], start_position, ignore_case);
  FUZZ_CHECK(value.size() <= text.size());
  FUZZ_CHECK(value == text_between(text, texts[1], texts[2],
                                   start_position < 1 ? 1 : start_position, ignore_case));
  if (value.empty()) return 0;

  const Text first = replace_quote_markers(texts[1]);
  const Text second = replace_quote_markers(texts[2]);
  const int first_at = find_text(text, first, start_position, ignore_case);
  FUZZ_CHECK(first_at != -1);
  const std::size_t value_at = static_cast<std::size_t>(first_at) - 1 + first.size();
  FUZZ_CHECK(text.compare(value_at, value.size(), value) == 0);
  // The second marker follows the value, and nowhere in the value does it begin a character.
  FUZZ_CHECK(!second.empty());
  FUZZ_CHECK(find_text(value + text.substr(value_at + value.size()), second, 1, ignore_case) ==
             static_cast<int>(value.size()) + 1);
  if (!ignore_case) {
    FUZZ_CHECK(text.find(first + value + second) != Text::npos);
  }
  return 0;
}
