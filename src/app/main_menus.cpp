#include "app/main_menus.h"

#include "install/installed_marks.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "widgets/tapplication.h"

namespace corvane {

MenuGadgets menus;

namespace {

tk::Gadget* Item(tk::Gadget* parent, int message, int tag) {
  return mainApp->AddMenuItem(parent, messages[message], tag, std::to_string(message));
}

tk::Gadget* Separator(tk::Gadget* parent) { return mainApp->AddMenuItem(parent, "", 0, ""); }

void RedrawMenuBar() {
  if (mainApp->window) mainApp->window->UpdateMenuBar();
}

}  // namespace

std::string TarnicPathItemText() { return "   Tarnic: \t" + TARNPATH; }
std::string WinrarPathItemText() { return "     WinRar: \t" + WINRAR; }
std::string SvnPathItemText() { return "SVN install: \t" + SVNPATH; }

void AddLanguageItems() {
  languageItems.clear();
  if (!languageMenu) return;
  for (std::size_t i = 0; i < languageList.size(); ++i) {
    languageItems.push_back(
        mainApp->AddMenuItem(languageMenu, languageList[i], kTagFirstLanguage + int(i), ""));
  }
}

void ShowOptionMarks() {
  if (updateAtStartItem) {
    if (AUTOUPDATE == "FALSE") updateAtStartItem->SetChecked(false);
    if (AUTOUPDATE == "TRUE") updateAtStartItem->SetChecked(true);
  }
  if (disableDeleteItem) {
    disableDeleteItem->SetChecked(false);
    if (DISABLE_DELETE == 1) disableDeleteItem->SetChecked(true);
  }
  RedrawMenuBar();
}

void BuildMenus() {
  // Titles first, then the File items down to Exit; the two submenu holders
  // stay empty until their items are made below.
  fileMenu = mainApp->AddMenu(messages[20], kTagFileMenu, "20");
  languageMenu = mainApp->AddMenu(messages[21], kTagLanguageMenu, "21");
  Item(fileMenu, 30, kTagUpdateFromServer);
  Separator(fileMenu);
  Item(fileMenu, 31, kTagReload);
  Item(fileMenu, kMsgInstalledPrograms, kTagInstalled);
  Item(fileMenu, 32, kTagInfo);
  Item(fileMenu, 35, kTagVersionInfo);
  Separator(fileMenu);
  changePathsMenu = Item(fileMenu, 33, kTagTarnicPath);
  Item(fileMenu, 34, kTagShowFolder);
  optionsMenu = Item(fileMenu, 66, kTagOptions);
  Separator(fileMenu);
  Item(fileMenu, 39, kTagExit);

  AddLanguageItems();

  updateAtStartItem = Item(optionsMenu, 67, kTagUpdateAtStart);
  disableDeleteItem = Item(optionsMenu, 48, kTagDisableDelete);
  ShowOptionMarks();

  tarnicPathItem = mainApp->AddMenuItem(changePathsMenu, "Tarnic: \t" + TARNPATH, kTagTarnicPath, "");
  winrarPathItem = mainApp->AddMenuItem(changePathsMenu, "  WinRar: \t" + WINRAR, kTagWinrarPath, "");
  svnPathItem = mainApp->AddMenuItem(changePathsMenu, "SVN inst: \t" + SVNPATH, kTagSvnPath, "");

  if (languageIndex >= 0 && languageIndex < int(languageItems.size())) {
    languageItems[languageIndex]->SetChecked(true);
  }
  tk::Print("Current Language " + LANGUAGE + " " + std::to_string(languageIndex));
  RedrawMenuBar();
}

void ResetMenus() {
  fileMenu = languageMenu = changePathsMenu = optionsMenu = nullptr;
  tarnicPathItem = winrarPathItem = svnPathItem = nullptr;
  updateAtStartItem = disableDeleteItem = nullptr;
  languageItems.clear();
}

}  // namespace corvane
