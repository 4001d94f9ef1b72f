// The "1.Start" page: the catalogue as a list of tickable programs with the
// details of the highlighted one, and the buttons to tick all, untick all,
// reload the list and go on to the Download page.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

class TMultiButton;

// Label styles of the pages: plain, sunken frame, centred in a sunken frame.
inline constexpr int kPlainLabel = tk::kLabelLeft;
inline constexpr int kSunkenLabel = tk::kLabelSunken;
inline constexpr int kCentredSunkenLabel = tk::kLabelCentre | tk::kLabelSunken;
// Push buttons of the pages.
inline constexpr int kPushButton = tk::kButtonPushLike;
// Read-only text with word wrap.
inline constexpr int kReadOnlyText = tk::kTextWordWrap | tk::kTextReadOnly;

// The Start page's gadgets, created by BuildStartPage.
struct StartPageGadgets {
  TMultiButton* programChooser{};
  tk::Gadget* logoPanel{};
  tk::Gadget* goToDownloadButton{};
  tk::Gadget* startHeading{};
  tk::Gadget* descriptionArea{};
  tk::Gadget* webLink{};
  tk::Gadget* authorLabel{};
  tk::Gadget* licenceLabel{};
  // Whether the selected program is verified (signed catalogue and a hash).
  tk::Gadget* verifiedLabel{};
  tk::Gadget* startDeselectAllButton{};
  tk::Gadget* startSelectAllButton{};
  tk::Gadget* updateListButton{};
};
extern StartPageGadgets startPage;
// The names the rest of the program and the tests use.
inline TMultiButton*& programChooser = startPage.programChooser;
inline tk::Gadget*& logoPanel = startPage.logoPanel;
inline tk::Gadget*& goToDownloadButton = startPage.goToDownloadButton;
inline tk::Gadget*& startHeading = startPage.startHeading;
inline tk::Gadget*& descriptionArea = startPage.descriptionArea;
inline tk::Gadget*& webLink = startPage.webLink;
inline tk::Gadget*& authorLabel = startPage.authorLabel;
inline tk::Gadget*& licenceLabel = startPage.licenceLabel;
inline tk::Gadget*& verifiedLabel = startPage.verifiedLabel;
inline tk::Gadget*& startDeselectAllButton = startPage.startDeselectAllButton;
inline tk::Gadget*& startSelectAllButton = startPage.startSelectAllButton;
inline tk::Gadget*& updateListButton = startPage.updateListButton;

// Builds the page on mainApp's tab page 0 and fills the list from programList.
void BuildStartPage();

// message 54 + "ticked/rows" (the first heading, without parentheses) and
// message 54 + " (ticked/rows)" (every later one).
std::string FirstStartHeading();
std::string StartHeading(int ticked, int rows);

void ResetStartPage();

}  // namespace corvane
