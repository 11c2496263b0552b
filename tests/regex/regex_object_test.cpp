#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>
#include <vector>

#include "text/gbk_literal.h"

namespace {

// The one pattern the tool runs over result pages.
const Text result_item_pattern = "<a href=\"(.*?)\">(.*?)</a></li><li>";

// A result page in the site's markup: two hits, then a last item that no "<li>" follows.
const Text& result_page() {
  static const Text page =
      "<html><head><title>毒战 搜索结果</title></head><body>\n"
      "<ul class=\"list\"><li><a href=\"/hash/AAA.html\">毒战 BD1080P 国语中字</a></li>"
      "<li><a href=\"/hash/BBB.html\"><b>毒战</b> 高清</a></li>"
      "<li><a href=\"/hash/CCC.html\">毒战.2013</a></li></ul>\n"
      "</body></html>\n"_gbk;
  return page;
}

const Text& capitals_page() {
  static const Text page =
      "<UL><LI><A HREF=\"/hash/DDD.html\">毒战 TS</A></LI><LI><A HREF=\"/hash/EEE.html\">毒战 "
      "HD</A></LI><LI>\n"_gbk;
  return page;
}

TEST(RegexObject, FindsEveryHitOfAResultPageWithItsLinkAndTitle) {
  RegexObject regex;
  EXPECT_TRUE(regex.create(result_item_pattern, result_page()));
  ASSERT_EQ(regex.match_count(), 2);
  EXPECT_EQ(regex.submatch_count(), 2);
  EXPECT_EQ(regex.submatch_text(1, 2), "毒战 BD1080P 国语中字"_gbk);
  EXPECT_EQ(regex.submatch_text(1, 1), "/hash/AAA.html");
  EXPECT_EQ(regex.submatch_text(2, 2), "<b>毒战</b> 高清"_gbk);
  EXPECT_EQ(regex.submatch_text(2, 1), "/hash/BBB.html");
  EXPECT_EQ(regex.match_text(2), "<a href=\"/hash/BBB.html\"><b>毒战</b> 高清</a></li><li>"_gbk);
}

TEST(RegexObject, IgnoresTheCaseOfLettersByDefault) {
  RegexObject regex;
  EXPECT_TRUE(regex.create(result_item_pattern, capitals_page()));
  ASSERT_EQ(regex.match_count(), 2);
  EXPECT_EQ(regex.submatch_text(2, 2), "毒战 HD"_gbk);
  EXPECT_TRUE(regex.create(result_item_pattern, capitals_page(), true));
  EXPECT_EQ(regex.match_count(), 0);
}

TEST(RegexObject, ASubjectWithoutMatchesStillCounts) {
  RegexObject regex;
  EXPECT_TRUE(regex.create(result_item_pattern, "<html><body>没有结果</body></html>"_gbk));
  EXPECT_EQ(regex.match_count(), 0);
  EXPECT_EQ(regex.submatch_count(), 0);
  EXPECT_EQ(regex.submatch_text(1, 1), "");
}

TEST(RegexObject, AnInvalidPatternLeavesNoMatchesBehind) {
  RegexObject regex;
  ASSERT_TRUE(regex.create(result_item_pattern, result_page()));
  ASSERT_EQ(regex.match_count(), 2);
  for (const Text pattern : {"<a href=\"(.*?\">", "[a", "a{2,1}", "*a"}) {
    EXPECT_FALSE(regex.create(pattern, result_page())) << pattern;
    EXPECT_EQ(regex.match_count(), 0);
    EXPECT_EQ(regex.submatch_count(), 0);
    EXPECT_EQ(regex.match_text(1), "");
    EXPECT_EQ(regex.submatch_text(1, 1), "");
    EXPECT_EQ(regex.replace("x"), "");
    EXPECT_EQ(regex.pattern_text(), pattern) << "the engine keeps the pattern it was given";
  }
}

TEST(RegexObject, BeforeTheFirstCreateEveryReadIsEmpty) {
  RegexObject regex;
  int position = 99;
  EXPECT_EQ(regex.match_count(), 0);
  EXPECT_EQ(regex.submatch_count(), 0);
  EXPECT_EQ(regex.match_text(1, &position), "");
  EXPECT_EQ(position, -2);
  EXPECT_EQ(regex.submatch_text(1, 1), "");
  EXPECT_EQ(regex.pattern_text(), "");
  EXPECT_EQ(regex.replace("x"), "");
}

TEST(RegexObject, OptionsChangeWhatMatches) {
  struct OptionCase {
    const char* what;
    Text pattern;
    Text subject;
    bool case_sensitive, multiline, global;
    int expected_count;
  };
  const std::vector<OptionCase> cases = {
      {"all matches by default", "<li>", result_page(), false, true, true, 3},
      {"only the first without global", "<li>", result_page(), false, true, false, 1},
      {"dot stops at a line feed", "a(.*?)b", "a\nb", false, true, true, 0},
      {"dot takes anything else", "a(.*?)b", "a\t中\rb"_gbk, false, true, true, 1},
      {"anchors at line feeds by default", "^b$", "a\nb\nc", false, true, true, 1},
      {"anchors at the ends without multiline", "^b", "a\nb", false, false, true, 0},
      {"case kept on request", "<A HREF", "<a href", true, true, true, 0},
  };
  for (const OptionCase& test : cases) {
    RegexObject regex;
    EXPECT_TRUE(
        regex.create(test.pattern, test.subject, test.case_sensitive, test.multiline, test.global))
        << test.what;
    EXPECT_EQ(regex.match_count(), test.expected_count) << test.what;
  }
}

TEST(RegexObject, TheQuoteMarkerStandsForADoubleQuoteOnlyOnRequest) {
  const Text marked_pattern = "<a href=#引号(.*?)#引号>"_gbk;
  const Text quoted = "<a href=\"/x.html\">";
  const Text marked = "<a href=#引号/y.html#引号>"_gbk;
  RegexObject regex;

  EXPECT_TRUE(regex.create(marked_pattern, quoted + marked, false, true, true, true));
  ASSERT_EQ(regex.match_count(), 1);
  EXPECT_EQ(regex.submatch_text(1, 1), "/x.html");
  EXPECT_EQ(regex.pattern_text(), "<a href=\"(.*?)\">");

  EXPECT_TRUE(regex.create(marked_pattern, quoted + marked));
  ASSERT_EQ(regex.match_count(), 1);
  EXPECT_EQ(regex.submatch_text(1, 1), "/y.html");
  EXPECT_EQ(regex.pattern_text(), marked_pattern);
}

TEST(RegexObject, NumbersOutsideTheMatchesAndGroupsAnswerEmptyText) {
  RegexObject regex;
  ASSERT_TRUE(regex.create(result_item_pattern, result_page()));
  for (const int match : {0, -1, 3, 1000, std::numeric_limits<int>::min()}) {
    EXPECT_EQ(regex.match_text(match), "") << match;
    EXPECT_EQ(regex.submatch_text(match, 1), "") << match;
  }
  for (const int group : {0, -1, 3, std::numeric_limits<int>::min()})
    EXPECT_EQ(regex.submatch_text(1, group), "") << group;
}

struct PositionCase {
  const char* what;
  Text pattern;
  Text subject;
  std::vector<Text> texts;
  std::vector<int> positions;
};

TEST(RegexObject, PositionsAreByteOffsetsInTheGbkSubject) {
  const std::vector<PositionCase> cases = {
      {"after two Chinese characters", "abc", "中文: abc"_gbk, {"abc"}, {6}},
      {"a text repeated at once", "a", "aaa", {"a", "a", "a"}, {0, 1, 2}},
      {"a repeat after double-byte characters", "abc", "abc中文abc"_gbk, {"abc", "abc"}, {0, 7}},
      {"inside runs of double-byte characters", "x", "中中x中x"_gbk, {"x", "x"}, {4, 7}},
      {"empty matches: at once, and at the end", "b*", "ab", {"", "b", "", ""}, {0, 1, -2, -2}},
  };
  for (const PositionCase& test : cases) {
    RegexObject regex;
    ASSERT_TRUE(regex.create(test.pattern, test.subject)) << test.what;
    ASSERT_EQ(regex.match_count(), static_cast<int>(test.texts.size())) << test.what;
    for (int i = 1; i <= regex.match_count(); ++i) {
      int position = 99;
      EXPECT_EQ(regex.match_text(i, &position), test.texts[i - 1]) << test.what;
      EXPECT_EQ(position, test.positions[i - 1]) << test.what << ", match " << i;
    }
  }
}

TEST(RegexObject, AGroupsPositionIsItsFirstOccurrenceFromTheStartOfItsMatch) {
  RegexObject regex;
  ASSERT_TRUE(regex.create("a.(a)", "中zaba"_gbk));
  int position = 99;
  EXPECT_EQ(regex.submatch_text(1, 1, &position), "a");
  EXPECT_EQ(position, 3) << "the match's own first letter, not the group's later one";

  ASSERT_TRUE(regex.create(result_item_pattern, result_page()));
  const Text& page = result_page();
  EXPECT_EQ(regex.submatch_text(2, 1, &position), "/hash/BBB.html");
  EXPECT_EQ(position, static_cast<int>(page.find("/hash/BBB.html")));
  EXPECT_EQ(regex.submatch_text(2, 2, &position), "<b>毒战</b> 高清"_gbk);
  EXPECT_EQ(position, static_cast<int>(page.find("<b>")));
  EXPECT_EQ(regex.match_text(2, &position), regex.match_text(2));
  EXPECT_EQ(position, static_cast<int>(page.find("<a href=\"/hash/BBB")));
}

TEST(RegexObject, EachCreateStartsAfresh) {
  RegexObject regex;
  int position = 99;
  ASSERT_TRUE(regex.create("b", "中文b"_gbk));
  EXPECT_EQ(regex.match_text(1, &position), "b");
  EXPECT_EQ(position, 4);
  ASSERT_TRUE(regex.create("b", "xb"));
  EXPECT_EQ(regex.match_text(1, &position), "b");
  EXPECT_EQ(position, 1) << "positions in the new subject";
  EXPECT_EQ(regex.replace("<$&>"), "x<b>");
}

TEST(RegexObject, ReplaceMatchesTheStoredSubjectAfresh) {
  RegexObject regex;
  const Text subject = "甲@乙, 丙@丁。"_gbk;
  const Text pattern = "([^ ,。]+)@([^ ,。]+)"_gbk;
  ASSERT_TRUE(regex.create(pattern, subject));
  EXPECT_EQ(regex.replace("$2 在 $1"_gbk), "乙 在 甲, 丁 在 丙。"_gbk);
  EXPECT_EQ(regex.replace("[$$]"), "[$], [$]。"_gbk);
  ASSERT_TRUE(regex.create(pattern, subject, false, true, false));
  EXPECT_EQ(regex.replace("$`|"), "|, 丙@丁。"_gbk);
}

TEST(RegexObject, OddSubjectsGiveTheirDefinedResults) {
  RegexObject regex;
  EXPECT_TRUE(regex.create("a", ""));
  EXPECT_EQ(regex.match_count(), 0);
  EXPECT_EQ(regex.replace("b"), "");

  const Text with_nul("ab\0cb", 5);
  EXPECT_TRUE(regex.create("b", with_nul));
  EXPECT_EQ(regex.match_count(), 1) << "a Text ends at its first NUL";

  EXPECT_TRUE(regex.create("\\x00", "ab"));
  ASSERT_EQ(regex.match_count(), 1) << "the engine sees the terminating zero unit";
  int position = 99;
  EXPECT_EQ(regex.match_text(1, &position), "");
  EXPECT_EQ(position, -2) << "the zero unit lies beyond the GBK subject";
}

TEST(RegexObject, AHundredMegabyteSubjectIsMatchedWhole) {
  const Text line = "<li><a href=\"/hash/X.html\">毒战 第一部</a></li><li>\n"_gbk;
  Text subject;
  const std::size_t lines = 100 * 1024 * 1024 / line.size();
  subject.reserve(lines * line.size() + 64);
  for (std::size_t i = 0; i < lines; ++i) subject += line;
  subject += "<li><a href=\"/hash/last.html\">最后</a></li><li>"_gbk;

  RegexObject regex;
  ASSERT_TRUE(regex.create(result_item_pattern, subject));
  ASSERT_EQ(regex.match_count(), static_cast<int>(lines + 1));
  EXPECT_EQ(regex.submatch_text(regex.match_count(), 1), "/hash/last.html");
  EXPECT_EQ(regex.submatch_text(regex.match_count(), 2), "最后"_gbk);
}

// The component library is initialised per thread; each object pairs one initialisation with one
// uninitialisation, so the thread holds it exactly while some object lives there.
TEST(RegexObject, EachObjectHoldsAnInitialisationOfItsThread) {
  std::thread thread([] {
    EXPECT_EQ(create_object(u"VBScript.RegExp"), nullptr);
    {
      RegexObject outer;
      {
        RegexObject inner;
        EXPECT_TRUE(inner.create("a", "a"));
      }
      EXPECT_NE(create_object(u"VBScript.RegExp"), nullptr);
      EXPECT_TRUE(outer.create("a", "a"));
    }
    EXPECT_EQ(create_object(u"VBScript.RegExp"), nullptr);
    RegexObject uninitialised_by_hand;
    CoUninitialize();
    EXPECT_FALSE(uninitialised_by_hand.create("a", "a")) << "no engine, so no collection";
    EXPECT_EQ(uninitialised_by_hand.pattern_text(), "");
    CoInitialize(nullptr);
  });
  thread.join();
}

}  // namespace
