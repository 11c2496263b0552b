#include "platform/regexp_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct Found {
  std::u16string text;
  std::int32_t first_index;
  friend bool operator==(const Found&, const Found&) = default;
  friend void PrintTo(const Found& found, std::ostream* out) {
    *out << "{" << ::testing::PrintToString(found.text) << " at " << found.first_index << "}";
  }
};

// Every engine test runs with the JIT and with the interpreter: the two must agree.
class Engine : public ::testing::TestWithParam<bool> {
 protected:
  RegexpOptions options(bool global = true, bool ignore_case = false, bool multiline = false) {
    RegexpOptions chosen;
    chosen.global = global;
    chosen.ignore_case = ignore_case;
    chosen.multiline = multiline;
    chosen.use_jit = GetParam();
    return chosen;
  }

  std::optional<RegexpMatches> execute(std::u16string_view pattern, std::u16string subject,
                                       const RegexpOptions& chosen) {
    return regexp_execute(pattern, chosen, std::make_shared<const std::u16string>(subject));
  }

  std::vector<Found> found(std::u16string_view pattern, std::u16string subject,
                           const RegexpOptions& chosen) {
    std::vector<Found> all;
    const auto matches = execute(pattern, std::move(subject), chosen);
    if (!matches) return {{u"<does not compile>", -1}};
    for (std::size_t i = 0; i < matches->count(); ++i) {
      all.push_back({std::u16string(matches->text(i)), matches->start(i)});
    }
    return all;
  }
};

INSTANTIATE_TEST_SUITE_P(JitAndInterpreter, Engine, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "jit" : "interpreter"; });

struct DialectCase {
  const char* what;
  std::u16string pattern;
  std::u16string subject;
  bool ignore_case;
  bool multiline;
  std::vector<Found> expected;
};

TEST_P(Engine, FollowsThePlatformDialect) {
  const std::vector<DialectCase> cases = {
      {"dot stops at a line feed",
       u"a.c",
       u"a\nc a\rc a\0c"s,
       false,
       false,
       {{u"a\rc", 4}, {std::u16string(u"a\0c", 3), 8}}},
      {"caret and dollar at line feeds with multiline",
       u"^b$",
       u"a\nb\nc",
       false,
       true,
       {{u"b", 2}}},
      {"caret and dollar only at the ends without", u"^b$", u"a\nb\nc", false, false, {}},
      {"dollar without multiline ignores a final line feed", u"b$", u"b\n", false, false, {}},
      {"caret with multiline after a final line feed",
       u"^",
       u"a\n",
       false,
       true,
       {{u"", 0}, {u"", 2}}},
      {"case ignored",
       u"<A HREF",
       u"<a href <A HREF",
       true,
       false,
       {{u"<a href", 0}, {u"<A HREF", 8}}},
      {"case kept", u"<A HREF", u"<a href <A HREF", false, false, {{u"<A HREF", 8}}},
      {"letters beyond ASCII fold",
       u"é[ａ-ｃ]σ",
       u"ÉＢΣ éｂς",
       true,
       false,
       {{u"ÉＢΣ", 0}, {u"éｂς", 4}}},
      {"classes stay ASCII", u"\\w\\d\\s", u"é١\u3000 a1 ", true, false, {{u"a1 ", 4}}},
      {"an empty match moves on by one unit",
       u"x*",
       u"axxb",
       false,
       false,
       {{u"", 0}, {u"xx", 1}, {u"", 3}, {u"", 4}}},
      {"no second try at the place of an empty match", u"(?=b)|b", u"b", false, false, {{u"", 0}}},
      {"unicode and hex escapes", u"\\u4E2D\\x41", u"中A", false, false, {{u"中A", 0}}},
      {"any character class", u"a[^]b", u"a\nb", false, false, {{u"a\nb", 0}}},
      {"a lone surrogate is one unit",
       u"\\uD800.",
       u"x\xD800y\xDC00",
       false,
       false,
       {{u"\xD800y", 1}}},
      {"nothing matches in an empty subject", u"a", u"", false, false, {}},
      {"an empty pattern matches once in an empty subject", u"", u"", false, false, {{u"", 0}}},
      {"the lazy anchor pattern",
       u"<a href=\"(.*?)\">(.*?)</a></li><li>",
       u"<li><a href=\"1\">一</a></li><li><a href=\"2\">二</a></li></ul>\n<li><A "
       u"HREF=\"3\">三</A></LI><LI>",
       true,
       true,
       {{u"<a href=\"1\">一</a></li><li>", 4}, {u"<A HREF=\"3\">三</A></LI><LI>", 62}}},
  };
  for (const DialectCase& test : cases) {
    EXPECT_EQ(found(test.pattern, test.subject, options(true, test.ignore_case, test.multiline)),
              test.expected)
        << test.what;
  }
}

TEST_P(Engine, WithoutGlobalOnlyTheFirstMatchIsTaken) {
  EXPECT_EQ(found(u"\\d", u"a1b2", options(false)), (std::vector<Found>{{u"1", 1}}));
}

TEST_P(Engine, GroupsAreNumberedByTheirOpeningParenthesesAndMayBeUnset) {
  const auto matches = execute(u"((a)|(b))(c)?", u"b", options());
  ASSERT_TRUE(matches);
  ASSERT_EQ(matches->count(), 1u);
  EXPECT_EQ(matches->group_count, 4u);
  EXPECT_EQ(matches->text(0, 1), u"b");
  EXPECT_EQ(matches->start(0, 2), -1);
  EXPECT_EQ(matches->text(0, 2), u"");
  EXPECT_EQ(matches->text(0, 3), u"b");
  EXPECT_EQ(matches->start(0, 4), -1);
}

TEST_P(Engine, InvalidPatternsFail) {
  for (const std::u16string pattern : {u"(", u"a)", u"[a", u"a{2,1}", u"\\", u"*a", u"(?<=a+)b"}) {
    EXPECT_FALSE(execute(pattern, u"aaa", options())) << ::testing::PrintToString(pattern);
    EXPECT_FALSE(regexp_replace(pattern, options(), u"aaa", u"x"));
  }
}

TEST_P(Engine, ReplaceUnderstandsTheReplacementSyntax) {
  struct ReplaceCase {
    std::u16string pattern;
    std::u16string replacement;
    std::u16string expected;
  };
  // Subject "ab-cd-": two matches of "(\w)(\w)-".
  const std::vector<ReplaceCase> cases = {
      {u"(\\w)(\\w)-", u"$2$1+", u"ba+dc+"},
      {u"(\\w)(\\w)-", u"[$&]", u"[ab-][cd-]"},
      {u"(\\w)(\\w)-", u"<$`>", u"<><ab->"},
      {u"(\\w)(\\w)-", u"<$'>", u"<cd-><>"},
      {u"(\\w)(\\w)-", u"$$1", u"$1$1"},
      {u"(\\w)(\\w)-", u"$0$3$", u"$0$3$$0$3$"},
      {u"(\\w)(\\w)-", u"$10", u"a0c0"},
      {u"(\\w)(\\w)(x)?-", u"[$3]", u"[][]"},
      {u"(a)(b)(-)(c)(d)(-)(7)?(8)?(9)?(10)?(11)?(12)?", u"$12|$06", u"|-"},
      {u"(((((((((((b)))))))))))", u"$11$111", u"abb1-cd-"},
      {u"z", u"$1", u"ab-cd-"},
  };
  for (const ReplaceCase& test : cases) {
    EXPECT_EQ(regexp_replace(test.pattern, options(), u"ab-cd-", test.replacement), test.expected)
        << ::testing::PrintToString(test.pattern) << " "
        << ::testing::PrintToString(test.replacement);
  }
  EXPECT_EQ(regexp_replace(u"\\w", options(false), u"ab", u"x"), u"xb") << "only the first";
  EXPECT_EQ(regexp_replace(u"", options(), u"ab", u"-"), u"-a-b-");
}

// A line that opens anchor after anchor and only completes the pattern at its very end: every
// attempt on it scans the rest of the line again and again, far beyond any real page's needs.
std::u16string hostile_line(std::size_t anchors) {
  std::u16string line;
  for (std::size_t i = 0; i < anchors; ++i) line += u"<a href=\"x\">y</a>";
  return line + u"</a></li><li>\n";
}

std::u16string hit(char16_t number) {
  return u"<li><a href=\"" + std::u16string(1, number) + u"\">t</a></li><li>\n";
}

TEST_P(Engine, AnAttemptBeyondTheWorkBoundGivesUpItsLineAndTheSearchGoesOn) {
  const std::u16string pattern = u"<a href=\"(.*?)\">(.*?)</a></li><li>";
  const std::u16string page =
      hit(u'1') + hit(u'2') + hostile_line(5'000) + hit(u'3') + hostile_line(5'000) + hit(u'4');
  const auto matches = execute(pattern, page, options(true, true, true));
  ASSERT_TRUE(matches);
  std::u16string links;
  for (std::size_t i = 0; i < matches->count(); ++i) links += matches->text(i, 1);
  EXPECT_EQ(links, u"1234");

  RegexpOptions unbounded = options(true, true, true);
  unbounded.match_limit = 100'000'000;
  const auto all = execute(pattern, hit(u'1') + hostile_line(300), unbounded);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->count(), 2u) << "without the bound the long line is one match";
}

TEST_P(Engine, TheBoundCountsEachAttemptOnItsOwn) {
  // Fifty thousand attempts that fail at once, then a hit on the same line.
  std::u16string line;
  for (int i = 0; i < 50'000; ++i) line += u"<b>x</b>";
  line += u"<a href=\"L\">T</a></li><li>";
  const auto matches = execute(u"<a href=\"(.*?)\">(.*?)</a></li><li>", line, options());
  ASSERT_TRUE(matches);
  ASSERT_EQ(matches->count(), 1u);
  EXPECT_EQ(matches->text(0, 1), u"L");
}

}  // namespace
