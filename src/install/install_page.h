// The Install page's gadgets and count, as the install engine, the package
// scan and the command runner use them.  The shell creates the page and sets
// these globals; until then they are null (and the count 0), and every user
// of them does nothing with a null gadget.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

class TMultiButton;

// The check list of downloaded packages; rows correspond to packageList.
extern TMultiButton* packageChooser;
// The read-only output area the engine writes its progress lines to.
extern tk::Gadget* installOutput;
// The install progress bar.
extern tk::Gadget* installProgress;
// "STOP!": enabled only while an installation runs.
extern tk::Gadget* installStopButton;
// "Install now!", "Go back", "Finish", "Select all", "Deselect all".
extern tk::Gadget* installButton;
extern tk::Gadget* installBackButton;
extern tk::Gadget* installFinishButton;
extern tk::Gadget* installSelectAllButton;
extern tk::Gadget* installDeselectAllButton;

// The number of packages to install as the Install page last counted them;
// set by the page's preparation and its selection counter, read by the
// install engine for its progress bar.
extern int packagesToInstall;

}  // namespace corvane
