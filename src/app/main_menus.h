// The main window's menu bar: "File" (with the "Change paths" and "Options"
// submenus) and "Language" (one item per language file).  Items carry their
// message number as their registry name, so a language change relabels them.
#pragma once

#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvane {

// Menu tags: the main loop runs the command whose tag a MenuAction carries.
inline constexpr int kTagFileMenu = 1000;
inline constexpr int kTagUpdateFromServer = 1001;
inline constexpr int kTagReload = 1002;
inline constexpr int kTagInfo = 1003;
inline constexpr int kTagTarnicPath = 1004;  // also the "Change paths" holder
inline constexpr int kTagWinrarPath = 1005;
inline constexpr int kTagSvnPath = 1006;
inline constexpr int kTagShowFolder = 1010;
inline constexpr int kTagOptions = 1011;
inline constexpr int kTagVersionInfo = 1015;
inline constexpr int kTagInstalled = 1016;
inline constexpr int kTagUpdateAtStart = 1100;
inline constexpr int kTagDisableDelete = 1101;
inline constexpr int kTagExit = 1999;
inline constexpr int kTagLanguageMenu = 2000;
inline constexpr int kTagFirstLanguage = 2001;  // + position in languageList

// The menus and the items the program changes later, created by BuildMenus.
struct MenuGadgets {
  tk::Gadget* fileMenu{};
  tk::Gadget* languageMenu{};
  tk::Gadget* changePathsMenu{};
  tk::Gadget* optionsMenu{};
  tk::Gadget* tarnicPathItem{};
  tk::Gadget* winrarPathItem{};
  tk::Gadget* svnPathItem{};
  tk::Gadget* updateAtStartItem{};
  tk::Gadget* disableDeleteItem{};
  // The Language menu's items, one per languageList entry, in order.
  std::vector<tk::Gadget*> languageItems{};
};
extern MenuGadgets menus;
// The names the rest of the program and the tests use.
inline tk::Gadget*& fileMenu = menus.fileMenu;
inline tk::Gadget*& languageMenu = menus.languageMenu;
inline tk::Gadget*& changePathsMenu = menus.changePathsMenu;
inline tk::Gadget*& optionsMenu = menus.optionsMenu;
inline tk::Gadget*& tarnicPathItem = menus.tarnicPathItem;
inline tk::Gadget*& winrarPathItem = menus.winrarPathItem;
inline tk::Gadget*& svnPathItem = menus.svnPathItem;
inline tk::Gadget*& updateAtStartItem = menus.updateAtStartItem;
inline tk::Gadget*& disableDeleteItem = menus.disableDeleteItem;
inline std::vector<tk::Gadget*>& languageItems = menus.languageItems;

// Builds both menus on mainApp's window, sets the option check marks from
// AUTOUPDATE and DISABLE_DELETE and the language check mark at languageIndex.
void BuildMenus();

// Creates one Language item per languageList entry (tag 2001 + position)
// under languageMenu and keeps them in languageItems.
void AddLanguageItems();

// Check marks of the two Options items, from the settings as they are.
void ShowOptionMarks();

// Texts of the three "Change paths" items after a folder was chosen.
std::string TarnicPathItemText();
std::string WinrarPathItemText();
std::string SvnPathItemText();

void ResetMenus();

}  // namespace corvane
