// The "2.Download" page: labels and progress bars that follow a download run,
// the "Download now!" and "STOP!" buttons, and the page buttons.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

extern tk::Gadget* downloadPicturePanel;
extern tk::Gadget* downloadStatusLabel;
extern tk::Gadget* downloadFileLabel;
extern tk::Gadget* downloadTotalLabel;
extern tk::Gadget* overallProgress;
extern tk::Gadget* downloadSizeLabel;
extern tk::Gadget* fileProgress;
extern tk::Gadget* urlCaption;
extern tk::Gadget* urlLabel;
extern tk::Gadget* downloadButton;
extern tk::Gadget* downloadStopButton;
extern tk::Gadget* downloadBackButton;
extern tk::Gadget* goToInstallButton;

// Builds the page on mainApp's tab page 1; the STOP button starts disabled.
void BuildDownloadPage();

void ResetDownloadPage();

}  // namespace corvane
