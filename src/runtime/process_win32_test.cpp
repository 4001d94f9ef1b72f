#include "runtime/process.h"

#include <windows.h>

#include <chrono>

#include <gtest/gtest.h>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

using corvane::testing::TempDir;

// console_tool.exe is built beside the test program.
std::string ConsoleTool() { return ExecutableFolder() + "/console_tool.exe"; }
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Everything the tool prints, reading until it has ended (10 s at most).
std::string Collect(Process& p) {
  std::string out;
  char buf[256];
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < give_up) {
    long long n = p.ReadOutput(buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
    } else if (n < 0 && !p.Running()) {
      break;
    } else {
      p.WaitForOutput(20);
    }
  }
  return out;
}

// Output until the tool has printed something (10 s at most).
std::string FirstOutput(Process& p) {
  char buf[256];
  for (int i = 0; i < 500; ++i) {
    long long n = p.ReadOutput(buf, sizeof buf);
    if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
    p.WaitForOutput(20);
  }
  return "";
}

bool ProcessGone(DWORD pid) {
  HANDLE h = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!h) return true;
  bool ended = ::WaitForSingleObject(h, 5000) == WAIT_OBJECT_0;
  ::CloseHandle(h);
  return ended;
}

TEST(Win32ProcessTest, ToolSplitsItsOwnCommandLineAndStreamsStayApart) {
  auto p = StartProcess(Quoted(ConsoleTool()) + " args one \"two words\" a\\\"b");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "[one]\n[two words]\n[a\"b]\n");
  EXPECT_TRUE(p->WaitForExit(5000));
  EXPECT_EQ(p->ExitCode(), 0);

  auto err = StartProcess(Quoted(ConsoleTool()) + " stderr oops");
  ASSERT_TRUE(err);
  EXPECT_EQ(Collect(*err), "");
  EXPECT_TRUE(err->WaitForExit(5000));
  EXPECT_EQ(err->ErrorOutput(), "oops");

  auto code = StartProcess(Quoted(ConsoleTool()) + " exit 7");
  ASSERT_TRUE(code);
  EXPECT_TRUE(code->WaitForExit(5000));
  EXPECT_EQ(code->ExitCode(), 7);
}

TEST(Win32ProcessTest, ToolReadsAnEmptyInput) {
  auto p = StartProcess(Quoted(ConsoleTool()) + " input");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "done\n");
}

TEST(Win32ProcessTest, SystemConsoleProgramsRun) {
  auto p = StartProcess("cmd.exe /c echo hello from cmd");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "hello from cmd\r\n");
  EXPECT_TRUE(p->WaitForExit(5000));
  EXPECT_EQ(p->ExitCode(), 0);
}

TEST(Win32ProcessTest, ToolThatCannotStartGivesNull) {
  TempDir dir;
  EXPECT_EQ(StartProcess(""), nullptr);
  EXPECT_EQ(StartProcess("   "), nullptr);
  EXPECT_EQ(StartProcess("no-such-program-xyz --help"), nullptr);
  EXPECT_EQ(StartProcess(Quoted(dir / "missing folder/tool.exe") + " a"), nullptr);
  dir.Write("broken.exe", "MZ but nothing else");
  EXPECT_EQ(StartProcess(Quoted(dir / "broken.exe")), nullptr);
}

TEST(Win32ProcessTest, UnquotedProgramPathWithBlanksIsFound) {
  TempDir dir;
  ASSERT_TRUE(Fs().CreateFolder(dir / "My Tools"));
  ASSERT_EQ(Fs().CopyFile(ConsoleTool(), dir / "My Tools/the tool.exe"), 1);
  std::string folder = dir.path();
  for (char& c : folder)
    if (c == '/') c = '\\';
  auto p = StartProcess(folder + "\\My Tools\\the tool args x");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "[x]\n");
}

TEST(Win32ProcessTest, TerminateEndsTheToolAndWhatItStarted) {
  TempDir dir;
  auto p = StartProcess(Quoted(ConsoleTool()) + " spawn " + Quoted(dir / "child.pid"));
  ASSERT_TRUE(p);
  ASSERT_EQ(FirstOutput(*p), "started\n");
  DWORD child = static_cast<DWORD>(std::stoul(dir.Read("child.pid")));
  EXPECT_TRUE(p->Running());
  p->Terminate();
  EXPECT_TRUE(p->WaitForExit(5000));
  EXPECT_FALSE(p->Running());
  EXPECT_EQ(p->ExitCode(), -1);
  EXPECT_TRUE(ProcessGone(child));
}

TEST(Win32ProcessTest, DestroyingARunningToolEndsIt) {
  TempDir dir;
  {
    auto p = StartProcess(Quoted(ConsoleTool()) + " wait " + Quoted(dir / "tool.pid"));
    ASSERT_TRUE(p);
    ASSERT_EQ(FirstOutput(*p), "started\n");
  }
  EXPECT_TRUE(ProcessGone(static_cast<DWORD>(std::stoul(dir.Read("tool.pid")))));
}

TEST(Win32ProcessTest, ChattyErrorStreamDoesNotBlockTheTool) {
  // 200 KB on the error stream: more than a pipe holds.
  auto p = StartProcess(Quoted(ConsoleTool()) + " flood 200000");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "finished\n");
  EXPECT_EQ(p->ErrorOutput().size(), 64u * 1024u);
}

TEST(Win32ProcessTest, FindsProgramsWithCaseAndExeIgnored) {
  std::string saved = GetEnv("PATH");
  TempDir dir;
  ASSERT_TRUE(Fs().CreateFolder(dir / "Bin Folder"));
  ASSERT_EQ(Fs().CopyFile(ConsoleTool(), dir / "Bin Folder/MyTool.exe"), 1);
  SetEnv("PATH", "C:\\no-such-folder;\"" + (dir / "Bin Folder") + "\";" + saved);
  std::string expected = dir / "Bin Folder/MyTool.exe";
  EXPECT_TRUE(EqualsIgnoreCase(FindProgram("mytool"), expected));
  EXPECT_TRUE(EqualsIgnoreCase(FindProgram("MYTOOL.EXE"), expected));
  EXPECT_EQ(FindProgram("missing-tool"), "");
  EXPECT_EQ(FindProgram("console_tool"), ConsoleTool());
  SetEnv("PATH", saved);
}

}  // namespace
}  // namespace corvane::runtime
