// Cookie merging: the merged text is items without spaces joined by "; ", none deleted, none
// twice, and the same as the merge done one item at a time.

#include <set>

#include "fuzz/fuzz_support.h"
#include "text/text_search.h"
#include "web/cookies.h"

namespace {

const Text full_width_space = "\xA1\xA1";

bool is_deleted(const Text& item) {
  return item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0;
}

// The merge done one item at a time with the list look-ups, as a reference for the hashed one.
Text merged_step_by_step(const Text& cookies, const Text& new_cookies) {
  TextArray items = split_text(remove_spaces(new_cookies), ";");
  for (const Text& old_item : split_text(remove_spaces(cookies), ";")) {
    if (!has_cookie_named(items, cookie_name(old_item))) items.push_back(old_item);
  }
  TextArray kept;
  for (const Text& item : items) {
    if (!is_deleted(item)) kept.push_back(item);
  }
  TextArray unique;
  for (const Text& item : split_text(join_texts(kept, "; "), "; ")) {
    if (item_index(unique, item) == -1) unique.push_back(item);
  }
  return join_texts(unique, "; ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextArray texts = texts_of(data, size, 2);
  Text cookies = texts[0];
  Text new_cookies = texts[1];
  const Text merged = merge_cookies(cookies, new_cookies);
  FUZZ_CHECK(cookies == merged);
  FUZZ_CHECK(new_cookies == remove_spaces(texts[1]));
  FUZZ_CHECK(find_text(new_cookies, " ") == -1 && find_text(new_cookies, full_width_space) == -1);

  const TextArray items = split_text(merged, "; ");
  std::set<Text> distinct;
  for (const Text& item : items) {
    FUZZ_CHECK(!is_deleted(item));
    FUZZ_CHECK(distinct.insert(item).second);
    // An item that ends in a lone lead byte swallows the ";" of the separator behind it, and its
    // space with it; other items hold no space.
    if (find_text(item, " ") != -1 || find_text(item, full_width_space) != -1) {
      FUZZ_CHECK(item.find("; ") != Text::npos);
    }
  }

  FUZZ_CHECK(merged == merged_step_by_step(texts[0], texts[1]));
  return 0;
}
