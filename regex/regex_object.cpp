#include "regex/regex_object.h"

#include <array>
#include <limits>

#include "regex/subject_positions.h"
#include "text/code_pages.h"
#include "text/text_search.h"

namespace {

constexpr int ansi_code_page = 0;

Bytes bytes_of(std::u16string_view units) {
  Bytes bytes(2 * units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
  return bytes;
}

// Text handed to the engine as the platform does by default, through the ANSI code page.
std::u16string ansi_to_string(const Text& text) {
  const auto units = variant_to_string(multibyte_to_utf16(text, ansi_code_page));
  return units->substr(0, units->find(u'\0'));
}

Text string_to_ansi(const std::optional<Variant>& value) {
  const auto units = value ? variant_to_string(*value) : std::nullopt;
  if (!units) return Text();
  return utf16_to_multibyte(bytes_of(*units), ansi_code_page);
}

Text string_to_gbk(const std::optional<Variant>& value) {
  const auto units = value ? variant_to_string(*value) : std::nullopt;
  if (!units) return Text();
  return utf16_to_gbk(bytes_of(*units));
}

int integer_of(const std::optional<Variant>& value) {
  const auto number = value ? variant_to_integer(*value) : std::nullopt;
  return number.value_or(0);
}

ObjectRef object_of(const std::optional<Variant>& value) {
  if (!value) return nullptr;
  if (const auto* object = std::get_if<ObjectRef>(&*value)) return *object;
  return nullptr;
}

// Numbers count from 1 and the engine's indexes from 0; the lowest number wraps round to an index
// far out of range rather than overflowing.
std::optional<Variant> item(const ObjectRef& collection, int number) {
  const std::array<Variant, 1> index{static_cast<std::int32_t>(std::int64_t{number} - 1)};
  return get_property(collection, u"Item", index);
}

}  // namespace

RegexObject::RegexObject() {
  CoInitialize(nullptr);
}

RegexObject::~RegexObject() {
  engine.reset();
  match_list.reset();
  stored_subject = Variant();
  subject_positions.reset();
  CoUninitialize();
}

bool RegexObject::create(const Text& pattern, const Text& subject, bool case_sensitive,
                         bool multiline, bool global, bool quote_marker) {
  engine.reset();
  match_list.reset();
  engine = create_object(u"VBScript.RegExp");
  put_property(engine, u"IgnoreCase", !case_sensitive);
  put_property(engine, u"Multiline", multiline);
  put_property(engine, u"Singleline", true);
  put_property(engine, u"Global", global);
  put_property(engine, u"Pattern",
               ansi_to_string(quote_marker ? replace_quote_markers(pattern) : pattern));
  stored_subject = gbk_to_utf16(subject);
  subject_positions.reset();
  match_list = object_of(call_method(engine, u"Execute", std::span(&stored_subject, 1)));
  return match_list != nullptr;
}

Text RegexObject::pattern_text() {
  return string_to_ansi(get_property(engine, u"Pattern"));
}

Text RegexObject::replace(const Text& replacement) {
  const std::array<Variant, 2> arguments{stored_subject, ansi_to_string(replacement)};
  return string_to_ansi(call_method(engine, u"Replace", arguments));
}

int RegexObject::match_count() {
  return integer_of(get_property(match_list, u"Count"));
}

Text RegexObject::match_text(int match_number, int* position) {
  const ObjectRef match = match_item(match_number);
  const Text text = string_to_gbk(get_property(match, u"Value"));
  if (position) *position = position_in_subject(text, match);
  return text;
}

Text RegexObject::submatch_text(int match_number, int submatch_number, int* position) {
  const ObjectRef match = match_item(match_number);
  const ObjectRef groups = object_of(get_property(match, u"SubMatches"));
  const Text text = string_to_ansi(item(groups, submatch_number));
  if (position) *position = position_in_subject(text, match);
  return text;
}

int RegexObject::submatch_count() {
  const ObjectRef groups = object_of(get_property(match_item(1), u"SubMatches"));
  return integer_of(get_property(groups, u"Count"));
}

ObjectRef RegexObject::match_item(int match_number) {
  return object_of(item(match_list, match_number));
}

// Searches the GBK subject for `text` from the byte where `match` begins, a character at a time.
// "FirstIndex" counts UTF-16 units, so it is carried over to the byte where that unit lies in the
// GBK subject: taken as a byte position itself it would land before the match, by one byte and
// by one more for every double-byte character ahead of it, even inside such a character, and the
// search could report an earlier occurrence or step over the match altogether.
int RegexObject::position_in_subject(const Text& text, const ObjectRef& match) {
  const Bytes* units = std::get_if<Bytes>(&stored_subject);
  if (!units) return -2;
  if (!subject_positions) {
    subject_positions = std::make_unique<SubjectPositions>(index_subject(*units));
  }
  const int first_index = integer_of(get_property(match, u"FirstIndex"));
  const std::size_t start =
      gbk_offset(*subject_positions, *units, static_cast<std::size_t>(std::max(first_index, 0)));
  if (start >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return -2;
  const int found = find_text(subject_positions->gbk, text, static_cast<int>(start) + 1);
  return found - 1;
}
