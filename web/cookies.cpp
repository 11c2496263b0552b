#include "web/cookies.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "text/text_search.h"

namespace {

const std::string_view deleted_marker = "=deleted";
const Text merged_separator = "; ";

bool is_deleted(const Text& item) {
  return item.size() >= deleted_marker.size() &&
         item.compare(item.size() - deleted_marker.size(), deleted_marker.size(), deleted_marker) ==
             0;
}

}  // namespace

// The lookups go through hash sets rather than has_cookie_named and item_index, which give the
// same answers, so that a cookie text of many items is merged in linear time.
Text merge_cookies(Text& cookies, Text& new_cookies) {
  cookies = remove_spaces(cookies);
  new_cookies = remove_spaces(new_cookies);
  TextArray items = split_text(new_cookies, ";");
  std::unordered_set<Text> names;
  for (const Text& item : items) names.insert(cookie_name(item));
  for (const Text& old_item : split_text(cookies, ";")) {
    if (names.insert(cookie_name(old_item)).second) items.push_back(old_item);
  }

  Text merged;
  for (const Text& item : items) {
    if (is_deleted(item)) continue;
    merged += item;
    merged += merged_separator;
  }
  if (!merged.empty()) merged.resize(merged.size() - merged_separator.size());

  cookies = unique_items(merged, merged_separator);
  return cookies;
}

Text cookie_name(const Text& item) {
  int equals = find_text(item, "=");
  if (equals == -1) return trim_spaces(item);
  return trim_spaces(item.substr(0, static_cast<std::size_t>(equals) - 1));
}

bool has_cookie_named(const TextArray& items, const Text& name) {
  for (const Text& item : items) {
    if (cookie_name(item) == name) return true;
  }
  return false;
}

Text unique_items(const Text& text, const Text& separator) {
  TextArray kept;
  std::unordered_set<Text> seen;
  for (Text& item : split_text(text, separator)) {
    if (seen.insert(item).second) kept.push_back(std::move(item));
  }
  return join_texts(kept, separator);
}

int item_index(const TextArray& items, const Text& item) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == item) return static_cast<int>(i + 1);
  }
  return -1;
}
