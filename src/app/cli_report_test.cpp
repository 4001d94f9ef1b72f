#include "app/cli_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/command_line.h"
#include "runtime/clock.h"

namespace corvane::app {
namespace {

TEST(CliReport, ProgressLinesAndJsonStrings) {
  struct Line {
    long long received, total;
    double speed;
    long long left;
    const char* text;
  } lines[] = {
      {0, 2048, -1, -1, "X [----------]   0% 0 B/2.0 KB --:-- left"},
      {1024, 2048, 1024, 1, "X [#####-----]  50% 1.0 KB/2.0 KB 1.0 KB/s 0:01 left"},
      {1024, 2048, 0, -1, "X [#####-----]  50% 1.0 KB/2.0 KB 0 B/s --:-- left"},  // stalled
      // The last chunk may pass the size: never above 100%.
      {5000, 4096, 2048, 0, "X [##########] 100% 4.0 KB/4.0 KB 2.0 KB/s 0:00 left"},
      {1 << 20, 4 << 20, 291.3, 10800, "X [##--------]  25% 1.0 MB/4.0 MB 291 B/s 3:00:00 left"},
  };
  for (const Line& l : lines) EXPECT_EQ(ProgressLine("X", l.received, l.total, l.speed, l.left, 10), l.text);

  const std::pair<std::string, std::string> json[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"l1\r\nl2\tx", "\"l1\\r\\nl2\\tx\""},
      {std::string("\x01", 1), "\"\\u0001\""},
      {"caff\xc3\xa8", "\"caff\xc3\xa8\""},  // UTF-8 stays as it is
  };
  for (const auto& [text, expected] : json) EXPECT_EQ(JsonString(text), expected);
}

// A file resumed at 40% comes in at 20000 bytes a second: the speed counts
// only what arrives, the time left only what is missing.  Without a terminal
// a line is written every ten seconds, and none at the end.
TEST(CliReport, ProgressOnTheProgramsClockForTerminalsAndPlainLines) {
  runtime::FakeClock clock;
  runtime::SetClock(&clock);
  for (const bool terminal : {true, false}) {
    std::ostringstream out, err;
    std::istringstream in;
    CliReporter::Settings settings;
    settings.terminal = terminal;
    CliReporter reporter(out, err, in, settings);
    tprogram record;
    record.name = "X";
    record.fullname = "Ex";
    reporter.FileStarted(1, 1, &record);
    clock.ms = 0;
    reporter.SizeKnown(1000000, "http://h/x.zip");
    for (int second = 0; second <= 30; ++second) {
      clock.ms = second * 1000;
      reporter.Progress(static_cast<float>(400000 + 20000 * second) / 1000000);
      if (terminal && second == 10) break;
    }
    if (terminal) {
      const std::string text = out.str();
      EXPECT_EQ(text.substr(text.rfind('\r')),
                "\rX [############--------]  60% 585.9 KB/976.6 KB 19.5 KB/s 0:20 left\x1b[K");
      // The end is drawn at once, and once only however often it is reported.
      for (int i = 0; i < 3; ++i) reporter.Progress(1.0f);
      EXPECT_EQ(out.str().substr(text.size()),
                "\rX [####################] 100% 976.6 KB/976.6 KB 97.7 KB/s 0:00 left\x1b[K");
    } else {
      EXPECT_EQ(out.str(),
                "[1/1] X (Ex)\nX: 1000000 bytes from http://h/x.zip\n"
                "X:  60% 585.9 KB/976.6 KB 19.5 KB/s 0:20 left\n"
                "X:  80% 781.2 KB/976.6 KB 19.5 KB/s 0:10 left\n");
    }
  }
  runtime::SetClock(nullptr);
}

TEST(CliReport, QuestionsNeedYesOrATerminal) {
  struct Case {
    bool yes, askable;
    const char* input;
    bool answer;
  } cases[] = {
      {true, false, "", true}, {false, false, "y\n", false}, {false, true, "y\n", true},
      {false, true, "n\n", false}, {false, true, "", false},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    std::istringstream in(c.input);
    CliReporter::Settings s;
    s.yes = c.yes;
    s.askable = c.askable;
    CliReporter reporter(out, err, in, s);
    EXPECT_EQ(reporter.Ask("Go on?"), c.answer) << c.yes << c.askable << c.input;
  }
}

TEST(CliCommandLine, CommandsTheirIdsAndWhatDoesNotGo) {
  CommandLine line = ParseCommandLine({"install", "betalib", "--yes", "GAMMAIO", "--server=http://h:1"});
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.command, "install");
  EXPECT_EQ(line.ids, (std::vector<std::string>{"betalib", "GAMMAIO"}));
  EXPECT_TRUE(line.yes);
  EXPECT_EQ(line.server, "http://h:1");

  const std::pair<std::vector<std::string>, std::string> mistakes[] = {
      {{"--json"}, "option --json does not go with the wizard"},
      {{"list", "--yes"}, "option --yes does not go with list"},
      {{"--language", "italiano"}, "option --language needs a command"},
      {{"show"}, "show needs exactly one ID"},
      {{"show", "A", "B"}, "show needs exactly one ID"},
      {{"download"}, "download needs an ID or --all"},
      {{"install", "A", "--all"}, "--all takes no ID"},
      {{"list", "A"}, "unexpected argument A"},
      {{"list", "--quiet", "--verbose"}, "--quiet and --verbose exclude each other"},
  };
  for (const auto& [args, error] : mistakes) EXPECT_EQ(ParseCommandLine(args).error, error) << args[0];
  EXPECT_EQ(ParseCommandLine({"download", "--help"}).error, "");  // help is always given
}

}  // namespace
}  // namespace corvane::app
