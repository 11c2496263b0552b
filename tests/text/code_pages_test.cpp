#include "text/code_pages.h"

#include <gtest/gtest.h>

#include "tests/text/byte_strings.h"
#include "text/gbk_literal.h"

namespace {

struct GbkToUtf16Case {
  std::string text_hex;
  bool drop_terminator;
  std::string expected_hex;
};

TEST(GbkToUtf16, ConvertsAndKeepsOrDropsTheZeroUnit) {
  const GbkToUtf16Case cases[] = {
      {"B6 BE D5 BD", false, "D2 6B 18 62 00 00"},
      {"B6 BE D5 BD", true, "D2 6B 18 62"},
      {"", false, ""},
      {"", true, ""},
      // The single byte 0x80 is the euro sign.
      {"80", false, "AC 20 00 00"},
      // A lead byte without its second byte is replaced, not dropped.
      {"41 81", false, "41 00 FD FF 00 00"},
      // The Text ends at its first NUL.
      {"41 00 42", false, "41 00 00 00"},
      {"00 42", false, ""},
      {"00 42", true, ""},
  };
  for (const GbkToUtf16Case& c : cases) {
    EXPECT_EQ(hex_of(gbk_to_utf16(text_from_hex(c.text_hex), c.drop_terminator)), c.expected_hex)
        << "text=" << c.text_hex << " drop_terminator=" << c.drop_terminator;
  }
}

struct Utf16ToTextCase {
  std::string units_hex;
  std::string expected_hex;
};

TEST(Utf16ToGbk, EndsAtTheFirstZeroUnitOrTheLastWholeUnit) {
  const Utf16ToTextCase cases[] = {
      {"D2 6B 18 62", "B6 BE D5 BD"},
      {"D2 6B 18 62 00 00", "B6 BE D5 BD"},
      {"41 00 00 00 42 00", "41"},
      {"41 00 42", "41"},
      {"", ""},
      {"41", ""},
      {"00 00 41 00", ""},
      // e and the combining acute accent become the one GBK character é.
      {"65 00 01 03", "A8 A6"},
      // No precomposed q with acute exists, and GBK lacks the lone accent.
      {"71 00 01 03", "71 3F"},
      // Characters GBK lacks, a lone surrogate among them, become "?".
      {"00 AC 41 00", "3F 41"},
      {"00 D8 41 00", "3F 41"},
      {"AC 20", "80"},
  };
  for (const Utf16ToTextCase& c : cases) {
    EXPECT_EQ(hex_of(utf16_to_gbk(units_from_hex(c.units_hex))), c.expected_hex)
        << "units=" << c.units_hex;
  }
}

TEST(Utf16ToGbk, ReadsBackWhatGbkToUtf16Made) {
  const Text text = "毒战 BTUP在线观看 磁力链接 €"_gbk;
  EXPECT_EQ(utf16_to_gbk(gbk_to_utf16(text)), text);
  EXPECT_EQ(utf16_to_gbk(gbk_to_utf16(text, true)), text);
}

struct ChainCase {
  Text (*routine)(const Text&);
  const char* routine_name;
  std::string text_hex;
  std::string expected_hex;
};

template <std::size_t count>
void expect_results(const ChainCase (&cases)[count]) {
  for (const ChainCase& c : cases) {
    EXPECT_EQ(hex_of(c.routine(text_from_hex(c.text_hex))), c.expected_hex)
        << c.routine_name << " of " << c.text_hex;
  }
}

TEST(GbkAndUtf8, ConvertBothWays) {
  const ChainCase cases[] = {
      {gbk_to_utf8, "gbk_to_utf8", "61 D6 D0", "61 E4 B8 AD"},
      {gbk_to_utf8, "gbk_to_utf8", "B6 BE D5 BD", "E6 AF 92 E6 88 98"},
      {gbk_to_utf8, "gbk_to_utf8", "", ""},
      {gbk_to_utf8, "gbk_to_utf8", "80", "E2 82 AC"},
      {utf8_to_gbk, "utf8_to_gbk", "61 E4 B8 AD", "61 D6 D0"},
      {utf8_to_gbk, "utf8_to_gbk", "E6 AF 92 E6 88 98", "B6 BE D5 BD"},
      {utf8_to_gbk, "utf8_to_gbk", "68 74 74 70 3A 2F 2F 61 2E 62 2F 3F 78 3D 31",
       "68 74 74 70 3A 2F 2F 61 2E 62 2F 3F 78 3D 31"},
      {utf8_to_gbk, "utf8_to_gbk", "", ""},
      // A Korean syllable has no GBK form.
      {utf8_to_gbk, "utf8_to_gbk", "EA B0 80 41", "3F 41"},
      // Bytes that are not UTF-8 are replaced and the rest goes on. C0 41 is one GBK character
      // but two units as UTF-8, so these need more units than the budget gives; none is lost.
      {utf8_to_gbk, "utf8_to_gbk", "C0 41 C0 41 C0 41", "3F 41 3F 41 3F 41"},
      {utf8_to_gbk, "utf8_to_gbk", "E6 AF 41", "3F 41"},
  };
  expect_results(cases);
}

struct MultibyteToUtf16Case {
  std::string text_hex;
  int code_page;
  std::string expected_hex;
};

TEST(MultibyteToUtf16, PadsTheUnitsUpToTheGbkBudget) {
  const MultibyteToUtf16Case cases[] = {
      // Read as GBK these six bytes make three units and the zero unit: a budget of eight bytes.
      {"E6 AF 92 E6 88 98", 65001, "D2 6B 18 62 00 00 00 00"},
      {"B6 BE D5 BD", 936, "D2 6B 18 62 00 00"},
      {"B6 BE D5 BD", 0, "D2 6B 18 62 00 00"},
      {"41", 65001, "41 00 00 00"},
      {"", 65001, ""},
      {"", 936, ""},
      // Beyond the budget the result grows to hold every unit and the zero unit.
      {"C0 41 C0 41", 65001, "FD FF 41 00 FD FF 41 00 00 00"},
      // A code page the converter does not know converts nothing.
      {"41", 1252, ""},
  };
  for (const MultibyteToUtf16Case& c : cases) {
    EXPECT_EQ(hex_of(multibyte_to_utf16(text_from_hex(c.text_hex), c.code_page)), c.expected_hex)
        << "text=" << c.text_hex << " code_page=" << c.code_page;
  }
}

TEST(MultibyteToUtf16, DefaultsToUtf8) {
  EXPECT_EQ(hex_of(multibyte_to_utf16(text_from_hex("E4 B8 AD"))), "2D 4E 00 00 00 00");
}

struct Utf16ToMultibyteCase {
  std::string units_hex;
  int code_page;
  std::string expected_hex;
};

TEST(Utf16ToMultibyte, ConvertsUpToTheFirstZeroUnit) {
  const Utf16ToMultibyteCase cases[] = {
      // What multibyte_to_utf16 made of the UTF-8 bytes of 毒战, padding and all.
      {"D2 6B 18 62 00 00 00 00", 936, "B6 BE D5 BD"},
      {"D2 6B 18 62 00 00", 0, "B6 BE D5 BD"},
      {"D2 6B 18 62 00 00", 65001, "E6 AF 92 E6 88 98"},
      {"41 00 00 00 42 00 00 00", 936, "41"},
      {"00 00 41 00", 936, ""},
      {"", 936, ""},
      // Without a zero unit the end of the Bytes ends the text; an odd last byte is ignored.
      {"41 00 42 00", 936, "41 42"},
      {"41 00 42", 936, "41"},
      {"41", 936, ""},
      {"D2 6B", 65001, "E6 AF 92"},
      // Two Korean syllables: GBK writes "??" so the budget is six bytes, UTF-8 needs seven.
      {"00 AC 00 AC 00 00", 65001, "EA B0 80 EA B0 80"},
      {"00 AC 00 AC 00 00", 936, "3F 3F"},
      {"41 00 00 00", 1252, ""},
  };
  for (const Utf16ToMultibyteCase& c : cases) {
    EXPECT_EQ(hex_of(utf16_to_multibyte(units_from_hex(c.units_hex), c.code_page)), c.expected_hex)
        << "units=" << c.units_hex << " code_page=" << c.code_page;
  }
}

TEST(Utf16ToMultibyte, DefaultsToGbk) {
  EXPECT_EQ(hex_of(utf16_to_multibyte(units_from_hex("2D 4E 00 00"))), "D6 D0");
}

TEST(CodePagesBadInput, ReplacesInvalidSequencesAndGoesOn) {
  const ChainCase cases[] = {
      // Overlong, encoded surrogate, cut short, stray continuation, five bytes, beyond U+10FFFF.
      {utf8_to_gbk, "utf8_to_gbk", "C0 AF 41", "3F 3F 41"},
      {utf8_to_gbk, "utf8_to_gbk", "ED A0 80 41", "3F 3F 3F 41"},
      {utf8_to_gbk, "utf8_to_gbk", "41 E6", "41 3F"},
      {utf8_to_gbk, "utf8_to_gbk", "80 41", "3F 41"},
      {utf8_to_gbk, "utf8_to_gbk", "F8 88 80 80 80", "3F 3F 3F 3F 3F"},
      {utf8_to_gbk, "utf8_to_gbk", "F4 90 80 80", "3F 3F 3F 3F"},
      {utf8_to_gbk, "utf8_to_gbk", "FF FE", "3F 3F"},
      // A character outside the basic plane that GBK lacks is one "?", not one per surrogate.
      {utf8_to_gbk, "utf8_to_gbk", "F0 9F 98 80", "3F"},
      // GBK: a lead byte at the end, a lead byte with a byte that cannot follow it, and the
      // single byte FF, which the table maps to a private-use character.
      {gbk_to_utf8, "gbk_to_utf8", "41 81", "41 EF BF BD"},
      {gbk_to_utf8, "gbk_to_utf8", "81 7F", "EF BF BD 7F"},
      {gbk_to_utf8, "gbk_to_utf8", "FF", "EF A3 B5"},
      {gbk_to_utf8, "gbk_to_utf8", "81 FF", "EF BF BD EF A3 B5"},
  };
  expect_results(cases);
}

// `piece` `count` times over, built by doubling.
template <typename Sequence>
Sequence repeated(const Sequence& piece, std::size_t count) {
  Sequence whole;
  whole.reserve(piece.size() * count);
  Sequence power = piece;
  for (std::size_t left = count; left != 0; left >>= 1) {
    if ((left & 1) != 0) whole.insert(whole.end(), power.begin(), power.end());
    if (left > 1) power.insert(power.end(), power.begin(), power.end());
  }
  return whole;
}

// 100 MB of GBK through the routines, each result compared whole: nothing may be cut at a
// budget or lost at a buffer's edge.
TEST(CodePagesBadInput, ConvertsHundredMegabyteTexts) {
  const Text gbk_piece = text_from_hex("B6 BE D5 BD 41 80");
  const std::size_t piece_count = 100'000'000 / gbk_piece.size();
  const Text gbk = repeated(gbk_piece, piece_count);

  Bytes units = gbk_to_utf16(gbk, true);
  EXPECT_TRUE(units == repeated(units_from_hex("D2 6B 18 62 41 00 AC 20"), piece_count));
  EXPECT_TRUE(utf16_to_gbk(units) == gbk);

  const Text utf8 = gbk_to_utf8(gbk);
  EXPECT_TRUE(utf8 == repeated(text_from_hex("E6 AF 92 E6 88 98 41 E2 82 AC"), piece_count));
  EXPECT_TRUE(utf8_to_gbk(utf8) == gbk);

  // A zero unit near the end of a long Bytes still ends the text there.
  units.insert(units.end() - 2, {0, 0});
  EXPECT_EQ(utf16_to_multibyte(units).size(), gbk.size() - 1);
}

}  // namespace
