// Tests of the MinGW and environment setup: a scratch folder as the current
// folder, a log to read, a registry file of the test's own (also for the
// `reg` command the code runs), and PATH, MINGW and the settings restored
// afterwards.
#pragma once

#include <string>

#include "install/install_test_fixture.h"
#include "maintenance/mingw_setup.h"
#include "runtime/environment.h"
#include "runtime/registry.h"
#include "settings/config.h"

namespace corvane {

class SetupTest : public InScratchFolder {
 protected:
  void SetUp() override {
    InScratchFolder::SetUp();
    for (const char* name : {"PATH", "MINGW", "CORVANE_REGISTRY"}) saved_.emplace_back(name, runtime::GetEnv(name));
    runtime::SetEnv("CORVANE_REGISTRY", dir / "registry.txt");
    runtime::UnsetEnv("MINGW");
    TARNPATH.clear();
    SVNPATH.clear();
    ResetMinGWSetup();
    SetToolOutputLimit(5000);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      value.empty() ? runtime::UnsetEnv(name) : runtime::SetEnv(name, value);
    }
    TARNPATH.clear();
    SVNPATH.clear();
    ResetMinGWSetup();
    InScratchFolder::TearDown();
  }

  // A shell script tool in the scratch folder; its path.
  std::string Tool(const std::string& name, const std::string& body) {
    dir.Write(name, "#!/bin/sh\n" + body + "\n");
    runtime::Fs().SetExecutable(dir / name);
    return dir / name;
  }

  // Writes a value straight into the test's registry file.
  void PutValue(runtime::RegHandle root, const std::string& key, const std::string& name,
                const runtime::RegValue& value) {
    runtime::RegHandle h = 0;
    ASSERT_TRUE(runtime::Reg().CreateKey(root, key, &h));
    ASSERT_TRUE(runtime::Reg().SetValue(h, name, value));
    runtime::Reg().CloseKey(h);
  }
  // A value of the test's registry; type kRegNone when missing.
  runtime::RegValue GetValue(runtime::RegHandle root, const std::string& key, const std::string& name) {
    runtime::RegValue value;
    runtime::RegHandle h = 0;
    if (runtime::Reg().OpenKey(root, key, &h)) {
      runtime::Reg().QueryValue(h, name, &value);
      runtime::Reg().CloseKey(h);
    }
    return value;
  }

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace corvane
