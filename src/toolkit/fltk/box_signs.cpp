#include "toolkit/fltk/box_signs.h"

#include <FL/Enumerations.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_ask.H>

namespace corvane::tk::fltk {

void SetBoxSign(BoxSign sign) {
  // The box keeps a label set beforehand instead of its own sign.
  Fl_Widget* icon = fl_message_icon();
  if (sign == BoxSign::Warning) {
    icon->label("!");
    icon->box(FL_ROUND_UP_BOX);
    icon->color(fl_rgb_color(255, 191, 0));
    icon->labelcolor(FL_BLACK);
  } else {
    icon->label(sign == BoxSign::Question ? "?" : "i");
    icon->box(FL_THIN_UP_BOX);
    icon->color(FL_WHITE);
    icon->labelcolor(FL_BLUE);
  }
}

}  // namespace corvane::tk::fltk
