#include "app/entry.h"

#include <iostream>
#include <string>
#include <vector>

#include "app/after_event.h"
#include "app/cli.h"
#include "app/command_line.h"
#include "app/download_page.h"
#include "app/download_run.h"
#include "app/install_page_view.h"
#include "app/main_loop.h"
#include "app/main_menus.h"
#include "app/page_preparation.h"
#include "app/pictures.h"
#include "app/shell_state.h"
#include "app/start_page.h"
#include "app/startup.h"
#include "catalogue/catalogue_names.h"
#include "catalogue/signed_files.h"
#include "catalogue/tprogram.h"
#include "install/install_page.h"
#include "log/activity_log.h"
#include "maintenance/version_check.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/terminal.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "settings/server_address.h"
#include "trust/trusted_keys.h"
#include "widgets/tapplication.h"

namespace corvane::app {

namespace {

constexpr const char* kServerVariable = "CORVANE_SERVER";

void UseServer(const std::string& from_command_line) {
  std::string root = from_command_line;
  if (root.empty()) root = runtime::GetEnv(kServerVariable);
  SetServerRoot(root);  // empty: the compiled-in default
}

// Relative key files name files in the folder the program was started in.
void UseTrustKeyFiles(const CommandLine& line) {
  for (const std::string& key : line.trust_keys) trustKeyFiles.push_back(runtime::Fs().Absolute(key));
}

// A command: no display is opened, and the program folder is used as the
// wizard uses it.
int RunCommandLine(const CommandLine& line) {
  runtime::UseParentConsole();
  ResetApplication();
  const std::string previous_folder = runtime::Fs().CurrentFolder();
  UseTrustKeyFiles(line);
  const std::string folder = runtime::ChooseProgramFolder(line.home);
  if (folder.empty() || !runtime::EnterProgramFolder(folder)) {
    std::cerr << "corvane: cannot use the program folder <" << folder << ">\n";
    return kExitItemFailed;
  }
  UseServer(line.server);
  // What the modules print on their own (the log's echo, the settings
  // report) stays out of a command's output, which scripts read.
  std::streambuf* standard_output = std::cout.rdbuf();
  std::ostream out(standard_output);
  std::cout.rdbuf(nullptr);
  const int code = RunCli(line, out, std::cerr, std::cin);
  out.flush();
  std::cout.rdbuf(standard_output);
  ResetApplication();
  runtime::Fs().ChangeFolder(previous_folder);
  return code;
}

}  // namespace

void ResetApplication() {
  ResetWidgets();
  tk::Shutdown();
  ResetStartPage();
  ResetDownloadPage();
  ResetInstallPageView();
  ResetMenus();
  ResetPictures();
  ResetDownloadRun();
  ResetPagePreparation();
  ResetShellState();
  loopState = LoopBookkeeping{};
  packagesToInstall = 0;
  programList.clear();
  packageList.clear();
  platformWin32 = 0;
  ResetLog();
  ResetConfig();
  ResetMessages();
  ResetVersionCheck();
  SetServerRoot("");
  trust::ResetTrust();
  ResetRefusalReports();
  trustKeyFiles.clear();
}

int Main(int argc, char** argv, tk::BackendFactory make_backend) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  const CommandLine line = ParseCommandLine(args);
  if (!line.error.empty()) {
    std::cerr << "corvane: " << line.error << "\n" << UsageText();
    return 2;
  }
  if (line.help) {
    std::cout << UsageText();
    return 0;
  }
  if (line.version) {
    std::cout << "Corvane " << programVersion << "\n";
    return 0;
  }

  if (!line.command.empty()) return RunCommandLine(line);

  ResetApplication();
  // The display first: without one nothing may be touched on disk.
  std::string error;
  std::unique_ptr<tk::Backend> backend = make_backend ? make_backend(&error) : nullptr;
  if (!backend) {
    std::cerr << "corvane: " << (error.empty() ? "cannot open a display" : error) << "\n";
    return 1;
  }
  tk::SetBackend(std::move(backend));

  const std::string previous_folder = runtime::Fs().CurrentFolder();
  UseTrustKeyFiles(line);
  const std::string folder = runtime::ChooseProgramFolder(line.home);
  if (folder.empty() || !runtime::EnterProgramFolder(folder)) {
    std::cerr << "corvane: cannot use the program folder <" << folder << ">\n";
    ResetApplication();
    return 1;
  }
  UseServer(line.server);

  StartUp();
  RunMainLoop();
  LogEndOfProgram();

  ResetApplication();
  runtime::Fs().ChangeFolder(previous_folder);
  return 0;
}

}  // namespace corvane::app
