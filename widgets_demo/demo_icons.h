// A strip of six 32 x 32 icons drawn in code, so the demo shows icons even
// when the program's own picture resources are not embedded.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane::demo {

tk::IconStripPtr DrawIconStrip();

}  // namespace corvane::demo
