#include "app/command_line.h"

#include <gtest/gtest.h>

namespace corvane::app {
namespace {

TEST(CommandLine, OptionsTakeTheirValuesInBothForms) {
  CommandLine line = ParseCommandLine({"--server", "http://127.0.0.1:8080", "--home=/tmp/h"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.server, "http://127.0.0.1:8080");
  EXPECT_EQ(line.home, "/tmp/h");
  EXPECT_FALSE(line.help);
  EXPECT_FALSE(line.version);

  line = ParseCommandLine({"--version", "-h"});
  EXPECT_TRUE(line.version);
  EXPECT_TRUE(line.help);
}

TEST(CommandLine, MistakesAreNamed) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--server"}, "option --server needs a value"},
      {{"--home", ""}, "option --home needs a value"},
      {{"--home="}, "option --home needs a value"},
      {{"--serverx=1"}, "unknown option --serverx=1"},
      {{"-x"}, "unknown option -x"},
      {{"file.txt"}, "unexpected argument file.txt"},
      {{"--help", "--bogus", "--alsobogus"}, "unknown option --bogus"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseCommandLine(c.args).error, c.error) << c.args[0];
  }
}

TEST(CommandLine, TrustKeysAreRepeatableInOrder) {
  CommandLine line = ParseCommandLine({"--trust-key", "a.pub", "--trust-key=b.pub"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.trust_keys, (std::vector<std::string>{"a.pub", "b.pub"}));
  EXPECT_EQ(ParseCommandLine({"--trust-key"}).error, "option --trust-key needs a value");
}

TEST(CommandLine, ValueMayLookLikeAnOption) {
  // A folder named like an option is still the folder asked for.
  CommandLine line = ParseCommandLine({"--home", "--server"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.home, "--server");
}

TEST(CommandLine, InstalledStateCommandsTakeTheirOwnWordsOnly) {
  struct Case {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
  } cases[] = {
      {{"installed", "--json"}, ""},
      {{"installed", "BETALIB"}, "unexpected argument BETALIB"},
      {{"uninstall", "BETALIB", "GAMMAIO", "--yes"}, ""},
      {{"uninstall"}, "uninstall needs an ID"},
      {{"uninstall", "--all"}, "option --all does not go with uninstall"},
      {{"verify"}, ""},
      {{"verify", "BETALIB", "--quiet"}, ""},
      {{"verify", "--yes"}, "option --yes does not go with verify"},
      {{"verify", "--json"}, "option --json does not go with verify"},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(c.args);
    EXPECT_EQ(line.error, c.error) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
    if (c.error.empty()) EXPECT_EQ(line.command, c.args[0]);
  }
}

}  // namespace
}  // namespace corvane::app
