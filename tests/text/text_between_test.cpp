#include "text/text_between.h"

#include <gtest/gtest.h>

#include "text/gbk_literal.h"

namespace {

struct BetweenCase {
  Text text;
  Text first_marker;
  Text second_marker;
  int start_position;
  bool ignore_case;
  Text expected;
};

TEST(TextBetween, CutsTheValueAsTheTableSays) {
  const BetweenCase cases[] = {
      {"User-Agent: abc\r\nAccept: x", "User-Agent:", "\r\n", 1, false, " abc"},
      {"a=1; b=2", "a=", ";", 1, false, "1"},
      {"a=1; b=2", "a=", "z", 1, false, ""},
      {"a=1; b=2", "z=", ";", 1, false, ""},
      {"x;;", "x", ";", 1, false, ""},
      {"abc", "c", ";", 1, false, ""},
      {"<a href=\"u\">t</a>", "href="_gbk + "#引号"_gbk, "#引号"_gbk, 1, false, "u"},
      {";x;y;", ";", ";", 2, false, "y"},
      {";x;y;", ";", ";", 9, false, ""},
      {"ABC=1;", "abc=", ";", 1, true, "1"},
      {"ABC=1;", "abc=", ";", 1, false, ""},
      {"abc", "a", "", 1, false, ""},
      {"abc;def", "", ";", 1, false, "abc"},
      {"", "a", "b", 1, false, ""},
      {"", "", "", 1, false, ""},
      // 0 and negative start positions mean the first byte.
      {";x;y;", ";", ";", 0, false, "x"},
      {";x;y;", ";", ";", -5, false, "x"},
      // Nothing is trimmed, and the value may hold the first marker again.
      {"[a[b]", "[", "]", 1, false, "a[b"},
  };
  for (const BetweenCase& c : cases) {
    EXPECT_EQ(text_between(c.text, c.first_marker, c.second_marker, c.start_position,
                           c.ignore_case),
              c.expected)
        << "text=" << c.text << " first=" << c.first_marker << " second=" << c.second_marker;
  }
}

TEST(TextBetween, FindsMarkersOnlyWhereACharacterBegins) {
  // B0 41 is one two-byte character whose second byte is "A"; the marker "A=" must not be
  // found inside it, only at the real "A=" further on.
  const Text text = "\xB0" "A=1;A=2;";
  EXPECT_EQ(text_between(text, "A=", ";"), "2");
}

TEST(TextBetween, CutsTheMagnetLinkBetweenTheDetailPageMarkers) {
  const Text page = "x BTUP在线观看</a>\r\n<a href=\"magnet:?xt=urn:btih:ab\">磁力链接</a> y"_gbk;
  EXPECT_EQ(text_between(page, "BTUP在线观看</a>\r\n<a href=\""_gbk, "\">磁力链接</a>"_gbk),
            "magnet:?xt=urn:btih:ab");
}

}  // namespace
