// RunCommand against real Windows console programs: cmd.exe, reg.exe and
// console_tool.exe (built beside the test program).
#include <windows.h>
#undef CreateWindow  // the toolkit has a function of that name

#include "install/command_runner.h"
#include "install/install_page.h"
#include "install/install_test_fixture.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"

namespace corvane {
namespace {

class Win32CommandRunnerTest : public InScratchFolder {
 protected:
  void TearDown() override {
    installStopButton = nullptr;
    InScratchFolder::TearDown();
  }
  static std::string Tool() { return "\"" + runtime::ExecutableFolder() + "/console_tool.exe\""; }
  static bool ProcessGone(const std::string& pid) {
    HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(pid)));
    if (!h) return true;
    bool ended = ::WaitForSingleObject(h, 5000) == WAIT_OBJECT_0;
    ::CloseHandle(h);
    return ended;
  }
};

TEST_F(Win32CommandRunnerTest, JoinsLinesOfConsoleProgramsWithoutTheirEnds) {
  EXPECT_EQ(RunCommand("cmd.exe /c echo one& echo two& echo three"), "onetwothree");
  EXPECT_EQ(RunCommand(Tool() + " crlf a b \"c d\""), "abc d");
  EXPECT_EQ(RunCommand(Tool() + " args x"), "[x]");
  EXPECT_TRUE(Logged("Cmd: <cmd.exe /c echo one& echo two& echo three>"));
}

TEST_F(Win32CommandRunnerTest, ErrorStreamAndUnstartableProgramsGiveEmptyText) {
  EXPECT_EQ(RunCommand(Tool() + " stderr problem"), "");
  EXPECT_EQ(RunCommand("no-such-tool-anywhere /x"), "");
  EXPECT_EQ(RunCommand(""), "");
}

TEST_F(Win32CommandRunnerTest, RegExeWritesAndReadsTheRealRegistry) {
  const std::string key = "HKCU\\Software\\CorvaneTests\\Runner" + std::to_string(::GetCurrentProcessId());
  std::string added = RunCommand("reg.exe add \"" + key + "\" /v MINGW /t REG_SZ /d \"C:\\MinGW\" /f");
  EXPECT_NE(added.find("success"), std::string::npos) << added;
  std::string queried = RunCommand("reg.exe query \"" + key + "\" /v MINGW");
  EXPECT_NE(queried.find("MINGW"), std::string::npos) << queried;
  EXPECT_NE(queried.find("C:\\MinGW"), std::string::npos) << queried;
  RunCommand("reg.exe delete \"" + key + "\" /f");
  std::string gone = RunCommand("reg.exe query \"" + key + "\" /v MINGW");
  EXPECT_EQ(gone.find("C:\\MinGW"), std::string::npos) << gone;
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvaneTests");
}

TEST_F(Win32CommandRunnerTest, StopButtonEndsARunningProgramWithBreak) {
  tk::Gadget* window = tk::CreateWindow("Install", 0, 0, 400, 300, nullptr, tk::kWindowTitleBar);
  installStopButton = tk::CreateButton("STOP!", 10, 10, 80, 24, window, tk::kButtonPush);
  bool clicked = false;
  ui().SetPumpCallback([&] {
    if (!clicked && dir.Exists("tool.pid")) clicked = ui().Click(installStopButton);
  });
  std::string result = RunCommand(Tool() + " wait " + "\"" + (dir / "tool.pid") + "\"");
  ui().SetPumpCallback(nullptr);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(result, "BREAK");
  EXPECT_TRUE(Logged("Process blocked by user..."));
  EXPECT_TRUE(ProcessGone(dir.Read("tool.pid")));
}

TEST_F(Win32CommandRunnerTest, FoundInPathSplitsAtSemicolons) {
  std::string saved = runtime::GetEnv("PATH");
  runtime::SetEnv("PATH", "C:\\Windows\\system32;C:\\MinGW\\bin");
  EXPECT_EQ(FoundInPath("mingw"), 1);
  EXPECT_EQ(FoundInPath("system32;C:"), 0);  // no element holds a separator
  runtime::SetEnv("PATH", saved);
}

}  // namespace
}  // namespace corvane
