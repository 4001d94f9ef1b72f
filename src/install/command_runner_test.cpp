#include "install/command_runner.h"

#include <fstream>

#include "install/install_page.h"
#include "install/install_test_fixture.h"
#include "runtime/environment.h"
#include "support/scripted_process.h"

namespace corvane {
namespace {

class CommandRunnerTest : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    saved_path_ = runtime::GetEnv("PATH");
  }
  void TearDown() override {
    runtime::SetEnv("PATH", saved_path_);
    installStopButton = nullptr;
    InScratchFolder::TearDown();
  }
  // A shell script tool; its path.
  std::string Tool(const std::string& name, const std::string& body) {
    dir.Write(name, "#!/bin/sh\n" + body + "\n");
    runtime::Fs().SetExecutable(dir / name);
    return dir / name;
  }
  tk::Gadget* MakeStopButton() {
    tk::Gadget* window = tk::CreateWindow("Install", 0, 0, 400, 300, nullptr, tk::kWindowTitleBar);
    installStopButton = tk::CreateButton("STOP!", 10, 10, 80, 24, window, tk::kButtonPush);
    return installStopButton;
  }
  static bool ProcessExists(const std::string& pid) {
    return std::ifstream("/proc/" + runtime::Trim(pid) + "/stat").good();
  }

  std::string saved_path_;
};

TEST_F(CommandRunnerTest, JoinsOutputLinesWithoutTheirEnds) {
  EXPECT_EQ(RunCommand(Tool("three", "printf 'one\\ntwo\\nthree\\n'")), "onetwothree");
  EXPECT_EQ(RunCommand(Tool("crlf", "printf 'a\\r\\nb\\r\\n\\rc\\n'")), "abc");
  EXPECT_EQ(RunCommand(Tool("unended", "printf 'first\\nlast'")), "firstlast");
  EXPECT_TRUE(Logged("Cmd: <" + (dir / "three") + ">"));
}

TEST_F(CommandRunnerTest, IgnoresStandardErrorAndUnstartableTools) {
  EXPECT_EQ(RunCommand(Tool("errors", "echo problem >&2; echo more >&2")), "");
  EXPECT_EQ(RunCommand("no-such-tool-anywhere /x"), "");
  EXPECT_EQ(RunCommand(""), "");
}

TEST_F(CommandRunnerTest, RunsAQuotedProgramWithBlanksInItsFolder) {
  Tool("My Tools/echo args", "echo \"$1|$2\"");
  EXPECT_EQ(RunCommand("\"" + (dir / "My Tools/echo args") + "\" \"a b\" c"), "a b|c");
}

TEST_F(CommandRunnerTest, LongLinesArriveWholeInPieces) {
  std::string x10000(10000, 'x');
  EXPECT_EQ(RunCommand(Tool("long", "head -c 10000 /dev/zero | tr '\\0' x")), x10000);
  // A CR LF that straddles a 4096-byte boundary still loses only its CR.
  std::string ends = RunCommand(Tool("straddle", "head -c 4095 /dev/zero | tr '\\0' y; printf '\\r\\nz\\n'"));
  EXPECT_EQ(ends, std::string(4095, 'y') + "z");
}

TEST_F(CommandRunnerTest, StopButtonEndsARunningToolWithBreak) {
  tk::Gadget* stop = MakeStopButton();
  std::string tool = Tool("forever", "echo $$ > pid; echo started; exec sleep 300");
  std::string pid;
  ui().SetPumpCallback([&] {
    if (pid.empty() && dir.Exists("pid") && !dir.Read("pid").empty()) {
      pid = dir.Read("pid");
      ui().Click(stop);
    }
  });
  EXPECT_EQ(RunCommand(tool), "BREAK");
  ui().SetPumpCallback(nullptr);
  ASSERT_FALSE(pid.empty());
  EXPECT_FALSE(ProcessExists(pid));  // killed and collected
  EXPECT_TRUE(Logged("Process blocked by user..."));
}

TEST_F(CommandRunnerTest, FoundInPathMatchesPartsOfElementsCaseIgnored) {
  runtime::SetEnv("PATH", "/usr/bin:/opt/MinGW/bin");
  EXPECT_EQ(FoundInPath("MinGW"), 1);
  EXPECT_EQ(FoundInPath("mingw"), 1);
  EXPECT_EQ(FoundInPath("tarnic"), 0);
  EXPECT_EQ(FoundInPath(""), 1);
  runtime::SetEnv("PATH", "");
  EXPECT_EQ(FoundInPath(""), 0);
}

class ScriptedRunnerTest : public CommandRunnerTest {
 protected:
  std::shared_ptr<testing::ToolScript> script_ = std::make_shared<testing::ToolScript>();
  testing::ScriptedTools tools_{script_};
};

TEST_F(ScriptedRunnerTest, StopStillCurrentStopsTheNextCommandBeforeItStarts) {
  tk::Gadget* stop = MakeStopButton();
  ASSERT_TRUE(ui().Click(stop));
  ASSERT_TRUE(tk::PollEvent());
  EXPECT_EQ(RunCommand("tool"), "BREAK");
  EXPECT_EQ(script_->starts, 0);
  // Any other event taken off the queue ends the stop.
  tk::EmitEvent(tk::MakeEvent(tk::kTimerTick, nullptr));
  ASSERT_TRUE(tk::PollEvent());
  script_->pipe = "ran\n";
  script_->ended = true;
  EXPECT_EQ(RunCommand("tool"), "ran");
  EXPECT_EQ(script_->starts, 1);
}

TEST_F(ScriptedRunnerTest, OutputWrittenJustBeforeTheEndIsKept) {
  script_->pipe = "first\n";
  script_->on_running = [](testing::ToolScript& s) {
    s.pipe += "late\nlast";
    s.ended = true;
  };
  EXPECT_EQ(RunCommand("tool"), "firstlatelast");
}

TEST_F(ScriptedRunnerTest, PartLineWhileTheToolRunsIsWaitedFor) {
  script_->pipe = "abc";
  int asked = 0;
  script_->on_running = [&](testing::ToolScript& s) {
    if (++asked == 3) {
      s.pipe += "def\n";
      s.ended = true;
    }
  };
  EXPECT_EQ(RunCommand("tool"), "abcdef");
  EXPECT_GE(script_->waits, 2);
  EXPECT_LT(script_->reads, 50);
}

}  // namespace
}  // namespace corvane
