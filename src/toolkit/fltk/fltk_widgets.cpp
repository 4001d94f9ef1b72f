#include "toolkit/fltk/fltk_widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdlib>

#include "runtime/text.h"
#include "toolkit/backend_access.h"
#include "toolkit/fltk/line_breaks.h"

namespace corvane::tk::fltk {
namespace {

// The deepest visible widget of group at a window point (the group itself
// when no child is there).
Fl_Widget* DeepestAt(Fl_Group* group, int x, int y) {
  for (int i = group->children(); i-- > 0;) {
    Fl_Widget* child = group->child(i);
    if (!child->visible()) continue;
    if (x < child->x() || y < child->y() || x >= child->x() + child->w() || y >= child->y() + child->h()) {
      continue;
    }
    Fl_Group* inner = child->as_group();
    return inner && !child->as_window() ? DeepestAt(inner, x, y) : child;
  }
  return group;
}

// FLTK tells every widget the pointer left by itself, walking up from the
// deepest one.  Fl_Group passes events it has no case for, FL_LEAVE among
// them, on to its first willing child, so a group that let FL_LEAVE through
// would make a child that the pointer never touched (the first row of a list)
// believe the pointer had just left it.
bool IsOnlyForThisWidget(int event) { return event == FL_LEAVE; }

unsigned FirstCodePoint(const char* text, int length) {
  if (length <= 0) return 0;
  int used = 0;
  return fl_utf8decode(text, text + length, &used);
}

}  // namespace

std::string LabelText(const std::string& text) { return runtime::ReplaceAll(ShownText(text), "@", "@@"); }

// ---- pictures ---------------------------------------------------------------

Fl_Image* PictureCache::Get(const PicturePtr& picture, int w, int h) {
  if (!picture || picture->width <= 0 || picture->height <= 0 || w <= 0 || h <= 0) return nullptr;
  if (picture != source_) {
    Reset();
    source_ = picture;
    original_ = std::make_unique<Fl_RGB_Image>(picture->rgba.data(), picture->width, picture->height, 4);
  }
  if (w == original_->w() && h == original_->h()) return original_.get();
  if (!scaled_ || scaled_->w() != w || scaled_->h() != h) scaled_.reset(original_->copy(w, h));
  return scaled_.get();
}

void PictureCache::Reset() {
  scaled_.reset();
  original_.reset();
  source_.reset();
}

// ---- windows ----------------------------------------------------------------

CorvaneWindow::CorvaneWindow(WidgetHost& host, Gadget& gadget)
    : Fl_Double_Window(gadget.X(), gadget.Y(), std::max(1, gadget.Width()), std::max(1, gadget.Height())),
      host_(host), gadget_(gadget) {
  if (gadget.style() & kWindowMenu) {
    menubar_ = new Fl_Menu_Bar(0, 0, w(), kMenuBarHeight);
  }
  if (gadget.style() & kWindowStatus) {
    status_ = new Fl_Box(0, h() - kStatusBarHeight, w(), kStatusBarHeight);
    status_->box(FL_THIN_DOWN_BOX);
    status_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  }
  end();
  resizable(nullptr);
  if (!(gadget.style() & kWindowTitleBar)) border(0);
  if (gadget.style() & kWindowResizable) {
    size_range(100, 80);
  } else {
    size_range(w(), h(), w(), h());
  }
  callback(OnClose, this);
}

void CorvaneWindow::LayoutBars() {
  if (menubar_) menubar_->resize(0, 0, w(), kMenuBarHeight);
  if (status_) status_->resize(0, h() - kStatusBarHeight, w(), kStatusBarHeight);
}

void CorvaneWindow::resize(int x, int y, int w, int h) {
  Fl_Double_Window::resize(x, y, w, h);
  LayoutBars();
  if (!gadget_.freed()) Toolkit::UserSetShape(gadget_, x, y, w, h);
}

int CorvaneWindow::handle(int event) {
  if (!gadget_.Enabled()) {
    // A disabled window takes no input, as while a dialog runs over it.
    switch (event) {
      case FL_PUSH: case FL_RELEASE: case FL_DRAG: case FL_KEYBOARD: case FL_KEYUP:
      case FL_SHORTCUT: case FL_MOUSEWHEEL: case FL_PASTE: case FL_DND_ENTER:
      case FL_DND_DRAG: case FL_DND_RELEASE:
        return 1;
      default:
        break;
    }
  }
  if (IsOnlyForThisWidget(event)) return 1;
  if (event == FL_MOUSEWHEEL && Fl::event_dy() != 0) {
    Gadget* under = host_.GadgetAt(DeepestAt(this, Fl::event_x(), Fl::event_y()));
    Gadget* panel = Toolkit::OutermostMousePanel(under);
    if (panel && panel->EnabledOnScreen()) {
      // FLTK counts steps towards the user as positive; the toolkit's
      // convention is the opposite.
      host_.Emit(kMouseWheel, *panel, -Fl::event_dy());
      return 1;
    }
  }
  return Fl_Double_Window::handle(event);
}

void CorvaneWindow::OnClose(Fl_Widget*, void* data) {
  auto* self = static_cast<CorvaneWindow*>(data);
  // FLTK also calls this for Escape; a window closes only by its close box
  // (a Cancel button answers Escape by its own shortcut).
  if ((Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) && Fl::event_key() == FL_Escape) return;
  if (!self->gadget_.Enabled()) return;
  self->host_.Emit(kWindowClose, self->gadget_, 0);
}

// ---- panels -----------------------------------------------------------------

PanelGroup::PanelGroup(WidgetHost& host, Gadget& gadget)
    : Fl_Group(0, 0, std::max(1, gadget.Width()), std::max(1, gadget.Height())), host_(host), gadget_(gadget) {
  end();
  resizable(nullptr);
  clip_children(1);
  if (gadget.style() & kPanelGroup) {
    box(FL_FLAT_BOX);
    align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
  } else if (gadget.style() & kPanelSunken) {
    box(FL_THIN_DOWN_BOX);
  } else {
    box(FL_FLAT_BOX);
  }
}

namespace {

// The toolkit's code of a key FLTK reports, or 0 for keys a panel leaves alone.
int PanelKeyCode(int fltk_key) {
  switch (fltk_key) {
    case FL_Up: return kKeyArrowUp;
    case FL_Down: return kKeyArrowDown;
    case ' ': return kKeySpace;
    default: return 0;
  }
}

}  // namespace

int PanelGroup::handle(int event) {
  const bool reports_mouse = (gadget_.style() & kPanelMouse) != 0;
  const bool takes_keys = (gadget_.style() & kPanelKeys) != 0;
  if (IsOnlyForThisWidget(event)) {
    if (reports_mouse && !gadget_.freed() && gadget_.EnabledOnScreen()) host_.Emit(kMouseLeave, gadget_, 0);
    return 1;
  }
  if (takes_keys) {
    switch (event) {
      case FL_FOCUS:
      case FL_UNFOCUS:
        // Fl_Group would hand the focus to its first willing child (the tick
        // box of the first row, even one scrolled out of sight).
        redraw();
        return 1;
      case FL_KEYBOARD: {
        const int code = PanelKeyCode(Fl::event_key());
        if (Fl::focus() != this || code == 0 || (Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META))) {
          return 0;  // Tab and the rest move the focus on, through the containers
        }
        if (!gadget_.freed() && gadget_.EnabledOnScreen()) host_.Emit(kKeyDown, gadget_, code);
        return 1;
      }
      case FL_PUSH: {
        // A click inside (a row's tick box among others) leaves the focus here.
        const int result = Fl_Group::handle(event);
        if (Fl::visible_focus() && active_r()) Fl::focus(this);
        return result ? result : 1;
      }
      default:
        break;
    }
  }
  const int result = Fl_Group::handle(event);
  // Taking FL_ENTER and FL_MOVE makes FLTK tell this panel when the pointer
  // leaves it.
  if (reports_mouse && (event == FL_ENTER || event == FL_MOVE)) return 1;
  return result;
}

void PanelGroup::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    if (gadget_.style() & kPanelGroup) {
      fl_rectf(x(), y(), w(), h(), color());
      fl_draw_box(FL_ENGRAVED_FRAME, x(), y() + 8, w(), h() - 8, color());
      const char* caption = label();
      if (caption && *caption) {
        fl_font(labelfont(), labelsize());
        const int tw = static_cast<int>(fl_width(caption)) + 6;
        fl_rectf(x() + 8, y(), tw, 16, color());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(caption, x() + 11, y(), tw, 16, FL_ALIGN_LEFT, nullptr, 0);
      }
    } else {
      draw_box();
    }
    const PicturePtr& picture = gadget_.GetPicture();
    if (picture) {
      const Insets in = ClientInsets(gadget_);
      const int cx = x() + in.left, cy = y() + in.top;
      const int cw = w() - in.left - in.right, ch = h() - in.top - in.bottom;
      int pw = picture->width, ph = picture->height;
      const int flags = gadget_.PictureFlags();
      if (flags == kPictureStretch) {
        pw = cw;
        ph = ch;
      } else if ((flags & kPictureIcon) && (pw > cw || ph > ch) && pw > 0 && ph > 0) {
        // An icon too big for its panel shrinks, keeping its shape.
        const double scale = std::min(static_cast<double>(cw) / pw, static_cast<double>(ch) / ph);
        pw = std::max(1, static_cast<int>(pw * scale));
        ph = std::max(1, static_cast<int>(ph * scale));
      }
      if (Fl_Image* image = pictures_.Get(picture, pw, ph)) {
        fl_push_clip(cx, cy, cw, ch);
        image->draw(cx + (cw - pw) / 2, cy + (ch - ph) / 2);
        fl_pop_clip();
      }
    }
  }
  draw_children();
  // Over the children, which cover the whole panel in a list.
  if ((gadget_.style() & kPanelKeys) && Fl::focus() == this && Fl::visible_focus()) {
    draw_focus(FL_NO_BOX, x(), y(), w(), h());
  }
}

// ---- tab rows -------------------------------------------------------------

TabberGroup::TabberGroup(WidgetHost& host, Gadget& gadget)
    : Fl_Group(0, 0, std::max(1, gadget.Width()), std::max(1, gadget.Height())), host_(host), gadget_(gadget) {
  end();
  resizable(nullptr);
  box(FL_NO_BOX);
}

std::vector<std::pair<int, int>> TabberGroup::TabSpans() {
  std::vector<std::pair<int, int>> spans;
  fl_font(labelfont(), labelsize());
  const IconStripPtr& strip = gadget_.GetIconStrip();
  int at = x() + 2;
  for (const ListItem& item : gadget_.Items()) {
    int width = static_cast<int>(fl_width(item.text.c_str())) + 20;
    if (strip && item.icon >= 0 && item.icon < strip->count) width += 20;
    spans.emplace_back(at, width);
    at += width;
  }
  return spans;
}

int TabberGroup::TabAt(int px, int py) {
  if (py < y() || py >= y() + kTabHeaderHeight) return -1;
  auto spans = TabSpans();
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (px >= spans[i].first && px < spans[i].first + spans[i].second) return static_cast<int>(i);
  }
  return -1;
}

void TabberGroup::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    const Fl_Color back = parent() ? parent()->color() : FL_BACKGROUND_COLOR;
    fl_rectf(x(), y(), w(), kTabHeaderHeight, back);
    fl_rectf(x(), y() + kTabHeaderHeight, w(), h() - kTabHeaderHeight, FL_BACKGROUND_COLOR);
    fl_color(FL_DARK3);
    fl_xyline(x(), y() + kTabHeaderHeight - 1, x() + w() - 1);
    const IconStripPtr& strip = gadget_.GetIconStrip();
    if (strip && icons_.size() != static_cast<std::size_t>(strip->count)) {
      icons_.clear();
      icon_pictures_.clear();
      icons_.resize(strip->count);
      icon_pictures_.resize(strip->count);
    }
    auto spans = TabSpans();
    const auto& items = gadget_.Items();
    for (std::size_t i = 0; i < spans.size(); ++i) {
      const bool chosen = static_cast<int>(i) == gadget_.SelectedItem();
      const int top = y() + (chosen ? 0 : 3);
      const int height = kTabHeaderHeight - (chosen ? 0 : 3);
      const Fl_Color tab = chosen ? FL_BACKGROUND_COLOR : fl_color_average(FL_BACKGROUND_COLOR, FL_BLACK, 0.85f);
      fl_draw_box(chosen ? FL_UP_BOX : FL_THIN_UP_BOX, spans[i].first, top, spans[i].second, height, tab);
      int text_x = spans[i].first, text_w = spans[i].second;
      const int icon = items[i].icon;
      if (strip && icon >= 0 && icon < strip->count) {
        if (!icons_[icon]) {
          icon_pictures_[icon] = IconAt(strip, icon);
          if (icon_pictures_[icon]) {
            Fl_RGB_Image full(icon_pictures_[icon]->rgba.data(), strip->size, strip->size, 4);
            const int side = std::min(strip->size, 16);
            icons_[icon].reset(static_cast<Fl_RGB_Image*>(full.copy(side, side)));
          }
        }
        if (icons_[icon]) {
          icons_[icon]->draw(text_x + 8, top + (height - icons_[icon]->h()) / 2);
          text_x += 20;
          text_w -= 20;
        }
      }
      fl_font(labelfont(), labelsize());
      // Greyed towards the tab's own colour, not towards FLTK's grey, which
      // is as dark as an unselected tab and would hide the caption.
      fl_color(active_r() ? labelcolor() : fl_color_average(labelcolor(), tab, 0.6f));
      fl_draw(items[i].text.c_str(), text_x, top, text_w, height, FL_ALIGN_CENTER, nullptr, 0);
    }
  }
  draw_children();
}

int TabberGroup::handle(int event) {
  if (IsOnlyForThisWidget(event)) return 1;
  switch (event) {
    case FL_PUSH: {
      const int tab = TabAt(Fl::event_x(), Fl::event_y());
      if (tab < 0) break;
      if (tab != gadget_.SelectedItem()) {
        Toolkit::UserSelectItem(gadget_, tab);
        redraw();
        host_.Emit(kGadgetAction, gadget_, tab);
      }
      return 1;
    }
    case FL_ENTER:
    case FL_MOVE: {
      const int tab = TabAt(Fl::event_x(), Fl::event_y());
      if (tab < 0) break;
      const std::string& tip = gadget_.Items()[tab].tip;
      auto spans = TabSpans();
      Fl_Tooltip::enter_area(this, spans[tab].first, y(), spans[tab].second, kTabHeaderHeight,
                             tip.empty() ? nullptr : tip.c_str());
      Fl_Group::handle(event);
      return 1;
    }
    default:
      break;
  }
  return Fl_Group::handle(event);
}

// ---- steppers -------------------------------------------------------------

StepperGroup::StepperGroup(WidgetHost& host, Gadget& gadget, bool horizontal)
    : Fl_Group(0, 0, std::max(2, gadget.Width()), std::max(2, gadget.Height())),
      host_(host), gadget_(gadget), horizontal_(horizontal) {
  more_ = new Fl_Repeat_Button(0, 0, 1, 1, horizontal ? "@6>" : "@8>");
  less_ = new Fl_Repeat_Button(0, 0, 1, 1, horizontal ? "@4>" : "@2>");
  for (Fl_Repeat_Button* b : {more_, less_}) {
    b->labelsize(8);
    b->callback(OnStep, this);
    b->visible_focus(0);
  }
  end();
  resizable(nullptr);
  box(FL_NO_BOX);
  resize(0, 0, w(), h());
}

void StepperGroup::resize(int x, int y, int w, int h) {
  Fl_Widget::resize(x, y, w, h);
  if (horizontal_) {
    less_->resize(x, y, w / 2, h);
    more_->resize(x + w / 2, y, w - w / 2, h);
  } else {
    more_->resize(x, y, w, h / 2);
    less_->resize(x, y + h / 2, w, h - h / 2);
  }
}

void StepperGroup::OnStep(Fl_Widget* button, void* data) {
  auto* self = static_cast<StepperGroup*>(data);
  Gadget& g = self->gadget_;
  if (g.freed() || !g.EnabledOnScreen()) return;
  const int before = g.Position();
  const int now = Toolkit::UserSetPosition(g, before + (button == self->more_ ? 1 : -1));
  if (now != before) self->host_.Emit(kGadgetAction, g, now);
}

// ---- small widgets --------------------------------------------------------

void TriStateCheck::draw() {
  Fl_Check_Button::draw();
  if (!third_state) return;
  // The third state: a filled square inside the (unticked) box.
  const int side = labelsize();
  const int dx = Fl::box_dx(box()) + 2;
  const int dy = (h() - side) / 2;
  fl_color(active_r() ? FL_DARK3 : fl_inactive(FL_DARK3));
  fl_rectf(x() + dx + 3, y() + dy + 3, std::max(2, side - 6), std::max(2, side - 6));
}

LinkBox::LinkBox(WidgetHost& host, Gadget& gadget)
    : Fl_Box(0, 0, std::max(1, gadget.Width()), std::max(1, gadget.Height())), host_(host), gadget_(gadget) {
  box(FL_NO_BOX);
  labelcolor(FL_BLUE);
}

int LinkBox::handle(int event) {
  switch (event) {
    case FL_ENTER:
      if (window()) window()->cursor(FL_CURSOR_HAND);
      return 1;
    case FL_LEAVE:
      if (window()) window()->cursor(FL_CURSOR_DEFAULT);
      return 1;
    case FL_PUSH:
      return 1;
    case FL_RELEASE:
      if (Fl::event_inside(this) && !gadget_.freed() && gadget_.EnabledOnScreen()) tk::OpenUrl(gadget_.Url());
      return 1;
    default:
      return Fl_Box::handle(event);
  }
}

void LinkBox::draw() {
  Fl_Box::draw();
  const char* text = label();
  if (!text || !*text) return;
  fl_font(labelfont(), labelsize());
  // FLTK insets left- and right-aligned labels by 3 pixels.
  const int tw = std::min(static_cast<int>(fl_width(text)), std::max(0, w() - 6));
  int tx = x() + 3;
  if (align() & FL_ALIGN_RIGHT) {
    tx = x() + w() - 3 - tw;
  } else if (!(align() & FL_ALIGN_LEFT)) {
    tx = x() + (w() - tw) / 2;
  }
  const int baseline = y() + (h() + fl_height()) / 2 - fl_descent() + 1;
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_xyline(tx, baseline, tx + tw - 1);
}

void SeparatorBox::draw() {
  if (w() >= h()) {
    const int line = h() <= 2 ? y() : y() + h() / 2 - 1;
    fl_color(FL_DARK3);
    fl_xyline(x(), line, x() + w() - 1);
    if (h() >= 2) {
      fl_color(FL_LIGHT3);
      fl_xyline(x(), line + 1, x() + w() - 1);
    }
  } else {
    const int line = w() <= 2 ? x() : x() + w() / 2 - 1;
    fl_color(FL_DARK3);
    fl_yxline(line, y(), y() + h() - 1);
    if (w() >= 2) {
      fl_color(FL_LIGHT3);
      fl_yxline(line + 1, y(), y() + h() - 1);
    }
  }
}

// ---- text -----------------------------------------------------------------

FilterInput::FilterInput(WidgetHost& host, Gadget& gadget)
    : Fl_Input(0, 0, std::max(1, gadget.Width()), std::max(1, gadget.Height())), host_(host), gadget_(gadget) {
  when(FL_WHEN_CHANGED);
  callback(
      [](Fl_Widget* w, void*) {
        auto* self = static_cast<FilterInput*>(w);
        if (self->gadget_.freed()) return;
        Toolkit::UserSetText(self->gadget_, self->value());
        const std::string typed(self->value(), static_cast<std::size_t>(self->position()));
        Toolkit::UserSetSelection(self->gadget_, static_cast<int>(runtime::CharCount(typed)), 0);
        self->host_.Emit(kGadgetAction, self->gadget_, 0);
      },
      nullptr);
}

int FilterInput::handle(int event) {
  if (event == FL_KEYBOARD && !(Fl::event_state() & (FL_CTRL | FL_ALT | FL_META))) {
    unsigned code = 0;
    if (Fl::event_key() == FL_BackSpace) {
      code = 8;
    } else {
      code = FirstCodePoint(Fl::event_text(), Fl::event_length());
    }
    // Enter, Tab and Escape belong to the dialog (default and cancel
    // buttons, focus), not to the text.
    const bool character = code == 8 || (code >= 32 && code != 127);
    if (character) {
      Event key;
      key.id = kKeyChar;
      key.source = &gadget_;
      key.data = code;
      if (!gadget_.FilterAccepts(key)) return 1;
    }
  }
  return Fl_Input::handle(event);
}

TextArea::TextArea(WidgetHost& host, Gadget& gadget)
    : TextBufferOwner(),
      Fl_Text_Editor(0, 0, std::max(1, gadget.Width()), std::max(1, gadget.Height())),
      host_(host), gadget_(gadget), read_only_((gadget.style() & kTextReadOnly) != 0) {
  buffer(text_);
  if (gadget.style() & kTextWordWrap) wrap_mode(Fl_Text_Display::WRAP_AT_BOUNDS, 0);
  if (read_only_) show_cursor(0);
  text_->add_modify_callback(OnModify, this);
}

TextArea::~TextArea() { text_->remove_modify_callback(OnModify, this); }

int TextArea::handle(int event) {
  if (read_only_) {
    switch (event) {
      case FL_KEYBOARD: {
        const int key = Fl::event_key();
        const bool ctrl = (Fl::event_state() & (FL_CTRL | FL_COMMAND)) != 0;
        const bool moves = (key >= FL_Home && key <= FL_End) || key == FL_Page_Up || key == FL_Page_Down;
        if (moves || (ctrl && (key == 'c' || key == 'a'))) return Fl_Text_Editor::handle(event);
        return 0;
      }
      case FL_PASTE: case FL_DND_ENTER: case FL_DND_DRAG: case FL_DND_RELEASE:
        return 0;
      case FL_PUSH:
        if (Fl::event_button() == FL_MIDDLE_MOUSE) return 1;
        break;
      default:
        break;
    }
  }
  return Fl_Text_Editor::handle(event);
}

void TextArea::Sync(const std::string& text) {
  if (text == stored_) return;
  syncing_ = true;
  if (text.size() > stored_.size() && text.compare(0, stored_.size(), stored_) == 0) {
    text_->append(ShownAppend(stored_, text.substr(stored_.size())).c_str());
  } else {
    text_->text(ShownText(text).c_str());
  }
  stored_ = text;
  syncing_ = false;
}

void TextArea::Select(int start_chars, int length_chars) {
  auto shown_byte = [this](int chars) {
    return static_cast<int>(ShownOffset(stored_, runtime::CharToByte(stored_, chars)));
  };
  const int start = shown_byte(start_chars);
  const int end = shown_byte(start_chars + length_chars);
  if (end > start) {
    text_->select(start, end);
  } else {
    text_->unselect();
  }
  insert_position(end);
  show_insert_position();
}

void TextArea::OnModify(int pos, int inserted, int deleted, int, const char*, void* data) {
  auto* self = static_cast<TextArea*>(data);
  if (self->syncing_ || (inserted == 0 && deleted == 0) || self->gadget_.freed()) return;
  self->stored_ = self->StoredAfterEdit(pos, inserted, deleted);
  Toolkit::UserSetText(self->gadget_, self->stored_);
  self->host_.Emit(kGadgetAction, self->gadget_, 0);
}

std::string TextArea::StoredAfterEdit(int pos, int inserted, int deleted) {
  auto take = [](char* bytes) {
    std::string taken = bytes ? bytes : "";
    std::free(bytes);
    return taken;
  };
  const std::string shown = take(text_->text());
  // The user's edit goes into the stored text at the same place, so that the
  // line ends the user did not touch keep their CRs.
  const std::size_t from = StoredOffset(stored_, static_cast<std::size_t>(pos));
  const std::size_t to = StoredOffset(stored_, static_cast<std::size_t>(pos + deleted));
  std::string edited = stored_.substr(0, from) + take(text_->text_range(pos, pos + inserted)) + stored_.substr(to);
  // An edit that joins a kept CR with a typed LF (or splits a CR LF) would
  // change the lines shown; then the buffer as shown is the text.
  return ShownText(edited) == shown ? edited : shown;
}

}  // namespace corvane::tk::fltk
