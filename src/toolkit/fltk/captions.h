// Captions that fit their controls: a push button's or a label's text that
// is wider (or, wrapped, taller) than the room inside the control is drawn a
// step smaller, down to kSmallestCaptionSize, instead of being cut off.  Texts
// change with the language, so the size is chosen again whenever a caption
// or the control's size changes.
#pragma once

#include "toolkit/toolkit.h"

class Fl_Widget;

namespace corvane::tk::fltk {

inline constexpr int kCaptionSize = 12;
inline constexpr int kSmallestCaptionSize = 8;

// Whether w's label fits inside it at the given size.  Gadgets other than
// push buttons and labels always fit (their widgets clip or scroll).
bool CaptionFits(const Gadget& gadget, Fl_Widget& w, int size);

// Gives w's label the largest size from kCaptionSize down that fits.
void FitCaption(const Gadget& gadget, Fl_Widget& w);

}  // namespace corvane::tk::fltk
