#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::u16string to_wide(unsigned code_page, const std::string& bytes, int count) {
  char16_t buffer[64] = {};
  const int written = MultiByteToWideChar(code_page, 0, bytes.data(), count, buffer, 64);
  return std::u16string(buffer, static_cast<std::size_t>(written));
}

std::string to_multibyte(unsigned code_page, std::uint32_t flags, const std::u16string& units,
                         int count) {
  char buffer[64] = {};
  const int written = WideCharToMultiByte(code_page, flags, units.data(), count, buffer, 64);
  return std::string(buffer, static_cast<std::size_t>(written));
}

struct ToWideCase {
  unsigned code_page;
  std::string bytes;
  int count;
  std::u16string expected;
};

TEST(MultiByteToWideChar, MapsGbkAndUtf8AndReplacesInvalidInput) {
  const ToWideCase cases[] = {
      {CP_GBK, "\xB6\xBE\xD5\xBD", 4, u"\u6BD2\u6218"},
      {CP_ACP, "\xB6\xBE\xD5\xBD", 4, u"\u6BD2\u6218"},
      {CP_GBK, "\x80", 1, u"\u20AC"},
      {CP_UTF8, "\xE6\xAF\x92", 3, u"\u6BD2"},
      {CP_UTF8,
       "\xFF"
       "A",
       2,
       u"\uFFFD"
       "A"},
      {CP_UTF8,
       "\xE6\xAF"
       "A",
       3,
       u"\uFFFD"
       "A"},
      {CP_GBK, "A\x81", 2, u"A\uFFFD"},
      // -1 reads up to the NUL and converts it too; an explicit count converts NULs like others.
      {CP_GBK, std::string("AB\0C", 4), -1, std::u16string(u"AB\0", 3)},
      {CP_GBK, std::string("AB\0C", 4), 4, std::u16string(u"AB\0C", 4)},
  };
  for (const ToWideCase& c : cases) {
    EXPECT_EQ(to_wide(c.code_page, c.bytes, c.count), c.expected)
        << "code_page=" << c.code_page << " count=" << c.count;
  }
}

struct ToMultiByteCase {
  unsigned code_page;
  std::uint32_t flags;
  std::u16string units;
  int count;
  std::string expected;
};

TEST(WideCharToMultiByte, MapsGbkAndUtf8AndUsesTheDefaultCharacter) {
  const ToMultiByteCase cases[] = {
      {CP_GBK, 0, u"\u6BD2\u6218", 2, "\xB6\xBE\xD5\xBD"},
      {CP_ACP, 0, u"\u20AC", 1, "\x80"},
      {CP_UTF8, 0, u"\u6BD2", 1, "\xE6\xAF\x92"},
      {CP_GBK, 0,
       u"\uAC00"
       "A",
       2, "?A"},
      {CP_UTF8, 0, u"\xD800", 1, "\xEF\xBF\xBD"},
      {CP_GBK, WC_COMPOSITECHECK, u"e\u0301", 2, "\xA8\xA6"},
      {CP_GBK, 0, u"e\u0301", 2, "e?"},
      // The check composes only a base and its marks; the CJK compatibility ideograph U+F900
      // would turn into U+8C48 under full composition, and GBK has only the latter.
      {CP_GBK, WC_COMPOSITECHECK, u"\uF900", 1, "?"},
      {CP_GBK, 0, u"AB", -1, std::string("AB\0", 3)},
  };
  for (const ToMultiByteCase& c : cases) {
    EXPECT_EQ(to_multibyte(c.code_page, c.flags, c.units, c.count), c.expected)
        << "code_page=" << c.code_page << " flags=" << c.flags << " count=" << c.count;
  }
}

TEST(CodePageConverter, SizeQueryAnswersWhatTheConversionWrites) {
  const std::string gbk = "\xB6\xBE\xD5\xBD";
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), 4, nullptr, 0), 2);
  char16_t units[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, units, 3), 3);
  EXPECT_EQ(std::u16string(units, 3), std::u16string(u"\u6BD2\u6218\0", 3));

  const std::u16string wide = u"\u6BD2\u6218";
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0), 7);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide.c_str(), 2, nullptr, 0), 4);
  char bytes[7] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, bytes, 7), 7);
  EXPECT_EQ(std::string(bytes, 7), std::string("\xE6\xAF\x92\xE6\x88\x98\0", 7));
}

TEST(CodePageConverter, TooSmallAnOutputWritesWholeCharactersAndAnswersZero) {
  const std::string gbk = "\xB6\xBE\xD5\xBD";
  char16_t units[2] = {u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, gbk.c_str(), -1, units, 2), 0);
  EXPECT_EQ(std::u16string(units, 2), u"\u6BD2\u6218");

  // A surrogate pair is never split.
  const std::string emoji = "\xF0\x9F\x98\x80";
  char16_t one_unit[1] = {u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, emoji.c_str(), 4, one_unit, 1), 0);
  EXPECT_EQ(one_unit[0], u'x');

  // Nor is a two-byte GBK character or a three-byte UTF-8 one.
  const std::u16string wide = u"\u6BD2\u6218";
  char gbk_bytes[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide.c_str(), 2, gbk_bytes, 3), 0);
  EXPECT_EQ(std::string(gbk_bytes, 4), "\xB6\xBExx");
  char utf8_bytes[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), 2, utf8_bytes, 5), 0);
  EXPECT_EQ(std::string(utf8_bytes, 6), "\xE6\xAF\x92xxx");
}

TEST(CodePageConverter, RefusesWhatItCannotDo) {
  const std::string text = "A";
  char16_t unit = u'x';
  char byte = 'x';
  const std::u16string wide = u"A";
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text.c_str(), -1, &unit, 1), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text.c_str(), 0, &unit, 1), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, nullptr, -1, &unit, 1), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, text.c_str(), -2, &unit, 1), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide.c_str(), -1, &byte, 1), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, wide.c_str(), 0, &byte, 1), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, 0, nullptr, -1, &byte, 1), 0);
  EXPECT_EQ(unit, u'x');
  EXPECT_EQ(byte, 'x');
}

// Each thread remembers its last size query; a later conversion of different input, or of the
// same input in another code page, must not be answered from it.
TEST(CodePageConverter, ASizeQueryDoesNotLeakIntoTheNextConversion) {
  const std::string first = "\xB6\xBE";
  const std::string second = "\xD5\xBD";
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, first.c_str(), -1, nullptr, 0), 2);
  EXPECT_EQ(to_wide(CP_GBK, second, -1), std::u16string(u"\u6218\0", 2));
  EXPECT_EQ(MultiByteToWideChar(CP_GBK, 0, first.c_str(), -1, nullptr, 0), 2);
  EXPECT_EQ(to_wide(CP_UTF8, first, -1), std::u16string(u"\uFFFD\uFFFD\0", 3));

  const std::u16string accent = u"e\u0301";
  EXPECT_EQ(WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, accent.c_str(), 2, nullptr, 0), 2);
  EXPECT_EQ(to_multibyte(CP_GBK, 0, accent, 2), "e?");
}

int converted_unit_count(unsigned code_page, const std::string& bytes) {
  std::u16string units(bytes.size() + 1, u'\0');
  return MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()),
                             units.data(), static_cast<int>(units.size()));
}

// The GBK size query counts instead of converting; it must agree with the conversion on every
// byte pair (alone, and before a byte that could be a trail byte or not) and on random bytes.
TEST(CodePageConverter, GbkSizeQueryAgreesWithTheConversion) {
  for (int lead = 0; lead < 256; ++lead) {
    for (int trail = 0; trail < 256; ++trail) {
      for (const std::string& tail : {std::string(), std::string("A"), std::string("\x81")}) {
        const std::string bytes =
            std::string{static_cast<char>(lead), static_cast<char>(trail)} + tail;
        const int query = MultiByteToWideChar(CP_GBK, 0, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, 0);
        ASSERT_EQ(query, converted_unit_count(CP_GBK, bytes)) << std::hex << lead << " " << trail;
      }
    }
  }
  std::minstd_rand random(7);
  for (int round = 0; round < 4000; ++round) {
    std::string bytes(1 + random() % (round < 2000 ? 24 : 300), '\0');
    for (char& byte : bytes)
      byte = static_cast<char>(random() % 3 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
    ASSERT_EQ(
        MultiByteToWideChar(CP_GBK, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0),
        converted_unit_count(CP_GBK, bytes));
  }
}

}  // namespace
