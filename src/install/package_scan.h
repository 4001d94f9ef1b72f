// Finds the downloaded packages that the catalogue knows: lists the download
// folder, matches every file name against programList and fills packageList
// and the Install page's check list (one ticked row per package, with an icon
// for its kind).
#pragma once

#include <string>
#include <vector>

#include "catalogue/tprogram.h"
#include "install/installed_record.h"

namespace corvane {

// The package file name of a record: the text after the last '/' of its url.
std::string PackageFileName(const tprogram& record);
// The kind of a file name: the text after its last '.', in upper case ("" for
// a name without '.').
std::string PackageKind(const std::string& file_name);
// The position in the icon strip for a kind: "BAT" 7, "ZIP" 3, "RAR" 2, "EXE"
// 1 for win32 (5 for linux_x86, 4 for macos_x86 and macos_ppc, the last
// platform flag that is set winning), anything else 0.
int IconForKind(const std::string& kind);

// The first line of a package's row: its name, followed by the mark of the
// version it would replace when installed records one.  (The second line,
// kind and verification, has no room left for it.)
std::string PackageRowText(const tprogram& record, const InstalledRecord& installed);

// The icon position given to each row by the last scan, in row order.
extern std::vector<int> packageRowIcons;

// Rebuilds packageList and the rows of packageChooser from the folder
// CurrentFolder() + "/download": for each file name, in listing order, every
// record of programList whose package file name equals it exactly (letter
// case counts) is appended, in programList order.  Every row starts ticked
// and carries its record (a ProgramPtr) as content.  A folder that cannot be
// listed logs "failed to read current directory" and leaves both empty.
void ScanPackages();

}  // namespace corvane
