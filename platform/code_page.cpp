#include "platform/code_page.h"

#include <unicode/normalizer2.h>
#include <unicode/ucnv.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterHandle = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's "GBK" is the Windows 936 table (0x80 is the euro sign). "windows-936" is an ambiguous
// alias, and GB18030 or ibm-1386 map differently.
const char* icu_name(unsigned code_page) {
  switch (code_page) {
    case CP_ACP:
    case CP_GBK:
      return "GBK";
    case CP_UTF8:
      return "UTF-8";
    default:
      return nullptr;
  }
}

// Opening a converter is costly, so each thread keeps one per code page.
UConverter* converter_for(unsigned code_page) {
  thread_local ConverterHandle gbk;
  thread_local ConverterHandle utf8;
  const char* name = icu_name(code_page);
  if (name == nullptr) return nullptr;
  ConverterHandle& slot = code_page == CP_UTF8 ? utf8 : gbk;
  if (!slot) {
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(ucnv_open(name, &status));
    if (U_FAILURE(status)) {
      slot.reset();
      return nullptr;
    }
    // The platform's default character for GBK is the question mark.
    if (code_page != CP_UTF8) ucnv_setSubstChars(slot.get(), "?", 1, &status);
  }
  ucnv_reset(slot.get());
  return slot.get();
}

// Every conversion below runs to the end of its input with ICU's substituting callbacks.
bool convert_to_utf16(unsigned code_page, std::string_view input, std::u16string& output) {
  UConverter* converter = converter_for(code_page);
  if (converter == nullptr) return false;
  output.resize(input.size() + 16);
  const char* source = input.data();
  const char* source_end = source + input.size();
  std::size_t written = 0;
  for (;;) {
    UChar* target = output.data() + written;
    UChar* target_end = output.data() + output.size();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, target_end, &source, source_end, nullptr, true, &status);
    written = static_cast<std::size_t>(target - output.data());
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      output.resize(output.size() * 2);
      continue;
    }
    if (U_FAILURE(status)) return false;
    break;
  }
  output.resize(written);
  return true;
}

bool convert_from_utf16(unsigned code_page, std::u16string_view input, std::string& output) {
  UConverter* converter = converter_for(code_page);
  if (converter == nullptr) return false;
  output.resize(input.size() * 3 + 16);
  const UChar* source = input.data();
  const UChar* source_end = source + input.size();
  std::size_t written = 0;
  for (;;) {
    char* target = output.data() + written;
    char* target_end = output.data() + output.size();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, target_end, &source, source_end, nullptr, true, &status);
    written = static_cast<std::size_t>(target - output.data());
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      output.resize(output.size() * 2);
      continue;
    }
    if (U_FAILURE(status)) return false;
    break;
  }
  output.resize(written);
  return true;
}

bool is_nonspacing_mark(char16_t unit) { return u_charType(unit) == U_NON_SPACING_MARK; }

// Each base character followed by non-spacing marks is put in composed form; nothing else changes
// (full NFC would also rewrite singletons such as the CJK compatibility ideographs).
std::u16string compose_marks(std::u16string_view input) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return std::u16string(input);
  std::u16string output;
  output.reserve(input.size());
  std::size_t i = 0;
  while (i < input.size()) {
    std::size_t end = i + 1;
    while (end < input.size() && is_nonspacing_mark(input[end])) ++end;
    if (end - i == 1) {
      output.push_back(input[i]);
    } else {
      icu::UnicodeString span(false, input.data() + i, static_cast<int32_t>(end - i));
      icu::UnicodeString composed = nfc->normalize(span, status);
      if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        output.append(input.substr(i, end - i));
      } else {
        output.append(composed.getBuffer(), static_cast<std::size_t>(composed.length()));
      }
    }
    i = end;
  }
  return output;
}

// A size query is followed by the same conversion into a buffer of the answered size. Each
// thread remembers the output of its last size query so that the conversion need not run twice.
template <typename Input, typename Output>
struct SizeQueryMemo {
  unsigned code_page = 0;
  std::uint32_t flags = 0;
  Input input;
  Output output;
  bool valid = false;

  const Output* find(unsigned page, std::uint32_t query_flags, const Input& query_input) const {
    if (!valid || page != code_page || query_flags != flags || query_input != input) return nullptr;
    return &output;
  }
  void keep(unsigned page, std::uint32_t query_flags, const Input& query_input, Output result) {
    code_page = page;
    flags = query_flags;
    input = query_input;
    output = std::move(result);
    valid = true;
  }
  void forget() {
    valid = false;
    input = Input();
    output = Output();
  }
};

std::size_t gbk_character_length(unsigned char lead) { return lead >= 0x81 && lead <= 0xFE ? 2 : 1; }

std::size_t utf8_character_length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// The longest prefix of whole characters that fits into `room` bytes or units.
std::size_t fitting_prefix(const std::u16string& units, std::size_t room) {
  if (room >= units.size()) return units.size();
  if (room > 0 && U16_IS_LEAD(units[room - 1])) return room - 1;
  return room;
}

std::size_t fitting_prefix(unsigned code_page, const std::string& bytes, std::size_t room) {
  std::size_t end = 0;
  while (end < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[end]);
    std::size_t length =
        code_page == CP_UTF8 ? utf8_character_length(lead) : gbk_character_length(lead);
    if (end + length > room) break;
    end += length;
  }
  return std::min(end, bytes.size());
}

}  // namespace

int MultiByteToWideChar(unsigned code_page, std::uint32_t flags, const char* multi_byte,
                        int multi_byte_count, char16_t* wide, int wide_size) {
  if (multi_byte == nullptr || multi_byte_count == 0 || multi_byte_count < -1 || wide_size < 0 ||
      (wide_size > 0 && wide == nullptr) || icu_name(code_page) == nullptr) {
    return 0;
  }
  std::size_t length = multi_byte_count == -1 ? std::strlen(multi_byte) + 1
                                              : static_cast<std::size_t>(multi_byte_count);
  if (length > static_cast<std::size_t>(INT_MAX)) return 0;
  std::string input(multi_byte, length);

  thread_local SizeQueryMemo<std::string, std::u16string> memo;
  std::u16string converted;
  if (const std::u16string* remembered = memo.find(code_page, flags, input)) {
    converted = *remembered;
  } else if (!convert_to_utf16(code_page, input, converted)) {
    return 0;
  }
  if (wide_size == 0) {
    auto size = static_cast<int>(converted.size());
    memo.keep(code_page, flags, input, std::move(converted));
    return size;
  }
  memo.forget();
  std::size_t fits = fitting_prefix(converted, static_cast<std::size_t>(wide_size));
  std::copy_n(converted.data(), fits, wide);
  return fits == converted.size() ? static_cast<int>(fits) : 0;
}

int WideCharToMultiByte(unsigned code_page, std::uint32_t flags, const char16_t* wide,
                        int wide_count, char* multi_byte, int multi_byte_size) {
  if (wide == nullptr || wide_count == 0 || wide_count < -1 || multi_byte_size < 0 ||
      (multi_byte_size > 0 && multi_byte == nullptr) || icu_name(code_page) == nullptr) {
    return 0;
  }
  std::size_t length = wide_count == -1 ? std::char_traits<char16_t>::length(wide) + 1
                                        : static_cast<std::size_t>(wide_count);
  // Three bytes a unit must still be countable in an int.
  if (length > static_cast<std::size_t>(INT_MAX / 3)) return 0;
  std::u16string input(wide, length);

  thread_local SizeQueryMemo<std::u16string, std::string> memo;
  std::string converted;
  if (const std::string* remembered = memo.find(code_page, flags, input)) {
    converted = *remembered;
  } else {
    std::u16string composed = (flags & WC_COMPOSITECHECK) != 0 ? compose_marks(input) : input;
    if (!convert_from_utf16(code_page, composed, converted)) return 0;
  }
  if (multi_byte_size == 0) {
    auto size = static_cast<int>(converted.size());
    memo.keep(code_page, flags, input, std::move(converted));
    return size;
  }
  memo.forget();
  std::size_t fits =
      fitting_prefix(code_page, converted, static_cast<std::size_t>(multi_byte_size));
  std::copy_n(converted.data(), fits, multi_byte);
  return fits == converted.size() ? static_cast<int>(fits) : 0;
}
