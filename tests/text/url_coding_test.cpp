#include "text/url_coding.h"

#include <gtest/gtest.h>

#include "tests/text/byte_strings.h"
#include "text/gbk_literal.h"

namespace {

struct EncodeCase {
  Text text;
  bool keep_plain;
  bool as_utf8;
  Text expected;
};

TEST(UrlEncode, EscapesEveryByteButThePlainOnesWhenAsked) {
  const EncodeCase cases[] = {
      {"毒战"_gbk, false, true, "%E6%AF%92%E6%88%98"},
      {"毒战"_gbk, false, false, "%B6%BE%D5%BD"},
      {"abc", false, true, "%61%62%63"},
      {"a-b_c.d/e~1", true, false, "a-b%5Fc.d%2Fe%7E1"},
      {"a b", true, false, "a%20b"},
      {"", false, false, ""},
      {"", true, true, ""},
      // Single-digit bytes get their leading zero; the plus sign is escaped like any byte.
      {"\n+", false, false, "%0A%2B"},
      {"AZaz09+", true, false, "AZaz09%2B"},
      // With both options the plain bytes are looked for among the UTF-8 bytes.
      {"毒-z"_gbk, true, true, "%E6%AF%92-z"},
      {"\x7F\x80\xFF", true, false, "%7F%80%FF"},
      // The Text ends at its first NUL.
      {std::string("a\0b", 3), false, false, "%61"},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(url_encode(c.text, c.keep_plain, c.as_utf8), c.expected)
        << "text=" << hex_of(c.text) << " keep_plain=" << c.keep_plain << " as_utf8=" << c.as_utf8;
  }
}

struct DecodeCase {
  Text text;
  bool from_utf8;
  Text expected;
};

TEST(UrlDecode, TakesTwoBytesAfterEveryPercentSign) {
  const DecodeCase cases[] = {
      {"%E6%AF%92%E6%88%98", true, "毒战"_gbk},
      {"%e6%af%92%e6%88%98", true, "毒战"_gbk},
      {"a%2fb", false, "a/b"},
      {"a+b", false, "a+b"},
      {"100%", false, "100"},
      {"%4", false, "@"},
      {"%1", false, "\x10"},
      {"%00", false, ""},
      {"%G1", false, "\xE1"},
      {"%4x", false, ">"},
      {"%%41", false,
       "\xE4"
       "1"},
      {"", false, ""},
      {"", true, ""},
      // A decoded zero byte is dropped and the text goes on.
      {"a%00b", false, "ab"},
      // The digits may be any bytes, even GBK lead bytes or a further "%".
      {"%\xB6\xBEz", false, "\xDEz"},
      {"%%", false, "\xE0"},
      // Unescaped UTF-8 between escapes is converted with them.
      {"<a href=\"/%E6%AF%92\">\xE6\x88\x98</a>", true, "<a href=\"/毒\">战</a>"_gbk},
      // Not UTF-8: replaced, and the rest still converts.
      {"%FFa", true, "?a"},
      {"%E6%AFa", true, "?a"},
      // Without the UTF-8 step the bytes come back as they are.
      {"%E6%AF%92", false, "\xE6\xAF\x92"},
      // The Text ends at its first NUL.
      {std::string("%41\0%42", 7), false, "A"},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(hex_of(url_decode(c.text, c.from_utf8)), hex_of(c.expected))
        << "text=" << c.text << " from_utf8=" << c.from_utf8;
  }
}

TEST(UrlCoding, DecodingUndoesEncoding) {
  const Text keyword = "毒战 2013 (BTUP) +1"_gbk;
  EXPECT_EQ(url_decode(url_encode(keyword, false, true), true), keyword);
  EXPECT_EQ(url_decode(url_encode(keyword, true, false)), keyword);
  Text every_byte;
  for (int byte = 1; byte < 256; ++byte) every_byte.push_back(static_cast<char>(byte));
  EXPECT_EQ(url_decode(url_encode(every_byte)), every_byte);
  EXPECT_EQ(url_decode(url_encode(every_byte, true)), every_byte);
}

Text repeated(const Text& piece, std::size_t count) {
  Text whole;
  whole.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) whole += piece;
  return whole;
}

TEST(UrlCodingBadInput, HandlesHundredMegabyteTexts) {
  const std::size_t size = 100'000'000;
  // Every "%" swallows the two after it, so each three become one byte -34 (0xDE); the last
  // "%" has no digits and gives the dropped zero byte.
  EXPECT_TRUE(url_decode(Text(size, '%')) == Text(size / 3, '\xDE'));

  const Text piece = "<a href=\"/%E6%AF%92\">\xE6\x88\x98</a>\n";
  const std::size_t piece_count = size / piece.size();
  EXPECT_TRUE(url_decode(repeated(piece, piece_count), true) ==
              repeated("<a href=\"/毒\">战</a>\n"_gbk, piece_count));
  EXPECT_TRUE(url_encode(Text(size, 'a'), true) == Text(size, 'a'));
}

}  // namespace
