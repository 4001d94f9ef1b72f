// The display-less backend: virtual clock, scripted boxes, simulated users.
#include "toolkit/headless/headless_backend.h"

#include "runtime/text.h"
#include "toolkit/backend_access.h"

namespace corvane::tk {
namespace {

bool IsKind(const Gadget* g, Kind kind) { return g && g->Target()->kind() == kind; }

// Depth-first search for a leaf menu item carrying tag.
Gadget* FindMenuItem(Gadget* parent, int tag) {
  for (Gadget* child : parent->children()) {
    if (child->freed() || child->kind() != Kind::Menu) continue;
    bool holder = false;
    for (Gadget* grand : child->children()) holder = holder || (grand->kind() == Kind::Menu && !grand->freed());
    if (holder) {
      if (!child->Enabled()) continue;
      if (Gadget* found = FindMenuItem(child, tag)) return found;
    } else if (child->Tag() == tag && !child->IsSeparator() && child->Enabled()) {
      return child;
    }
  }
  return nullptr;
}

// Splits UTF-8 text into code points; a byte that starts no valid sequence
// counts as the character of its own code.
std::vector<unsigned> CodePoints(const std::string& text) {
  std::vector<unsigned> out;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    bool valid = i + extra < n;
    for (int k = 1; valid && k <= extra; ++k) valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (extra == 0 || !valid) {
      out.push_back(b);
      ++i;
      continue;
    }
    unsigned cp = b & (0x7F >> (extra + 1));
    for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(cp);
    i += 1 + extra;
  }
  return out;
}

}  // namespace

HeadlessBackend::HeadlessBackend(int desktop_width, int desktop_height)
    : desktop_w_(desktop_width), desktop_h_(desktop_height),
      last_pump_real_(std::chrono::steady_clock::now()) {}

void HeadlessBackend::AnswerNext(bool ok) { answers_.push_back(ok); }

void HeadlessBackend::AnswerFolder(const std::string& folder) { folders_.push_back(folder); }

void HeadlessBackend::ResetPumpStats() {
  pumps_ = 0;
  last_pump_virtual_ = -1;
  longest_virtual_gap_ = longest_real_gap_ = 0;
}

void HeadlessBackend::Changed(Gadget& gadget, Change what) {
  switch (what) {
    case Change::Focus:
    case Change::Activate:
      focused_ = &gadget;
      break;
    case Change::Freed:
      if (focused_ == &gadget) focused_ = nullptr;
      break;
    default:
      break;
  }
}

void HeadlessBackend::Pump(int wait_ms) {
  const auto real_now = std::chrono::steady_clock::now();
  if (last_pump_virtual_ >= 0) {
    longest_virtual_gap_ = std::max(longest_virtual_gap_, now_ms_ - last_pump_virtual_);
    auto real_gap = std::chrono::duration_cast<std::chrono::milliseconds>(real_now - last_pump_real_).count();
    longest_real_gap_ = std::max<std::int64_t>(longest_real_gap_, real_gap);
  }
  ++pumps_;
  // Callbacks act as the user; they must not re-enter themselves when the
  // program pumps from inside a hook that they triggered.
  if (!in_pump_callback_) {
    in_pump_callback_ = true;
    if (pump_) pump_();
    if (wait_ms != 0 && QueueLength() == 0 && idle_) idle_();
    in_pump_callback_ = false;
  }
  if (wait_ms > 0 && QueueLength() == 0) now_ms_ += wait_ms;
  last_pump_virtual_ = now_ms_;
  last_pump_real_ = std::chrono::steady_clock::now();
}

void HeadlessBackend::Sleep(int ms) {
  if (ms > 0) now_ms_ += ms;
}

void HeadlessBackend::Notify(const std::string& caption, const std::string& text, bool serious) {
  boxes_.push_back({BoxKind::Notify, caption, text, serious, "", ""});
}

bool HeadlessBackend::NextAnswer() {
  if (answers_.empty()) return default_answer_;
  bool ok = answers_.front();
  answers_.pop_front();
  return ok;
}

bool HeadlessBackend::Confirm(const std::string& caption, const std::string& text, bool serious) {
  bool ok = NextAnswer();
  boxes_.push_back({BoxKind::Confirm, caption, text, serious, "", ok ? "1" : "0"});
  return ok;
}

bool HeadlessBackend::Proceed(const std::string& caption, const std::string& text, bool serious) {
  bool ok = NextAnswer();
  boxes_.push_back({BoxKind::Proceed, caption, text, serious, "", ok ? "1" : "0"});
  return ok;
}

std::string HeadlessBackend::RequestFolder(const std::string& caption, const std::string& prompt,
                                           const std::string& start) {
  std::string folder = default_folder_;
  if (!folders_.empty()) {
    folder = folders_.front();
    folders_.pop_front();
  }
  boxes_.push_back({BoxKind::Folder, caption, prompt, false, start, folder});
  return folder;
}

bool HeadlessBackend::OpenUrl(const std::string& address) {
  opened_.push_back(address);
  return open_result_;
}

bool HeadlessBackend::Usable(Gadget* g) const {
  return g && !g->Target()->freed() && g->VisibleOnScreen() && g->EnabledOnScreen();
}

bool HeadlessBackend::Click(Gadget* gadget) {
  if (!Usable(gadget)) return false;
  Gadget* g = gadget->Target();
  if (g->kind() == Kind::Hyperlink) {
    tk::OpenUrl(g->Url());
    return true;
  }
  if (g->kind() != Kind::Button) return false;
  focused_ = g;
  // A click inside a key-taking panel leaves the focus with the panel.
  for (Gadget* p = g->parent(); p; p = p->parent())
    if (p->kind() == Kind::Panel && (p->style() & kPanelKeys)) focused_ = p;
  switch (g->style() & 7) {
    case kButtonCheck: {
      const int state = g->Check() == 1 ? 0 : 1;
      Toolkit::UserSetCheck(*g, state);
      EmitEvent(MakeEvent(kGadgetAction, g, state));
      break;
    }
    case kButtonRadio:
      Toolkit::UserSetCheck(*g, 1);
      Toolkit::UncheckOtherRadios(*g);
      EmitEvent(MakeEvent(kGadgetAction, g, 1));
      break;
    default:
      EmitEvent(MakeEvent(kGadgetAction, g, 0));
      break;
  }
  return true;
}

bool HeadlessBackend::SelectTab(Gadget* tabber, int index) {
  if (!Usable(tabber) || !IsKind(tabber, Kind::Tabber)) return false;
  Gadget* g = tabber->Target();
  if (index < 0 || index >= static_cast<int>(g->Items().size())) return false;
  if (g->SelectedItem() == index) return true;
  Toolkit::UserSelectItem(*g, index);
  EmitEvent(MakeEvent(kGadgetAction, g, index));
  return true;
}

bool HeadlessBackend::ChooseItem(Gadget* list, int index) {
  if (!Usable(list)) return false;
  Gadget* g = list->Target();
  if (g->kind() != Kind::ListBox && g->kind() != Kind::ComboBox && g->kind() != Kind::TreeView) return false;
  if (index < 0 || index >= static_cast<int>(g->Items().size())) return false;
  if (g->SelectedItem() == index) return true;
  Toolkit::UserSelectItem(*g, index);
  EmitEvent(MakeEvent(kGadgetAction, g, index));
  return true;
}

bool HeadlessBackend::TypeText(Gadget* field, const std::string& text) {
  if (!Usable(field)) return false;
  Gadget* g = field->Target();
  const bool editable = g->kind() == Kind::TextField ||
                        (g->kind() == Kind::TextArea && !(g->style() & kTextReadOnly));
  if (!editable) return false;
  focused_ = g;
  bool all_accepted = true;
  for (unsigned code : CodePoints(text)) {
    EventPtr key = MakeEvent(kKeyChar, g, code);
    if (!g->FilterAccepts(*key)) {
      all_accepted = false;
      continue;
    }
    std::string now = g->Text();
    if (code == 8) {
      const std::size_t count = runtime::CharCount(now);
      if (count == 0) continue;
      now = runtime::CharSubstr(now, 0, static_cast<long long>(count) - 1);
    } else {
      now = runtime::AppendCodepoint(now, code);
    }
    Toolkit::UserSetText(*g, now);
    Toolkit::UserSetSelection(*g, static_cast<int>(runtime::CharCount(now)), 0);
    EmitEvent(MakeEvent(kGadgetAction, g, 0));
  }
  return all_accepted;
}

bool HeadlessBackend::Wheel(Gadget* over, int steps) {
  if (!Usable(over) || steps == 0) return false;
  Gadget* panel = Toolkit::OutermostMousePanel(over->Target());
  if (!panel) return false;
  EmitEvent(MakeEvent(kMouseWheel, panel, steps));
  return true;
}

bool HeadlessBackend::Leave(Gadget* panel) {
  if (!Usable(panel)) return false;
  Gadget* g = panel->Target();
  if (g->kind() != Kind::Panel || !(g->style() & kPanelMouse)) return false;
  EmitEvent(MakeEvent(kMouseLeave, g));
  return true;
}

bool HeadlessBackend::PressKey(int key) {
  Gadget* g = focused_;
  if (!Usable(g) || g->kind() != Kind::Panel || !(g->style() & kPanelKeys)) return false;
  if (key != kKeySpace && key != kKeyArrowUp && key != kKeyArrowDown) return false;
  EmitEvent(MakeEvent(kKeyDown, g, key));
  return true;
}

bool HeadlessBackend::ChooseMenu(Gadget* window, int tag) {
  if (!Usable(window) || !IsKind(window, Kind::Window) || !(window->style() & kWindowMenu)) return false;
  Gadget* item = FindMenuItem(window->Target(), tag);
  if (!item) return false;
  EmitEvent(MakeEvent(kMenuAction, item, tag));
  return true;
}

bool HeadlessBackend::CloseWindow(Gadget* window) {
  if (!Usable(window) || !IsKind(window, Kind::Window)) return false;
  EmitEvent(MakeEvent(kWindowClose, window->Target()));
  return true;
}

bool HeadlessBackend::SetSliderPosition(Gadget* slider, int position) {
  if (!Usable(slider) || !IsKind(slider, Kind::Slider)) return false;
  Gadget* g = slider->Target();
  const int before = g->Position();
  const int now = Toolkit::UserSetPosition(*g, position);
  if (now != before) EmitEvent(MakeEvent(kGadgetAction, g, now));
  return true;
}

bool HeadlessBackend::StepSlider(Gadget* slider, int steps) {
  if (!slider) return false;
  return SetSliderPosition(slider, slider->Position() + steps);
}

}  // namespace corvane::tk
