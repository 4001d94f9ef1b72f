// The "Installed programs" dialog (File menu): the programs recorded as
// installed into the Tarnic folder, one tickable row each with the date of
// its install, and "Remove" / "Close".  "Remove" asks, then uninstalls the
// ticked programs, writes what happened (and every changed file that was kept) into
// the dialog's output area and the activity log, and refills the list.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

class TMultiButton;

// The dialog's gadgets while it is open (null otherwise), for the tests.
struct InstalledDialogGadgets {
  tk::Gadget* window{};
  tk::Gadget* heading{};
  TMultiButton* list{};
  tk::Gadget* output{};
  tk::Gadget* removeButton{};
  tk::Gadget* closeButton{};
};
extern InstalledDialogGadgets installedDialog;

// Runs the dialog over the paused main window until "Close" or its close box;
// afterwards the Start and Install pages show the marks of what is still
// installed.  Returns 0.
int ShowInstalledDialog();

}  // namespace corvane
