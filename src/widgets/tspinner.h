// A compound gadget for entering a whole number in [low, high]: a text field
// with a stepper beside it, both inside a small sunken panel.  The spinner's
// own gadget (AsGadget) is a toolkit proxy for the text field, so text, enable,
// show and focus act on the field and the field's events carry the spinner's
// gadget as source.  Every change of value reaches the owner as exactly one
// GadgetAction from the spinner's gadget: data = stepper position after a
// step, 0 after an edit.  With style flag 1 the value counts tenths and shows
// one decimal (25 shows as "2.5").
//
// Spinners are owned by the widgets module (valid until ResetWidgets()).
#pragma once

#include <string>

#include "toolkit/toolkit.h"

namespace corvane {

class TSpinner {
 public:
  TSpinner() = default;
  TSpinner(const TSpinner&) = delete;
  TSpinner& operator=(const TSpinner&) = delete;
  ~TSpinner();

  // Builds the spinner at (x, y), w x h, inside container; range 0 .. 9,
  // value 0, empty text.  Never null; the gadgets are null without a backend.
  static TSpinner* Create(int x, int y, int w, int h, tk::Gadget* container, int style);
  // The spinner whose gadget is g, or null.
  static TSpinner* FromGadget(const tk::Gadget* g);

  // The gadget that stands for the spinner (event source, registry entry).
  tk::Gadget* AsGadget() const { return gadget_; }

  // low/high/range are set; the stepper runs 0 .. range-1.  The stored value
  // and the text are left as they are: set the value after the range.
  int SetRange(int low, int high);
  int FixValue(int v) const;  // v clamped to [low, high] (high wins when low > high)
  // value := FixValue(v); moves the stepper; with show != 0 rewrites the text.
  int SetValue_(int v, int show);
  int GetValue() const { return value; }
  // Removes the hook and frees the spinner's gadgets.  Safe to call twice.
  int Free();

  // Key filter of the text field: accepts backspace, '-', '.', digits and
  // every event that is not a KeyChar; rejects the rest.
  static bool NumFilter(const tk::Event& event, void* context);
  // Fixed-point text of f with `decimals` decimals (0..9), truncated toward
  // zero: PrettyFloat(2.5, 1) = "2.5", (-0.5, 1) = "-0.5", (0.0, 1) = "0.0".
  static std::string PrettyFloat(double f, int decimals);
  static tk::EventPtr SpinnerHook(int hook_id, tk::EventPtr data, void* context);
  // Steps and edits become value changes (see the file comment); returns the
  // event, or null when it was consumed and replaced by the spinner's own.
  tk::EventPtr HandleEvents(tk::EventPtr event);

  // ---- fields ----
  tk::Gadget* panel = nullptr;
  tk::Gadget* textField = nullptr;
  tk::Gadget* stepper = nullptr;
  tk::Gadget* trackbar = nullptr;  // unused
  int range = 10;
  float precision = 1.0f;  // unused
  int value = 0;
  int low = 0;
  int high = 9;
  int style = 0;  // flag 1: tenths

 private:
  std::string ValueText() const;
  tk::Gadget* gadget_ = nullptr;
  int hook_handle_ = 0;
};

// Plain-code counterparts of the operations above.
TSpinner* CreateSpinner(int x, int y, int w, int h, tk::Gadget* container, int style);
// Bounds truncated toward zero.
int SetSpinnerRange(TSpinner* spinner, double low, double high);
int SetSpinnerValue(TSpinner* spinner, int v);  // SetValue_(v, 1)
int SpinnerValue(const TSpinner* spinner);      // 0 for null

}  // namespace corvane
