// A tool whose output and end a test scripts exactly, for code that runs
// tools through runtime::StartProcess.
//
//   auto script = std::make_shared<corvane::testing::ToolScript>();
//   script->pipe = "first\n";                        // already written
//   script->on_running = [](ToolScript& s) { s.ended = true; };
//   corvane::testing::ScriptedTools tools(script);   // every StartProcess gets it
//
// Nothing waits: WaitForOutput and WaitForExit return at once.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "runtime/process.h"

namespace corvane::testing {

struct ToolScript {
  std::string pipe;   // bytes the tool has written and nobody has read yet
  bool ended = false;
  // Runs each time the tool is asked whether it still runs (while it does).
  std::function<void(ToolScript&)> on_running;
  int reads = 0, waits = 0, starts = 0;
  bool terminated = false;
};

class ScriptedProcess : public runtime::Process {
 public:
  explicit ScriptedProcess(std::shared_ptr<ToolScript> s) : s_(std::move(s)) {}
  long long ReadOutput(char* buffer, std::size_t size) override {
    if (++s_->reads > 100000) s_->ended = true;  // a caller that spins stops here (and its test fails)
    if (s_->pipe.empty()) return s_->ended ? -1 : 0;
    std::size_t n = std::min(size, s_->pipe.size());
    std::memcpy(buffer, s_->pipe.data(), n);
    s_->pipe.erase(0, n);
    return static_cast<long long>(n);
  }
  void WaitForOutput(int) override { ++s_->waits; }
  bool Running() override {
    if (s_->on_running && !s_->ended) s_->on_running(*s_);
    return !s_->ended;
  }
  bool WaitForExit(int) override { return s_->ended; }
  void Terminate() override { s_->ended = s_->terminated = true; }
  int ExitCode() override { return s_->ended && !s_->terminated ? 0 : -1; }
  std::string ErrorOutput() override { return ""; }

 private:
  std::shared_ptr<ToolScript> s_;
};

// While it lives, every started tool follows the script.
class ScriptedTools {
 public:
  explicit ScriptedTools(std::shared_ptr<ToolScript> script) {
    runtime::SetProcessStarter([script](const std::string&) {
      ++script->starts;
      return std::make_unique<ScriptedProcess>(script);
    });
  }
  ~ScriptedTools() { runtime::SetProcessStarter(nullptr); }
  ScriptedTools(const ScriptedTools&) = delete;
  ScriptedTools& operator=(const ScriptedTools&) = delete;
};

}  // namespace corvane::testing
