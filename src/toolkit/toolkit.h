// The program's native GUI toolkit: gadgets, the event queue with hooks, timers,
// boxes and requesters, pictures.  The core keeps every piece of gadget state
// and owns the queue, the hooks and the timers; a Backend (headless or FLTK)
// only turns native input into emitted events and renders gadget state.
//
// Single GUI thread.  Nothing here throws: operations on a null gadget do
// nothing and answer 0 / empty.
//
// Client areas: a gadget's children are placed relative to its client area.
// Windows lose WindowInsets(style) (menu bar and status bar; the title bar and
// frame are drawn by the system outside the window's size), tabbers their tab
// row (kTabHeaderHeight), sunken panels a 2-pixel border and group boxes their
// frame and caption; every other gadget's client area is the whole gadget.
//
// Text fields: a typed character is offered to the field's key filter as a
// KeyChar event (source: the field) and never queued; an accepted change of
// the text emits GadgetAction.  Mouse-reporting panels (kPanelMouse) emit
// MouseLeave when the pointer leaves them; a wheel turned over nested
// mouse-reporting panels is reported once, by the outermost of them.
// Key-taking panels (kPanelKeys) keep the keyboard focus themselves when
// given it or clicked (never handing it to a child, so a key never reaches a
// gadget the user did not pick) and report Up, Down and Space pressed while
// they have it as KeyDown events (source: the panel).
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane::tk {

// ---- event ids ------------------------------------------------------------
inline constexpr int kGadgetAction = 0x2001;  // data: tab index, check state, slider position
inline constexpr int kWindowClose = 0x4003;
inline constexpr int kMenuAction = 0x8001;    // data: the item's numeric tag
inline constexpr int kKeyChar = 0x203;        // data: character code
inline constexpr int kKeyDown = 0x201;        // data: key code (below)
// Key codes of KeyDown.
inline constexpr int kKeySpace = 32, kKeyArrowUp = 38, kKeyArrowDown = 40;
inline constexpr int kMouseWheel = 0x404;     // data: signed count of wheel steps
inline constexpr int kMouseLeave = 0x406;
inline constexpr int kTimerTick = 0x801;

// ---- gadget kinds and style flags -----------------------------------------
enum class Kind {
  Desktop, Window, Button, Panel, Label, TextField, TextArea, ListBox, ComboBox,
  TreeView, Canvas, Tabber, Slider, Progress, Hyperlink, Menu, Proxy
};

// window
inline constexpr int kWindowTitleBar = 1, kWindowResizable = 2, kWindowMenu = 4,
                     kWindowStatus = 8, kWindowCentre = 512;
// button
inline constexpr int kButtonPush = 0, kButtonCheck = 2, kButtonRadio = 3, kButtonOk = 4,
                     kButtonCancel = 5, kButtonPushLike = 8;
// panel
inline constexpr int kPanelSunken = 1, kPanelMouse = 2, kPanelKeys = 4, kPanelGroup = 8;
// panel picture flags
inline constexpr int kPictureStretch = 0, kPictureCentre = 1, kPictureIcon = 8;
// label: alignment bits 8/16, frame in the low two bits
inline constexpr int kLabelLeft = 0, kLabelRight = 8, kLabelCentre = 16, kLabelFrame = 1,
                     kLabelSunken = 2, kLabelSeparator = 3;
// text area
inline constexpr int kTextWordWrap = 1, kTextReadOnly = 2;
// slider: kind plus 1 for horizontal
inline constexpr int kSliderScrollBar = 0, kSliderHorizontal = 1, kSliderTrackBar = 4,
                     kSliderStepper = 8;
// edge layout rules
inline constexpr int kEdgeCentred = 0, kEdgeAligned = 1, kEdgeRelative = 2;

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A decoded picture: 8-bit RGBA, row-major.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
  std::string source;  // where it was loaded from, for tests and logs
};
using PicturePtr = std::shared_ptr<Picture>;

// A row of square icons cut from one picture (icon size = picture height).
struct IconStrip {
  PicturePtr image;
  int count = 0;
  int size = 0;
};
using IconStripPtr = std::shared_ptr<IconStrip>;

// Loads a PNG from a file path or "incbin::" + resource name; null on failure
// (missing file, not a PNG, damaged data, or larger than 8192 x 8192).
PicturePtr LoadPicture(const std::string& path);
// Decodes PNG bytes; null on failure.  source is recorded in the picture.
PicturePtr DecodePicture(const std::string& bytes, const std::string& source = "");
// Null also when the picture is narrower than it is high (no whole icon).
IconStripPtr LoadIconStrip(const std::string& path);
// The icon at index (0-based); null when the strip is null or index is outside.
PicturePtr IconAt(const IconStripPtr& strip, int index);

class Gadget;

struct Event {
  int id = 0;
  Gadget* source = nullptr;
  std::int64_t data = 0;
  int mods = 0;
  int x = 0, y = 0;
  std::any extra;
};
using EventPtr = std::shared_ptr<Event>;

// A key filter sees each KeyChar event aimed at a text field; true lets the
// character in.
using KeyFilter = std::function<bool(const Event&, void* context)>;

struct ListItem {
  std::string text;
  int flags = 0;
  int icon = -1;
  std::string tip;
};

// Every gadget.  Gadgets are owned by the toolkit: Free() detaches and hides
// one, and its object stays valid (never dangling) until Shutdown(), so events
// that name a freed gadget stay safe to compare.
class Gadget {
 public:
  Kind kind() const { return kind_; }
  int style() const { return style_; }
  Gadget* parent() const { return parent_; }
  const std::vector<Gadget*>& children() const { return children_; }
  bool freed() const { return freed_; }

  // The toolkit's own name field (printed by ShowTags); normally empty.
  std::string name;

  void Free();
  void Show();
  void Hide();
  bool Visible() const { return Target()->visible_; }
  // Visible itself and every container up to the window.
  bool VisibleOnScreen() const;
  void Enable();
  void Disable();
  bool Enabled() const { return Target()->enabled_; }
  // Enabled itself and every container up to the window.
  bool EnabledOnScreen() const;

  void SetShape(int x, int y, int w, int h);
  void SetLayout(int left, int right, int top, int bottom);
  const int* Layout() const { return Target()->layout_; }
  int X() const { return Target()->x_; }
  int Y() const { return Target()->y_; }
  int Width() const { return Target()->w_; }
  int Height() const { return Target()->h_; }
  int ClientWidth() const;
  int ClientHeight() const;

  void SetText(const std::string& text);
  const std::string& Text() const;
  void SetTooltip(const std::string& tip);
  const std::string& Tooltip() const { return Target()->tooltip_; }
  void SetBackColor(int r, int g, int b);
  void SetTextColor(int r, int g, int b);
  bool HasBackColor() const { return Target()->has_back_; }
  bool HasTextColor() const { return Target()->has_text_colour_; }
  Rgb BackColor() const { return Target()->back_; }
  Rgb TextColor() const { return Target()->text_colour_; }
  void Focus();
  bool HasFocus() const;
  void Redraw();
  int RedrawCount() const { return Target()->redraws_; }

  // Panels: picture with flags (kPictureStretch, kPictureCentre, kPictureIcon).
  void SetPicture(PicturePtr picture, int flags = kPictureStretch);
  const PicturePtr& GetPicture() const { return Target()->picture_; }
  int PictureFlags() const { return Target()->picture_flags_; }

  // Buttons: 1 ticked, 0 not, -1 third state.
  void SetCheck(int state);
  int Check() const { return Target()->check_; }

  // Windows.
  void SetStatusText(const std::string& text);
  const std::string& StatusText() const { return status_text_; }
  void Activate();  // bring to front and focus
  void UpdateMenuBar();
  int MenuBarUpdates() const { return menu_updates_; }

  // Text fields.
  void SetFilter(KeyFilter filter, void* context);
  bool FilterAccepts(const Event& key_event);

  // Text areas: positions and lengths in characters, or lines with by_lines
  // (a length past the end selects to the end; a negative one too).
  // SetText puts the caret at 0; AppendText puts it after the new text.
  void AppendText(const std::string& text);
  void SelectAll();
  void SetSelection(int pos, int length, bool by_lines = false);
  int SelectionStart() const { return Target()->sel_start_; }  // characters
  int SelectionLength() const { return Target()->sel_length_; }

  // List boxes, combo boxes, tree views, tabbers.
  void AddItem(const std::string& text, int flags = 0, int icon = -1, const std::string& tip = "");
  void ClearItems();
  void SetItemText(int index, const std::string& text);
  const std::vector<ListItem>& Items() const { return Target()->items_; }
  void SelectItem(int index);
  int SelectedItem() const { return Target()->selected_; }
  void SetIconStrip(IconStripPtr strip);
  const IconStripPtr& GetIconStrip() const { return Target()->icon_strip_; }

  // Sliders: positions run 0 .. max(0, total - visible - 1).
  void SetRange(int visible, int total);
  int RangeVisible() const { return Target()->range_visible_; }
  int RangeTotal() const { return Target()->range_total_; }
  int MaxPosition() const;
  void SetPosition(int position);  // clamped
  int Position() const { return Target()->position_; }

  // Progress bars: fraction 0..1 (clamped).
  void SetProgress(double fraction);
  double Progress() const { return Target()->progress_; }

  // Hyperlinks: the address the label opens when clicked.
  void SetUrl(const std::string& url) { Target()->url_ = url; }
  const std::string& Url() const { return Target()->url_; }

  // Menus.
  int Tag() const { return tag_; }
  int HotKey() const { return hotkey_; }
  int Modifier() const { return modifier_; }
  void SetChecked(bool checked);
  bool Checked() const { return checked_; }
  bool IsSeparator() const { return kind_ == Kind::Menu && text_.empty(); }

  // The style given at creation; compound gadgets may record their own.
  void SetStyle(int style) { style_ = style; }

  // Proxy: the gadget that operations and events stand for.  SetProxy(inner)
  // makes this compound gadget forward its operations (and the state read
  // above) to inner, and events of inner carry this gadget as their source.
  // Free() of the compound frees inner too.  SetProxy(nullptr) detaches.
  void SetProxy(Gadget* inner);
  Gadget* ProxyTarget() const { return proxy_; }
  Gadget* ProxyOwner() const { return proxy_owner_; }

  // Backend-private storage (the FLTK widget, for example).
  void* native = nullptr;

  // Tests and backends: raw state.
  Gadget* Target() { return proxy_ ? proxy_ : this; }
  const Gadget* Target() const { return proxy_ ? proxy_ : this; }

 private:
  friend class Toolkit;
  friend Gadget* CreateGadget(Kind, const std::string&, int, int, int, int, Gadget*, int);
  Kind kind_ = Kind::Panel;
  int style_ = 0;
  Gadget* parent_ = nullptr;
  std::vector<Gadget*> children_;
  bool freed_ = false, visible_ = true, enabled_ = true;
  int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
  int layout_[4] = {0, 0, 0, 0};
  std::string text_, tooltip_, status_text_, url_;
  bool has_back_ = false, has_text_colour_ = false;
  Rgb back_, text_colour_;
  int redraws_ = 0, menu_updates_ = 0;
  PicturePtr picture_;
  int picture_flags_ = 0;
  int check_ = 0;
  KeyFilter filter_;
  void* filter_context_ = nullptr;
  int sel_start_ = 0, sel_length_ = 0;
  std::vector<ListItem> items_;
  int selected_ = -1;
  IconStripPtr icon_strip_;
  int range_visible_ = 0, range_total_ = 1, position_ = 0;
  double progress_ = 0;
  int tag_ = 0, hotkey_ = 0, modifier_ = 0;
  bool checked_ = false;
  Gadget* proxy_ = nullptr;
  Gadget* proxy_owner_ = nullptr;
  // Geometry and container client size when the layout was last given, so
  // that repeated resizes of the container do not accumulate rounding.
  bool layout_set_ = false;
  int ref_x_ = 0, ref_y_ = 0, ref_w_ = 0, ref_h_ = 0, ref_cw_ = 0, ref_ch_ = 0;
};

// ---- gadget creation ------------------------------------------------------
// Positions are relative to the container's client area.  A null container
// makes a top-level gadget (windows).  Null when the toolkit has no backend.
Gadget* Desktop();
Gadget* CreateWindow(const std::string& title, int x, int y, int w, int h, Gadget* parent, int style);
Gadget* CreateButton(const std::string& text, int x, int y, int w, int h, Gadget* parent, int style);
Gadget* CreatePanel(int x, int y, int w, int h, Gadget* parent, int style, const std::string& title = "");
Gadget* CreateLabel(const std::string& text, int x, int y, int w, int h, Gadget* parent, int style);
Gadget* CreateTextField(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateTextArea(int x, int y, int w, int h, Gadget* parent, int style);
Gadget* CreateListBox(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateComboBox(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateTreeView(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateCanvas(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateTabber(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateSlider(int x, int y, int w, int h, Gadget* parent, int style);
Gadget* CreateProgressBar(int x, int y, int w, int h, Gadget* parent, int style = 0);
Gadget* CreateHyperlink(const std::string& url, int x, int y, int w, int h, Gadget* parent,
                        int style = 0, const std::string& text = "");
// parent: another menu, or a window for its menu bar.  Empty text = separator.
Gadget* CreateMenu(const std::string& text, int tag, Gadget* parent, int hotkey = 0, int modifier = 0);
// A compound gadget with no look of its own (base of spinners and lists).
Gadget* CreateProxyGadget(Gadget* parent);
// Generic maker used by the ones above.
Gadget* CreateGadget(Kind kind, const std::string& text, int x, int y, int w, int h, Gadget* parent, int style);

// Client-area insets of a window of the given style (outer size minus these).
struct Insets { int left, top, right, bottom; };
Insets WindowInsets(int style);
inline constexpr int kMenuBarHeight = 24, kStatusBarHeight = 22;
inline constexpr int kTabHeaderHeight = 24;  // a tabber's client area starts below its tabs
inline constexpr int kSunkenBorder = 2;
// Where the client area of any gadget lies inside it (zeros for plain gadgets).
Insets ClientInsets(const Gadget& gadget);

// ---- events ---------------------------------------------------------------
// Hook: gets the event (or null when an earlier hook consumed it) and its
// context; returns the event to pass on, or null to consume it.
using HookFn = std::function<EventPtr(int hook_id, EventPtr event, void* context)>;
inline constexpr int kEmitEventHook = 1;
inline constexpr int kQueuePriority = -10000;

// Returns a handle for RemoveHook.  Hooks of equal priority run in the order
// they were added.  A hook added or removed while an event is being emitted
// takes effect from the next event (a removed one is skipped at once).
int AddHook(HookFn fn, void* context, int priority);
void RemoveHook(int handle);
void RemoveHooksOf(void* context);

EventPtr MakeEvent(int id, Gadget* source, std::int64_t data = 0, int mods = 0, int x = 0, int y = 0,
                   std::any extra = {});
// Runs the hooks in descending priority; the queue (priority -10000) keeps
// what is still an event.  A source that stands as another's proxy target
// is replaced by its owner before the hooks run.
void EmitEvent(EventPtr event);
// Waits for the next event and makes it current.  Fires due timers; on the
// headless backend waiting advances the virtual clock to the next tick.
// Null only when nothing can ever arrive (headless, no timers, empty queue).
EventPtr WaitEvent();
// Takes a waiting event (making it current) without waiting; null when none.
EventPtr PollEvent();
EventPtr CurrentEvent();
void SetCurrentEvent(EventPtr event);
// Lets the backend process its pending window messages once; fires due timers.
void ProcessMessages();
std::size_t QueueLength();
void ClearQueue();

// ---- timers and time ------------------------------------------------------
struct Timer;
// Emits TimerTick (source null, data = tick count, extra = the Timer*) hz times
// a second until freed; null for a rate that is not positive.  A timer that
// fell behind ticks once, not once per period missed.
Timer* CreateTimer(double hz);
void FreeTimer(Timer* timer);
int TimerTicks(Timer* timer);
// Pauses; on the headless backend the virtual clock advances instead.
void Delay(int milliseconds);
std::int64_t Millisecs();

// ---- boxes and requesters -------------------------------------------------
void SetAppTitle(const std::string& title);
const std::string& AppTitle();
void Notify(const std::string& text, bool serious = false);
// OK/Cancel; true when OK was chosen.
bool Confirm(const std::string& text, bool serious = false);
// Yes/No; true for Yes.
bool Proceed(const std::string& text, bool serious = false);
// The chosen folder or empty text.
std::string RequestFolder(const std::string& prompt, const std::string& start);
// Opens a folder or web address with the system's opener; false on failure.
bool OpenUrl(const std::string& address);
// A line to standard output.
void Print(const std::string& line);

// ---- backends -------------------------------------------------------------
enum class Change { Created, Shape, Text, Visible, Enabled, Colour, Picture, Check, Items,
                    Selection, Range, Progress, Status, Focus, Redraw, Menu, Freed, Layout,
                    Activate, Tooltip };

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;
  // State changed; render it.
  virtual void Changed(Gadget& gadget, Change what) = 0;
  // Process pending native messages once; when wait_ms > 0 the backend may
  // block up to that long for input, with kWaitForever until input arrives.
  // Native input is turned into EmitEvent.  WaitEvent pumps with a wait only
  // when nothing is queued and no timer is due.
  virtual void Pump(int wait_ms) = 0;
  static constexpr int kWaitForever = -1;
  // False when nothing but timers and the program itself can emit events (a
  // backend without a user); WaitEvent then answers null instead of waiting
  // for ever.
  virtual bool HasInputSource() const { return true; }
  virtual std::int64_t NowMs() = 0;
  // The toolkit is idle until now + ms (the headless backend advances its clock).
  virtual void Sleep(int ms) = 0;
  virtual int DesktopWidth() = 0;
  virtual int DesktopHeight() = 0;
  virtual void Notify(const std::string& caption, const std::string& text, bool serious) = 0;
  virtual bool Confirm(const std::string& caption, const std::string& text, bool serious) = 0;
  virtual bool Proceed(const std::string& caption, const std::string& text, bool serious) = 0;
  virtual std::string RequestFolder(const std::string& caption, const std::string& prompt,
                                    const std::string& start) = 0;
  virtual bool OpenUrl(const std::string& address) = 0;
  // Gadget that has the keyboard focus, or null.
  virtual Gadget* FocusedGadget() = 0;
};

// Makes a backend; on failure null with a reason in *error.
using BackendFactory = std::unique_ptr<Backend> (*)(std::string* error);

// Installs the backend (the toolkit takes ownership); replaces any earlier
// one after Shutdown.  Without a backend every maker answers null.
void SetBackend(std::unique_ptr<Backend> backend);
Backend* CurrentBackend();
// Frees every gadget, timer, hook and queued event, and drops the backend.
void Shutdown();

// Every gadget ever created (freed ones too), for tests.
const std::vector<Gadget*>& AllGadgets();

}  // namespace corvane::tk
