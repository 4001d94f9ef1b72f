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

}  // namespace corvane::tk
