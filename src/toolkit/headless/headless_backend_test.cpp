#include "toolkit/headless/headless_backend.h"

#include <gtest/gtest.h>

#include "support/headless_fixture.h"

namespace corvane::tk {
namespace {

class HeadlessBackendTest : public testing::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar | kWindowMenu);
  }
  // Takes every queued event.
  std::vector<EventPtr> Drain() {
    std::vector<EventPtr> out;
    while (EventPtr e = PollEvent()) out.push_back(e);
    return out;
  }
  Gadget* win = nullptr;
};

TEST_F(HeadlessBackendTest, ScriptedAnswersThenDefaultsAndEveryBoxRecorded) {
  SetAppTitle("Corvane 1.33");
  ui().AnswerNext(false);
  ui().AnswerFolder("/opt/tarnic");
  EXPECT_FALSE(Confirm("Close application?"));
  EXPECT_TRUE(Proceed("Restart?", true));  // script used up: default yes
  Notify("Done", true);
  EXPECT_EQ(RequestFolder("Tarnic path", "/usr"), "/opt/tarnic");
  EXPECT_EQ(RequestFolder("WinRar path", "/usr"), "");
  ASSERT_EQ(ui().Boxes().size(), 5u);
  const ShownBox& first = ui().Boxes()[0];
  EXPECT_EQ(first.kind, BoxKind::Confirm);
  EXPECT_EQ(first.caption, "Corvane 1.33");
  EXPECT_EQ(first.text, "Close application?");
  EXPECT_EQ(first.answer, "0");
  EXPECT_TRUE(ui().Boxes()[1].serious);
  EXPECT_EQ(ui().Boxes()[2].kind, BoxKind::Notify);
  EXPECT_EQ(ui().Boxes()[3].start, "/usr");
  EXPECT_EQ(ui().Boxes()[4].answer, "");
}

TEST_F(HeadlessBackendTest, CheckBoxClicksCycleThroughTickedAndUnticked) {
  Gadget* box = CreateButton("Tarnic IDE", 0, 0, 100, 16, win, kButtonCheck);
  box->SetCheck(-1);
  ASSERT_TRUE(ui().Click(box));
  ASSERT_TRUE(ui().Click(box));
  auto events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]->id, kGadgetAction);
  EXPECT_EQ(events[0]->source, box);
  EXPECT_EQ(events[0]->data, 1);  // third state -> ticked
  EXPECT_EQ(events[1]->data, 0);
  EXPECT_EQ(box->Check(), 0);
}

TEST_F(HeadlessBackendTest, RadioButtonUnticksItsNeighbours) {
  Gadget* a = CreateButton("a", 0, 0, 50, 16, win, kButtonRadio);
  Gadget* b = CreateButton("b", 0, 20, 50, 16, win, kButtonRadio | kButtonPushLike);
  a->SetCheck(1);
  ui().Click(b);
  EXPECT_EQ(a->Check(), 0);
  EXPECT_EQ(b->Check(), 1);
  EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(HeadlessBackendTest, UsersCannotReachDisabledOrHiddenGadgets) {
  Gadget* page = CreatePanel(0, 0, 400, 300, win, 0);
  Gadget* stop = CreateButton("STOP!", 0, 0, 100, 35, page, kButtonPushLike);
  stop->Disable();
  EXPECT_FALSE(ui().Click(stop));
  stop->Enable();
  page->Hide();
  EXPECT_FALSE(ui().Click(stop));
  page->Show();
  win->Disable();  // a paused window
  EXPECT_FALSE(ui().Click(stop));
  EXPECT_FALSE(ui().CloseWindow(win));
  win->Enable();
  EXPECT_TRUE(ui().Click(stop));
  stop->Free();
  EXPECT_FALSE(ui().Click(stop));
  EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(HeadlessBackendTest, TypingGoesThroughTheKeyFilter) {
  Gadget* field = CreateTextField(0, 0, 100, 20, win);
  std::vector<std::int64_t> offered;
  field->SetFilter([&](const Event& e, void* ctx) {
    offered.push_back(e.data);
    EXPECT_EQ(e.id, kKeyChar);
    EXPECT_EQ(ctx, &offered);
    return e.data == 8 || (e.data >= '0' && e.data <= '9');
  }, &offered);
  EXPECT_FALSE(ui().TypeText(field, "1a2"));
  EXPECT_EQ(field->Text(), "12");
  EXPECT_TRUE(ui().TypeText(field, "\b"));
  EXPECT_EQ(field->Text(), "1");
  EXPECT_EQ(offered, (std::vector<std::int64_t>{'1', 'a', '2', 8}));
  auto events = Drain();
  ASSERT_EQ(events.size(), 3u);  // one per accepted change, none for the key itself
  for (auto& e : events) EXPECT_EQ(e->id, kGadgetAction);
  EXPECT_TRUE(field->HasFocus());
  Gadget* output = CreateTextArea(0, 30, 100, 50, win, kTextReadOnly | kTextWordWrap);
  EXPECT_FALSE(ui().TypeText(output, "x"));
}

TEST_F(HeadlessBackendTest, WheelComesFromTheOutermostMousePanelAndLeaveFromThePanelItself) {
  Gadget* list = CreatePanel(0, 0, 200, 160, win, kPanelMouse);
  Gadget* row = CreatePanel(0, 0, 200, 40, list, kPanelMouse);
  Gadget* box = CreateButton("x", 5, 1, 100, 16, row, kButtonCheck);
  Gadget* plain = CreatePanel(0, 200, 50, 50, win, 0);
  EXPECT_TRUE(ui().Wheel(box, -2));
  EXPECT_FALSE(ui().Wheel(plain, 1));
  EXPECT_TRUE(ui().Leave(row));
  EXPECT_FALSE(ui().Leave(box));
  auto events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]->id, kMouseWheel);
  EXPECT_EQ(events[0]->source, list);
  EXPECT_EQ(events[0]->data, -2);
  EXPECT_EQ(events[1]->id, kMouseLeave);
  EXPECT_EQ(events[1]->source, row);
}

TEST_F(HeadlessBackendTest, ChoosingAMenuFindsTheItemInsideSubmenus) {
  Gadget* file = CreateMenu("File", 1000, win);
  CreateMenu("", 0, file);
  Gadget* paths = CreateMenu("Change paths", 1004, file);
  Gadget* tarnic = CreateMenu("Tarnic:", 1004, paths);
  Gadget* exit = CreateMenu("Exit", 1999, file);
  EXPECT_TRUE(ui().ChooseMenu(win, 1004));
  EXPECT_FALSE(ui().ChooseMenu(win, 1000));  // a title, not an item
  EXPECT_FALSE(ui().ChooseMenu(win, 0));     // separators cannot be chosen
  exit->Disable();
  EXPECT_FALSE(ui().ChooseMenu(win, 1999));
  auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0]->id, kMenuAction);
  EXPECT_EQ(events[0]->source, tarnic);
  EXPECT_EQ(events[0]->data, 1004);
}

TEST_F(HeadlessBackendTest, SliderMovesEmitOnlyWhenThePositionChanges) {
  Gadget* stepper = CreateSlider(0, 0, 20, 20, win, kSliderStepper);
  stepper->SetRange(0, 10);  // positions 0..9
  stepper->SetPosition(3);
  ui().StepSlider(stepper, 1);
  ui().SetSliderPosition(stepper, 40);
  ui().StepSlider(stepper, 1);  // already at the top
  auto events = Drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]->data, 4);
  EXPECT_EQ(events[1]->data, 9);
  EXPECT_EQ(stepper->Position(), 9);
}

TEST_F(HeadlessBackendTest, TabClicksAndHyperlinks) {
  Gadget* tabs = CreateTabber(0, 0, 400, 300, win);
  tabs->AddItem("1");
  tabs->AddItem("2");
  EXPECT_TRUE(ui().SelectTab(tabs, 1));
  EXPECT_TRUE(ui().SelectTab(tabs, 1));  // the chosen tab again: nothing new
  EXPECT_FALSE(ui().SelectTab(tabs, 2));
  Gadget* link = CreateHyperlink("http://example.org/", 0, 0, 100, 20, win);
  EXPECT_EQ(link->Text(), "http://example.org/");
  EXPECT_TRUE(ui().Click(link));
  auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0]->data, 1);
  EXPECT_EQ(ui().Opened(), std::vector<std::string>{"http://example.org/"});
}

TEST_F(HeadlessBackendTest, FocusFollowsTheProgramAndIsLostWithTheGadget) {
  Gadget* list = CreatePanel(0, 0, 100, 100, win, kPanelMouse);
  Gadget* compound = CreateProxyGadget(win);
  Gadget* field = CreateTextField(0, 0, 10, 10, win);
  compound->SetProxy(field);
  compound->Focus();
  EXPECT_TRUE(field->HasFocus());
  EXPECT_TRUE(compound->HasFocus());
  list->Focus();
  EXPECT_FALSE(field->HasFocus());
  list->Free();
  EXPECT_EQ(ui().FocusedGadget(), nullptr);
  list->Focus();  // freed: stays without focus
  EXPECT_EQ(ui().FocusedGadget(), nullptr);
}

TEST_F(HeadlessBackendTest, PumpCallbackLetsATestActDuringALongOperation) {
  Gadget* stop = CreateButton("STOP!", 0, 0, 100, 35, win, 0);
  int polls = 0;
  ui().SetPumpCallback([&] {
    if (++polls == 3) ui().Click(stop);
  });
  EventPtr seen;
  for (int i = 0; i < 10 && !seen; ++i) seen = PollEvent();
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(seen->source, stop);
  EXPECT_EQ(polls, 3);
}

}  // namespace
}  // namespace corvane::tk
