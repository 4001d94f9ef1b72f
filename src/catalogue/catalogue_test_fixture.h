// Test fixture for the catalogue: a scratch program folder (with "lang",
// "data" and "download") that the test works in, the win32 platform,
// LANGUAGE "ENGLISH", an empty catalogue and a log the test can read back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_names.h"
#include "catalogue/tprogram.h"
#include "log/activity_log.h"
#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/server_address.h"
#include "support/temp_dir.h"

namespace corvane {

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(dir_.path()));
    for (const char* folder : {"lang", "data", "download"}) runtime::Fs().CreateFolder(folder);
    runtime::SetClock(&clock_);
    ResetConfig();
    LANGUAGE = "ENGLISH";
    platformWin32 = 1;
    tprogram::ClearAll();
    OpenLog("test_log.txt");
  }
  void TearDown() override {
    ResetLog();
    ResetConfig();
    SetServerRoot("");
    platformWin32 = 0;
    tprogram::ClearAll();
    runtime::SetClock(nullptr);
    runtime::Fs().ChangeFolder(previous_);
  }

  // The texts logged so far, without their time stamps.
  std::vector<std::string> LoggedTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : runtime::ReadLines(dir_.Read("test_log.txt"))) {
      texts.push_back(line.size() >= 11 ? line.substr(11) : line);
    }
    return texts;
  }
  std::vector<std::string> FullNames() const {
    std::vector<std::string> names;
    for (const auto& p : programList) names.push_back(p->fullname);
    return names;
  }

  testing::TempDir dir_;
  runtime::FakeClock clock_;
  std::string previous_;
};

}  // namespace corvane
