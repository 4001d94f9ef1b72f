#include "app/commands.h"

#include "app/dialogs.h"
#include "app/download_page.h"
#include "app/download_run.h"
#include "app/install_page_view.h"
#include "app/installed_dialog.h"
#include "app/languages.h"
#include "app/main_menus.h"
#include "app/program_list_view.h"
#include "app/start_page.h"
#include "catalogue/program_list_reader.h"
#include "install/install_engine.h"
#include "install/install_page.h"
#include "maintenance/mingw_setup.h"
#include "maintenance/version_check.h"
#include "runtime/file_system.h"
#include "settings/config.h"
#include "widgets/tapplication.h"
#include "widgets/tmultibutton.h"

namespace corvane {

namespace {

void RedrawMenuBar() {
  if (mainApp && mainApp->window) mainApp->window->UpdateMenuBar();
}

void ReloadProgramList() {
  if (programChooser) programChooser->ClearItems();
  LoadProgramList();
  FillDownloadList();
}

void ShowPage(int page) {
  if (mainApp) mainApp->ShowTabber(page);
}

}  // namespace

bool ToggleUpdateAtStart() {
  bool checked;
  if (AUTOUPDATE == "FALSE") {
    checked = true;
    AUTOUPDATE = "TRUE";
  } else if (AUTOUPDATE == "TRUE") {
    checked = false;
    AUTOUPDATE = "FALSE";
  } else {
    return false;
  }
  if (updateAtStartItem) updateAtStartItem->SetChecked(checked);
  RedrawMenuBar();
  SaveConfig();
  return true;
}

bool ToggleDisableDelete() {
  bool checked;
  if (DISABLE_DELETE == 0) {
    checked = true;
    DISABLE_DELETE = 1;
  } else if (DISABLE_DELETE == 1) {
    checked = false;
    DISABLE_DELETE = 0;
  } else {
    return false;
  }
  if (disableDeleteItem) disableDeleteItem->SetChecked(checked);
  RedrawMenuBar();
  SaveConfig();
  return true;
}

bool RunMenuCommand(int tag) {
  switch (tag) {
    case kTagUpdateFromServer:
      CheckVersion();
      RefreshLanguages(1);
      BuildLanguageMenu();
      if (programChooser) programChooser->ClearItems();
      FillDownloadList();
      return false;
    case kTagReload:
      ReloadProgramList();
      return false;
    case kTagInfo:
      ShowAbout();
      return false;
    case kTagTarnicPath:
      AskPath(kAskTarnicPath);
      return false;
    case kTagWinrarPath:
      AskPath(kAskWinrarPath);
      return false;
    case kTagSvnPath:
      AskPath(kAskSvnPath);
      return false;
    case kTagShowFolder:
      tk::OpenUrl(runtime::Fs().CurrentFolder() + "/download");
      return false;
    case kTagVersionInfo:
      ShowVersionInfo();
      return false;
    case kTagInstalled:
      ShowInstalledDialog();
      return false;
    case kTagUpdateAtStart:
      return ToggleUpdateAtStart();
    case kTagDisableDelete:
      return ToggleDisableDelete();
    case kTagExit:
      SaveConfig();
      if (mainApp) mainApp->Close();
      return false;
    default:
      return false;
  }
}

void HandleGadgetAction(tk::Gadget* source) {
  if (!source) return;
  if (source == updateListButton) {
    ReloadProgramList();
  } else if (source == startSelectAllButton) {
    if (programChooser) programChooser->ChangeState(1);
  } else if (source == startDeselectAllButton) {
    if (programChooser) programChooser->ChangeState(0);
  } else if (source == goToDownloadButton) {
    ShowPage(1);
  } else if (source == downloadButton) {
    StartDownloadRun();
  } else if (source == downloadStopButton) {
    StopDownloadRun();
  } else if (source == downloadBackButton) {
    ShowPage(0);
  } else if (source == goToInstallButton) {
    ShowPage(2);
  } else if (source == installButton) {
    InstallPackages();
    ShowInstalledMarks();
  } else if (source == installBackButton) {
    ShowPage(1);
  } else if (source == installFinishButton) {
    SaveConfig();
    if (mainApp) mainApp->Close();
  } else if (source == installSelectAllButton) {
    if (packageChooser) packageChooser->ChangeState(1);
  } else if (source == installDeselectAllButton) {
    if (packageChooser) packageChooser->ChangeState(0);
  }
}

}  // namespace corvane
