// What the FLTK backend keeps per gadget in Gadget::native.
#pragma once

#include "toolkit/fltk/fltk_widgets.h"

class Fl_Widget;

namespace corvane::tk::fltk {

struct Native {
  Fl_Widget* widget = nullptr;
  MenuStorage choice_items;  // combo boxes
};

// The widget showing a gadget, or null (proxies, menus, freed gadgets).
inline Fl_Widget* WidgetOf(const Gadget& g) {
  auto* n = static_cast<Native*>(g.native);
  return n ? n->widget : nullptr;
}

}  // namespace corvane::tk::fltk
