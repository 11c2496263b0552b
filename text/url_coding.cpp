#include "text/url_coding.h"

#include <algorithm>
#include <string_view>

#include "text/code_pages.h"

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

bool is_plain(unsigned char byte) {
  return byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
         (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// The position of the upper-cased digit in "0123456789ABCDEF", less one: a byte that is no
// hexadecimal digit is worth -2, since the search answers -1 for it.
int digit_value(char character) {
  const auto byte = static_cast<unsigned char>(character);
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -2;
}

}  // namespace

Text url_encode(const Text& text, bool keep_plain, bool as_utf8) {
  const Text bytes = as_utf8 ? gbk_to_utf8(text) : Text(text.c_str());
  Text encoded(bytes.size() * 3, '\0');
  std::size_t length = 0;
  for (char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (keep_plain && is_plain(byte)) {
      encoded[length++] = character;
    } else {
      encoded[length++] = '%';
      encoded[length++] = hex_digits[byte >> 4];
      encoded[length++] = hex_digits[byte & 0x0F];
    }
  }
  encoded.resize(length);
  return encoded;
}

Text url_decode(const Text& text, bool from_utf8) {
  const std::string_view bytes(text.c_str());
  Text decoded;
  decoded.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t percent = std::min(bytes.find('%', i), bytes.size());
    decoded.append(bytes.substr(i, percent - i));
    if (percent == bytes.size()) break;
    // A digit past the end is worth 0: the search for nothing answers the first position.
    const int high = percent + 1 < bytes.size() ? digit_value(bytes[percent + 1]) : 0;
    const int low = percent + 2 < bytes.size() ? digit_value(bytes[percent + 2]) : 0;
    const auto byte = static_cast<unsigned char>((high * 16 + low) & 0xFF);
    if (byte != 0) decoded.push_back(static_cast<char>(byte));
    i = percent + 3;
  }
  return from_utf8 ? utf8_to_gbk(decoded) : decoded;
}
