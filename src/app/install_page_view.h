// The "3.Install" page: the downloaded packages as a list of tickable rows,
// the install and STOP buttons, the output area and progress bar of an
// installation, and the page buttons.  The gadgets the install engine uses
// are the globals of install/install_page.h; the shell sets them here.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

// The Install page's own gadgets (those the install engine's page wrapper uses are in install/install_page.h).
struct InstallPageViewGadgets {
  tk::Gadget* installPicturePanel{};
  tk::Gadget* installHeading{};
};
extern InstallPageViewGadgets installPageView;
// The names the rest of the program and the tests use.
inline tk::Gadget*& installPicturePanel = installPageView.installPicturePanel;
inline tk::Gadget*& installHeading = installPageView.installHeading;

// Builds the page on mainApp's tab page 2; the STOP button starts disabled.
void BuildInstallPage();

// Empties installOutput the way the page does it: select all, then set empty.
void ClearInstallOutput();

void ResetInstallPageView();

}  // namespace corvane
