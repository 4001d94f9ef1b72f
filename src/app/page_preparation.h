// The work done when the Download or Install page is entered: the download
// queue is built from the ticked programs, the packages in "download" are
// listed and counted, and each page's heading and main button say whether
// there is anything to do.
#pragma once

#include <vector>

#include "catalogue/tprogram.h"

namespace corvane {

// The ticked programs in catalogue order, built by PrepareDownloadPage and
// fetched by the download run.
extern std::vector<ProgramPtr> downloadQueue;

// Status label: message 94 in red and "Download now!" disabled when nothing
// is ticked; else message 65 + " " + count in blue and the button enabled.
// Every record's status follows the tick of its row; the ticked records
// replace downloadQueue (which stays as it was when none is ticked).  While
// a download run is going it does nothing: the page belongs to the run.
void PrepareDownloadPage();

// Lists the packages in "download", unticks (and reports in the output area)
// those already found in PATH, counts the rest into packagesToInstall and
// shows message 92 in red with "Install now!" disabled when there are none,
// else message 93 + " " + count in blue with the button enabled.
void PrepareInstallPage();

void ResetPagePreparation();

}  // namespace corvane
