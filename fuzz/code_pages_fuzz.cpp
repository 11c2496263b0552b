// Code page conversion: arbitrary bytes and units convert without harm, results have the shape
// the routines promise, and valid text survives a round trip.

#include <cstring>

#include "fuzz/fuzz_support.h"
#include "text/code_pages.h"

namespace {

// Whether `text` is well-formed UTF-8 without surrogates and overlong forms.
bool is_valid_utf8(const Text& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    char32_t value;
    if (lead < 0x80) {
      i += 1;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      value = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

// A GBK text made of the input: bytes below 0x80 stay, a byte from 0x81 up leads a two-byte
// character whose second byte the next input byte picks from 40..7E and 80..FE.
Text gbk_of(const Text& bytes) {
  Text text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      text.push_back(static_cast<char>(byte));
    } else if (byte > 0x80 && byte < 0xFF && i + 1 < bytes.size()) {
      const unsigned pick = static_cast<unsigned char>(bytes[++i]) % 190;
      text.push_back(static_cast<char>(byte));
      text.push_back(static_cast<char>(pick < 63 ? 0x40 + pick : 0x80 + (pick - 63)));
    }
  }
  return text;
}

bool holds_unit(const Bytes& units, char16_t unit) {
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    if ((units[i] | (units[i + 1] << 8)) == unit) return true;
  }
  return false;
}

// The position of the first zero unit, or the number of whole units when there is none.
std::size_t first_zero_unit(const Bytes& units) {
  std::size_t i = 0;
  while (i + 1 < units.size() && (units[i] != 0 || units[i + 1] != 0)) i += 2;
  return i / 2;
}

bool starts_with(const Bytes& bytes, const Bytes& prefix) {
  return bytes.size() >= prefix.size() &&
         (prefix.empty() || std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text raw(reinterpret_cast<const char*>(data), size);
  const Text text = texts_of(data, size, 1)[0];
  const Bytes units(data, data + size);

  // GBK to UTF-16: one zero unit, at the end, unless it is dropped.
  const Bytes wide = gbk_to_utf16(raw);
  FUZZ_CHECK(wide.size() % 2 == 0);
  FUZZ_CHECK(text.empty() == wide.empty());
  if (!wide.empty()) {
    FUZZ_CHECK(first_zero_unit(wide) == wide.size() / 2 - 1);
    const Bytes bare = gbk_to_utf16(raw, true);
    FUZZ_CHECK(bare.size() + 2 == wide.size() && starts_with(wide, bare));
  }
  for (int code_page : {936, 0}) {
    FUZZ_CHECK(starts_with(multibyte_to_utf16(raw, code_page), wide));
  }

  // Arbitrary units, odd lengths and missing zero units included.
  const Text as_utf8 = utf16_to_multibyte(units, 65001);
  FUZZ_CHECK(is_valid_utf8(as_utf8));
  FUZZ_CHECK(as_utf8.find('\0') == Text::npos);
  FUZZ_CHECK(utf16_to_multibyte(units, 0).find('\0') == Text::npos);
  FUZZ_CHECK(utf16_to_gbk(units).find('\0') == Text::npos);
  FUZZ_CHECK(first_zero_unit(units) > 0 || as_utf8.empty());

  // Arbitrary bytes read as UTF-8 come back as valid UTF-8 and as GBK without NUL.
  const Bytes from_utf8 = multibyte_to_utf16(raw, 65001);
  FUZZ_CHECK(from_utf8.size() % 2 == 0);
  FUZZ_CHECK(is_valid_utf8(utf16_to_multibyte(from_utf8, 65001)));
  FUZZ_CHECK(utf8_to_gbk(raw).find('\0') == Text::npos);
  FUZZ_CHECK(is_valid_utf8(gbk_to_utf8(raw)));

  // Valid UTF-8 goes to UTF-16 and back unchanged.
  if (is_valid_utf8(text)) {
    FUZZ_CHECK(utf16_to_multibyte(multibyte_to_utf16(text, 65001), 65001) == text);
  }

  // GBK whose every character the table maps (no U+FFFD) survives both round trips.
  const Text gbk = gbk_of(text);
  const Bytes gbk_wide = gbk_to_utf16(gbk);
  if (!holds_unit(gbk_wide, u'\uFFFD')) {
    FUZZ_CHECK(utf16_to_gbk(gbk_wide) == gbk);
    FUZZ_CHECK(utf16_to_multibyte(gbk_wide, 936) == gbk);
    FUZZ_CHECK(utf8_to_gbk(gbk_to_utf8(gbk)) == gbk);
  }
  return 0;
}
