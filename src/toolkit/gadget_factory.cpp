// Making gadgets: every maker records the new gadget in the core and then
// announces it to the backend.
#include <algorithm>

#include "toolkit/backend_access.h"
#include "toolkit/core_state.h"

namespace corvane::tk {

Gadget* Toolkit::Make(Kind kind, const std::string& text, int x, int y, int w, int h,
                      Gadget* parent, int style) {
  CoreState& core = Core();
  if (!core.backend) return nullptr;
  if (parent && parent->freed_) return nullptr;
  w = std::max(0, w);
  h = std::max(0, h);
  if (kind == Kind::Window && (style & kWindowCentre)) {
    Gadget* around = parent ? parent : Desktop();
    if (around) {
      // Windows stand on the desktop: centring over a window adds its place.
      const bool over_window = around->kind() == Kind::Window;
      x = (over_window ? around->X() : 0) + around->ClientWidth() / 2 - w / 2;
      y = (over_window ? around->Y() : 0) + around->ClientHeight() / 2 - h / 2;
    }
  }
  auto owned = std::make_unique<Gadget>();
  Gadget* g = owned.get();
  g->kind_ = kind;
  g->style_ = style;
  g->parent_ = parent;
  g->text_ = text;
  g->x_ = g->ref_x_ = x;
  g->y_ = g->ref_y_ = y;
  g->w_ = g->ref_w_ = w;
  g->h_ = g->ref_h_ = h;
  if (parent) {
    g->ref_cw_ = parent->ClientWidth();
    g->ref_ch_ = parent->ClientHeight();
    parent->children_.push_back(g);
  }
  core.owned.push_back(std::move(owned));
  core.all.push_back(g);
  return g;
}

void Toolkit::SetMenuFields(Gadget& menu, int tag, int hotkey, int modifier) {
  menu.tag_ = tag;
  menu.hotkey_ = hotkey;
  menu.modifier_ = modifier;
}

Gadget* CreateGadget(Kind kind, const std::string& text, int x, int y, int w, int h, Gadget* parent,
                     int style) {
  Gadget* g = Toolkit::Make(kind, text, x, y, w, h, parent, style);
  if (g) NotifyBackend(*g, Change::Created);
  return g;
}

Gadget* Desktop() {
  CoreState& core = Core();
  if (!core.backend) return nullptr;
  if (!core.desktop) {
    core.desktop = Toolkit::Make(Kind::Desktop, "", 0, 0, core.backend->DesktopWidth(),
                                 core.backend->DesktopHeight(), nullptr, 0);
  }
  return core.desktop;
}

Gadget* CreateWindow(const std::string& title, int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Window, title, x, y, w, h, parent, style);
}

Gadget* CreateButton(const std::string& text, int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Button, text, x, y, w, h, parent, style);
}

Gadget* CreatePanel(int x, int y, int w, int h, Gadget* parent, int style, const std::string& title) {
  return CreateGadget(Kind::Panel, title, x, y, w, h, parent, style);
}

Gadget* CreateLabel(const std::string& text, int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Label, text, x, y, w, h, parent, style);
}

Gadget* CreateTextField(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::TextField, "", x, y, w, h, parent, style);
}

Gadget* CreateTextArea(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::TextArea, "", x, y, w, h, parent, style);
}

Gadget* CreateListBox(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::ListBox, "", x, y, w, h, parent, style);
}

Gadget* CreateComboBox(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::ComboBox, "", x, y, w, h, parent, style);
}

Gadget* CreateTreeView(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::TreeView, "", x, y, w, h, parent, style);
}

Gadget* CreateCanvas(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Canvas, "", x, y, w, h, parent, style);
}

Gadget* CreateTabber(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Tabber, "", x, y, w, h, parent, style);
}

Gadget* CreateSlider(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Slider, "", x, y, w, h, parent, style);
}

Gadget* CreateProgressBar(int x, int y, int w, int h, Gadget* parent, int style) {
  return CreateGadget(Kind::Progress, "", x, y, w, h, parent, style);
}

Gadget* CreateHyperlink(const std::string& url, int x, int y, int w, int h, Gadget* parent, int style,
                        const std::string& text) {
  Gadget* g = Toolkit::Make(Kind::Hyperlink, text.empty() ? url : text, x, y, w, h, parent, style);
  if (!g) return nullptr;
  g->SetUrl(url);
  NotifyBackend(*g, Change::Created);
  return g;
}

Gadget* CreateMenu(const std::string& text, int tag, Gadget* parent, int hotkey, int modifier) {
  Gadget* g = Toolkit::Make(Kind::Menu, text, 0, 0, 0, 0, parent, 0);
  if (!g) return nullptr;
  Toolkit::SetMenuFields(*g, tag, hotkey, modifier);
  NotifyBackend(*g, Change::Created);
  return g;
}

Gadget* CreateProxyGadget(Gadget* parent) {
  return CreateGadget(Kind::Proxy, "", 0, 0, 0, 0, parent, 0);
}

const std::vector<Gadget*>& AllGadgets() { return Core().all; }

}  // namespace corvane::tk
