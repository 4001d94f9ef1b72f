// The menu commands and the page buttons' handlers that the main loop
// dispatches to.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

// Runs the File-menu command with this tag.  Returns true when the command
// changed an Options setting ("Update at start", "Disable Delete"): the main
// loop then ends its iteration at once.  Unknown tags (titles, submenu
// holders, Language items) do nothing here.
bool RunMenuCommand(int tag);

// Runs the handler of a page button; any other source does nothing.
void HandleGadgetAction(tk::Gadget* source);

// "Update at start" and "Disable Delete": flip the setting when it holds one
// of its two known values, move the check mark and save.  True when changed.
bool ToggleUpdateAtStart();
bool ToggleDisableDelete();

}  // namespace corvane
