// The texts that show a program's installed state in the window: the mark
// on a Start page row ("installed 09 Dec 2026"), the mark on an Install page
// row whose package would replace an installed version, and the lines that
// report an uninstall.  Texts come from the message catalogue.
#pragma once

#include <string>
#include <vector>

#include "install/installed_record.h"
#include "install/installed_state.h"

namespace corvane {

// Message numbers of the installed-state texts.
inline constexpr int kMsgInstalledPrograms = 8;  // "Installed programs": menu item, dialog title
inline constexpr int kMsgRemove = 9;
inline constexpr int kMsgClose = 10;
inline constexpr int kMsgInstalled = 11;         // Start page mark, before the date
inline constexpr int kMsgReplacesVersion = 12;   // Install page mark, before the date
inline constexpr int kMsgRemovedFiles = 13;      // before a count
inline constexpr int kMsgKeptChanged = 14;       // before a path
inline constexpr int kMsgPutBack = 15;           // before a count
inline constexpr int kMsgInstallerNotUndone = 16;
inline constexpr int kMsgNotDone = 17;           // before what failed
inline constexpr int kMsgRemoveQuestion = 18;    // before the names of the programs to remove

// The record of the Tarnic folder TARNPATH; empty while none is set.
InstalledRecord TarnicRecord();

// The day of a record's date: "09 Dec 2026 05:10:00" gives "09 Dec 2026"; a
// date without a time is given whole.
std::string InstalledDay(const std::string& date);

// message 11 + " " + the day of the package's install.
std::string InstalledMark(const InstalledPackage& package);
// message 12 + " " + the day: the package would replace this installed one.
std::string ReplacesMark(const InstalledPackage& package);

// The lines that report one uninstall, headed by name: the files removed and
// put back (counts), every changed file kept, every problem, and the
// installer whose changes stay.  An id that was not recorded gives no lines.
std::vector<std::string> UninstallReport(const UninstallResult& result, const std::string& name);

}  // namespace corvane
