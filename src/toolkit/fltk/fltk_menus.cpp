#include "toolkit/fltk/fltk_menus.h"

#include <FL/Enumerations.H>

#include <cstring>

namespace corvane::tk::fltk {
namespace {

Fl_Menu_Item Blank() {
  Fl_Menu_Item item;
  std::memset(&item, 0, sizeof item);
  return item;
}

bool HasMenuChildren(const Gadget& g) {
  for (const Gadget* child : g.children()) {
    if (!child->freed() && child->kind() == Kind::Menu) return true;
  }
  return false;
}

void AddLevel(const Gadget& parent, Fl_Callback* callback, MenuStorage& storage) {
  for (Gadget* child : parent.children()) {
    if (child->freed() || child->kind() != Kind::Menu) continue;
    if (child->IsSeparator()) {
      // FLTK draws a divider under an item rather than as an item.
      if (!storage.items.empty() && storage.items.back().text) storage.items.back().flags |= FL_MENU_DIVIDER;
      continue;
    }
    Fl_Menu_Item item = Blank();
    item.text = storage.Keep(LabelText(child->Text()));
    item.shortcut_ = ShortcutFor(child->HotKey(), child->Modifier());
    if (!child->Enabled()) item.flags |= FL_MENU_INACTIVE;
    if (HasMenuChildren(*child)) {
      item.flags |= FL_SUBMENU;
      storage.items.push_back(item);
      AddLevel(*child, callback, storage);
      storage.items.push_back(Blank());  // end of the submenu
    } else {
      if (child->Checked()) item.flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
      item.callback_ = callback;
      item.user_data_ = child;
      storage.items.push_back(item);
    }
  }
}

}  // namespace

void BuildMenuBar(Gadget& window, Fl_Callback* callback, MenuStorage& storage) {
  storage.items.clear();
  storage.labels.clear();
  AddLevel(window, callback, storage);
  storage.items.push_back(Blank());
}

void BuildChoiceItems(const std::vector<ListItem>& items, MenuStorage& storage) {
  storage.items.clear();
  storage.labels.clear();
  for (const ListItem& source : items) {
    Fl_Menu_Item item = Blank();
    item.text = storage.Keep(LabelText(source.text));
    storage.items.push_back(item);
  }
  storage.items.push_back(Blank());
}

int ShortcutFor(int hotkey, int modifier) {
  if (hotkey <= 0) return 0;
  int key = 0;
  if (hotkey >= 'A' && hotkey <= 'Z') {
    key = hotkey - 'A' + 'a';
  } else if (hotkey >= '0' && hotkey <= '9') {
    key = hotkey;
  } else if (hotkey >= 112 && hotkey <= 123) {  // F1..F12
    key = FL_F + (hotkey - 111);
  } else if (hotkey == 13) {
    key = FL_Enter;
  } else if (hotkey == 27) {
    key = FL_Escape;
  } else if (hotkey == 46) {
    key = FL_Delete;
  } else {
    return 0;
  }
  if (modifier & 1) key |= FL_SHIFT;
  if (modifier & 2) key |= FL_CTRL;
  if (modifier & 4) key |= FL_ALT;
  if (modifier & 8) key |= FL_META;
  return key;
}

}  // namespace corvane::tk::fltk
