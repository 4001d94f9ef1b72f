#include "reference_tool.h"

#include <chrono>

#include "process_usage.h"
#include "runtime/process.h"

namespace corvane::bench {

std::string LocateTool(const std::string& name) { return runtime::FindProgram(name); }

ToolRun RunTool(const std::string& command_line, int limit_ms) {
  using Clock = std::chrono::steady_clock;
  ToolRun run;
  const double children_before = ChildrenCpuMs();
  const Clock::time_point start = Clock::now();
  auto process = runtime::StartProcess(command_line);
  if (!process) {
    run.errors = "cannot start: " + command_line;
    return run;
  }
  auto elapsed_ms = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
  char buffer[4096];
  bool output_open = true;
  // The output pipe ends when the tool exits, which wakes the wait at once,
  // so the time taken at that moment is the tool's own.
  while (output_open && elapsed_ms() < limit_ms) {
    process->WaitForOutput(100);
    for (;;) {
      long long n = process->ReadOutput(buffer, sizeof buffer);
      if (n > 0) {
        run.output.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0) output_open = false;
      break;
    }
  }
  const double left = limit_ms - elapsed_ms();
  if (!process->WaitForExit(left > 0 ? static_cast<int>(left) : 0)) {
    process->Terminate();
    process->WaitForExit(1000);
    run.errors = "killed after " + std::to_string(limit_ms) + " ms: " + command_line;
    run.wall_ms = elapsed_ms();
    return run;
  }
  run.wall_ms = elapsed_ms();
  // The tool has been collected: its time now counts among the children's.
  const double children_after = ChildrenCpuMs();
  if (children_before >= 0 && children_after >= 0) run.cpu_ms = children_after - children_before;
  run.exit_code = process->ExitCode();
  run.errors = process->ErrorOutput();
  run.ok = run.exit_code == 0;
  return run;
}

}  // namespace corvane::bench
