// Filling the Start page's program list (programChooser) from programList:
// one ticked row per record, with the rows of programs already in the
// download folder coloured green and unticked, and those recorded as
// installed in the Tarnic folder marked so.
#pragma once

#include <string>

#include "catalogue/tprogram.h"
#include "install/installed_record.h"

namespace corvane {

// Row colours of a program already in "download".
inline constexpr int kDownloadedBack[3] = {50, 200, 50};
inline constexpr int kDownloadedSelect[3] = {90, 210, 90};

// Appends a row per record of programList to programChooser (which the caller
// empties first when it refills).  A record without a full name gets no row;
// each row carries its record, so the rows after it still belong to their
// own records.
void FillDownloadList();

// The second line of a program's row: "installed <day>" when the record of
// the Tarnic folder holds it, then its short description.
std::string ProgramRowLabel(const tprogram& program, const InstalledRecord& installed);

// Rewrites the installed marks of the Start page's and the Install page's
// rows from the record as it is now (after an install or an uninstall).
void ShowInstalledMarks();

// The record a row of programChooser carries, or null (no row, no record).
ProgramPtr ProgramOfRow(int row);

}  // namespace corvane
