// Menus: the Fl_Menu_Item arrays of a window's menu bar and of combo boxes,
// built from the toolkit's gadgets.
#pragma once

#include <FL/Fl_Menu_Item.H>

#include "toolkit/fltk/fltk_widgets.h"

namespace corvane::tk::fltk {

// Fills storage with the menu tree below window (its Menu children): empty
// texts become divider lines under the item before them, checked items show
// a check mark, disabled ones are greyed.  Every item's callback gets
// its gadget as data.
void BuildMenuBar(Gadget& window, Fl_Callback* callback, MenuStorage& storage);

// One plain item per text, for a combo box.
void BuildChoiceItems(const std::vector<ListItem>& items, MenuStorage& storage);

// FLTK key code for a hot key given as a Windows virtual-key code with the
// toolkit's modifier bits (1 shift, 2 control, 4 alt, 8 command); 0 for none.
int ShortcutFor(int hotkey, int modifier);

}  // namespace corvane::tk::fltk
