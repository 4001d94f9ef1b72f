// tapplication's placement rules: auto-limit, auto-centre and the position of
// a dialog over the main window.
#include "widgets/tapplication.h"

namespace corvane {

int tapplication::Limits(int& x, int& y, int& w, int& h) const {
  if (!window || autoLimit == 0) return 0;
  tk::Gadget* t = CheckTarget();
  if (!t) return 0;
  const int client_w = t->ClientWidth();
  const int client_h = t->ClientHeight();
  if (w == -1) w = client_w;
  if (h == -1) h = client_h;
  // Room kept free at the bottom: the OK/Cancel band, less what the menu and
  // status bars already take off the window's outer height.
  int bottom = _requester == 1 ? 50 : 0;
  if (style & tk::kWindowMenu) bottom -= 8;
  if (style & tk::kWindowStatus) bottom -= 8;
  if (h > client_h - y) h = client_h - bottom - y;
  if (w > client_w - x) w = client_w - x - 12;
  return 0;
}

int tapplication::AutoCenter(tk::Gadget* c, int& x, int& y, int& w, int& h) const {
  if (!c) return 0;
  if (h == -1) h = c->ClientHeight() - y - 10;
  if (w == -1) w = c->ClientWidth() - x - 10;
  if (x == -1) x = c->ClientWidth() / 2 - w / 2;
  if (y == -1) y = c->ClientHeight() / 2 - h / 2;
  return 0;
}

int tapplication::CheckWindowLimit(tapplication* a, int& x, int& y, int w, int h) {
  tk::Gadget* desktop = tk::Desktop();
  const int desk_w = desktop ? desktop->ClientWidth() : 0;
  const int desk_h = desktop ? desktop->ClientHeight() : 0;
  tk::Gadget* main_window = mainApp ? mainApp->window : nullptr;
  if (!a || !main_window) {
    // No main window to sit over: centre on the desktop instead.
    x = desk_w / 2 - w / 2;
    y = desk_h / 2 - h / 2;
  } else {
    a->x = main_window->X();
    a->y = main_window->Y();
    x = a->x + a->w / 2 - w / 2;
    y = a->y + 20;
    if (x + w > desk_w) x = desk_w - w;
    if (y + h > desk_h) y = desk_h - h;
  }
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  return 0;
}

}  // namespace corvane
