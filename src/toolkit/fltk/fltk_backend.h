// The FLTK toolkit backend: real windows on the desktop.
#pragma once

#include <memory>
#include <string>

#include "toolkit/toolkit.h"

namespace corvane::tk {

// Opens the display and makes the backend.  Null when no display can be
// opened, with *error = "cannot open display <name>: set DISPLAY or run under
// Xvfb"; the program is never aborted by the toolkit library itself.
std::unique_ptr<Backend> MakeFltkBackend(std::string* error);

// Whether the caption of a push button or a label fits inside it at the size
// it is drawn (true for every other gadget, and without a widget).  Captions
// that do not fit at the usual size are drawn a step smaller, down to a
// smallest size; this tells whether that was enough.
bool CaptionFits(const Gadget& gadget);
// The size a push button's or label's caption is drawn at; 0 without a widget.
int CaptionSize(const Gadget& gadget);

}  // namespace corvane::tk
