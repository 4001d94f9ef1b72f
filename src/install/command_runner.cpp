#include "install/command_runner.h"

#include <memory>

#include "install/install_page.h"
#include "log/activity_log.h"
#include "runtime/environment.h"
#include "runtime/process.h"
#include "runtime/text.h"
#include "toolkit/toolkit.h"

namespace corvane {
namespace {

constexpr std::size_t kLineBuffer = 4096;
constexpr int kPollMs = 10;

// The tool's output bytes that are not yet a line, at most kLineBuffer.
class OutputLines {
 public:
  // Takes in what the pipe holds now, as much as fits; true when bytes came.
  bool Fill(runtime::Process& tool) {
    if (buffer_.size() >= kLineBuffer) return false;
    char chunk[kLineBuffer];
    long long n = tool.ReadOutput(chunk, kLineBuffer - buffer_.size());
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  // A line ended by LF, or a full buffer without one passed on as a piece.
  bool HasLine() const { return buffer_.find('\n') != std::string::npos || buffer_.size() >= kLineBuffer; }

  bool TakeLine(std::string* line) {
    std::size_t lf = buffer_.find('\n');
    if (lf != std::string::npos) {
      *line = Clean(buffer_.substr(0, lf));
      buffer_.erase(0, lf + 1);
      return true;
    }
    if (buffer_.size() < kLineBuffer) return false;
    *line = Clean(buffer_);
    buffer_.clear();
    return true;
  }

  // The last line of a tool that ended without a line end.
  std::string TakeRest() {
    std::string rest = Clean(buffer_);
    buffer_.clear();
    return rest;
  }

 private:
  // Without the CR of a CR LF and a CR at the start of the buffer (so a CR LF
  // cut in two by a full buffer loses its CR as well).
  static std::string Clean(std::string raw) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (!raw.empty() && raw.front() == '\r') raw.erase(0, 1);
    return runtime::ToolTextToUtf8(raw);
  }

  std::string buffer_;
};

// The event most recently taken off the queue is a click of STOP.
bool StopPressed() {
  tk::EventPtr event = tk::CurrentEvent();
  return event && installStopButton && event->source == installStopButton && event->id == tk::kGadgetAction;
}

}  // namespace

std::string RunCommand(const std::string& command_line) {
  LogLine("Cmd: <" + command_line + ">");
  if (StopPressed()) {
    // Starting a tool only to kill it could leave half its work done.
    LogLine("Process blocked by user...");
    return kCommandStopped;
  }
  std::unique_ptr<runtime::Process> tool = runtime::StartProcess(command_line);
  if (!tool) return "";

  std::string result;
  OutputLines output;
  while (true) {
    output.Fill(*tool);
    std::string line;
    if (output.TakeLine(&line)) result += line;

    tk::PollEvent();
    if (StopPressed()) {
      LogLine("Process blocked by user...");
      tool->Terminate();
      while (tool->Running()) {
        tool->WaitForExit(kPollMs);
        tk::PollEvent();
      }
      return kCommandStopped;
    }

    if (output.HasLine()) continue;
    if (!tool->Running()) {
      // Everything the tool wrote is in the pipe by now: take it all.
      do {
        while (output.TakeLine(&line)) result += line;
      } while (output.Fill(*tool));
      result += output.TakeRest();
      return result;
    }
    tool->WaitForOutput(kPollMs);
    tk::PollEvent();
  }
}

void AddOutputLine(const std::string& text) {
  if (installOutput) installOutput->AppendText(text + "\n");
}

int FoundInPath(const std::string& text) {
  std::string path = runtime::GetEnv("PATH");
  if (path.empty()) return 0;
  std::string wanted = runtime::ToUpper(text);
  int found = 0;
  for (const std::string& element : runtime::Split(path, std::string(1, runtime::PathListSeparator()))) {
    if (runtime::ToUpper(element).find(wanted) != std::string::npos) {
      found = 1;
      tk::PollEvent();
    }
  }
  return found;
}

}  // namespace corvane
