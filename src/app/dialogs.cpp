#include "app/dialogs.h"

#include "app/main_menus.h"
#include "app/pictures.h"
#include "app/shell_state.h"
#include "log/activity_log.h"
#include "maintenance/version_check.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"

namespace corvane {

std::vector<std::string> AboutLines() {
  return {
      "Corvane - version " + programVersion,
      "(C) 2024-2026 " + std::string(kAuthorCredit) + ". All rights reserved.",
      "The Tarnic logo and the Tarnic language are the work of the Tarnic project.",
      "Visit the Tarnic project's web site for more information about the toolchain.",
      "The pictures and icons were drawn for Corvane; they share the program's licence.",
  };
}

int ShowAbout() {
  if (mainApp) mainApp->About("Info", AboutLines(), "", logoPicture);
  return 0;
}

int AskPath(int which) {
  switch (which) {
    case kAskTarnicPath:
      TARNPATH = tk::RequestFolder(messages[60], programFilesFolder);
      break;
    case kAskWinrarPath:
      WINRAR = tk::RequestFolder(messages[61], programFilesFolder + "/Winrar");
      break;
    case kAskSvnPath:
      SVNPATH = tk::RequestFolder(messages[87], TARNPATH);
      break;
    default:
      break;
  }
  SaveConfig();
  if (tarnicPathItem) tarnicPathItem->SetText(TarnicPathItemText());
  if (winrarPathItem) winrarPathItem->SetText(WinrarPathItemText());
  if (svnPathItem) svnPathItem->SetText(SvnPathItemText());
  if (mainApp && mainApp->window) mainApp->window->UpdateMenuBar();
  LogLine("Tarnic path: <" + TARNPATH + ">");
  LogLine("  WinRar path: <" + WINRAR + ">");
  LogLine("SVN inst path: <" + SVNPATH + ">");
  if (SVNPATH.empty()) installTarget = TARNPATH;
  return 0;
}

}  // namespace corvane
