#include "text/code_pages.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <string>

#include "platform/code_page.h"

namespace {

// A Text ends at its first NUL, so one that starts with NUL holds no text.
bool holds_no_text(const Text& text) {
  return text.c_str()[0] == '\0';
}

// UTF-16 in a Bytes is little-endian, as this machine's char16_t is, so the converter reads and
// writes the units of a Bytes in place.
static_assert(std::endian::native == std::endian::little);

char16_t* units_in(Bytes& bytes) {
  return reinterpret_cast<char16_t*>(bytes.data());
}

const char16_t* units_in(const Bytes& bytes) {
  return reinterpret_cast<const char16_t*>(bytes.data());
}

// The number of units up to and including the first zero unit, or of all whole units when there
// is none.
std::size_t units_through_terminator(const Bytes& bytes) {
  const std::size_t whole_units = bytes.size() / 2;
  for (std::size_t i = 0; i < whole_units; ++i) {
    if (bytes[2 * i] == 0 && bytes[2 * i + 1] == 0) return i + 1;
  }
  return whole_units;
}

void cut_at_first_nul(Text& text) {
  text.resize(std::strlen(text.c_str()));
}

}  // namespace

// Inputs beyond what the converter counts in an int (2 GB of text, 1 GB of units) give an empty
// result, as any failed conversion does.

Bytes gbk_to_utf16(const Text& text, bool drop_terminator) {
  if (holds_no_text(text)) return Bytes();
  const int unit_count = MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, nullptr, 0);
  if (unit_count <= 0) return Bytes();
  Bytes units(2 * static_cast<std::size_t>(unit_count));
  MultiByteToWideChar(CP_GBK, 0, text.c_str(), -1, units_in(units), unit_count);
  if (drop_terminator) units.resize(units.size() - 2);
  return units;
}

Text utf16_to_gbk(const Bytes& units) {
  const std::size_t unit_count = units.size() / 2;
  if (unit_count == 0 || unit_count > static_cast<std::size_t>(INT_MAX)) return Text();
  const int count = static_cast<int>(unit_count);
  const int byte_count =
      WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, units_in(units), count, nullptr, 0);
  if (byte_count <= 0) return Text();
  Text gbk(static_cast<std::size_t>(byte_count), '\0');
  WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, units_in(units), count, gbk.data(), byte_count);
  cut_at_first_nul(gbk);
  return gbk;
}

Bytes multibyte_to_utf16(const Text& text, int code_page) {
  if (holds_no_text(text)) return Bytes();
  const auto page = static_cast<unsigned>(code_page);
  // The budget is what the text makes read in the ANSI code page, whatever `code_page` is.
  const int budget = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (budget <= 0) return Bytes();
  Bytes units(2 * static_cast<std::size_t>(budget));
  if (MultiByteToWideChar(page, 0, text.c_str(), -1, units_in(units), budget) == 0) {
    // Only input that is invalid in `code_page` (or a code page the converter lacks) gets here.
    // Rather than cut the text short and lose its zero unit, the result gets the room the whole
    // conversion needs: every unit, then the zero unit, and no padding.
    const int needed = MultiByteToWideChar(page, 0, text.c_str(), -1, nullptr, 0);
    if (needed <= 0) return Bytes();
    units.assign(2 * static_cast<std::size_t>(needed), 0);
    MultiByteToWideChar(page, 0, text.c_str(), -1, units_in(units), needed);
  }
  return units;
}

Text utf16_to_multibyte(const Bytes& units, int code_page) {
  // Without a zero unit the end of `units` ends the text; nothing past it is read.
  const std::size_t unit_count = units_through_terminator(units);
  if (unit_count == 0 || unit_count > static_cast<std::size_t>(INT_MAX)) return Text();
  const auto page = static_cast<unsigned>(code_page);
  const char16_t* wide = units_in(units);
  const int count = static_cast<int>(unit_count);
  const int ansi_size = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0);
  if (ansi_size <= 0) return Text();
  const int budget = static_cast<int>(std::min<long long>(2LL * ansi_size, INT_MAX));
  Text converted(static_cast<std::size_t>(budget), ' ');
  int written = WideCharToMultiByte(page, 0, wide, count, converted.data(), budget);
  if (written == 0) {
    // The text needs more than twice its GBK size in `code_page` (UTF-8 of characters that GBK
    // lacks, which GBK writes as one "?" each). It gets the room it needs instead of being cut.
    const int needed = WideCharToMultiByte(page, 0, wide, count, nullptr, 0);
    if (needed <= 0) return Text();
    converted.assign(static_cast<std::size_t>(needed), ' ');
    written = WideCharToMultiByte(page, 0, wide, count, converted.data(), needed);
  }
  converted.resize(static_cast<std::size_t>(written));
  cut_at_first_nul(converted);
  return converted;
}

Text gbk_to_utf8(const Text& text) {
  return utf16_to_multibyte(multibyte_to_utf16(text, CP_GBK), CP_UTF8);
}

Text utf8_to_gbk(const Text& text) {
  return utf16_to_multibyte(multibyte_to_utf16(text), CP_GBK);
}
