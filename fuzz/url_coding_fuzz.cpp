// Percent coding: decoding never grows a text, and decoding undoes encoding.

#include "fuzz/fuzz_support.h"
#include "text/code_pages.h"
#include "text/url_coding.h"

namespace {

bool is_upper_hex_digit(char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'F');
}

bool is_plain(char byte) {
  return byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
         (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Every byte is a plain one (when they may stay) or "%" and two upper-case hexadecimal digits.
bool is_well_encoded(const Text& encoded, bool keep_plain) {
  for (std::size_t i = 0; i < encoded.size();) {
    if (keep_plain && is_plain(encoded[i])) {
      i += 1;
    } else if (encoded[i] == '%' && i + 2 < encoded.size() && is_upper_hex_digit(encoded[i + 1]) &&
               is_upper_hex_digit(encoded[i + 2])) {
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The raw input, NUL bytes included: the routines read a text only up to its first NUL.
  const Text raw(reinterpret_cast<const char*>(data), size);
  const Text text = texts_of(data, size, 1)[0];

  for (bool from_utf8 : {false, true}) {
    const Text decoded = url_decode(raw, from_utf8);
    FUZZ_CHECK(decoded.size() <= text.size());
    FUZZ_CHECK(decoded.find('\0') == Text::npos);
    FUZZ_CHECK(decoded == url_decode(text, from_utf8));
  }

  for (bool keep_plain : {false, true}) {
    const Text encoded = url_encode(raw, keep_plain);
    FUZZ_CHECK(encoded == url_encode(text, keep_plain));
    FUZZ_CHECK(is_well_encoded(encoded, keep_plain));
    FUZZ_CHECK(keep_plain || encoded.size() == 3 * text.size());
    FUZZ_CHECK(url_decode(encoded) == text);

    const Text encoded_utf8 = url_encode(text, keep_plain, true);
    FUZZ_CHECK(is_well_encoded(encoded_utf8, keep_plain));
    FUZZ_CHECK(url_decode(encoded_utf8) == gbk_to_utf8(text));
    FUZZ_CHECK(url_decode(encoded_utf8, true) == utf8_to_gbk(gbk_to_utf8(text)));
  }
  return 0;
}
