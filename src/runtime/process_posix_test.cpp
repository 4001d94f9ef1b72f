#include "runtime/process.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include <gtest/gtest.h>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "support/temp_dir.h"

namespace corvane::runtime {
namespace {

using corvane::testing::TempDir;

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_path_ = GetEnv("PATH"); }
  void TearDown() override { SetEnv("PATH", saved_path_); }

  // A shell script tool in the scratch folder.
  std::string Tool(const std::string& name, const std::string& body) {
    dir_.Write(name, "#!/bin/sh\n" + body + "\n");
    Fs().SetExecutable(dir_ / name);
    return dir_ / name;
  }

  // Everything the tool prints, reading until it has ended (5 s at most).
  static std::string Collect(Process& p) {
    std::string out;
    char buf[256];
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
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

  // Running and not merely a zombie waiting for its parent.
  static bool Alive(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
  }
  static bool Exists(pid_t pid) { return std::ifstream("/proc/" + std::to_string(pid) + "/stat").good(); }
  static void Pause() { ::poll(nullptr, 0, 10); }

  TempDir dir_;
  std::string saved_path_;
};

TEST_F(ProcessTest, PassesArgumentsSplitTheWindowsWayAndKeepsStreamsApart) {
  // cat ends at once: the tool's input is empty.
  std::string tool = Tool("args", "cat; for a in \"$@\"; do echo \"[$a]\"; done; echo oops >&2; exit 3");
  auto p = StartProcess("\"" + tool + "\" one \"two words\" a\\\"b");
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "[one]\n[two words]\n[a\"b]\n");
  EXPECT_TRUE(p->WaitForExit(5000));
  EXPECT_EQ(p->ExitCode(), 3);
  EXPECT_EQ(p->ErrorOutput(), "oops\n");
}

TEST_F(ProcessTest, FindsProgramsWithCaseAndExeIgnored) {
  Tool("bin/MyTool", "echo hi");
  SetEnv("PATH", "/nonexistent:" + (dir_ / "bin"));
  std::string expected = dir_ / "bin/MyTool";
  EXPECT_EQ(FindProgram("mytool"), expected);
  EXPECT_EQ(FindProgram("MYTOOL.EXE"), expected);
  EXPECT_EQ(FindProgram(dir_.path() + "\\BIN\\mytool.exe"), expected);
  EXPECT_EQ(FindProgram("missing-tool"), "");
  std::string spaced = Tool("My Tools/the tool", "echo \"$1\"");
  auto p = StartProcess(spaced + " arg");  // unquoted, blanks in its path
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "arg\n");

  dir_.Write("bin/plain", "not a program");  // no execute permission
  EXPECT_EQ(FindProgram("plain"), "");
  EXPECT_EQ(StartProcess("plain"), nullptr);
}

TEST_F(ProcessTest, ToolThatCannotStartGivesNull) {
  EXPECT_EQ(StartProcess(""), nullptr);
  EXPECT_EQ(StartProcess("no-such-program-xyz --help"), nullptr);
  EXPECT_EQ(StartProcess("\"" + (dir_ / "missing folder/tool") + "\" a"), nullptr);
  // Executable bit but no valid program format: exec fails and is reported.
  dir_.Write("broken", "\x7f" "ELF garbage");
  Fs().SetExecutable(dir_ / "broken");
  EXPECT_EQ(StartProcess(dir_ / "broken"), nullptr);
}

TEST_F(ProcessTest, TerminateEndsTheToolAndItsChildren) {
  std::string tool = Tool("forever", "sleep 300 & echo $! > \"$1\"; echo started; wait");
  auto p = StartProcess(tool + " " + (dir_ / "child.pid"));
  ASSERT_TRUE(p);
  char buf[64];
  long long n = 0;
  for (int i = 0; i < 250 && n <= 0; ++i) {
    p->WaitForOutput(20);
    n = p->ReadOutput(buf, sizeof buf);
  }
  ASSERT_GT(n, 0);
  pid_t child = static_cast<pid_t>(std::stol(dir_.Read("child.pid")));
  EXPECT_TRUE(p->Running());
  p->Terminate();
  EXPECT_TRUE(p->WaitForExit(5000));
  EXPECT_FALSE(p->Running());
  EXPECT_EQ(p->ExitCode(), -1);
  for (int i = 0; i < 250 && Alive(child); ++i) Pause();
  EXPECT_FALSE(Alive(child));
}

TEST_F(ProcessTest, DestroyingARunningToolLeavesNoZombie) {
  std::string tool = Tool("sleeper", "echo $$ > \"$1\"; exec sleep 300");
  pid_t pid = 0;
  {
    auto p = StartProcess(tool + " " + (dir_ / "pid"));
    ASSERT_TRUE(p);
    for (int i = 0; i < 250 && !dir_.Exists("pid"); ++i) p->WaitForOutput(20);
    pid = static_cast<pid_t>(std::stol(dir_.Read("pid")));
  }
  EXPECT_FALSE(Exists(pid));  // killed and collected: not even a zombie
}

TEST_F(ProcessTest, ChattyErrorStreamDoesNotBlockTheTool) {
  // 200 KB on standard error: more than a pipe holds.
  std::string tool = Tool("chatty", "head -c 200000 /dev/zero | tr '\\0' x >&2; echo finished");
  auto p = StartProcess(tool);
  ASSERT_TRUE(p);
  EXPECT_EQ(Collect(*p), "finished\n");
  EXPECT_EQ(p->ErrorOutput().size(), 64u * 1024u);
}

}  // namespace
}  // namespace corvane::runtime
