// The regular-expression object: the tool's result pattern over any subject, and any pattern over
// a result page line. Every match, group and position read back stays consistent with the
// subject; a pattern that does not run leaves nothing to read.

#include "fuzz/fuzz_support.h"
#include "regex/regex_object.h"
#include "text/code_pages.h"

namespace {

const Text result_item_pattern = "<a href=\"(.*?)\">(.*?)</a></li><li>";

// A line of a result page, with GBK titles.
const Text result_page_line =
    "<ul><li><a href=\"/hash/AAA.html\">\xB6\xBE\xD5\xBD BD1080P</a></li><li><a "
    "href=\"/hash/BBB.html\"><b>\xB6\xBE\xD5\xBD</b> 2013</a></li><li>\r\n<li>tail</li>";

// What positions are counted in: the subject as far as its first NUL, through UTF-16 and back.
Text round_trip(const Text& subject) {
  return utf16_to_gbk(gbk_to_utf16(subject.substr(0, subject.find('\0'))));
}

// A position is -2, or the 0-based offset where `text` stands in `subject`. An empty text is
// found at the first byte, wherever its match lies.
void check_position(int position, const Text& text, const Text& subject) {
  if (position == -2) return;
  if (text.empty()) FUZZ_CHECK(position == 0);
  FUZZ_CHECK(position >= 0 && static_cast<std::size_t>(position) <= subject.size());
  FUZZ_CHECK(subject.compare(static_cast<std::size_t>(position), text.size(), text) == 0);
}

void check_matches(RegexObject& regex, const Text& subject, int group_count) {
  const int count = regex.match_count();
  FUZZ_CHECK(count >= 0);
  const Text positions_subject = round_trip(subject);
  for (int match = 1; match <= count; ++match) {
    int match_position = -3;
    const Text text = regex.match_text(match, &match_position);
    FUZZ_CHECK(text.find('\0') == Text::npos);
    check_position(match_position, text, positions_subject);
    for (int group = 1; group <= group_count; ++group) {
      int group_position = -3;
      const Text group_text = regex.submatch_text(match, group, &group_position);
      FUZZ_CHECK(group_text.find('\0') == Text::npos);
      FUZZ_CHECK(text.find(group_text) != Text::npos);
      check_position(group_position, group_text, positions_subject);
      // The group is looked for from where its match begins.
      if (match_position >= 0 && group_position >= 0 && !group_text.empty()) {
        FUZZ_CHECK(group_position >= match_position);
      }
    }
  }
  FUZZ_CHECK(regex.match_text(count + 1).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the mode and the flags.
  const bool any_pattern = (data[0] & 1) != 0;
  const bool case_sensitive = (data[0] & 2) != 0;
  const bool multiline = (data[0] & 4) == 0;
  const bool global = (data[0] & 8) == 0;
  const bool quote_marker = (data[0] & 16) != 0;
  const Text input(reinterpret_cast<const char*>(data + 1), size - 1);

  RegexObject regex;
  if (!any_pattern) {
    FUZZ_CHECK(regex.create(result_item_pattern, input, case_sensitive, multiline, global));
    if (!global) FUZZ_CHECK(regex.match_count() <= 1);
    if (regex.match_count() > 0) FUZZ_CHECK(regex.submatch_count() == 2);
    check_matches(regex, input, 2);
    return 0;
  }

  const Text pattern = input.substr(0, input.find('\0'));
  if (!regex.create(pattern, result_page_line, case_sensitive, multiline, global, quote_marker)) {
    FUZZ_CHECK(regex.match_count() == 0);
    FUZZ_CHECK(regex.match_text(1).empty());
    FUZZ_CHECK(regex.submatch_text(1, 1).empty());
    FUZZ_CHECK(regex.submatch_count() == 0);
    return 0;
  }
  check_matches(regex, result_page_line, regex.submatch_count());
  return 0;
}
