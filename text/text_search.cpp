#include "text/text_search.h"

#include <cstring>

#include "text/gbk_literal.h"

namespace {

std::size_t character_length(const Text& text, std::size_t index) {
  return static_cast<unsigned char>(text[index]) >= 0x80 ? 2 : 1;
}

char fold_ascii(char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte; }

bool matches_at(const Text& text, std::size_t index, const Text& marker, bool ignore_case) {
  if (!ignore_case) return std::memcmp(text.data() + index, marker.data(), marker.size()) == 0;
  for (std::size_t i = 0; i < marker.size(); ++i) {
    if (fold_ascii(text[index + i]) != fold_ascii(marker[i])) return false;
  }
  return true;
}

// The length of the space character at `index`, or 0 when none starts there.
std::size_t space_length(const Text& text, std::size_t index) {
  if (text[index] == ' ') return 1;
  if (index + 1 < text.size() && text[index] == '\xA1' && text[index + 1] == '\xA1') return 2;
  return 0;
}

}  // namespace

int find_text(const Text& text, const Text& marker, int start_position, bool ignore_case) {
  std::size_t start = start_position < 1 ? 0 : static_cast<std::size_t>(start_position) - 1;
  if (start >= text.size()) return -1;
  if (marker.empty()) return 1;
  for (std::size_t i = start; i + marker.size() <= text.size(); i += character_length(text, i)) {
    if (matches_at(text, i, marker, ignore_case)) return static_cast<int>(i + 1);
  }
  return -1;
}

Text to_lower_ascii(const Text& text) {
  Text lower = text;
  for (char& byte : lower) byte = fold_ascii(byte);
  return lower;
}

Text trim_spaces(const Text& text) {
  std::size_t first = text.size();
  std::size_t last_end = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t space = space_length(text, i);
    std::size_t length = space != 0 ? space : std::min(character_length(text, i), text.size() - i);
    if (space == 0) {
      if (first == text.size()) first = i;
      last_end = i + length;
    }
    i += length;
  }
  if (first == text.size()) return Text();
  return text.substr(first, last_end - first);
}

Text remove_spaces(const Text& text) {
  Text kept;
  kept.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t space = space_length(text, i);
    if (space != 0) {
      i += space;
      continue;
    }
    std::size_t length = std::min(character_length(text, i), text.size() - i);
    kept.append(text, i, length);
    i += length;
  }
  return kept;
}

TextArray split_text(const Text& text, const Text& separator) {
  TextArray items;
  if (text.empty()) return items;
  if (separator.empty()) return {text};
  int from = 1;
  while (from <= static_cast<int>(text.size())) {
    int found = find_text(text, separator, from);
    if (found == -1) {
      items.push_back(text.substr(static_cast<std::size_t>(from) - 1));
      break;
    }
    items.push_back(text.substr(static_cast<std::size_t>(from) - 1,
                                static_cast<std::size_t>(found - from)));
    from = found + static_cast<int>(separator.size());
  }
  return items;
}

Text join_texts(const TextArray& items, const Text& separator) {
  Text joined;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) joined += separator;
    joined += items[i];
  }
  return joined;
}

Text replace_all(const Text& text, const Text& from, const Text& to) {
  if (from.empty()) return text;
  Text replaced;
  replaced.reserve(text.size());
  std::size_t position = 0;
  for (;;) {
    std::size_t found = text.find(from, position);
    if (found == Text::npos) break;
    replaced.append(text, position, found - position);
    replaced += to;
    position = found + from.size();
  }
  replaced.append(text, position, Text::npos);
  return replaced;
}

Text replace_quote_markers(const Text& text) { return replace_all(text, "#引号"_gbk, "\""); }
