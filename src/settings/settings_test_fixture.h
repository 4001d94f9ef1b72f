// Test fixture for the settings module: a scratch program folder to work in,
// settings and texts as before start-up, a fixed clock and a readable log.
#pragma once

#include <gtest/gtest.h>

#include "log/activity_log.h"
#include "runtime/clock.h"
#include "runtime/file_system.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "support/temp_dir.h"

namespace corvane {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = runtime::Fs().CurrentFolder();
    ASSERT_TRUE(runtime::Fs().ChangeFolder(dir_.path()));
    runtime::SetClock(&clock_);
    SetServerRoot("http://catalogue.test:8080/");  // the trailing "/" is dropped
    OpenLog("test_log.txt");
  }
  void TearDown() override {
    runtime::SetFs(nullptr);
    ResetLog();
    ResetConfig();
    ResetMessages();
    SetServerRoot("");
    runtime::SetClock(nullptr);
    runtime::Fs().ChangeFolder(previous_);
  }
  // The log file's bytes so far.
  std::string Logged() const { return dir_.Read("test_log.txt"); }

  testing::TempDir dir_;
  runtime::FakeClock clock_;
  std::string previous_;
};

}  // namespace corvane
