// Re-labelling the main window after the message table changed: every gadget
// and menu item registered under a message number takes that message's new
// text (an empty text in the new language leaves the old one), the close
// question and the page tabs follow, and the catalogue is reloaded and shown
// in the current LANGUAGE.
#pragma once

namespace corvane {

// Returns 0.
int RelabelWindow();

}  // namespace corvane
