#include "log/activity_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

using ::testing::StartsWith;

class ActivityLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(dir_.path()));
    clock_.now = {2026, 12, 7, 14, 3, 27, 1};
    runtime::SetClock(&clock_);
  }
  void TearDown() override {
    ResetLog();
    runtime::SetClock(nullptr);
    runtime::SetFs(nullptr);
    runtime::Fs().ChangeFolder(previous_);
  }
  std::vector<std::string> Lines(const std::string& f) { return runtime::ReadLines(dir_.Read(f)); }

  testing::TempDir dir_;
  runtime::FakeClock clock_;
  std::string previous_;
};

TEST_F(ActivityLogTest, OpeningBlockSpecialTextsAndClosingBlock) {
  OpenLog();
  LogLine("first run");
  clock_.now.hour = 18;
  OpenLog();  // the same day again: the file starts afresh
  const std::string file = "dati/07 Dec 2026_log.txt";
  std::vector<std::string> lines = Lines(file);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "18:03:27 : LOG NAME: <" + file + ">");
  EXPECT_EQ(lines[1], "18:03:27 : LOG FILE: 07 Dec 2026 - 18:03:27");
  EXPECT_EQ(lines[2], "18:03:27 : " + std::string(46, '-'));
  EXPECT_THAT(lines[3], StartsWith("18:03:27 : Free memory: GC COLLECT "));
  EXPECT_GT(runtime::ToInt(lines[4].substr(35)), 0) << lines[4];
  EXPECT_EQ(lines[5], "18:03:27 :  ");

  clock_.now = {2026, 12, 8, 0, 0, 5, 2};  // past midnight: still the start day's file
  for (const char* text : {"*-", "*--", "", "caff\xC3\xA8"}) LogLine(text);
  LogEndOfProgram();
  const std::string stamp = "00:00:05 : ", rule = stamp + std::string(31, '-') + "\r\n";
  const std::string texts = stamp + std::string(78, '-') + "\r\n" + stamp + "*--\r\n" + stamp +
                            "\r\n" + stamp + "caff\xE8\r\n";
  const std::string end = rule + stamp + "00:00:05 End of Program\r\n" + rule;
  std::string bytes = dir_.Read(file);
  EXPECT_EQ(bytes.substr(bytes.find(stamp), texts.size()), texts);
  EXPECT_EQ(bytes.substr(bytes.size() - end.size()), end);
}

TEST_F(ActivityLogTest, NothingWrittenOrEchoedWhileOff) {
  ::testing::internal::CaptureStdout();
  LogLine("before open");
  LogEndOfProgram();
  OpenLog("run.txt");
  DisableLog();
  LogLine("while off");
  LogEndOfProgram();
  std::string echoed = ::testing::internal::GetCapturedStdout();
  EnableLog();
  EXPECT_THAT(echoed, ::testing::EndsWith("\nLog: Disabled\n"));
  EXPECT_EQ(echoed.find("before open"), std::string::npos);
  EXPECT_FALSE(dir_.Exists("dati"));
  std::vector<std::string> lines = Lines("run.txt");
  EXPECT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines.back(), "14:03:27 : Log: Enabled");
}

// A log file that can be neither opened nor created costs only the file line.
class NoAppendFs : public runtime::FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  bool AppendFile(const std::string&, const std::string&) override { return false; }
};

TEST_F(ActivityLogTest, UnwritableFileStillEchoes) {
  NoAppendFs failing(runtime::Fs());
  runtime::SetFs(&failing);
  OpenLog("run.txt");
  ::testing::internal::CaptureStdout();
  LogLine("*-");
  LogLine("still shown");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string(78, '-') + "\nstill shown\n");
}

// Held lines keep their order against the lines around the batch, reach the
// file and the echo when the outermost batch ends, and go to the file they
// were logged for even when another is opened meanwhile.
TEST_F(ActivityLogTest, BatchedLinesKeepOrderAndFile) {
  OpenLog("run.txt");
  const std::size_t opening = Lines("run.txt").size();
  ::testing::internal::CaptureStdout();
  LogLine("before");
  {
    LogBatch outer;
    LogLine("one");
    {
      LogBatch inner;
      LogLine("two");
    }
    EXPECT_EQ(Lines("run.txt").size(), opening + 1);  // still held
    for (int i = 0; i < 20000; ++i) LogLine("x");      // more than is held at once
    EXPECT_GT(Lines("run.txt").size(), opening + 1);
    LogLine("three");
  }
  LogLine("after");
  {
    LogBatch batch;
    LogLine("for the first file");
    OpenLog("second.txt");
  }
  const std::string echoed = ::testing::internal::GetCapturedStdout();
  std::vector<std::string> lines = Lines("run.txt");
  ASSERT_EQ(lines.size(), opening + 20006);
  const std::vector<std::string> tail(lines.end() - 3, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"14:03:27 : three", "14:03:27 : after",
                                            "14:03:27 : for the first file"}));
  EXPECT_EQ(lines[opening + 1], "14:03:27 : one");
  EXPECT_EQ(lines[opening + 2], "14:03:27 : two");
  EXPECT_EQ(echoed.substr(0, 17), "before\none\ntwo\nx\n");
  EXPECT_EQ(Lines("second.txt")[0], "14:03:27 : LOG NAME: <second.txt>");
}

}  // namespace
}  // namespace corvane
