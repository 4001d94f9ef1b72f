// Gadget state and the operations on it.  Every change is recorded here first
// and then handed to the backend to render.
#include <algorithm>
#include <cmath>

#include "runtime/text.h"
#include "toolkit/backend_access.h"
#include "toolkit/core_state.h"

namespace corvane::tk {
namespace {

int ClampInt(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

// New position of one edge of a gadget after its container's client extent
// went from c0 to c1.  far_edge: the right or bottom edge.
int MoveEdge(int edge, int rule, bool far_edge, int c0, int c1) {
  switch (rule) {
    case kEdgeAligned:
      return far_edge ? edge + (c1 - c0) : edge;
    case kEdgeRelative:
      return c0 > 0 ? static_cast<int>(static_cast<long long>(edge) * c1 / c0) : edge;
    default:  // centred: keeps its distance to the centre
      return edge + (c1 - c0) / 2;
  }
}

// Line number -> character index of its first character (text end when the
// text has fewer lines).
int LineStart(const std::string& text, int line) {
  if (line <= 0) return 0;
  int chars = 0, seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) != 0x80) ++chars;
    if (b == '\n' && ++seen == line) return chars;
  }
  return static_cast<int>(runtime::CharCount(text));
}

}  // namespace

void NotifyBackend(Gadget& gadget, Change what) {
  if (auto& b = Core().backend) b->Changed(gadget, what);
}

Insets ClientInsets(const Gadget& g) {
  switch (g.kind()) {
    case Kind::Window:
      return WindowInsets(g.style());
    case Kind::Tabber:
      return {0, kTabHeaderHeight, 0, 0};
    case Kind::Panel:
      if (g.style() & kPanelGroup) return {6, 18, 6, 6};
      if (g.style() & kPanelSunken) return {kSunkenBorder, kSunkenBorder, kSunkenBorder, kSunkenBorder};
      return {0, 0, 0, 0};
    default:
      return {0, 0, 0, 0};
  }
}

Insets WindowInsets(int style) {
  return {0, (style & kWindowMenu) ? kMenuBarHeight : 0, 0,
          (style & kWindowStatus) ? kStatusBarHeight : 0};
}

void Gadget::Free() {
  if (freed_) return;
  Gadget* inner = proxy_;
  std::vector<Gadget*> kids = children_;
  for (Gadget* child : kids) child->Free();
  if (inner && inner != this) inner->Free();
  NotifyBackend(*this, Change::Freed);
  freed_ = true;
  visible_ = false;
  if (parent_) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void Gadget::Show() {
  Gadget* t = Target();
  if (t->freed_) return;
  t->visible_ = true;
  NotifyBackend(*t, Change::Visible);
}

void Gadget::Hide() {
  Gadget* t = Target();
  if (t->freed_) return;
  t->visible_ = false;
  NotifyBackend(*t, Change::Visible);
}

bool Gadget::VisibleOnScreen() const {
  for (const Gadget* g = Target(); g; g = g->parent_) {
    if (g->freed_ || !g->visible_) return false;
  }
  return true;
}

bool Gadget::EnabledOnScreen() const {
  for (const Gadget* g = Target(); g; g = g->parent_) {
    if (g->freed_ || !g->enabled_) return false;
  }
  return true;
}

void Gadget::Enable() {
  Gadget* t = Target();
  t->enabled_ = true;
  NotifyBackend(*t, Change::Enabled);
}

void Gadget::Disable() {
  Gadget* t = Target();
  t->enabled_ = false;
  NotifyBackend(*t, Change::Enabled);
}

// Moves one gadget without recording a new layout reference, and lets its
// own children follow.
static void ApplyShape(Gadget& g, int x, int y, int w, int h);

void Gadget::SetShape(int x, int y, int w, int h) {
  Gadget* t = Target();
  ApplyShape(*t, x, y, w, h);
  t->ref_x_ = t->x_;
  t->ref_y_ = t->y_;
  t->ref_w_ = t->w_;
  t->ref_h_ = t->h_;
  if (t->parent_) {
    t->ref_cw_ = t->parent_->ClientWidth();
    t->ref_ch_ = t->parent_->ClientHeight();
  }
}

void Gadget::SetLayout(int left, int right, int top, int bottom) {
  Gadget* t = Target();
  t->layout_[0] = left;
  t->layout_[1] = right;
  t->layout_[2] = top;
  t->layout_[3] = bottom;
  t->layout_set_ = true;
  t->ref_x_ = t->x_;
  t->ref_y_ = t->y_;
  t->ref_w_ = t->w_;
  t->ref_h_ = t->h_;
  if (t->parent_) {
    t->ref_cw_ = t->parent_->ClientWidth();
    t->ref_ch_ = t->parent_->ClientHeight();
  }
  NotifyBackend(*t, Change::Layout);
}

static void ApplyShape(Gadget& g, int x, int y, int w, int h) {
  const int old_cw = g.ClientWidth(), old_ch = g.ClientHeight();
  Toolkit::SetGeometry(g, x, y, std::max(0, w), std::max(0, h));
  NotifyBackend(g, Change::Shape);
  if (g.ClientWidth() == old_cw && g.ClientHeight() == old_ch) return;
  const int cw = g.ClientWidth(), ch = g.ClientHeight();
  std::vector<Gadget*> kids = g.children();
  for (Gadget* child : kids) {
    int nx, ny, nw, nh;
    if (!Toolkit::LayoutFor(*child, cw, ch, &nx, &ny, &nw, &nh)) continue;
    ApplyShape(*child, nx, ny, nw, nh);
  }
}

bool Toolkit::LayoutFor(const Gadget& c, int cw, int ch, int* x, int* y, int* w, int* h) {
  if (!c.layout_set_ || c.freed_) return false;
  const int* l = c.layout_;
  int left = MoveEdge(c.ref_x_, l[0], false, c.ref_cw_, cw);
  int right = MoveEdge(c.ref_x_ + c.ref_w_, l[1], true, c.ref_cw_, cw);
  int top = MoveEdge(c.ref_y_, l[2], false, c.ref_ch_, ch);
  int bottom = MoveEdge(c.ref_y_ + c.ref_h_, l[3], true, c.ref_ch_, ch);
  *x = left;
  *y = top;
  *w = std::max(0, right - left);
  *h = std::max(0, bottom - top);
  return true;
}

void Toolkit::SetGeometry(Gadget& g, int x, int y, int w, int h) {
  g.x_ = x;
  g.y_ = y;
  g.w_ = w;
  g.h_ = h;
}

int Gadget::ClientWidth() const {
  const Gadget* t = Target();
  Insets in = ClientInsets(*t);
  return std::max(0, t->w_ - in.left - in.right);
}

int Gadget::ClientHeight() const {
  const Gadget* t = Target();
  Insets in = ClientInsets(*t);
  return std::max(0, t->h_ - in.top - in.bottom);
}

void Gadget::SetText(const std::string& text) {
  Gadget* t = Target();
  t->text_ = text;
  if (t->kind_ == Kind::TextArea || t->kind_ == Kind::TextField) {
    t->sel_start_ = 0;
    t->sel_length_ = 0;
  }
  NotifyBackend(*t, Change::Text);
}

const std::string& Gadget::Text() const { return Target()->text_; }

void Gadget::SetTooltip(const std::string& tip) {
  Gadget* t = Target();
  t->tooltip_ = tip;
  NotifyBackend(*t, Change::Tooltip);
}

void Gadget::SetBackColor(int r, int g, int b) {
  Gadget* t = Target();
  t->back_ = {ClampInt(r, 0, 255), ClampInt(g, 0, 255), ClampInt(b, 0, 255)};
  t->has_back_ = true;
  NotifyBackend(*t, Change::Colour);
}

void Gadget::SetTextColor(int r, int g, int b) {
  Gadget* t = Target();
  t->text_colour_ = {ClampInt(r, 0, 255), ClampInt(g, 0, 255), ClampInt(b, 0, 255)};
  t->has_text_colour_ = true;
  NotifyBackend(*t, Change::Colour);
}

void Gadget::Focus() {
  Gadget* t = Target();
  if (t->freed_) return;
  NotifyBackend(*t, Change::Focus);
}

bool Gadget::HasFocus() const {
  auto& b = Core().backend;
  return b && b->FocusedGadget() == Target();
}

void Gadget::Redraw() {
  Gadget* t = Target();
  ++t->redraws_;
  NotifyBackend(*t, Change::Redraw);
}

void Gadget::SetPicture(PicturePtr picture, int flags) {
  Gadget* t = Target();
  t->picture_ = std::move(picture);
  t->picture_flags_ = flags;
  NotifyBackend(*t, Change::Picture);
}

void Gadget::SetCheck(int state) {
  Gadget* t = Target();
  t->check_ = state > 0 ? 1 : (state < 0 ? -1 : 0);
  NotifyBackend(*t, Change::Check);
}

void Gadget::SetStatusText(const std::string& text) {
  Gadget* t = Target();
  t->status_text_ = text;
  NotifyBackend(*t, Change::Status);
}

void Gadget::Activate() {
  Gadget* t = Target();
  if (t->freed_) return;
  NotifyBackend(*t, Change::Activate);
}

void Gadget::UpdateMenuBar() {
  Gadget* t = Target();
  ++t->menu_updates_;
  NotifyBackend(*t, Change::Menu);
}

void Gadget::SetFilter(KeyFilter filter, void* context) {
  Gadget* t = Target();
  t->filter_ = std::move(filter);
  t->filter_context_ = context;
}

bool Gadget::FilterAccepts(const Event& key_event) {
  Gadget* t = Target();
  if (!t->filter_) return true;
  return t->filter_(key_event, t->filter_context_);
}

void Gadget::AppendText(const std::string& text) {
  Gadget* t = Target();
  t->text_ += text;
  t->sel_start_ = static_cast<int>(runtime::CharCount(t->text_));
  t->sel_length_ = 0;
  NotifyBackend(*t, Change::Text);
}

void Gadget::SelectAll() {
  Gadget* t = Target();
  t->sel_start_ = 0;
  t->sel_length_ = static_cast<int>(runtime::CharCount(t->text_));
  NotifyBackend(*t, Change::Selection);
}

void Gadget::SetSelection(int pos, int length, bool by_lines) {
  Gadget* t = Target();
  const int total = static_cast<int>(runtime::CharCount(t->text_));
  int start, end;
  if (by_lines) {
    start = LineStart(t->text_, pos);
    end = length < 0 ? total : LineStart(t->text_, std::max(0, pos) + length);
  } else {
    start = ClampInt(pos, 0, total);
    end = length < 0 ? total : ClampInt(start + length, start, total);
  }
  t->sel_start_ = start;
  t->sel_length_ = std::max(0, end - start);
  NotifyBackend(*t, Change::Selection);
}

void Gadget::AddItem(const std::string& text, int flags, int icon, const std::string& tip) {
  Gadget* t = Target();
  t->items_.push_back({text, flags, icon, tip});
  // A tab row always shows one tab as chosen.
  if (t->kind_ == Kind::Tabber && t->selected_ < 0) t->selected_ = 0;
  NotifyBackend(*t, Change::Items);
}

void Gadget::ClearItems() {
  Gadget* t = Target();
  t->items_.clear();
  t->selected_ = -1;
  NotifyBackend(*t, Change::Items);
}

void Gadget::SetItemText(int index, const std::string& text) {
  Gadget* t = Target();
  if (index < 0 || index >= static_cast<int>(t->items_.size())) return;
  t->items_[index].text = text;
  NotifyBackend(*t, Change::Items);
}

void Gadget::SelectItem(int index) {
  Gadget* t = Target();
  if (index < -1 || index >= static_cast<int>(t->items_.size())) return;
  t->selected_ = index;
  NotifyBackend(*t, Change::Selection);
}

void Gadget::SetIconStrip(IconStripPtr strip) {
  Gadget* t = Target();
  t->icon_strip_ = std::move(strip);
  NotifyBackend(*t, Change::Picture);
}

int Gadget::MaxPosition() const {
  const Gadget* t = Target();
  return std::max(0, t->range_total_ - t->range_visible_ - 1);
}

void Gadget::SetRange(int visible, int total) {
  Gadget* t = Target();
  t->range_visible_ = std::max(0, visible);
  t->range_total_ = std::max(0, total);
  t->position_ = ClampInt(t->position_, 0, t->MaxPosition());
  NotifyBackend(*t, Change::Range);
}

void Gadget::SetPosition(int position) {
  Gadget* t = Target();
  t->position_ = ClampInt(position, 0, t->MaxPosition());
  NotifyBackend(*t, Change::Range);
}

void Gadget::SetProgress(double fraction) {
  Gadget* t = Target();
  if (std::isnan(fraction)) fraction = 0;
  t->progress_ = std::max(0.0, std::min(fraction, 1.0));
  NotifyBackend(*t, Change::Progress);
}

void Gadget::SetChecked(bool checked) {
  checked_ = checked;
  NotifyBackend(*this, Change::Check);
}

void Gadget::SetProxy(Gadget* inner) {
  if (inner == this) return;
  if (proxy_ && proxy_->proxy_owner_ == this) proxy_->proxy_owner_ = nullptr;
  proxy_ = inner;
  if (inner) {
    if (inner->proxy_owner_ && inner->proxy_owner_ != this) inner->proxy_owner_->proxy_ = nullptr;
    inner->proxy_owner_ = this;
  }
}

// ---- what backends record of the user's actions ---------------------------

void Toolkit::UserSetText(Gadget& g, const std::string& text) {
  Gadget* t = g.Target();
  t->text_ = text;
  const int total = static_cast<int>(runtime::CharCount(text));
  t->sel_start_ = std::min(t->sel_start_, total);
  t->sel_length_ = std::min(t->sel_length_, total - t->sel_start_);
}

void Toolkit::UserSetCheck(Gadget& g, int state) {
  g.Target()->check_ = state > 0 ? 1 : (state < 0 ? -1 : 0);
}

void Toolkit::UserSelectItem(Gadget& g, int index) {
  Gadget* t = g.Target();
  if (index < -1 || index >= static_cast<int>(t->items_.size())) return;
  t->selected_ = index;
}

int Toolkit::UserSetPosition(Gadget& g, int position) {
  Gadget* t = g.Target();
  t->position_ = ClampInt(position, 0, t->MaxPosition());
  return t->position_;
}

void Toolkit::UserSetSelection(Gadget& g, int start, int length) {
  Gadget* t = g.Target();
  const int total = static_cast<int>(runtime::CharCount(t->text_));
  t->sel_start_ = ClampInt(start, 0, total);
  t->sel_length_ = ClampInt(length, 0, total - t->sel_start_);
}

void Toolkit::UserSetShape(Gadget& g, int x, int y, int w, int h) {
  Gadget* t = g.Target();
  if (t->x_ == x && t->y_ == y && t->w_ == w && t->h_ == h) return;
  const int old_cw = t->ClientWidth(), old_ch = t->ClientHeight();
  SetGeometry(*t, x, y, std::max(0, w), std::max(0, h));
  if (t->ClientWidth() == old_cw && t->ClientHeight() == old_ch) return;
  std::vector<Gadget*> kids = t->children_;
  for (Gadget* child : kids) {
    int nx, ny, nw, nh;
    if (LayoutFor(*child, t->ClientWidth(), t->ClientHeight(), &nx, &ny, &nw, &nh)) {
      ApplyShape(*child, nx, ny, nw, nh);
    }
  }
}

void Toolkit::UncheckOtherRadios(Gadget& button) {
  Gadget* parent = button.parent_;
  if (!parent) return;
  for (Gadget* sibling : parent->children_) {
    if (sibling == &button || sibling->kind_ != Kind::Button) continue;
    if ((sibling->style_ & 7) != kButtonRadio || sibling->check_ == 0) continue;
    sibling->check_ = 0;
    NotifyBackend(*sibling, Change::Check);
  }
}

Gadget* Toolkit::OutermostMousePanel(Gadget* g) {
  Gadget* found = nullptr;
  for (; g; g = g->parent_) {
    if (g->kind_ == Kind::Panel && (g->style_ & kPanelMouse)) found = g;
  }
  return found;
}

void Toolkit::WindowPosition(const Gadget& g, int* x, int* y) {
  int ax = 0, ay = 0;
  const Gadget* c = &g;
  while (c->kind_ != Kind::Window && c->parent_) {
    Insets in = ClientInsets(*c->parent_);
    ax += c->x_ + in.left;
    ay += c->y_ + in.top;
    c = c->parent_;
  }
  *x = ax;
  *y = ay;
}

Gadget* Toolkit::TopLevel(Gadget* g) {
  while (g && g->kind_ != Kind::Window && g->parent_) g = g->parent_;
  return g;
}

}  // namespace corvane::tk
