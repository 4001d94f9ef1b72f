// tapplication: creation, life cycle, registry, whole-window operations, the
// event hook and freeing.  Makers, tab pages and menus are in
// gadget_makers.cpp, placement in placement.cpp, dialogs in dialogs.cpp.
#include "widgets/tapplication.h"

#include <algorithm>
#include <set>

#include "widgets/object_pool.h"
#include "widgets/tspinner.h"
#include "widgets/tstrip.h"

namespace corvane {

int autoLimit = 1;
int confirmClose = 1;
std::string closeMessage = "Close?";
int menuCounter = 0;
tapplication* mainApp = nullptr;

namespace widgets_internal {
std::vector<std::shared_ptr<void>>& KeptObjects() {
  static std::vector<std::shared_ptr<void>> objects;
  return objects;
}
}  // namespace widgets_internal

void ResetWidgets() {
  auto& kept = widgets_internal::KeptObjects();
  // Newest first, so rows and spinners go before the objects that made them.
  while (!kept.empty()) kept.pop_back();
  autoLimit = 1;
  confirmClose = 1;
  closeMessage = "Close?";
  menuCounter = 0;
  mainApp = nullptr;
  stripList.clear();
}

tapplication::~tapplication() { tk::RemoveHooksOf(this); }

tapplication* tapplication::Create(const std::string& title, int x, int y, int w, int h,
                                   int style) {
  auto* app = widgets_internal::Keep(std::make_unique<tapplication>());
  app->status = 1;
  tk::Gadget* desktop = tk::Desktop();
  if (x == -1 && desktop) x = desktop->ClientWidth() / 2 - w / 2;
  if (y == -1 && desktop) y = desktop->ClientHeight() / 2 - h / 2;
  app->window = app->SetWindow(title, x, y, w, h, style);
  app->_appname = title;
  app->gadget_map.clear();
  app->hook_handle_ = tk::AddHook(&tapplication::_hook_app, app, 0);
  tk::SetAppTitle(title);
  return app;
}

tk::Gadget* tapplication::SetWindow(const std::string& title, int x, int y, int w, int h,
                                    int style) {
  if (style & tk::kWindowCentre) {
    if (tk::Gadget* desktop = tk::Desktop()) {
      x = desktop->ClientWidth() / 2 - w / 2;
      y = desktop->ClientHeight() / 2 - h / 2;
    }
  }
  tk::Gadget* created = tk::CreateWindow(title, x, y, w, h, nullptr, style);
  this->x = x;
  this->y = y;
  this->w = w;
  this->h = h;
  this->style = style;
  return created;
}

int tapplication::SetInfo(const std::string& name, const std::string& author) {
  _appname = name;
  _appauthor = author;
  return 0;
}

int tapplication::SetMessage(const std::string& text) {
  if (window) window->SetStatusText(text);
  return 0;
}

int tapplication::CheckClose(int flag) {
  confirmClose = flag;
  return 0;
}

int tapplication::SetCloseMessage(const std::string& text) {
  closeMessage = text;
  return 0;
}

int tapplication::EnableAutoLimit() {
  autoLimit = 1;
  return 0;
}

int tapplication::DisableAutoLimit() {
  autoLimit = 0;
  return 0;
}

int tapplication::Running() const { return status == 1 ? 1 : 0; }

int tapplication::Close() {
  status = 3;
  return Control();
}

int tapplication::Control() {
  if (status == 3 && confirmClose == 1) status = tk::Proceed(closeMessage, false) ? -1 : 1;
  return 0;
}

int tapplication::Pause() {
  status = 2;
  if (window) window->Disable();
  // Remember what was enabled, so that Resume does not switch on gadgets the
  // program had disabled on purpose (a STOP button while nothing runs).  A
  // pause inside a pause (a box over a dialog) keeps the first record.
  if (pauses_ == 0) {
    paused_gadgets_.clear();
    for (tk::Gadget* g : gadget_list)
      if (g->Target()->Enabled()) paused_gadgets_.push_back(g);
  }
  ++pauses_;
  DisableAll();
  return 0;
}

int tapplication::Resume() {
  if (pauses_ > 1) {
    --pauses_;  // an outer pause still holds the window
    return 0;
  }
  status = 1;
  if (window) window->Enable();
  if (pauses_ == 1) {
    for (tk::Gadget* g : paused_gadgets_) g->Enable();
    paused_gadgets_.clear();
    pauses_ = 0;
  } else {
    EnableAll();
  }
  if (window) window->Activate();
  return 0;
}

int tapplication::AddGadget(tk::Gadget* g, const std::string& tag) {
  if (!g) return 0;
  gadget_list.push_back(g);
  if (!tag.empty()) {
    gadget_list_search.push_back(tgad{g, nullptr, tag});
    gadget_map[tag] = g;
  }
  return 0;
}

int tapplication::RemoveGadget(tk::Gadget* g) {
  gadget_list.erase(std::remove(gadget_list.begin(), gadget_list.end(), g), gadget_list.end());
  gadget_list_search.erase(
      std::remove_if(gadget_list_search.begin(), gadget_list_search.end(),
                     [g](const tgad& entry) { return entry.g == g; }),
      gadget_list_search.end());
  for (auto it = gadget_map.begin(); it != gadget_map.end();)
    it = it->second == g ? gadget_map.erase(it) : std::next(it);
  paused_gadgets_.erase(std::remove(paused_gadgets_.begin(), paused_gadgets_.end(), g),
                        paused_gadgets_.end());
  return 0;
}

tk::Gadget* tapplication::FindGadget(const std::string& tag, int mode) const {
  if (tag.empty()) return nullptr;
  if (mode == 0) {
    for (const tgad& entry : gadget_list_search)
      if (entry.tag == tag) return entry.g;
    return nullptr;
  }
  auto it = gadget_map.find(tag);
  return it == gadget_map.end() ? nullptr : it->second;
}

int tapplication::ChangeText(const std::string& tag, const std::string& text) {
  if (text.empty()) return 0;
  if (tk::Gadget* g = FindGadget(tag, 0)) g->SetText(text);
  return 0;
}

int tapplication::ChangeMenuText(const std::string& tag, const std::string& text) {
  if (text.empty()) return 0;
  tk::Gadget* g = FindGadget(tag, 0);
  if (g && g->kind() == tk::Kind::Menu) g->SetText(text);
  return 0;
}

int tapplication::ShowTags() const {
  for (const tgad& entry : gadget_list_search)
    tk::Print("Tag: " + entry.tag + " Name: " + entry.g->name);
  return 0;
}

tk::Gadget* tapplication::CheckTarget() const { return _tabber == 1 ? current_tabber : window; }

int tapplication::EnableAll() {
  for (tk::Gadget* g : gadget_list) g->Enable();
  return 0;
}

int tapplication::DisableAll() {
  for (tk::Gadget* g : gadget_list) g->Disable();
  return 0;
}

int tapplication::SetBackRGB(int r, int g, int b) {
  for (tk::Gadget* gadget : gadget_list) gadget->SetBackColor(r, g, b);
  return 0;
}

int tapplication::SetTextRGB(int r, int g, int b) {
  for (tk::Gadget* gadget : gadget_list) gadget->SetTextColor(r, g, b);
  return 0;
}

tk::EventPtr tapplication::_hook_app(int hook_id, tk::EventPtr data, void* context) {
  auto* app = static_cast<tapplication*>(context);
  if (!data || !app) return data;
  tk::Gadget* source = data->source;
  if (!source) return data;
  if (data->id == tk::kWindowClose && source == app->window) {
    app->status = 3;
    return data;
  }
  if (data->id != tk::kGadgetAction) return data;
  if (source == app->_ok_gadget || source == app->_cancel_gadget) {
    app->status = 3;
    return nullptr;
  }
  if (source == app->_about_gadget) {
    tk::Notify(app->_appname + "\nAuthor : " + app->_appauthor, false);
    return nullptr;
  }
  if (source == app->tabber && app->current_tabber) {
    app->ShowTabber(static_cast<int>(data->data));
    return nullptr;
  }
  return data;
}

int tapplication::ClearAll() {
  if (hook_handle_) tk::RemoveHook(hook_handle_);
  hook_handle_ = 0;
  // Spinners first: a spinner's gadget stands for several gadgets and a hook,
  // and freeing a container before it would leave its hook behind.
  for (tk::Gadget* g : gadget_list)
    if (TSpinner* spinner = TSpinner::FromGadget(g)) spinner->Free();
  auto free_once = [](tk::Gadget* g) {
    if (g && !g->freed()) g->Free();
  };
  for (tk::Gadget* g : gadget_list) free_once(g);
  gadget_list.clear();
  gadget_map.clear();
  paused_gadgets_.clear();
  iconstrip.reset();
  for (tk::Gadget* page : _tab) free_once(page);
  _tab.clear();
  free_once(tabber);
  current_tabber = nullptr;
  free_once(window);
  return 0;
}

}  // namespace corvane
