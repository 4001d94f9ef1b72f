#include "runtime/command_line.h"

#include <gtest/gtest.h>

namespace corvane::runtime {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, SplitsArgumentsByTheWindowsRules) {
  struct Case {
    const char* text;
    Args args;
  } cases[] = {
      {"a b\t c", {"a", "b", "c"}},
      {"  ", {}},
      {"\"a b\" c", {"a b", "c"}},
      {"x\"a b\"y", {"xa by"}},
      {"\"\"", {""}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"a\\b c\\", {"a\\b", "c\\"}},
      {"a\\\\\"b c\"", {"a\\b c"}},         // 2 backslashes + quote: one backslash, quote opens
      {"a\\\"b", {"a\"b"}},                 // 1 backslash + quote: literal quote
      {"\"C:\\dir\\\" /f", {"C:\\dir\" /f"}},  // the classic trap: \" keeps the quote open
      {"/d \"%SystemRoot%;C:\\x\" /f", {"/d", "%SystemRoot%;C:\\x", "/f"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitArguments(c.text), c.args) << "text: " << c.text;
}

TEST(CommandLineTest, ProgramPartTakesBackslashesLiterally) {
  EXPECT_EQ(SplitCommandLine("\"C:\\my tools\\\" -v"), (Args{"C:\\my tools\\", "-v"}));
  EXPECT_EQ(SplitCommandLine("  reg.exe query \"HKLM\\A B\" /v path"),
            (Args{"reg.exe", "query", "HKLM\\A B", "/v", "path"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  ProgramPart unterminated = SplitProgramPart("\"C:\\x y");
  EXPECT_EQ(unterminated.program, "C:\\x y");
  EXPECT_TRUE(unterminated.quoted);
}

TEST(CommandLineTest, QuotedArgumentsComeBackUnchanged) {
  for (std::string text : {"", "plain", "a b", "C:\\MinGW\\", "C:\\a\\\\", "say \"hi\"", "x\\\"y", "%PATH%;C:\\b"}) {
    Args back = SplitArguments("first " + QuoteArgument(text) + " /f");
    ASSERT_EQ(back.size(), 3u) << text;
    EXPECT_EQ(back[1], text);
    EXPECT_EQ(back[2], "/f");
  }
  EXPECT_EQ(QuoteArgument("C:\\MinGW\\bin"), "\"C:\\MinGW\\bin\"");
}

}  // namespace
}  // namespace corvane::runtime
