#include "toolkit/fltk/fltk_backend.h"

#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Text_Display.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/xvfb_display.h"
#include "toolkit/fltk/captions.h"
#include "toolkit/fltk/fltk_native.h"

namespace corvane::tk {
namespace {

// One X server for the whole program: FLTK keeps its connection open.
testing::XvfbDisplay* xvfb = nullptr;
bool xvfb_up = false;

class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    xvfb = new testing::XvfbDisplay;
    xvfb_up = xvfb->Start();
  }
  void TearDown() override {
    delete xvfb;
    xvfb = nullptr;
  }
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

TEST(FltkDisplayTest, WithoutADisplayTheBackendExplainsInsteadOfAborting) {
  const char* old = std::getenv("DISPLAY");
  const std::string saved = old ? old : "";
  unsetenv("DISPLAY");
  std::string error;
  EXPECT_EQ(MakeFltkBackend(&error), nullptr);
  EXPECT_EQ(error, "cannot open display (DISPLAY unset): set DISPLAY or run under Xvfb");
  setenv("DISPLAY", ":4093", 1);  // nobody serves this one
  EXPECT_EQ(MakeFltkBackend(&error), nullptr);
  EXPECT_EQ(error, "cannot open display :4093: set DISPLAY or run under Xvfb");
  if (old) {
    setenv("DISPLAY", saved.c_str(), 1);
  } else {
    unsetenv("DISPLAY");
  }
}

class FltkBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb_up) GTEST_SKIP() << (xvfb ? xvfb->error() : "no X server");
    std::string error;
    auto backend = MakeFltkBackend(&error);
    ASSERT_NE(backend, nullptr) << error;
    SetBackend(std::move(backend));
    AddHook([this](int, EventPtr e, void*) {
      if (e && e->id != kTimerTick) seen.push_back(e);
      return e;
    }, this, 100);
  }
  void TearDown() override { Shutdown(); }

  // Lets FLTK work until the condition holds (the X server answers
  // asynchronously); false after two seconds.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < until) {
      ProcessMessages();
      if (done()) return true;
      Fl::wait(0.02);
    }
    return false;
  }

  static Fl_Widget* W(Gadget* g) { return fltk::WidgetOf(*g); }

  std::vector<EventPtr> seen;
};

TEST_F(FltkBackendTest, ChildrenArePlacedInTheClientAreaOfTheirContainer) {
  Gadget* win = CreateWindow("Corvane 1.33", 10, 10, 670, 510, nullptr, 525);
  Gadget* tabs = CreateTabber(0, 0, win->ClientWidth(), win->ClientHeight(), win);
  tabs->AddItem("1.Start");
  Gadget* page = CreatePanel(0, 0, tabs->ClientWidth(), tabs->ClientHeight(), tabs, 0);
  Gadget* go = CreateButton("Go to download>", 550, 370, 100, 35, page, kButtonPushLike);
  Gadget* sunken = CreatePanel(10, 20, 100, 50, page, kPanelSunken);
  Gadget* inner = CreateLabel("x", 5, 5, 30, 10, sunken, 0);
  ProcessMessages();
  ASSERT_NE(W(go), nullptr);
  EXPECT_EQ(W(go)->x(), 550);
  EXPECT_EQ(W(go)->y(), 370 + kMenuBarHeight + kTabHeaderHeight);
  EXPECT_EQ(W(inner)->x(), 10 + kSunkenBorder + 5);
  EXPECT_EQ(W(inner)->y(), 20 + kSunkenBorder + 5 + kMenuBarHeight + kTabHeaderHeight);
  EXPECT_EQ(W(win)->w(), 670);
  EXPECT_EQ(W(win)->h(), 510);
  // Moving a container carries its children along.
  sunken->SetShape(30, 40, 100, 50);
  EXPECT_EQ(W(inner)->x(), 30 + kSunkenBorder + 5);
  EXPECT_EQ(W(inner)->y(), 40 + kSunkenBorder + 5 + kMenuBarHeight + kTabHeaderHeight);
  // The go button sits inside the window's page area.
  EXPECT_LE(W(go)->y() + W(go)->h(), W(win)->h() - kStatusBarHeight);
}

TEST_F(FltkBackendTest, ResizingAWindowByHandLaysOutItsChildren) {
  Gadget* win = CreateWindow("w", 50, 60, 400, 300, nullptr, kWindowTitleBar | kWindowResizable | kWindowStatus);
  Gadget* area = CreateTextArea(10, 10, 380, 250, win, 0);
  area->SetLayout(kEdgeAligned, kEdgeAligned, kEdgeAligned, kEdgeAligned);
  Gadget* fixed = CreateButton("f", 10, 265, 50, 20, win, 0);
  // What FLTK does when the window manager resizes the window.
  W(win)->resize(70, 80, 500, 350);
  EXPECT_EQ(win->X(), 70);
  EXPECT_EQ(win->Width(), 500);
  EXPECT_EQ(area->Width(), 480);
  EXPECT_EQ(area->Height(), 300);
  EXPECT_EQ(W(area)->w(), 480);
  EXPECT_EQ(W(area)->h(), 300);
  EXPECT_EQ(W(fixed)->y(), 265);
  auto* window = static_cast<fltk::CorvaneWindow*>(W(win));
  EXPECT_EQ(window->status()->y(), 350 - kStatusBarHeight);
}

TEST_F(FltkBackendTest, WidgetCallbacksBecomeToolkitEvents) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* box = CreateButton("tick", 10, 10, 100, 16, win, kButtonCheck);
  box->SetCheck(-1);
  Gadget* bar = CreateSlider(200, 0, 20, 160, win, kSliderScrollBar);
  bar->SetRange(0, 7);
  auto* button = static_cast<Fl_Button*>(W(box));
  EXPECT_EQ(button->value(), 0);
  button->value(1);  // what FLTK does on a click
  button->do_callback();
  auto* scroll = static_cast<Fl_Scrollbar*>(W(bar));
  scroll->value(4);
  scroll->do_callback();
  W(win)->do_callback();  // the close box
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0]->id, kGadgetAction);
  EXPECT_EQ(seen[0]->source, box);
  EXPECT_EQ(seen[0]->data, 1);
  EXPECT_EQ(box->Check(), 1);
  EXPECT_EQ(seen[1]->source, bar);
  EXPECT_EQ(seen[1]->data, 4);
  EXPECT_EQ(bar->Position(), 4);
  EXPECT_EQ(seen[2]->id, kWindowClose);
  EXPECT_EQ(seen[2]->source, win);
}

TEST_F(FltkBackendTest, TabClickSelectsAndReportsTheTab) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar);
  Gadget* tabs = CreateTabber(0, 0, 400, 300, win);
  tabs->AddItem("1.Start");
  tabs->AddItem("2.Download");
  Fl_Widget* tabber = W(tabs);
  // Far right of the tab row: no tab there.
  Fl::e_x = 390;
  Fl::e_y = 5;
  tabber->handle(FL_PUSH);
  EXPECT_TRUE(seen.empty());
  for (int x = 10; x < 300 && seen.empty(); x += 10) {
    Fl::e_x = x;
    tabber->handle(FL_PUSH);
  }
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0]->source, tabs);
  EXPECT_EQ(seen[0]->data, 1);
  EXPECT_EQ(tabs->SelectedItem(), 1);
}

TEST_F(FltkBackendTest, MenuBarShowsSeparatorsAndCheckMarksAndReportsTags) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar | kWindowMenu);
  Gadget* file = CreateMenu("File", 1000, win);
  CreateMenu("Update from server", 1001, file);
  CreateMenu("", 0, file);
  Gadget* options = CreateMenu("Update at start", 1100, file);
  options->SetChecked(true);
  win->UpdateMenuBar();
  ProcessMessages();
  auto* bar = static_cast<fltk::CorvaneWindow*>(W(win))->menubar();
  ASSERT_NE(bar, nullptr);
  const Fl_Menu_Item* update = bar->find_item("File/Update from server");
  const Fl_Menu_Item* at_start = bar->find_item("File/Update at start");
  ASSERT_NE(update, nullptr);
  ASSERT_NE(at_start, nullptr);
  EXPECT_TRUE(update->flags & FL_MENU_DIVIDER);
  EXPECT_TRUE(at_start->value());
  bar->picked(at_start);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0]->id, kMenuAction);
  EXPECT_EQ(seen[0]->source, options);
  EXPECT_EQ(seen[0]->data, 1100);
  // FLTK unticked it on the pick; the program did not, so the mark returns.
  ProcessMessages();
  EXPECT_TRUE(bar->find_item("File/Update at start")->value());
}

TEST_F(FltkBackendTest, TypedKeysPassTheFilterBeforeReachingTheField) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* field = CreateTextField(10, 10, 100, 20, win);
  field->SetFilter([](const Event& e, void*) { return e.data >= '0' && e.data <= '9'; }, nullptr);
  auto type = [&](const char* text) {
    Fl::e_text = const_cast<char*>(text);
    Fl::e_length = 1;
    Fl::e_keysym = text[0];
    Fl::e_state = 0;
    W(field)->handle(FL_KEYBOARD);
  };
  type("a");
  type("4");
  type("-");
  type("2");
  EXPECT_EQ(field->Text(), "42");
  ASSERT_EQ(seen.size(), 2u);  // one action per accepted change
  EXPECT_EQ(seen[1]->source, field);
  EXPECT_EQ(seen[1]->id, kGadgetAction);
}

TEST_F(FltkBackendTest, TextAreasFollowAppendsAndSurviveBeingFreed) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* area = CreateTextArea(0, 0, 200, 100, win, kTextReadOnly | kTextWordWrap);
  area->AppendText("one\n");
  area->AppendText("two\n");
  auto* display = static_cast<Fl_Text_Display*>(W(area));
  char* shown = display->buffer()->text();
  EXPECT_STREQ(shown, "one\ntwo\n");
  std::free(shown);
  area->SetText("");
  EXPECT_EQ(display->buffer()->length(), 0);
  area->Free();
  Fl::do_widget_deletion();
  EXPECT_EQ(area->native, nullptr);
}

TEST_F(FltkBackendTest, CarriageReturnsShowAsLineBreaksWhileTheGadgetKeepsThem) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* area = CreateTextArea(0, 0, 200, 100, win, 0);
  auto* buffer = static_cast<Fl_Text_Display*>(W(area))->buffer();
  auto shown = [&] {
    char* text = buffer->text();
    std::string copy = text;
    std::free(text);
    return copy;
  };
  area->SetText("one\r\ntwo\rthree");
  EXPECT_EQ(shown(), "one\ntwo\nthree");
  EXPECT_EQ(area->Text(), "one\r\ntwo\rthree");
  area->SetSelection(5, 3);  // "two", counted in the gadget's characters
  char* selected = buffer->selection_text();
  EXPECT_STREQ(selected, "two");
  std::free(selected);
  // A CR LF that arrives in two appends is one line break.
  area->AppendText("\r");
  area->AppendText("\nfour");
  EXPECT_EQ(shown(), "one\ntwo\nthree\nfour");
  EXPECT_EQ(area->Text(), "one\r\ntwo\rthree\r\nfour");
  // The user's edits keep the line ends they do not touch and take whole the
  // ones they remove.
  seen.clear();
  buffer->insert(0, "X");
  EXPECT_EQ(area->Text(), "Xone\r\ntwo\rthree\r\nfour");
  buffer->remove(4, 5);
  EXPECT_EQ(area->Text(), "Xonetwo\rthree\r\nfour");
  EXPECT_EQ(seen.size(), 2u);
  // A line break typed just after a lone CR would join it into one CR LF: the
  // text becomes what the user sees.
  area->SetText("a\rb");
  buffer->insert(2, "\n");
  EXPECT_EQ(area->Text(), "a\n\nb");

  Gadget* label = CreateLabel("Author: a@b\r\nLicense: zlib", 0, 120, 200, 40, win, 0);
  EXPECT_STREQ(W(label)->label(), "Author: a@@b\nLicense: zlib");
  EXPECT_EQ(label->Text(), "Author: a@b\r\nLicense: zlib");
}

TEST_F(FltkBackendTest, PointerLeavingARowAndTheWheelOverTheListReachTheirPanels) {
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* list = CreatePanel(10, 10, 200, 160, win, kPanelMouse);
  Gadget* row0 = CreatePanel(0, 0, 200, 40, list, kPanelMouse);
  CreateButton("first", 5, 1, 150, 16, row0, kButtonCheck);
  CreatePanel(0, 40, 200, 40, list, kPanelMouse);
  ASSERT_TRUE(PumpUntil([&] { return W(win)->visible() && static_cast<Fl_Window*>(W(win))->shown(); }));
  auto run = [](const std::string& args) { return std::system(("xdotool " + args + " > /dev/null 2>&1").c_str()); };
  const int wx = static_cast<Fl_Window*>(W(win))->x_root(), wy = static_cast<Fl_Window*>(W(win))->y_root();
  ASSERT_EQ(run("mousemove --sync " + std::to_string(wx + 100) + " " + std::to_string(wy + 30)), 0);
  ASSERT_TRUE(PumpUntil([&] { return W(row0)->contains(Fl::belowmouse()); }));
  seen.clear();
  ASSERT_EQ(run("mousemove --sync " + std::to_string(wx + 100) + " " + std::to_string(wy + 70)), 0);
  ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen[0]->id, kMouseLeave);
  EXPECT_EQ(seen[0]->source, row0);
  seen.clear();
  ASSERT_EQ(run("click 5"), 0);  // one step towards the user
  ASSERT_TRUE(PumpUntil([&] {
    for (auto& e : seen) if (e->id == kMouseWheel) return true;
    return false;
  }));
  for (auto& e : seen) {
    if (e->id != kMouseWheel) continue;
    EXPECT_EQ(e->source, list);
    EXPECT_EQ(e->data, -1);
  }
}

TEST_F(FltkBackendTest, OnlyThePanelsThePointerReallyLeftReportIt) {
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  // The Start page's shape: a list of rows with check boxes on a page of a
  // tab row, the keyboard focus in the list.
  Gadget* win = CreateWindow("w", 0, 0, 400, 400, nullptr, kWindowTitleBar);
  Gadget* tabs = CreateTabber(0, 0, 400, 400, win);
  tabs->AddItem("1.Start");
  Gadget* page = CreatePanel(0, 0, tabs->ClientWidth(), tabs->ClientHeight(), tabs, 0);
  Gadget* list = CreatePanel(10, 10, 200, 160, page, kPanelMouse);
  std::vector<Gadget*> rows;
  for (int i = 0; i < 4; ++i) {
    rows.push_back(CreatePanel(0, i * 40, 200, 40, list, kPanelMouse));
    CreateButton("row", 5, 1, 150, 16, rows.back(), kButtonCheck);
  }
  list->Focus();
  ASSERT_TRUE(PumpUntil([&] { return static_cast<Fl_Window*>(W(win))->shown(); }));
  const int wx = static_cast<Fl_Window*>(W(win))->x_root(), wy = static_cast<Fl_Window*>(W(win))->y_root();
  auto move_to = [&](int x, int y) {
    const std::string args = std::to_string(wx + x) + " " + std::to_string(wy + y);
    return std::system(("xdotool mousemove --sync " + args + " > /dev/null 2>&1").c_str()) == 0;
  };
  auto name = [&](const Gadget* g) -> std::string {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i] == g) return "row " + std::to_string(i);
    return g == list ? "list" : "other";
  };
  auto left = [&] {
    std::vector<std::string> sources;
    for (auto& e : seen)
      if (e->id == kMouseLeave) sources.push_back(name(e->source));
    return sources;
  };
  auto heard_from = [&](const char* who) { return [&, who] { auto s = left(); return !s.empty() && s.back() == who; }; };
  const int top = W(list)->y();
  // Down over rows 1, 2 and 3, then out of the list below it.
  ASSERT_TRUE(move_to(100, top + 60));
  ASSERT_TRUE(PumpUntil([&] { return W(rows[1])->contains(Fl::belowmouse()); }));
  seen.clear();
  ASSERT_TRUE(move_to(100, top + 100));
  ASSERT_TRUE(PumpUntil(heard_from("row 1")));
  ASSERT_TRUE(move_to(100, top + 140));
  ASSERT_TRUE(PumpUntil(heard_from("row 2")));
  ASSERT_TRUE(move_to(100, top + 200));
  ASSERT_TRUE(PumpUntil(heard_from("list")));
  EXPECT_EQ(left(), (std::vector<std::string>{"row 1", "row 2", "row 3", "list"}));
  // Into row 2 again, then out of the window altogether.
  ASSERT_TRUE(move_to(100, top + 100));
  ASSERT_TRUE(PumpUntil([&] { return W(rows[2])->contains(Fl::belowmouse()); }));
  seen.clear();
  ASSERT_TRUE(move_to(450, 450));
  ASSERT_TRUE(PumpUntil(heard_from("list")));
  EXPECT_EQ(left(), (std::vector<std::string>{"row 2", "list"}));
}

TEST_F(FltkBackendTest, AListPanelKeepsTheKeysAndReportsThem) {
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  // A list's shape: a key-taking panel of rows with tick boxes, the first
  // row scrolled out of sight above.
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* list = CreatePanel(10, 10, 200, 120, win, kPanelMouse | kPanelKeys);
  std::vector<Gadget*> boxes;
  for (int i = 0; i < 4; ++i) {
    Gadget* row = CreatePanel(0, (i - 1) * 40, 200, 40, list, kPanelMouse);
    boxes.push_back(CreateButton("row", 5, 1, 150, 16, row, kButtonCheck));
  }
  ASSERT_TRUE(PumpUntil([&] { return static_cast<Fl_Window*>(W(win))->shown(); }));
  list->Focus();
  const int wx = static_cast<Fl_Window*>(W(win))->x_root(), wy = static_cast<Fl_Window*>(W(win))->y_root();
  auto xdotool = [](const std::string& args) { return std::system(("xdotool " + args + " > /dev/null 2>&1").c_str()); };
  ASSERT_EQ(xdotool("mousemove --sync " + std::to_string(wx + 100) + " " + std::to_string(wy + 60)), 0);
  ASSERT_TRUE(PumpUntil([&] { return Fl::focus() == W(list); }));
  seen.clear();
  auto keys_seen = [&] {
    std::vector<std::int64_t> codes;
    for (auto& e : seen)
      if (e->id == kKeyDown && e->source == list) codes.push_back(e->data);
    return codes;
  };
  ASSERT_EQ(xdotool("key space Down Up"), 0);
  ASSERT_TRUE(PumpUntil([&] { return keys_seen().size() == 3; }));
  EXPECT_EQ(keys_seen(), (std::vector<std::int64_t>{kKeySpace, kKeyArrowDown, kKeyArrowUp}));
  for (Gadget* box : boxes) EXPECT_EQ(box->Check(), 0) << "no tick box took the keys";
  for (auto& e : seen) EXPECT_NE(e->id, kGadgetAction);

  // A click on a tick box ticks it and leaves the focus with the list.  (The
  // window's place on the screen is where the last pointer event says.)
  const int ox = Fl::event_x_root() - Fl::event_x(), oy = Fl::event_y_root() - Fl::event_y();
  const int box_y = W(boxes[2])->y() + 8, box_x = W(boxes[2])->x() + 8;
  ASSERT_EQ(xdotool("mousemove --sync " + std::to_string(ox + box_x) + " " + std::to_string(oy + box_y) + " click 1"), 0);
  ASSERT_TRUE(PumpUntil([&] { return boxes[2]->Check() == 1; }));
  EXPECT_EQ(Fl::focus(), W(list));
}

// What a message box showed while it was up; LookAtBox then presses the
// button named `press`.
struct SeenBox {
  std::vector<std::string> buttons;
  std::string title, sign;
  Fl_Color sign_colour = 0;
  std::string press;
};
SeenBox seen_box;

void LookAtBox(void*) {
  Fl_Window* box = Fl::modal();
  if (!box) {
    Fl::add_timeout(0.01, LookAtBox);  // not up yet
    return;
  }
  seen_box.title = box->label() ? box->label() : "";
  seen_box.sign = fl_message_icon()->label() ? fl_message_icon()->label() : "";
  seen_box.sign_colour = fl_message_icon()->color();
  Fl_Widget* press = nullptr;
  for (int i = 0; i < box->children(); ++i) {
    auto* b = dynamic_cast<Fl_Button*>(box->child(i));
    if (!b || !b->visible()) continue;
    seen_box.buttons.push_back(b->label());
    if (seen_box.press == b->label()) press = b;
  }
  if (press) {
    press->do_callback();
  } else {
    box->hide();  // ends the box; the test fails on the buttons seen
  }
}

TEST_F(FltkBackendTest, BoxesShowTheirButtonsAndASignForTheirKind) {
  SetAppTitle("Corvane 1.33");
  CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  const Fl_Color amber = fl_rgb_color(255, 191, 0);
  struct Case {
    const char* kind;
    bool serious;
    const char* press;
    std::vector<std::string> buttons;
    const char* sign;
    bool warning;
    bool answer;
  };
  const Case cases[] = {
      {"notice", false, "OK", {"OK"}, "i", false, true},
      {"notice", true, "OK", {"OK"}, "!", true, true},
      {"confirm", false, "OK", {"OK", "Cancel"}, "?", false, true},
      {"confirm", true, "Cancel", {"OK", "Cancel"}, "!", true, false},
      {"proceed", false, "Yes", {"Yes", "No"}, "?", false, true},
      {"proceed", true, "No", {"Yes", "No"}, "!", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + (c.serious ? " serious" : ""));
    seen_box = SeenBox{};
    seen_box.press = c.press;
    Fl::add_timeout(0.0, LookAtBox);
    const std::string kind = c.kind;
    bool answer = true;
    if (kind == "notice") Notify("Something happened", c.serious);
    if (kind == "confirm") answer = Confirm("Go on?", c.serious);
    if (kind == "proceed") answer = Proceed("Go on?", c.serious);
    EXPECT_EQ(seen_box.buttons, c.buttons);
    EXPECT_EQ(seen_box.title, "Corvane 1.33");
    EXPECT_EQ(seen_box.sign, c.sign);
    EXPECT_EQ(seen_box.sign_colour == amber, c.warning);
    EXPECT_EQ(answer, c.answer);
  }
}

TEST_F(FltkBackendTest, CaptionsOfDisabledTabsStayReadable) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 200, nullptr, kWindowTitleBar);
  Gadget* tabs = CreateTabber(0, 0, 400, 200, win);
  for (const char* caption : {"1.Start", "2.Download", "3.Install"}) tabs->AddItem(caption);
  tabs->SelectItem(0);
  auto* window = static_cast<Fl_Window*>(W(win));
  ASSERT_TRUE(PumpUntil([&] { return window->shown(); }));
  // The darkest and lightest pixel inside the second tab, away from its edges.
  auto spread = [&] {
    window->redraw();
    Fl::flush();
    Fl_Widget* t = W(tabs);
    fl_font(t->labelfont(), t->labelsize());
    const int x = t->x() + 2 + static_cast<int>(fl_width("1.Start")) + 20 + 6;
    const int w = static_cast<int>(fl_width("2.Download")) + 20 - 12;
    const int y = t->y() + 6, h = kTabHeaderHeight - 9;
    window->make_current();
    std::vector<uchar> rgb(static_cast<std::size_t>(w * h * 3));
    fl_read_image(rgb.data(), x, y, w, h);
    int low = 255, high = 0;
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      const int grey = (rgb[i] * 30 + rgb[i + 1] * 59 + rgb[i + 2] * 11) / 100;
      low = std::min(low, grey);
      high = std::max(high, grey);
    }
    return high - low;
  };
  int active = 0;
  PumpUntil([&] { return (active = spread()) > 0; });  // once the window shows on the screen
  tabs->Disable();  // as while a dialog pauses the window
  const int inactive = spread();
  EXPECT_GT(active, 120);
  EXPECT_GE(inactive, active / 2) << "active " << active << ", inactive " << inactive;
}

TEST_F(FltkBackendTest, CaptionsTooWideForTheirControlsAreDrawnSmaller) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 200, nullptr, kWindowTitleBar);
  Gadget* roomy = CreateButton("Go", 10, 10, 100, 35, win, kButtonPushLike);
  Gadget* tight = CreateButton("Deseleziona tutto", 10, 50, 100, 30, win, kButtonPushLike);
  Gadget* label = CreateLabel("Seleziona i programmi da scaricare (12/12)", 10, 90, 200, 20, win,
                              kLabelCentre | kLabelSunken);
  Gadget* hopeless = CreateButton("A caption far too long for a button this narrow", 10, 120, 60, 20, win, 0);
  EXPECT_EQ(W(roomy)->labelsize(), fltk::kCaptionSize);
  EXPECT_LT(W(tight)->labelsize(), fltk::kCaptionSize);
  EXPECT_LT(W(label)->labelsize(), fltk::kCaptionSize);
  for (Gadget* g : {roomy, tight, label}) EXPECT_TRUE(CaptionFits(*g)) << g->Text();
  EXPECT_EQ(W(hopeless)->labelsize(), fltk::kSmallestCaptionSize);
  EXPECT_FALSE(CaptionFits(*hopeless));
  // A shorter text (another language) or a wider control takes the usual size again.
  tight->SetText("Tutto");
  EXPECT_EQ(W(tight)->labelsize(), fltk::kCaptionSize);
  label->SetShape(10, 90, 380, 20);
  EXPECT_EQ(W(label)->labelsize(), fltk::kCaptionSize);
}

}  // namespace
}  // namespace corvane::tk
