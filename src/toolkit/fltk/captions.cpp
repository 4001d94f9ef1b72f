#include "toolkit/fltk/captions.h"

#include <FL/Fl.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

namespace corvane::tk::fltk {
namespace {

bool Measured(const Gadget& g) {
  if (g.kind() == Kind::Label) return (g.style() & 3) != kLabelSeparator;
  if (g.kind() != Kind::Button) return false;
  const int type = g.style() & 7;
  // Tick boxes and radio buttons lay out a box beside their text; their rows
  // are as wide as the list.
  return (type != kButtonCheck && type != kButtonRadio) || (g.style() & kButtonPushLike);
}

}  // namespace

bool CaptionFits(const Gadget& gadget, Fl_Widget& w, int size) {
  const char* text = w.label();
  if (!Measured(gadget) || !text || !*text) return true;
  // FLTK draws labels inside the box's frame, 3 pixels in from each side.
  const int room_w = w.w() - Fl::box_dw(w.box()) - 6;
  const int room_h = w.h() - Fl::box_dh(w.box());
  fl_font(w.labelfont(), size);
  // Wrapping labels break their lines at the room's width; the rest keep one.
  int tw = (w.align() & FL_ALIGN_WRAP) ? room_w : 0, th = 0;
  fl_measure(text, tw, th);
  return tw <= room_w && th <= room_h;
}

void FitCaption(const Gadget& gadget, Fl_Widget& w) {
  if (!Measured(gadget)) return;
  int size = kCaptionSize;
  while (size > kSmallestCaptionSize && !CaptionFits(gadget, w, size)) --size;
  if (w.labelsize() != size) {
    w.labelsize(size);
    w.redraw();
  }
}

}  // namespace corvane::tk::fltk
