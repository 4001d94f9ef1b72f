#include "app/shell_state.h"

#include "maintenance/version_check.h"

namespace corvane {

ShellState shellState;

std::string ApplicationTitle() { return std::string(kProgramName) + " " + programVersion; }

void ResetShellState() {
  osName.clear();
  programFilesFolder.clear();
}

}  // namespace corvane
