// The "2.Download" page: labels and progress bars that follow a download run,
// the "Download now!" and "STOP!" buttons, and the page buttons.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

// The Download page's gadgets, created by BuildDownloadPage.
struct DownloadPageGadgets {
  tk::Gadget* downloadPicturePanel{};
  tk::Gadget* downloadStatusLabel{};
  tk::Gadget* downloadFileLabel{};
  tk::Gadget* downloadTotalLabel{};
  tk::Gadget* overallProgress{};
  tk::Gadget* downloadSizeLabel{};
  tk::Gadget* fileProgress{};
  tk::Gadget* urlCaption{};
  tk::Gadget* urlLabel{};
  tk::Gadget* downloadButton{};
  tk::Gadget* downloadStopButton{};
  tk::Gadget* downloadBackButton{};
  tk::Gadget* goToInstallButton{};
};
extern DownloadPageGadgets downloadPage;
// The names the rest of the program and the tests use.
inline tk::Gadget*& downloadPicturePanel = downloadPage.downloadPicturePanel;
inline tk::Gadget*& downloadStatusLabel = downloadPage.downloadStatusLabel;
inline tk::Gadget*& downloadFileLabel = downloadPage.downloadFileLabel;
inline tk::Gadget*& downloadTotalLabel = downloadPage.downloadTotalLabel;
inline tk::Gadget*& overallProgress = downloadPage.overallProgress;
inline tk::Gadget*& downloadSizeLabel = downloadPage.downloadSizeLabel;
inline tk::Gadget*& fileProgress = downloadPage.fileProgress;
inline tk::Gadget*& urlCaption = downloadPage.urlCaption;
inline tk::Gadget*& urlLabel = downloadPage.urlLabel;
inline tk::Gadget*& downloadButton = downloadPage.downloadButton;
inline tk::Gadget*& downloadStopButton = downloadPage.downloadStopButton;
inline tk::Gadget*& downloadBackButton = downloadPage.downloadBackButton;
inline tk::Gadget*& goToInstallButton = downloadPage.goToInstallButton;

// Builds the page on mainApp's tab page 1; the STOP button starts disabled.
void BuildDownloadPage();

void ResetDownloadPage();

}  // namespace corvane
