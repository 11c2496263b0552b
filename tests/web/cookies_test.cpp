#include "web/cookies.h"

#include <gtest/gtest.h>

#include "text/gbk_literal.h"

namespace {

struct MergeCase {
  Text cookies;
  Text new_cookies;
  Text merged;
  Text new_cookies_after;
};

TEST(MergeCookies, FoldsTheNewCookiesIntoTheOldOnes) {
  const MergeCase cases[] = {
      {"", "a=1; b=2", "a=1; b=2", "a=1;b=2"},
      {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1", "b=3;c=4"},
      {"a=1; b=2", "", "a=1; b=2", ""},
      {"a=1; b=2", "b=deleted", "a=1", "b=deleted"},
      {"a=1;a=2", "c=3", "c=3; a=1", "c=3"},
      {"a=1", "c=3;c=4", "c=3; c=4; a=1", "c=3;c=4"},
      {"a=1", "c=3; c=3", "c=3; a=1", "c=3;c=3"},
      {"a=1", "A=2", "A=2; a=1", "A=2"},
      {"a=1", "a=DELETED", "a=DELETED", "a=DELETED"},
      {"k=x=y", "k=z", "k=z", "k=z"},
      {"a = 1", "b=2", "b=2; a=1", "b=2"},
      {"a=x y", "", "a=xy", ""},
      {"x=1;;y=2", "", "x=1; ; y=2", ""},
      {"a=1;", "b=2;", "b=2; a=1", "b=2;"},
      {"=deleted", "", "", ""},
      {"", "", "", ""},
      // A deleted old item goes, and the old items behind it stay.
      {"a=deleted; b=2", "c=3", "c=3; b=2", "c=3"},
      // Only the first old item of a name is added, even when a later one is deleted.
      {"a=1; a=deleted", "", "a=1", ""},
      // Full-width spaces go like ASCII ones; tabs are not spaces here.
      {"a=１　2"_gbk, "b=\t3", "b=\t3; a=１2"_gbk, "b=\t3"},
      // An item without "=" is named by itself.
      {"flag; a=1", "flag", "flag; a=1", "flag"},
  };
  for (const MergeCase& c : cases) {
    Text cookies = c.cookies;
    Text new_cookies = c.new_cookies;
    EXPECT_EQ(merge_cookies(cookies, new_cookies), c.merged)
        << "cookies=" << c.cookies << " new=" << c.new_cookies;
    EXPECT_EQ(cookies, c.merged) << "cookies=" << c.cookies << " new=" << c.new_cookies;
    EXPECT_EQ(new_cookies, c.new_cookies_after)
        << "cookies=" << c.cookies << " new=" << c.new_cookies;
  }
}

TEST(MergeCookies, SplitsOnlyWhereACharacterBegins) {
  // 81 3B is one character whose second byte is ";", so "a=\x81;b=2" is a single item.
  Text cookies = "a=\x81;b=2";
  Text new_cookies = "b=3";
  EXPECT_EQ(merge_cookies(cookies, new_cookies), "b=3; a=\x81;b=2");
}

TEST(MergeCookies, ManyDistinctItemsMergeInLinearTime) {
  // Quadratic look-ups would take the names of about 10^9 items apart here.
  const int count = 30000;
  Text cookies;
  Text new_cookies;
  Text expected;
  for (int i = 0; i < count; ++i) {
    cookies += "o" + std::to_string(i) + "=1;";
    new_cookies += "n" + std::to_string(i) + "=2;";
  }
  for (int i = 0; i < count; ++i) expected += "n" + std::to_string(i) + "=2; ";
  for (int i = 0; i < count; ++i) expected += "o" + std::to_string(i) + "=1; ";
  expected.resize(expected.size() - 2);
  EXPECT_EQ(merge_cookies(cookies, new_cookies), expected);
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
  const std::pair<Text, Text> cases[] = {
      {"a=1", "a"},
      {" a =1", "a"},
      {"k=x=y", "k"},
      {"=v", ""},
      {"flag", "flag"},
      {"", ""},
      {"　Ａ　=1"_gbk, "Ａ"_gbk},
      {"\x81=a=1", "\x81=a"},  // the "=" behind the lead byte is that character's second byte
  };
  for (const auto& [item, name] : cases) EXPECT_EQ(cookie_name(item), name) << "item=" << item;
}

TEST(HasCookieNamed, ComparesNamesAsExactBytes) {
  const TextArray items = {"a=1", " b =2", "flag", "=x"};
  EXPECT_TRUE(has_cookie_named(items, "a"));
  EXPECT_TRUE(has_cookie_named(items, "b"));
  EXPECT_TRUE(has_cookie_named(items, "flag"));
  EXPECT_TRUE(has_cookie_named(items, ""));
  EXPECT_FALSE(has_cookie_named(items, "A"));
  EXPECT_FALSE(has_cookie_named(items, "a=1"));
  EXPECT_FALSE(has_cookie_named({}, ""));
}

TEST(UniqueItems, KeepsTheFirstOccurrenceOfEachItem) {
  struct Case {
    Text text;
    Text separator;
    Text expected;
  };
  const Case cases[] = {
      {"a; b; a; ; ; c", "; ", "a; b; ; c"},
      {"", "; ", ""},
      {"a; a; ", "; ", "a"},
      {"; ; a", "; ", "; a"},
      {"a;A;a", ";", "a;A"},
      {"a,b", "", "a,b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(unique_items(c.text, c.separator), c.expected) << "text=" << c.text;
  }
}

TEST(ItemIndex, AnswersTheFirstOneBasedPositionOrMinusOne) {
  const TextArray items = {"a", "", "b", "a"};
  EXPECT_EQ(item_index(items, "a"), 1);
  EXPECT_EQ(item_index(items, ""), 2);
  EXPECT_EQ(item_index(items, "b"), 3);
  EXPECT_EQ(item_index(items, "A"), -1);
  EXPECT_EQ(item_index({}, "a"), -1);
}

}  // namespace
