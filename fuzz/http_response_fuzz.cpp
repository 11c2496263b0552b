// What a response yields: its header block with every Set-Cookie name spelled alike, the cookies
// it sets (one "name=value" per Set-Cookie line, attributes dropped), those folded into the
// cookies carried so far, the value behind a header line's colon, and a body cut at its first NUL.

#include "fuzz/fuzz_support.h"
#include "text/text_search.h"
#include "web/cookies.h"
#include "web/http_request.h"
#include "web/request_text.h"

namespace {

const Text set_cookie = "Set-Cookie";

bool is_ascii(const Text& text) {
  for (char byte : text) {
    if (static_cast<unsigned char>(byte) >= 0x80) return false;
  }
  return true;
}

// Trimmed at both ends; a space behind a byte that begins a two-byte character belongs to it.
bool is_trimmed(const Text& text) {
  if (text.empty()) return true;
  if (text.front() == ' ') return false;
  return text.back() != ' ' ||
         (text.size() >= 2 && static_cast<unsigned char>(text[text.size() - 2]) >= 0x80);
}

TextArray cut_at(const Text& text, const Text& separator) {
  TextArray pieces;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != Text::npos; at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

void check_uniform_names(const Text& headers, const Text& uniform) {
  FUZZ_CHECK(uniform.size() == headers.size());
  FUZZ_CHECK(to_lower_ascii(uniform) == to_lower_ascii(headers));
  for (int at = find_text(uniform, set_cookie, 1, true); at != -1;
       at = find_text(uniform, set_cookie, at + 1, true)) {
    FUZZ_CHECK(uniform.compare(static_cast<std::size_t>(at - 1), set_cookie.size(), set_cookie) ==
               0);
  }
  FUZZ_CHECK(with_uniform_set_cookie_names(uniform) == uniform);
}

// One item per Set-Cookie line, in order: none reaching into another line, holding a ";" where a
// character begins, or a space at either end.
TextArray check_cookies_set(const Text& uniform, const Text& cookies_set) {
  TextArray items;
  for (const Text& line : cut_at(uniform, "\r\n")) {
    if (find_text(line, set_cookie) == -1) {
      FUZZ_CHECK(cookies_set_by(line).empty());
      continue;
    }
    const Text item = cookies_set_by(line);
    // A header line yields a piece of itself; the name elsewhere in a line is dropped where it
    // stands, and the item may join the pieces round it.
    if (line.starts_with(set_cookie + ":") && find_text(line, set_cookie + ":", 2, true) == -1) {
      FUZZ_CHECK(line.find(item) != Text::npos);
    }
    FUZZ_CHECK(find_text(item, ";") == -1);
    FUZZ_CHECK(is_trimmed(item));
    items.push_back(item);
  }
  FUZZ_CHECK(cookies_set == join_texts(items, "; "));
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text body(reinterpret_cast<const char*>(data), size);
  const Text cut_body = text_up_to_nul(body);
  FUZZ_CHECK(cut_body.find('\0') == Text::npos);
  FUZZ_CHECK(body.compare(0, cut_body.size(), cut_body) == 0);
  FUZZ_CHECK(cut_body.size() == body.size() || body[cut_body.size()] == '\0');

  const TextArray texts = texts_of(data, size, 2);
  const Text& headers = texts[0];
  const Text uniform = with_uniform_set_cookie_names(headers);
  check_uniform_names(headers, uniform);

  Text cookies_set = cookies_set_by(uniform);
  const TextArray items = check_cookies_set(uniform, cookies_set);

  for (const Text& line : cut_at(uniform, "\r\n")) {
    const Text value = value_after_colon(line);
    const int colon = find_text(line, ":");
    if (colon == -1) {
      FUZZ_CHECK(value.empty());
      continue;
    }
    FUZZ_CHECK(line.find(value, static_cast<std::size_t>(colon)) != Text::npos);
    FUZZ_CHECK(is_trimmed(value));
  }

  Text cookies = texts[1];
  const Text merged = merge_cookies(cookies, cookies_set);
  FUZZ_CHECK(cookies == merged);
  // Every cookie the response sets, unless it is deleted, is carried on.
  if (is_ascii(uniform)) {
    const TextArray merged_items = split_text(merged, "; ");
    for (const Text& item : items) {
      const Text stripped = remove_spaces(item);
      if (stripped.empty() || stripped.find(';') != Text::npos) continue;
      if (stripped.size() >= 8 && stripped.ends_with("=deleted")) continue;
      FUZZ_CHECK(item_index(merged_items, stripped) != -1);
    }
  }
  return 0;
}
