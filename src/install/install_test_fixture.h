// A test on the headless toolkit in its own scratch folder, which is also
// the current folder (the program works with relative paths such as
// "download/"), with the activity log written to a file the test can read.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "log/activity_log.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/messages.h"
#include "support/headless_fixture.h"
#include "support/temp_dir.h"

namespace corvane {

class InScratchFolder : public testing::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(dir.path()));
    OpenLog(dir / "test.log");
  }
  void TearDown() override {
    ResetLog();
    runtime::Fs().ChangeFolder(previous_);
    HeadlessTest::TearDown();
  }
  // The log lines written so far, without their time stamps.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    for (const std::string& l : runtime::ReadLines(dir.Read("test.log"))) {
      std::size_t cut = l.find(" : ");
      lines.push_back(cut == std::string::npos ? l : l.substr(cut + 3));
    }
    return lines;
  }
  bool Logged(const std::string& line) const {
    for (const std::string& l : LogLines())
      if (l == line) return true;
    return false;
  }
  // True when some log line contains text.
  bool LogMentions(const std::string& text) const {
    for (const std::string& l : LogLines())
      if (l.find(text) != std::string::npos) return true;
    return false;
  }

  testing::TempDir dir;

 private:
  std::string previous_;
};

// An install run's scratch folder: the registry store the run's MinGW
// registration writes is a file of its own, the message table starts empty.
class InstallScratch : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    saved_registry_ = runtime::GetEnv("CORVANE_REGISTRY");
    runtime::SetEnv("CORVANE_REGISTRY", dir / "registry.txt");
    messages.assign(kMessageCount, "");
  }
  void TearDown() override {
    if (saved_registry_.empty()) runtime::UnsetEnv("CORVANE_REGISTRY");
    else runtime::SetEnv("CORVANE_REGISTRY", saved_registry_);
    messages.clear();
    InScratchFolder::TearDown();
  }

 private:
  std::string saved_registry_;
};

}  // namespace corvane
