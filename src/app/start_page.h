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

extern TMultiButton* programChooser;
extern tk::Gadget* logoPanel;
extern tk::Gadget* goToDownloadButton;
extern tk::Gadget* startHeading;
extern tk::Gadget* descriptionArea;
extern tk::Gadget* webLink;
extern tk::Gadget* authorLabel;
extern tk::Gadget* licenceLabel;
// Whether the selected program is verified (signed catalogue and a hash).
extern tk::Gadget* verifiedLabel;
extern tk::Gadget* startDeselectAllButton;
extern tk::Gadget* startSelectAllButton;
extern tk::Gadget* updateListButton;

// Builds the page on mainApp's tab page 0 and fills the list from programList.
void BuildStartPage();

// message 54 + "ticked/rows" (the first heading, without parentheses) and
// message 54 + " (ticked/rows)" (every later one).
std::string FirstStartHeading();
std::string StartHeading(int ticked, int rows);

void ResetStartPage();

}  // namespace corvane
