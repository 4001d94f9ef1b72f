// The `reg` command built beside the program, run as the program runs it.
#include <chrono>

#include <gtest/gtest.h>

#include "runtime/environment.h"
#include "runtime/process.h"
#include "runtime/registry.h"
#include "support/temp_dir.h"

namespace corvane {
namespace {

struct Answer {
  std::string out, err;
  int status = -2;
};

class RegToolTest : public ::testing::Test {
 protected:
  RegToolTest() : saved_(runtime::GetEnv("CORVANE_REGISTRY")) {
    runtime::SetEnv("CORVANE_REGISTRY", dir_ / "registry.txt");
  }
  ~RegToolTest() override {
    saved_.empty() ? runtime::UnsetEnv("CORVANE_REGISTRY") : runtime::SetEnv("CORVANE_REGISTRY", saved_);
  }

  // Runs "reg" + arguments (a Windows-style command line tail).
  Answer Reg(const std::string& arguments) {
    Answer a;
    auto tool = runtime::StartProcess("\"" + corvane::testing::BinaryDir() + "/reg\" " + arguments);
    if (!tool) return a;
    char buf[1024];
    auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < give_up) {
      long long n = tool->ReadOutput(buf, sizeof buf);
      if (n > 0) {
        a.out.append(buf, static_cast<std::size_t>(n));
      } else if (n < 0 && !tool->Running()) {
        break;
      } else {
        tool->WaitForOutput(20);
      }
    }
    tool->WaitForExit(5000);
    a.status = tool->ExitCode();
    a.err = tool->ErrorOutput();
    return a;
  }

  corvane::testing::TempDir dir_;
  std::string saved_;
};

TEST_F(RegToolTest, AddThenQueryAnswersInRegExeLayout) {
  Answer added = Reg("add \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\" /v Path "
                     "/t REG_EXPAND_SZ /d \"%SystemRoot%\\system32;C:\\MinGW\\bin\" /f");
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "The operation completed successfully.\n");

  Answer q = Reg("query \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\" "
                 "/v path");
  EXPECT_EQ(q.status, 0);
  EXPECT_EQ(q.out,
            "\nHKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment\n"
            "    Path    REG_EXPAND_SZ    %SystemRoot%\\system32;C:\\MinGW\\bin\n\n");
  EXPECT_EQ(q.err, "");
}

TEST_F(RegToolTest, NumbersAndListsAreShownAsRegExeShowsThem) {
  EXPECT_EQ(Reg("add hkcu\\Env /v n /t reg_dword /d 31 /f").status, 0);
  EXPECT_EQ(Reg("add HKEY_CURRENT_USER\\Env /v q /t REG_QWORD /d 0x100000000 /f").status, 0);
  EXPECT_EQ(Reg("add HKCU\\Env /v m /t REG_MULTI_SZ /d a\\0b /f").status, 0);
  EXPECT_EQ(Reg("query HKCU\\Env /v N").out, "\nHKEY_CURRENT_USER\\Env\n    n    REG_DWORD    0x1f\n\n");
  EXPECT_EQ(Reg("query HKCU\\Env /v q").out, "\nHKEY_CURRENT_USER\\Env\n    q    REG_QWORD    0x100000000\n\n");
  EXPECT_EQ(Reg("query HKCU\\Env /v m").out, "\nHKEY_CURRENT_USER\\Env\n    m    REG_MULTI_SZ    a\\0b\n\n");
}

TEST_F(RegToolTest, FailuresExitWithOneAndAnErrorLine) {
  Answer missing = Reg("query HKCU\\Nothing /v x");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "ERROR: The system was unable to find the specified registry key or value.\n");
  EXPECT_EQ(Reg("query HKXX\\Software /v x").status, 1);
  EXPECT_EQ(Reg("add HKCU\\Env /v n /t REG_DWORD /d twelve /f").status, 1);
  EXPECT_EQ(Reg("add HKCU\\Env /v n /t REG_WHATEVER /d 1 /f").status, 1);
  Answer syntax = Reg("frobnicate");
  EXPECT_EQ(syntax.status, 1);
  EXPECT_EQ(syntax.err.rfind("ERROR: Invalid syntax.", 0), 0u);
}

TEST_F(RegToolTest, ExistingValueNeedsForceToBeReplaced) {
  EXPECT_EQ(Reg("add HKCU\\Environment /v MINGW /t REG_SZ /d first /f").status, 0);
  Answer refused = Reg("add HKCU\\Environment /v MINGW /t REG_SZ /d second");  // its input is empty: no "yes"
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("The operation was cancelled."), std::string::npos);
  EXPECT_EQ(Reg("query HKCU\\Environment /v MINGW").out,
            "\nHKEY_CURRENT_USER\\Environment\n    MINGW    REG_SZ    first\n\n");
}

TEST_F(RegToolTest, AddWithoutAValueNameWritesTheDefaultValue) {
  struct Case {
    const char* key;
    const char* options;
    const char* line;
  } cases[] = {
      {"Software\\Bare", "/f", "    (Default)    REG_SZ    "},
      {"Software\\Text", "/d \"some text\" /f", "    (Default)    REG_SZ    some text"},
      {"Software\\Number", "/t REG_DWORD /d 7 /f", "    (Default)    REG_DWORD    0x7"},
  };
  for (const Case& c : cases) {
    Answer added = Reg(std::string("add HKCU\\") + c.key + " " + c.options);
    EXPECT_EQ(added.status, 0) << c.options << added.err;
    const std::string listing = std::string("\nHKEY_CURRENT_USER\\") + c.key + "\n" + c.line + "\n\n";
    EXPECT_EQ(Reg(std::string("query HKCU\\") + c.key).out, listing) << c.options;
    EXPECT_EQ(Reg(std::string("query HKCU\\") + c.key + " /ve").out, listing) << c.options;
  }
}

}  // namespace
}  // namespace corvane
