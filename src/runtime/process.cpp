#include "runtime/process.h"

namespace corvane::runtime {
namespace {
ProcessStarter g_starter;
}

std::unique_ptr<Process> StartProcess(const std::string& command_line) {
  return g_starter ? g_starter(command_line) : StartSystemProcess(command_line);
}

void SetProcessStarter(ProcessStarter starter) { g_starter = std::move(starter); }

}  // namespace corvane::runtime
