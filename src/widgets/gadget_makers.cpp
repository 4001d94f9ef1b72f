// tapplication's gadget makers, tab pages and menus.  Each maker takes the
// current container (CheckTarget), adjusts the geometry, creates the gadget,
// sets its layout rule where it stretches with the window and registers it.
#include "runtime/text.h"
#include "widgets/tapplication.h"

namespace corvane {

namespace {
void Stretch(tk::Gadget* g) {
  if (g) g->SetLayout(tk::kEdgeAligned, tk::kEdgeAligned, tk::kEdgeAligned, tk::kEdgeAligned);
}
}  // namespace

tk::Gadget* tapplication::AddPanel(int x, int y, int w, int h, int style, const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  AutoCenter(t, x, y, w, h);
  tk::Gadget* g = tk::CreatePanel(x, y, w, h, t, style, "");
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddButton(const std::string& text, int x, int y, int w, int h,
                                    int style, const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  AutoCenter(t, x, y, w, h);
  tk::Gadget* g = tk::CreateButton(text, x, y, w, h, t, style);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddLabel(const std::string& text, int x, int y, int w, int h, int style,
                                   const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  AutoCenter(t, x, y, w, h);
  tk::Gadget* g = tk::CreateLabel(text, x, y, w, h, t, style);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddComboBox(int x, int y, int w, int h, int style,
                                      const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  AutoCenter(t, x, y, w, h);
  tk::Gadget* g = tk::CreateComboBox(x, y, w, h, t, style);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddTextField(const std::string& text, int x, int y, int w, int h,
                                       const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  tk::Gadget* g = tk::CreateTextField(x, y, w, h, t, 0);
  if (g) g->SetText(text);
  Stretch(g);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddTextArea(int x, int y, int w, int h, int style,
                                      const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  tk::Gadget* g = tk::CreateTextArea(x, y + 5, w, h, t, style);
  Stretch(g);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddListBox(int x, int y, int w, int h, const std::string& tag) {
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  tk::Gadget* g = tk::CreateListBox(x, y + 5, w, h, t, 0);
  Stretch(g);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddTreeView(int x, int y, int w, int h, const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  tk::Gadget* g = tk::CreateTreeView(x, y + 5, w, h, t, 0);
  Stretch(g);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddCanvas(int x, int y, int w, int h, int centre,
                                    const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  Limits(x, y, w, h);
  if (centre == 1) AutoCenter(t, x, y, w, h);
  tk::Gadget* g = tk::CreateCanvas(x, y, w, h, t, 0);
  Stretch(g);
  AddGadget(g, tag);
  return g;
}

tk::Gadget* tapplication::AddComboText(const std::string& text, int x, int y, int w, int h,
                                       int label_width, const std::string& tag) {
  if (!window) return nullptr;
  tk::Gadget* t = CheckTarget();
  int field_width = w;
  if (label_width == -1) {
    label_width = 5 * static_cast<int>(runtime::CharCount(text));
    field_width = label_width;
  }
  tk::CreateLabel(text, x, y + 2, w, h, t, tk::kLabelLeft);
  tk::Gadget* field = tk::CreateTextField(x + label_width + 2, y, field_width, h, t, 0);
  AddGadget(field, tag);
  return field;
}

int tapplication::Splitter(int percent) {
  tk::Gadget* t = CheckTarget();
  if (!t) return 0;
  const int width = t->ClientWidth() * percent / 75;
  tk::Gadget* area = tk::CreateTextArea(0, 0, width, t->ClientHeight(), t, 0);
  if (area) area->SetLayout(tk::kEdgeAligned, tk::kEdgeCentred, tk::kEdgeAligned, tk::kEdgeAligned);
  AddGadget(area, "");
  tk::CreatePanel(width, 0, 5, 5, t, 3, "");
  return 0;
}

tk::Gadget* tapplication::AddTabber(const std::string& text, const std::string& tip, int icon,
                                    const std::string& icon_source, const std::string& tag) {
  if (!window) return nullptr;
  if (!tabber) {
    tabber = tk::CreateTabber(0, 0, window->ClientWidth(), window->ClientHeight(), window, 0);
    if (!tabber) return nullptr;
    Stretch(tabber);
    if (!icon_source.empty()) {
      iconstrip = tk::LoadIconStrip(icon_source);
      if (iconstrip) tabber->SetIconStrip(iconstrip);
    }
  }
  tabber->AddItem(text, 0, icon, tip);
  AddGadget(tabber, tag);
  tk::Gadget* page =
      tk::CreatePanel(0, 0, tabber->ClientWidth(), tabber->ClientHeight(), tabber, 0, "");
  _tab.push_back(page);
  current_tabber = page;
  _tabber = 1;
  ShowTabber(static_cast<int>(_tab.size()) - 1);
  return page;
}

int tapplication::UseTabber(int index) {
  if (index < 0 || index >= static_cast<int>(_tab.size())) return 0;
  current_tabber = _tab[index];
  return 0;
}

int tapplication::ShowTabber(int index) {
  if (index < 0 || index >= static_cast<int>(_tab.size())) return 0;
  for (tk::Gadget* page : _tab)
    if (page) page->Hide();
  if (_tab[index]) _tab[index]->Show();
  current_tabber = _tab[index];
  if (tabber) {
    tabber->SelectItem(index);
    tabber->Redraw();
  }
  _show_tabber = index;
  return 0;
}

tk::Gadget* tapplication::MakeMenu(tk::Gadget* parent, const std::string& text, int tag,
                                   const std::string& name, int hotkey, int modifier) {
  const std::string key = name.empty() ? "MENU_" + std::to_string(menuCounter) : name;
  ++menuCounter;
  if (!parent) return nullptr;
  tk::Gadget* menu = tk::CreateMenu(text, tag, parent, hotkey, modifier);
  AddGadget(menu, key);
  if (window) window->UpdateMenuBar();
  return menu;
}

tk::Gadget* tapplication::AddMenu(const std::string& text, int tag, const std::string& name,
                                  int hotkey, int modifier) {
  return MakeMenu(window, text, tag, name, hotkey, modifier);
}

tk::Gadget* tapplication::AddMenuItem(tk::Gadget* parent, const std::string& text, int tag,
                                      const std::string& name, int hotkey, int modifier) {
  return MakeMenu(parent, text, tag, name, hotkey, modifier);
}

int tapplication::FreeMenuItem(tk::Gadget* menu) {
  if (!menu) return 0;
  RemoveGadget(menu);
  if (!menu->freed()) menu->Free();
  if (window) window->UpdateMenuBar();
  return 0;
}

}  // namespace corvane
