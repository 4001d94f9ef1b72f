#include "runtime/text.h"

#include <gtest/gtest.h>

namespace corvane::runtime {
namespace {

TEST(TextTest, LinesEndAtLfNulOrEndAndDropEveryCr) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"ab\rc\nd", {"abc", "d"}},      // CR inside a line vanishes
      {std::string("x\0y", 3), {"x", "y"}},  // NUL ends a line
      {"\n\n", {"", ""}},
      {"", {}},
      {"\r", {""}},
      {"\xE9\r\xE8\r\n\xFF", {"\xC3\xA9\xC3\xA8", "\xC3\xBF"}},  // Latin-1 around a CR
      // Longer lines are checked eight bytes at a time: a CR or a Latin-1
      // byte in a middle word or only in the last, overlapping one.
      {"0123456789\rabc\r\n01234567\r8\n0123456789abcde\xE9\n", {"0123456789abc", "012345678", "0123456789abcde\xC3\xA9"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadLines(c.bytes), c.lines) << "input: " << c.bytes;
}

TEST(TextTest, Latin1RoundTripAndLowEightBitsOnWrite) {
  std::string bytes = "caf\xE9";
  std::string text = DecodeLatin1(bytes);
  EXPECT_EQ(text, "caf\xC3\xA9");
  EXPECT_EQ(EncodeLatin1(text), bytes);
  // U+20AC (euro sign) is written as its low 8 bits, 0xAC.
  EXPECT_EQ(WriteLine("\xE2\x82\xAC"), "\xAC\r\n");
}

TEST(TextTest, WholeFileHonoursByteOrderMarks) {
  EXPECT_EQ(DecodeWholeText("\xEF\xBB\xBFh\xC3\xA9"), "h\xC3\xA9");
  EXPECT_EQ(DecodeWholeText(std::string("\xFF\xFEh\0\xE9\0", 6)), "h\xC3\xA9");
  EXPECT_EQ(DecodeWholeText(std::string("\xFE\xFF\0h\0\xE9", 6)), "h\xC3\xA9");
  EXPECT_EQ(DecodeWholeText("h\xE9"), "h\xC3\xA9");  // no mark: one byte, one character
}

TEST(TextTest, CaseFoldingCoversLatin1) {
  EXPECT_TRUE(EqualsIgnoreCase("abc.Italiano.TXT", "ABC.ITALIANO.txt"));
  EXPECT_TRUE(EqualsIgnoreCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
  EXPECT_FALSE(EqualsIgnoreCase("abc", "abd"));
  EXPECT_EQ(FindIgnoreCase("desc=see URL=x", "url="), 9u);
}

TEST(TextTest, ToIntReadsLikeAtoi) {
  EXPECT_EQ(ToInt("  -12abc"), -12);
  EXPECT_EQ(ToInt("12 bytes"), 12);
  EXPECT_EQ(ToInt("x1"), 0);
  EXPECT_EQ(ToInt(""), 0);
  EXPECT_EQ(ToInt("123456789012345678901234"), 9223372036854775807LL);  // saturates
  EXPECT_EQ(ToInt("-123456789012345678901234"), -9223372036854775807LL);
}

TEST(TextTest, CharacterIndexing) {
  std::string t = "h\xC3\xA9llo";
  EXPECT_EQ(CharCount(t), 5u);
  EXPECT_EQ(CharSubstr(t, 1, 2), "\xC3\xA9l");
  EXPECT_EQ(CharSubstr(t, 3), "lo");
}

}  // namespace
}  // namespace corvane::runtime
