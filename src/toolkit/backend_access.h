// What backends use to record what the user did to a gadget (typed text,
// ticked a box, chose an item, moved a slider or a window) without being told
// the change back through Backend::Changed.  Used by backends only; program
// code uses the Gadget operations.
#pragma once

#include <string>

#include "toolkit/toolkit.h"

namespace corvane::tk {

class Toolkit {
 public:
  static void UserSetText(Gadget& gadget, const std::string& text);
  static void UserSetCheck(Gadget& gadget, int state);
  static void UserSelectItem(Gadget& gadget, int index);
  // Clamped into the slider's range; answers the position kept.
  static int UserSetPosition(Gadget& gadget, int position);
  static void UserSetSelection(Gadget& gadget, int start, int length);
  // A window moved or resized by the user; children follow their layout rules.
  static void UserSetShape(Gadget& gadget, int x, int y, int w, int h);
  // The radio buttons that share the container of button (button included).
  static void UncheckOtherRadios(Gadget& button);
  // The outermost mouse-reporting panel among gadget and its containers, or null.
  static Gadget* OutermostMousePanel(Gadget* gadget);
  // Position of gadget's top-left corner relative to its top-level window's
  // own area (where the window's client insets are counted), for backends
  // that place children in window coordinates.
  static void WindowPosition(const Gadget& gadget, int* x, int* y);
  // The top-level window (or the desktop) that contains gadget.
  static Gadget* TopLevel(Gadget* gadget);

  // Toolkit core only.
  static void SetGeometry(Gadget& gadget, int x, int y, int w, int h);
  // Where a child goes when its container's client area is cw x ch; false
  // when it has no layout rules.
  static bool LayoutFor(const Gadget& child, int cw, int ch, int* x, int* y, int* w, int* h);
  // A new gadget, not yet announced to the backend.
  static Gadget* Make(Kind kind, const std::string& text, int x, int y, int w, int h,
                      Gadget* parent, int style);
  static void SetMenuFields(Gadget& menu, int tag, int hotkey, int modifier);
};

}  // namespace corvane::tk
