#include "text/text_search.h"

#include <gtest/gtest.h>

#include "text/gbk_literal.h"

namespace {

TEST(GbkLiteral, IsGbkAtRunTime) {
  EXPECT_EQ("毒战"_gbk, "\xB6\xBE\xD5\xBD");
  EXPECT_EQ("a（b）"_gbk, "a\xA3\xA8" "b\xA3\xA9");
  EXPECT_EQ("plain ascii"_gbk, "plain ascii");
  EXPECT_EQ(""_gbk, "");
}

struct FindCase {
  Text text;
  Text marker;
  int start;
  bool ignore_case;
  int expected;
};

TEST(FindText, AnswersOneBasedPositionsOrMinusOne) {
  const FindCase cases[] = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "C", 1, false, -1},
      {"abcabc", "C", 1, true, 3},
      {"abc", "x", 1, false, -1},
      {"abc", "c", 4, false, -1},        // beyond the end
      {"abc", "", 2, false, 1},          // an empty marker answers 1, not the start
      {"abc", "", 4, false, -1},         // ... unless nothing is left to search
      {"", "", 1, false, -1},
      {"abc", "a", 0, false, 1},         // 0 and below mean 1
      {"abc", "a", -3, false, 1},
      {"\xB0" "A", "A", 1, false, -1},   // "A" is the second byte of a character
      {"\xB0" "AA", "A", 1, false, 3},
      {"\xB0" "A", "A", 2, false, 2},    // characters are counted from the start position
      {"\xC4\xE3", "\xE3", 1, true, -1},  // only ASCII letters fold; bytes above stay exact
      {"ab", "abc", 1, false, -1},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(find_text(c.text, c.marker, c.start, c.ignore_case), c.expected)
        << "text=" << c.text << " marker=" << c.marker << " start=" << c.start;
  }
}

TEST(TextShaping, LowersAsciiLettersOnly) {
  EXPECT_EQ(to_lower_ascii("AbC-Z\xC4\xE3"), "abc-z\xC4\xE3");
}

TEST(TextShaping, TrimsAsciiAndFullWidthSpacesOnly) {
  const Text full_width_space = "\xA1\xA1";
  EXPECT_EQ(trim_spaces("  a b  "), "a b");
  EXPECT_EQ(trim_spaces(full_width_space + " x" + full_width_space), "x");
  EXPECT_EQ(trim_spaces("\ta\r\n"), "\ta\r\n");
  EXPECT_EQ(trim_spaces("   "), "");
  EXPECT_EQ(trim_spaces(""), "");
  // B0 A1 is a character whose second byte is A1: the A1 A1 that straddles it is no space.
  EXPECT_EQ(trim_spaces("x\xB0\xA1\xA1"), "x\xB0\xA1\xA1");
}

TEST(TextShaping, RemovesEverySpace) {
  EXPECT_EQ(remove_spaces("a = x y; \xA1\xA1" "b"), "a=xy;b");
  EXPECT_EQ(remove_spaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
}

TEST(TextShaping, SplitsAtASeparator) {
  EXPECT_EQ(split_text("", ";"), TextArray{});
  EXPECT_EQ(split_text("a", ";"), TextArray{"a"});
  EXPECT_EQ(split_text("a;b", ";"), (TextArray{"a", "b"}));
  EXPECT_EQ(split_text(";a;;b;", ";"), (TextArray{"", "a", "", "b"}));
  EXPECT_EQ(split_text("a; b; ", "; "), (TextArray{"a", "b"}));
  EXPECT_EQ(split_text(";", ";"), TextArray{""});
}

TEST(TextShaping, JoinsAndReplaces) {
  EXPECT_EQ(join_texts({"a", "", "b"}, "; "), "a; ; b");
  EXPECT_EQ(join_texts({}, "; "), "");
  EXPECT_EQ(replace_all("aaa", "aa", "b"), "ba");
  EXPECT_EQ(replace_all("abc", "", "x"), "abc");
  EXPECT_EQ(replace_quote_markers("href=#引号u#引号"_gbk), "href=\"u\"");
}

}  // namespace
