// The FLTK backend: one FLTK widget per gadget, kept in step with the
// toolkit core's state, and FLTK's input turned into emitted events.
#include "toolkit/fltk/fltk_backend.h"

// The project's headers come first: X11 (pulled in by FLTK) defines macros,
// Status among them, that would rewrite their names.
#include "runtime/text.h"
#include "toolkit/backend_access.h"
#include "toolkit/fltk/box_signs.h"
#include "toolkit/fltk/captions.h"
#include "toolkit/fltk/fltk_menus.h"
#include "toolkit/fltk/fltk_native.h"
#include "toolkit/fltk/fltk_platform.h"
#include "toolkit/fltk/fltk_widgets.h"
#include "toolkit/fltk/line_breaks.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Slider.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Tree.H>
#include <FL/fl_ask.H>

#include <chrono>
#include <cmath>
#include <set>
#include <unordered_map>

#undef Status

namespace corvane::tk {
namespace {

using fltk::CorvaneWindow;
using fltk::Native;

Native* N(const Gadget& g) { return static_cast<Native*>(g.native); }

Fl_Color Colour(Rgb c) { return fl_rgb_color(static_cast<uchar>(c.r), static_cast<uchar>(c.g), static_cast<uchar>(c.b)); }

bool HoldsGadgets(Kind kind) { return kind == Kind::Window || kind == Kind::Panel || kind == Kind::Tabber; }

Gadget* WindowOf(Gadget* g) {
  while (g && g->kind() != Kind::Window) g = g->parent();
  return g;
}

class FltkBackend;
FltkBackend* active_backend = nullptr;

class FltkBackend : public Backend, public fltk::WidgetHost {
 public:
  FltkBackend() { active_backend = this; }
  ~FltkBackend() override {
    Fl::do_widget_deletion();
    if (active_backend == this) active_backend = nullptr;
  }

  const char* Name() const override { return "fltk"; }

  void Changed(Gadget& g, Change what) override {
    if (what == Change::Created) {
      Create(g);
      return;
    }
    if (g.kind() == Kind::Menu) {
      if (Gadget* window = WindowOf(g.parent())) MenusChanged(*window);
      return;
    }
    if (what == Change::Freed) {
      Destroy(g);
      return;
    }
    Native* n = N(g);
    if (!n || !n->widget) {
      if (what == Change::Shape) PlaceChildren(g);
      return;
    }
    Fl_Widget* w = n->widget;
    switch (what) {
      case Change::Shape: Place(g); break;
      case Change::Text: ApplyText(g); break;
      case Change::Visible: ApplyVisible(g); break;
      case Change::Enabled: ApplyEnabled(g); break;
      case Change::Colour: ApplyColours(g); break;
      case Change::Picture:
        if (g.kind() == Kind::Tabber) static_cast<fltk::TabberGroup*>(w)->IconsChanged();
        w->redraw();
        break;
      case Change::Check: ApplyCheck(g); break;
      case Change::Items: ApplyItems(g); break;
      case Change::Selection: ApplySelection(g); break;
      case Change::Range: ApplyRange(g); break;
      case Change::Progress:
        if (g.kind() == Kind::Progress) static_cast<Fl_Progress*>(w)->value(static_cast<float>(g.Progress()));
        break;
      case Change::Status:
        if (g.kind() == Kind::Window) {
          auto* win = static_cast<CorvaneWindow*>(w);
          if (win->status()) win->status()->copy_label(fltk::LabelText(g.StatusText()).c_str());
        }
        break;
      case Change::Focus:
        focus_request_ = &g;
        if (g.kind() == Kind::Window) {
          static_cast<Fl_Window*>(w)->show();
        } else if (w->visible_r() && w->active_r()) {
          // take_focus() leaves the focus where it is when that lies inside
          // w: a key-taking panel wants it on itself.
          if (w->take_focus() && g.kind() == Kind::Panel && (g.style() & kPanelKeys)) Fl::focus(w);
        }
        break;
      case Change::Redraw: w->redraw(); break;
      case Change::Menu: MenusChanged(g); break;
      case Change::Activate:
        if (g.kind() == Kind::Window && g.Visible()) static_cast<Fl_Window*>(w)->show();
        focus_request_ = &g;
        break;
      case Change::Tooltip:
        SetTooltip(*w, g.Tooltip());
        break;
      default:
        break;
    }
  }

  void Pump(int wait_ms) override {
    RebuildMenus();
    if (wait_ms == 0) {
      Fl::check();
    } else if (wait_ms < 0) {
      Fl::wait(1.0);
    } else {
      Fl::wait(wait_ms / 1000.0);
    }
    RebuildMenus();
  }

  std::int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  void Sleep(int ms) override {
    // The windows stay alive while the program pauses.
    const std::int64_t until = NowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = until - NowMs()) {
      RebuildMenus();
      Fl::wait(left / 1000.0);
    }
  }

  int DesktopWidth() override {
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h, 0);
    return w;
  }

  int DesktopHeight() override {
    int x, y, w, h;
    Fl::screen_work_area(x, y, w, h, 0);
    return h;
  }

  // Boxes: FLTK's own message box, its sign set for the kind of box (a
  // warning sign on every serious one).  Closing a question or pressing
  // Escape answers its first button (Cancel, No).
  void Notify(const std::string& caption, const std::string& text, bool serious) override {
    fl_message_title(caption.c_str());
    fltk::SetBoxSign(serious ? fltk::BoxSign::Warning : fltk::BoxSign::Information);
    fl_choice("%s", nullptr, "OK", nullptr, fltk::ShownText(text).c_str());
  }

  bool Confirm(const std::string& caption, const std::string& text, bool serious) override {
    fl_message_title(caption.c_str());
    fltk::SetBoxSign(serious ? fltk::BoxSign::Warning : fltk::BoxSign::Question);
    return fl_choice("%s", "Cancel", "OK", nullptr, fltk::ShownText(text).c_str()) == 1;
  }

  bool Proceed(const std::string& caption, const std::string& text, bool serious) override {
    fl_message_title(caption.c_str());
    fltk::SetBoxSign(serious ? fltk::BoxSign::Warning : fltk::BoxSign::Question);
    return fl_choice("%s", "No", "Yes", nullptr, fltk::ShownText(text).c_str()) == 1;
  }

  std::string RequestFolder(const std::string& caption, const std::string& prompt,
                            const std::string& start) override {
    Fl_Native_File_Chooser chooser;
    chooser.title(prompt.empty() ? caption.c_str() : prompt.c_str());
    chooser.type(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
    if (!start.empty()) chooser.directory(start.c_str());
    if (chooser.show() != 0) return "";
    const char* chosen = chooser.filename();
    return chosen ? chosen : "";
  }

  bool OpenUrl(const std::string& address) override { return fltk::LaunchOpener(address); }

  Gadget* FocusedGadget() override {
    if (Gadget* g = GadgetAt(Fl::focus())) return g;
    return focus_request_ && !focus_request_->freed() ? focus_request_ : nullptr;
  }

  // ---- WidgetHost ----
  void Emit(int id, Gadget& source, std::int64_t data) override {
    if (source.freed()) return;
    EmitEvent(MakeEvent(id, &source, data, 0, Fl::event_x(), Fl::event_y()));
  }

  Gadget* GadgetAt(Fl_Widget* w) override {
    for (; w; w = w->parent()) {
      auto it = gadgets_.find(w);
      if (it != gadgets_.end()) return it->second;
    }
    return nullptr;
  }

  void MenusChanged(Gadget& window) override { dirty_menus_.insert(&window); }

 private:
  static void OnWidget(Fl_Widget* w, void* data) { static_cast<FltkBackend*>(data)->WidgetCallback(w); }

  static void OnMenu(Fl_Widget*, void* data) {
    auto* item = static_cast<Gadget*>(data);
    if (!active_backend || item->freed()) return;
    // FLTK flips toggle items itself; the menu shows the program's marks.
    if (Gadget* window = WindowOf(item)) active_backend->MenusChanged(*window);
    active_backend->Emit(kMenuAction, *item, item->Tag());
  }

  void WidgetCallback(Fl_Widget* w) {
    auto it = gadgets_.find(w);
    if (it == gadgets_.end() || it->second->freed()) return;
    Gadget& g = *it->second;
    switch (g.kind()) {
      case Kind::Button: {
        auto* button = static_cast<Fl_Button*>(w);
        const int type = g.style() & 7;
        if (type == kButtonCheck) {
          const int state = button->value() ? 1 : 0;
          if (auto* tri = dynamic_cast<fltk::TriStateCheck*>(w)) tri->third_state = false;
          Toolkit::UserSetCheck(g, state);
          Emit(kGadgetAction, g, state);
        } else if (type == kButtonRadio) {
          button->value(1);
          Toolkit::UserSetCheck(g, 1);
          Toolkit::UncheckOtherRadios(g);
          Emit(kGadgetAction, g, 1);
        } else {
          Emit(kGadgetAction, g, 0);
        }
        break;
      }
      case Kind::ListBox:
        UserChose(g, static_cast<Fl_Hold_Browser*>(w)->value() - 1);
        break;
      case Kind::ComboBox:
        UserChose(g, static_cast<Fl_Choice*>(w)->value());
        break;
      case Kind::TreeView: {
        auto* tree = static_cast<Fl_Tree*>(w);
        if (tree->callback_reason() != FL_TREE_REASON_SELECTED || !tree->root()) break;
        UserChose(g, tree->root()->find_child(tree->callback_item()));
        break;
      }
      case Kind::Slider: {
        auto* valuator = static_cast<Fl_Valuator*>(w);
        const int wanted = static_cast<int>(std::lround(valuator->value()));
        const int before = g.Position();
        const int now = Toolkit::UserSetPosition(g, wanted);
        if (now != wanted) valuator->value(now);
        if (now != before) Emit(kGadgetAction, g, now);
        break;
      }
      default:
        break;
    }
  }

  static void SetTooltip(Fl_Widget& w, const std::string& tip) {
    w.copy_tooltip(tip.empty() ? nullptr : fltk::ShownText(tip).c_str());
  }

  void UserChose(Gadget& g, int index) {
    if (index < 0 || index >= static_cast<int>(g.Items().size()) || index == g.SelectedItem()) return;
    Toolkit::UserSelectItem(g, index);
    Emit(kGadgetAction, g, index);
  }

  Fl_Widget* MakeButton(Gadget& g, int w, int h) {
    const int type = g.style() & 7;
    const bool push_like = (g.style() & kButtonPushLike) != 0;
    Fl_Button* b;
    if (type == kButtonCheck) {
      b = push_like ? new Fl_Button(0, 0, w, h) : new fltk::TriStateCheck(0, 0, w, h);
      b->type(FL_TOGGLE_BUTTON);
    } else if (type == kButtonRadio) {
      // Radio groups are kept by the toolkit, per container.
      b = push_like ? new Fl_Button(0, 0, w, h) : new Fl_Round_Button(0, 0, w, h);
      b->type(FL_TOGGLE_BUTTON);
    } else if (type == kButtonOk) {
      b = new Fl_Return_Button(0, 0, w, h);
    } else {
      b = new Fl_Button(0, 0, w, h);
      if (type == kButtonCancel) b->shortcut(FL_Escape);
    }
    if ((type == kButtonCheck || type == kButtonRadio) && !push_like) {
      b->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    }
    b->callback(OnWidget, this);
    return b;
  }

  Fl_Widget* MakeLabel(Gadget& g, int w, int h) {
    const int frame = g.style() & 3;
    if (frame == kLabelSeparator) return new fltk::SeparatorBox(0, 0, w, h);
    auto* box = new Fl_Box(0, 0, w, h);
    int align = FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_WRAP;
    if (g.style() & kLabelCentre) {
      align |= FL_ALIGN_CENTER;
    } else if (g.style() & kLabelRight) {
      align |= FL_ALIGN_RIGHT;
    } else {
      align |= FL_ALIGN_LEFT;
    }
    box->align(static_cast<Fl_Align>(align));
    box->box(frame == kLabelFrame ? FL_BORDER_FRAME : frame == kLabelSunken ? FL_THIN_DOWN_BOX : FL_NO_BOX);
    return box;
  }

  Fl_Widget* MakeSlider(Gadget& g, int w, int h) {
    const bool horizontal = (g.style() & kSliderHorizontal) != 0;
    if (g.style() & kSliderStepper) return new fltk::StepperGroup(*this, g, horizontal);
    Fl_Valuator* v;
    if (g.style() & kSliderTrackBar) {
      auto* slider = new Fl_Slider(0, 0, w, h);
      slider->type(horizontal ? FL_HOR_NICE_SLIDER : FL_VERT_NICE_SLIDER);
      v = slider;
    } else {
      auto* bar = new Fl_Scrollbar(0, 0, w, h);
      bar->type(horizontal ? FL_HORIZONTAL : FL_VERTICAL);
      bar->linesize(1);
      v = bar;
    }
    v->step(1);
    v->callback(OnWidget, this);
    return v;
  }

  void Create(Gadget& g) {
    if (g.native) return;
    if (g.kind() == Kind::Menu) {
      if (Gadget* window = WindowOf(g.parent())) MenusChanged(*window);
      return;
    }
    Fl_Group* container = nullptr;
    if (g.kind() != Kind::Window) {
      container = ContainerFor(g);
      if (!container) return;  // nowhere to show it (a proxy, or no window)
    }
    Fl_Group::current(nullptr);
    const int w = std::max(1, g.Width()), h = std::max(1, g.Height());
    Fl_Widget* widget = nullptr;
    switch (g.kind()) {
      case Kind::Window: widget = new CorvaneWindow(*this, g); break;
      case Kind::Button: widget = MakeButton(g, w, h); break;
      case Kind::Panel: widget = new fltk::PanelGroup(*this, g); break;
      case Kind::Label: widget = MakeLabel(g, w, h); break;
      case Kind::TextField: widget = new fltk::FilterInput(*this, g); break;
      case Kind::TextArea: widget = new fltk::TextArea(*this, g); break;
      case Kind::ListBox: {
        auto* list = new Fl_Hold_Browser(0, 0, w, h);
        list->format_char(0);
        list->callback(OnWidget, this);
        widget = list;
        break;
      }
      case Kind::ComboBox: {
        auto* choice = new Fl_Choice(0, 0, w, h);
        choice->callback(OnWidget, this);
        widget = choice;
        break;
      }
      case Kind::TreeView: {
        auto* tree = new Fl_Tree(0, 0, w, h);
        tree->showroot(0);
        tree->selectmode(FL_TREE_SELECT_SINGLE);
        tree->callback(OnWidget, this);
        widget = tree;
        break;
      }
      case Kind::Canvas: {
        auto* canvas = new Fl_Box(0, 0, w, h);
        canvas->box(FL_FLAT_BOX);
        canvas->color(FL_BACKGROUND2_COLOR);
        widget = canvas;
        break;
      }
      case Kind::Tabber: widget = new fltk::TabberGroup(*this, g); break;
      case Kind::Slider: widget = MakeSlider(g, w, h); break;
      case Kind::Progress: {
        auto* bar = new Fl_Progress(0, 0, w, h);
        bar->minimum(0);
        bar->maximum(1);
        bar->selection_color(fl_rgb_color(6, 176, 37));
        widget = bar;
        break;
      }
      case Kind::Hyperlink: {
        auto* link = new fltk::LinkBox(*this, g);
        link->align(static_cast<Fl_Align>(FL_ALIGN_INSIDE | FL_ALIGN_CLIP |
                                          ((g.style() & kLabelCentre)  ? FL_ALIGN_CENTER
                                           : (g.style() & kLabelRight) ? FL_ALIGN_RIGHT
                                                                       : FL_ALIGN_LEFT)));
        widget = link;
        break;
      }
      default:
        break;
    }
    Fl_Group::current(nullptr);
    if (!widget) return;
    auto* native = new Native;
    native->widget = widget;
    g.native = native;
    gadgets_[widget] = &g;
    if (container) container->add(widget);
    Place(g);
    ApplyText(g);
    if (!g.Tooltip().empty()) SetTooltip(*widget, g.Tooltip());
    if (g.HasBackColor() || g.HasTextColor()) ApplyColours(g);
    ApplyCheck(g);
    ApplyItems(g);
    ApplyRange(g);
    if (g.kind() == Kind::Progress) static_cast<Fl_Progress*>(widget)->value(static_cast<float>(g.Progress()));
    ApplyEnabled(g);
    ApplyVisible(g);
  }

  void Destroy(Gadget& g) {
    if (focus_request_ == &g) focus_request_ = nullptr;
    dirty_menus_.erase(&g);
    Native* n = N(g);
    if (!n) return;
    if (Fl_Widget* w = n->widget) {
      gadgets_.erase(w);
      if (Fl_Group* parent = w->parent()) {
        parent->remove(w);
        parent->redraw();
      }
      w->hide();
      // Deferred: the widget may be the one whose callback is running.
      Fl::delete_widget(w);
    }
    delete n;
    g.native = nullptr;
  }

  // The FLTK group that shows a gadget's children: the nearest container.
  Fl_Group* ContainerFor(const Gadget& g) {
    for (Gadget* p = g.parent(); p; p = p->parent()) {
      Native* pn = N(*p);
      if (pn && pn->widget && HoldsGadgets(p->kind())) return pn->widget->as_group();
    }
    return nullptr;
  }

  // FLTK places every widget of a window in the window's coordinates; the
  // toolkit places children in their container's client area.
  void Place(Gadget& g) {
    Native* n = N(g);
    if (!n || !n->widget) {
      PlaceChildren(g);
      return;
    }
    Fl_Widget* w = n->widget;
    if (g.kind() == Kind::Window) {
      auto* win = static_cast<CorvaneWindow*>(w);
      const int width = std::max(1, g.Width()), height = std::max(1, g.Height());
      if (!(g.style() & kWindowResizable)) win->size_range(width, height, width, height);
      if (win->x() != g.X() || win->y() != g.Y() || win->w() != width || win->h() != height) {
        win->resize(g.X(), g.Y(), width, height);
      }
      return;
    }
    int x = 0, y = 0;
    Toolkit::WindowPosition(g, &x, &y);
    if (w->parent()) w->parent()->redraw();
    const bool resized = w->w() != g.Width() || w->h() != g.Height();
    w->resize(x, y, g.Width(), g.Height());
    if (resized) fltk::FitCaption(g, *w);
    w->redraw();
    PlaceChildren(g);
  }

  void PlaceChildren(Gadget& g) {
    for (Gadget* child : g.children()) {
      if (!child->freed() && child->kind() != Kind::Menu && child->kind() != Kind::Window) Place(*child);
    }
  }

  void ApplyText(Gadget& g) {
    Fl_Widget* w = N(g)->widget;
    const std::string& text = g.Text();
    switch (g.kind()) {
      case Kind::Window: w->copy_label(text.c_str()); break;
      case Kind::Button: case Kind::Label: case Kind::Hyperlink:
        w->copy_label(fltk::LabelText(text).c_str());
        fltk::FitCaption(g, *w);
        w->redraw();
        break;
      case Kind::Panel:
        if (g.style() & kPanelGroup) {
          w->copy_label(text.c_str());
          w->redraw();
        }
        break;
      case Kind::TextField: {
        auto* input = static_cast<Fl_Input*>(w);
        if (text != input->value()) input->value(text.c_str());
        break;
      }
      case Kind::TextArea: {
        auto* area = static_cast<fltk::TextArea*>(w);
        area->Sync(text);
        area->Select(g.SelectionStart(), g.SelectionLength());
        break;
      }
      default:
        break;
    }
  }

  void ApplyVisible(Gadget& g) {
    Fl_Widget* w = N(g)->widget;
    if (g.Visible()) {
      w->show();
    } else {
      w->hide();
    }
    if (w->parent()) w->parent()->redraw();
  }

  void ApplyEnabled(Gadget& g) {
    Fl_Widget* w = N(g)->widget;
    // A disabled window refuses input itself (see CorvaneWindow) but does not
    // grey out everything in it.
    if (g.kind() == Kind::Window) return;
    if (g.Enabled()) {
      w->activate();
    } else {
      w->deactivate();
    }
  }

  void ApplyColours(Gadget& g) {
    Fl_Widget* w = N(g)->widget;
    if (g.HasBackColor()) {
      const Fl_Color c = Colour(g.BackColor());
      if (w->box() == FL_NO_BOX && g.kind() != Kind::Tabber) w->box(FL_FLAT_BOX);
      w->color(c);
    }
    if (g.HasTextColor()) {
      const Fl_Color c = Colour(g.TextColor());
      switch (g.kind()) {
        case Kind::TextField: static_cast<Fl_Input*>(w)->textcolor(c); break;
        case Kind::TextArea: static_cast<fltk::TextArea*>(w)->textcolor(c); break;
        case Kind::ListBox: static_cast<Fl_Hold_Browser*>(w)->textcolor(c); break;
        case Kind::ComboBox: static_cast<Fl_Choice*>(w)->textcolor(c); break;
        case Kind::Progress: w->selection_color(c); break;
        default: w->labelcolor(c); break;
      }
    }
    w->redraw();
  }

  void ApplyCheck(Gadget& g) {
    if (g.kind() != Kind::Button) return;
    Fl_Widget* w = N(g)->widget;
    static_cast<Fl_Button*>(w)->value(g.Check() == 1 ? 1 : 0);
    if (auto* tri = dynamic_cast<fltk::TriStateCheck*>(w)) tri->third_state = g.Check() == -1;
    w->redraw();
  }

  void ApplyItems(Gadget& g) {
    Native* n = N(g);
    Fl_Widget* w = n->widget;
    const auto& items = g.Items();
    switch (g.kind()) {
      case Kind::ListBox: {
        auto* list = static_cast<Fl_Hold_Browser*>(w);
        list->clear();
        for (const ListItem& item : items) list->add(item.text.c_str());
        break;
      }
      case Kind::ComboBox:
        fltk::BuildChoiceItems(items, n->choice_items);
        static_cast<Fl_Choice*>(w)->menu(n->choice_items.items.data());
        break;
      case Kind::TreeView: {
        auto* tree = static_cast<Fl_Tree*>(w);
        if (tree->root()) tree->clear_children(tree->root());
        for (const ListItem& item : items) tree->add(tree->root(), item.text.c_str());
        break;
      }
      case Kind::Tabber:
        static_cast<fltk::TabberGroup*>(w)->IconsChanged();
        break;
      default:
        return;
    }
    ApplySelection(g);
    w->redraw();
  }

  void ApplySelection(Gadget& g) {
    Fl_Widget* w = N(g)->widget;
    const int chosen = g.SelectedItem();
    switch (g.kind()) {
      case Kind::ListBox:
        static_cast<Fl_Hold_Browser*>(w)->value(chosen + 1);
        break;
      case Kind::ComboBox: {
        auto* choice = static_cast<Fl_Choice*>(w);
        if (chosen >= 0) {
          choice->value(chosen);
        } else {
          choice->value(static_cast<const Fl_Menu_Item*>(nullptr));
        }
        break;
      }
      case Kind::TreeView: {
        auto* tree = static_cast<Fl_Tree*>(w);
        tree->deselect_all(nullptr, 0);
        if (chosen >= 0 && tree->root() && chosen < tree->root()->children()) {
          tree->select(tree->root()->child(chosen), 0);
        }
        break;
      }
      case Kind::TextArea:
        static_cast<fltk::TextArea*>(w)->Select(g.SelectionStart(), g.SelectionLength());
        break;
      case Kind::TextField: {
        auto* input = static_cast<Fl_Input*>(w);
        const std::string value = input->value();
        const int start = static_cast<int>(runtime::CharToByte(value, g.SelectionStart()));
        const int end = static_cast<int>(runtime::CharToByte(value, g.SelectionStart() + g.SelectionLength()));
        input->position(end, start);
        break;
      }
      default:
        break;
    }
    w->redraw();
  }

  void ApplyRange(Gadget& g) {
    if (g.kind() != Kind::Slider || (g.style() & kSliderStepper)) return;
    Fl_Widget* w = N(g)->widget;
    const int top = g.MaxPosition();
    if (auto* bar = dynamic_cast<Fl_Scrollbar*>(w)) {
      const int window = std::max(1, g.RangeVisible());
      bar->value(g.Position(), window, 0, top + window);
    } else if (auto* slider = dynamic_cast<Fl_Slider*>(w)) {
      slider->bounds(0, top);
      slider->value(g.Position());
    }
    w->redraw();
  }

  void RebuildMenus() {
    if (dirty_menus_.empty()) return;
    std::set<Gadget*> windows;
    windows.swap(dirty_menus_);
    for (Gadget* window : windows) {
      Native* n = N(*window);
      if (!n || !n->widget || window->freed()) continue;
      auto* win = static_cast<CorvaneWindow*>(n->widget);
      if (!win->menubar()) continue;
      fltk::BuildMenuBar(*window, OnMenu, win->menu_storage());
      win->menubar()->menu(win->menu_storage().items.data());
      win->menubar()->redraw();
    }
  }

  std::unordered_map<const Fl_Widget*, Gadget*> gadgets_;
  std::set<Gadget*> dirty_menus_;
  Gadget* focus_request_ = nullptr;
};

}  // namespace

bool CaptionFits(const Gadget& gadget) {
  Fl_Widget* w = fltk::WidgetOf(gadget);
  return !w || fltk::CaptionFits(gadget, *w, w->labelsize());
}

int CaptionSize(const Gadget& gadget) {
  Fl_Widget* w = fltk::WidgetOf(gadget);
  return w ? w->labelsize() : 0;
}

std::unique_ptr<Backend> MakeFltkBackend(std::string* error) {
  std::string why;
  if (!fltk::DisplayAvailable(&why)) {
    if (error) *error = why;
    return nullptr;
  }
  fltk::OpenDisplay();
  static bool configured = false;
  if (!configured) {
    configured = true;
    FL_NORMAL_SIZE = fltk::kCaptionSize;
    Fl::scheme("gtk+");
    Fl::visible_focus(1);
    Fl_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
    Fl_Tooltip::size(12);
  }
  if (error) error->clear();
  return std::make_unique<FltkBackend>();
}

}  // namespace corvane::tk
