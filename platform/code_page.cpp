#include "platform/code_page.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterHandle = std::unique_ptr<UConverter, ConverterCloser>;

// UTF-8 goes through ICU's string functions, which substitute U+FFFD just as its UTF-8 converter
// does and run faster. GBK goes through ICU's converter "GBK", the Windows 936 table (0x80 is the
// euro sign). "windows-936" is an ambiguous alias, and GB18030 or ibm-1386 map differently.
bool is_known(unsigned code_page) {
  return code_page == CP_ACP || code_page == CP_GBK || code_page == CP_UTF8;
}

// GBK is the ANSI code page, so both names share one memo.
unsigned table_of(unsigned code_page) {
  return code_page == CP_ACP ? CP_GBK : code_page;
}

// Opening a converter is costly, so each thread keeps its GBK converter.
UConverter* gbk_converter() {
  thread_local ConverterHandle gbk;
  if (!gbk) {
    UErrorCode status = U_ZERO_ERROR;
    gbk.reset(ucnv_open("GBK", &status));
    if (U_FAILURE(status)) {
      gbk.reset();
      return nullptr;
    }
    // The platform's default character for GBK is the question mark.
    ucnv_setSubstChars(gbk.get(), "?", 1, &status);
  }
  ucnv_reset(gbk.get());
  return gbk.get();
}

bool is_gbk_lead(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

constexpr std::uint64_t high_bits = 0x8080808080808080;
constexpr std::uint64_t low_seven_bits = 0x7F7F7F7F7F7F7F7F;
constexpr std::uint64_t odd_bits = 0xAAAAAAAAAAAAAAAA;

// The top bit of each byte of the answer is set where that byte of `word` is not zero.
std::uint64_t nonzero_bytes(std::uint64_t word) {
  return (((word & low_seven_bits) + low_seven_bits) | word) & high_bits;
}

// Bit i of the answer is the top bit of byte i of `word`.
std::uint64_t gather_top_bits(std::uint64_t word) {
  return ((word & high_bits) * 0x0002040810204081) >> 56;
}

struct ByteClasses {
  std::uint64_t leads = 0;   // bit i: byte i is a GBK lead byte
  std::uint64_t trails = 0;  // bit i: byte i may follow a lead byte
};

// Classifies 64 bytes, eight at a time; byte i of a word loaded from memory is its i-th byte.
static_assert(std::endian::native == std::endian::little);
ByteClasses classify(const char* bytes) {
  ByteClasses classes;
  for (int k = 0; k < 8; ++k) {
    std::uint64_t word;
    std::memcpy(&word, bytes + 8 * k, sizeof word);
    const std::uint64_t below_ff = nonzero_bytes(~word);
    const std::uint64_t high_trail = word & below_ff;
    const std::uint64_t lead = high_trail & nonzero_bytes(word ^ high_bits);
    const std::uint64_t low_trail = ~word & (word << 1) & nonzero_bytes(word ^ low_seven_bits);
    classes.leads |= gather_top_bits(lead) << (8 * k);
    classes.trails |= gather_top_bits(high_trail | low_trail) << (8 * k);
  }
  return classes;
}

// The units the GBK table makes of `bytes`, counted without converting. A character starts with
// a lead byte and a trail byte and is one unit, assigned or not; a lead byte before anything
// else, or at the end, is one substitute on its own and the byte after it starts afresh; every
// other byte is a unit of its own (every character of the table lies in the basic plane). So the
// units are the bytes less the second bytes of pairs. Where the second bytes lie is worked out
// 64 bytes at a time on bit masks: in a run of lead bytes the second, fourth and so on are second
// bytes, and the byte after a run of odd length is one if it is a trail byte.
std::size_t gbk_unit_count(std::string_view bytes) {
  std::size_t second_bytes = 0;
  std::uint64_t follows_lead = 0;  // bit 0: the last byte before this block leads a pair
  for (std::size_t block = 0; block < bytes.size(); block += 64) {
    char padded[64] = {};
    const char* data = bytes.data() + block;
    if (bytes.size() - block < 64) {
      std::memcpy(padded, data, bytes.size() - block);
      data = padded;
    }
    const ByteClasses classes = classify(data);
    const std::uint64_t starting_leads = classes.leads & ~follows_lead;
    const std::uint64_t series = (((starting_leads << 1) | odd_bits) - starting_leads) ^ odd_bits;
    const std::uint64_t after_lead = series ^ (classes.leads | follows_lead);
    second_bytes += static_cast<std::size_t>(std::popcount(after_lead & classes.trails));
    follows_lead = (series & classes.leads) >> 63;
  }
  return bytes.size() - second_bytes;
}

// Both conversions run to the end of their input, substituting, into a target that the caller
// has made large enough; they answer the number written, or nothing on failure.
std::optional<std::size_t> convert_to_utf16(unsigned table, std::string_view input,
                                            char16_t* target, std::size_t room) {
  UErrorCode status = U_ZERO_ERROR;
  if (table == CP_UTF8) {
    int32_t written = 0;
    u_strFromUTF8WithSub(target, static_cast<int32_t>(room), &written, input.data(),
                         static_cast<int32_t>(input.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return static_cast<std::size_t>(written);
  }
  UConverter* converter = gbk_converter();
  if (converter == nullptr) return std::nullopt;
  const char* source = input.data();
  UChar* end = target;
  ucnv_toUnicode(converter, &end, target + room, &source, input.data() + input.size(), nullptr,
                 true, &status);
  if (U_FAILURE(status)) return std::nullopt;
  return static_cast<std::size_t>(end - target);
}

std::optional<std::size_t> convert_from_utf16(unsigned table, std::u16string_view input,
                                              char* target, std::size_t room) {
  UErrorCode status = U_ZERO_ERROR;
  if (table == CP_UTF8) {
    int32_t written = 0;
    u_strToUTF8WithSub(target, static_cast<int32_t>(room), &written, input.data(),
                       static_cast<int32_t>(input.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) return std::nullopt;
    return static_cast<std::size_t>(written);
  }
  UConverter* converter = gbk_converter();
  if (converter == nullptr) return std::nullopt;
  const UChar* source = input.data();
  char* end = target;
  ucnv_fromUnicode(converter, &end, target + room, &source, input.data() + input.size(), nullptr,
                   true, &status);
  if (U_FAILURE(status)) return std::nullopt;
  return static_cast<std::size_t>(end - target);
}

// No byte sequence makes more units than it has bytes; no unit makes more than three bytes, in
// UTF-8 or in GBK, and composing never lengthens the units.
constexpr std::size_t most_units_a_byte = 1;
constexpr std::size_t most_bytes_a_unit = 3;

bool is_nonspacing_mark(UChar32 character) {
  return u_charType(character) == U_NON_SPACING_MARK;
}

std::size_t end_of_character(std::u16string_view text, std::size_t start) {
  auto end = static_cast<int32_t>(start);
  UChar32 character;
  U16_NEXT(text.data(), end, static_cast<int32_t>(text.size()), character);
  return static_cast<std::size_t>(end);
}

// The end of the non-spacing marks from `start` on.
std::size_t end_of_marks(std::u16string_view text, std::size_t start) {
  const auto length = static_cast<int32_t>(text.size());
  auto end = static_cast<int32_t>(start);
  while (end < length) {
    int32_t next = end;
    UChar32 character;
    U16_NEXT(text.data(), next, length, character);
    if (!is_nonspacing_mark(character)) break;
    end = next;
  }
  return static_cast<std::size_t>(end);
}

// Each base character followed by non-spacing marks is put in composed form; nothing else changes
// (full NFC would also rewrite singletons such as the CJK compatibility ideographs).
void compose_marks(std::u16string_view input, std::u16string& output) {
  output.clear();
  // Fetched once under the language's thread-safe initialisation, which also orders ICU's lazy
  // set-up of the instance before its use on any other thread.
  static const icu::Normalizer2* const nfc = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* instance = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? instance : nullptr;
  }();
  UErrorCode status = nfc != nullptr ? U_ZERO_ERROR : U_INTERNAL_PROGRAM_ERROR;
  std::size_t i = 0;
  while (U_SUCCESS(status) && i < input.size()) {
    // Text that is already composed, as nearly all text is, is taken as it stands up to the
    // character before the first one that might compose.
    const icu::UnicodeString rest(false, input.data() + i, static_cast<int32_t>(input.size() - i));
    const auto stable = static_cast<std::size_t>(nfc->spanQuickCheckYes(rest, status));
    if (U_FAILURE(status)) break;
    output.append(input.substr(i, stable));
    i += stable;
    if (i == input.size()) return;
    const std::size_t base_end = end_of_character(input, i);
    const std::size_t end = end_of_marks(input, base_end);
    const std::u16string_view cluster = input.substr(i, end - i);
    icu::UnicodeString composed;
    if (end > base_end) {
      composed = nfc->normalize(
          icu::UnicodeString(false, cluster.data(), static_cast<int32_t>(cluster.size())), status);
    }
    if (end > base_end && U_SUCCESS(status)) {
      output.append(composed.getBuffer(), static_cast<std::size_t>(composed.length()));
    } else {
      status = U_ZERO_ERROR;
      output.append(cluster);
    }
    i = end;
  }
  output.append(input.substr(i));
}

std::size_t gbk_character_length(unsigned char lead) {
  return is_gbk_lead(lead) ? 2 : 1;
}

std::size_t utf8_character_length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// The longest prefix of whole characters that fits into `room` bytes or units.
std::size_t fitting_prefix(unsigned, std::u16string_view units, std::size_t room) {
  if (room >= units.size()) return units.size();
  if (room > 0 && U16_IS_LEAD(units[room - 1])) return room - 1;
  return room;
}

std::size_t fitting_prefix(unsigned table, std::string_view bytes, std::size_t room) {
  if (room >= bytes.size()) return bytes.size();
  std::size_t end = 0;
  while (end < bytes.size()) {
    auto lead = static_cast<unsigned char>(bytes[end]);
    std::size_t length =
        table == CP_UTF8 ? utf8_character_length(lead) : gbk_character_length(lead);
    if (end + length > room) break;
    end += length;
  }
  return end;
}

// Each thread keeps one workspace per direction. A size query is followed by the same conversion
// into a buffer of the answered size, so the workspace remembers the last size query: its input,
// its answer and, where the answer took a conversion, the converted output. The conversion then
// copies that output, or, knowing its size, converts straight into the caller's buffer. The
// buffers keep their room between calls: fresh memory costs more to touch than to convert.
template <typename Input, typename Output>
struct Workspace {
  std::basic_string<Input> query_input;
  unsigned query_table = 0;
  std::uint32_t query_flags = 0;
  std::size_t query_answer = 0;
  bool holds_query = false;

  std::u16string composed;
  std::basic_string<Output> output;  // the first output_size elements hold converted text
  std::size_t output_size = 0;
  bool output_answers_query = false;

  bool remembers(unsigned table, std::uint32_t flags, std::basic_string_view<Input> input) const {
    return holds_query && query_table == table && query_flags == flags && query_input == input;
  }
  void remember(unsigned table, std::uint32_t flags, std::basic_string_view<Input> input,
                std::size_t answer, bool answered_by_output) {
    query_table = table;
    query_flags = flags;
    query_input.assign(input);
    query_answer = answer;
    output_answers_query = answered_by_output;
    holds_query = true;
  }
  Output* scratch(std::size_t room) {
    if (output.size() < room) output.resize(room);
    return output.data();
  }
  std::basic_string_view<Output> converted() const {
    return std::basic_string_view<Output>(output.data(), output_size);
  }
  // Called once a conversion has used the memo. Room for an unusually large text is given back.
  void finish() {
    holds_query = false;
    output_answers_query = false;
    constexpr std::size_t kept_room = std::size_t{32} << 20;
    if (query_input.capacity() > kept_room) std::basic_string<Input>().swap(query_input);
    if (composed.capacity() > kept_room) std::u16string().swap(composed);
    if (output.capacity() > kept_room) std::basic_string<Output>().swap(output);
  }
};

// Copies the whole characters of `converted` that fit; answers the count, or 0 when not all fit.
template <typename Output>
int copy_fitting(unsigned table, std::basic_string_view<Output> converted, Output* target,
                 int room) {
  const std::size_t fits = fitting_prefix(table, converted, static_cast<std::size_t>(room));
  std::copy_n(converted.data(), fits, target);
  return fits == converted.size() ? static_cast<int>(fits) : 0;
}

// The steps both operations share. `convert(input, target, room)` converts into a target of the
// given room, and `most_output` bounds what it can write.
template <typename Input, typename Output, typename Convert>
int convert_with_memo(
    Workspace<Input, Output>& space, unsigned table, std::uint32_t flags,
    std::basic_string_view<Input> input, Output* target, int room, std::size_t most_output,
    Convert convert,
    std::type_identity_t<std::optional<std::size_t> (*)(std::basic_string_view<Input>)> count) {
  const bool remembered = space.remembers(table, flags, input);
  if (room == 0) {
    if (remembered) return static_cast<int>(space.query_answer);
    std::size_t answer;
    bool answered_by_output = false;
    if (std::optional<std::size_t> counted = count ? count(input) : std::nullopt) {
      answer = *counted;
    } else {
      std::optional<std::size_t> written = convert(input, space.scratch(most_output), most_output);
      if (!written) return 0;
      space.output_size = answer = *written;
      answered_by_output = true;
    }
    space.remember(table, flags, input, answer, answered_by_output);
    return static_cast<int>(answer);
  }

  int answer = 0;
  const auto available = static_cast<std::size_t>(room);
  if (remembered && space.output_answers_query) {
    answer = copy_fitting(table, space.converted(), target, room);
  } else if ((remembered && space.query_answer <= available) || most_output <= available) {
    if (std::optional<std::size_t> written = convert(input, target, available)) {
      answer = static_cast<int>(*written);
    }
  } else if (std::optional<std::size_t> written =
                 convert(input, space.scratch(most_output), most_output)) {
    space.output_size = *written;
    answer = copy_fitting(table, space.converted(), target, room);
  }
  space.finish();
  return answer;
}

std::optional<std::size_t> count_gbk_units(std::string_view input) {
  return gbk_unit_count(input);
}

}  // namespace

int MultiByteToWideChar(unsigned code_page, std::uint32_t flags, const char* multi_byte,
                        int multi_byte_count, char16_t* wide, int wide_size) {
  if (multi_byte == nullptr || multi_byte_count == 0 || multi_byte_count < -1 || wide_size < 0 ||
      (wide_size > 0 && wide == nullptr) || !is_known(code_page)) {
    return 0;
  }
  std::size_t length = multi_byte_count == -1 ? std::strlen(multi_byte) + 1
                                              : static_cast<std::size_t>(multi_byte_count);
  if (length > static_cast<std::size_t>(INT_MAX)) return 0;
  const std::string_view input(multi_byte, length);
  const unsigned table = table_of(code_page);

  thread_local Workspace<char, char16_t> space;
  // Counting GBK is far cheaper than converting it, and the conversion that follows a size query
  // may well be from another code page (UTF-8 text gets a GBK-sized budget).
  return convert_with_memo(
      space, table, flags, input, wide, wide_size, length * most_units_a_byte,
      [table](std::string_view text, char16_t* target, std::size_t room) {
        return convert_to_utf16(table, text, target, room);
      },
      table == CP_GBK ? count_gbk_units : nullptr);
}

int WideCharToMultiByte(unsigned code_page, std::uint32_t flags, const char16_t* wide,
                        int wide_count, char* multi_byte, int multi_byte_size) {
  if (wide == nullptr || wide_count == 0 || wide_count < -1 || multi_byte_size < 0 ||
      (multi_byte_size > 0 && multi_byte == nullptr) || !is_known(code_page)) {
    return 0;
  }
  std::size_t length = wide_count == -1 ? std::char_traits<char16_t>::length(wide) + 1
                                        : static_cast<std::size_t>(wide_count);
  // Three bytes a unit must still be countable in an int.
  if (length > static_cast<std::size_t>(INT_MAX / most_bytes_a_unit)) return 0;
  const std::u16string_view input(wide, length);
  const unsigned table = table_of(code_page);

  thread_local Workspace<char16_t, char> space;
  return convert_with_memo(
      space, table, flags, input, multi_byte, multi_byte_size, length * most_bytes_a_unit,
      [table, flags](std::u16string_view units, char* target, std::size_t room) {
        if ((flags & WC_COMPOSITECHECK) != 0) {
          compose_marks(units, space.composed);
          units = space.composed;
        }
        return convert_from_utf16(table, units, target, room);
      },
      nullptr);
}
