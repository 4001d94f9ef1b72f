#include <gtest/gtest.h>

#include "support/headless_fixture.h"
#include "toolkit/toolkit.h"

namespace corvane::tk {
namespace {

class GadgetTest : public testing::HeadlessTest {};

TEST_F(GadgetTest, SliderPositionsStayWithinTheRange) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* bar = CreateSlider(0, 0, 20, 160, win, kSliderScrollBar);
  // Ten rows of which four fit: the caller passes 0 and 10 - 4 + 1.
  bar->SetRange(0, 7);
  EXPECT_EQ(bar->MaxPosition(), 6);
  bar->SetPosition(9);
  EXPECT_EQ(bar->Position(), 6);
  bar->SetPosition(-2);
  EXPECT_EQ(bar->Position(), 0);
  bar->SetPosition(5);
  bar->SetRange(0, 3);  // fewer rows now: the position follows the range
  EXPECT_EQ(bar->Position(), 2);
  bar->SetRange(5, 2);  // more visible than total
  EXPECT_EQ(bar->MaxPosition(), 0);
  EXPECT_EQ(bar->Position(), 0);
}

TEST_F(GadgetTest, TextAreaSelectsByCharactersAndByLines) {
  Gadget* win = CreateWindow("w", 0, 0, 300, 300, nullptr, kWindowTitleBar);
  Gadget* area = CreateTextArea(0, 0, 200, 100, win, kTextWordWrap);
  area->SetText("één\ntwo\nthree");
  area->SetSelection(1, 1, true);
  EXPECT_EQ(area->SelectionStart(), 4);   // characters, not bytes
  EXPECT_EQ(area->SelectionLength(), 4);  // "two\n"
  area->SetSelection(2, 5, true);         // past the last line: up to the end
  EXPECT_EQ(area->SelectionStart(), 8);
  EXPECT_EQ(area->SelectionLength(), 5);
  area->SetSelection(7, 1, true);         // no such line: caret at the end
  EXPECT_EQ(area->SelectionStart(), 13);
  EXPECT_EQ(area->SelectionLength(), 0);
  area->SetSelection(10, 50);
  EXPECT_EQ(area->SelectionStart(), 10);
  EXPECT_EQ(area->SelectionLength(), 3);
  area->SelectAll();
  EXPECT_EQ(area->SelectionLength(), 13);
  area->AppendText("\nfour");
  EXPECT_EQ(area->Text(), "één\ntwo\nthree\nfour");
  EXPECT_EQ(area->SelectionStart(), 18);
  EXPECT_EQ(area->SelectionLength(), 0);
}

TEST_F(GadgetTest, ClientAreasLeaveRoomForBarsTabsAndBorders) {
  Gadget* main = CreateWindow("main", 10, 10, 670, 510, nullptr, 525);
  EXPECT_EQ(main->ClientWidth(), 670);
  EXPECT_EQ(main->ClientHeight(), 510 - kMenuBarHeight - kStatusBarHeight);
  Gadget* tabs = CreateTabber(0, 0, main->ClientWidth(), main->ClientHeight(), main);
  EXPECT_EQ(tabs->ClientHeight(), main->ClientHeight() - kTabHeaderHeight);
  // The wizard pages place buttons down to y 405; they must fit on a page.
  EXPECT_GE(tabs->ClientHeight(), 405);
  Gadget* sunken = CreatePanel(0, 0, 100, 50, tabs, kPanelSunken);
  EXPECT_EQ(sunken->ClientWidth(), 96);
  EXPECT_EQ(sunken->ClientHeight(), 46);
  Gadget* tiny = CreatePanel(0, 0, 3, 3, tabs, kPanelSunken);
  EXPECT_EQ(tiny->ClientWidth(), 0);
  EXPECT_EQ(Desktop()->ClientWidth(), 1024);
}

TEST_F(GadgetTest, CentredWindowIsPlacedOnTheDesktop) {
  Gadget* w = CreateWindow("c", 10, 10, 670, 510, nullptr, kWindowTitleBar | kWindowCentre);
  EXPECT_EQ(w->X(), 1024 / 2 - 670 / 2);
  EXPECT_EQ(w->Y(), 768 / 2 - 510 / 2);
}

TEST_F(GadgetTest, ChildrenFollowTheirLayoutRulesWhenTheContainerIsResized) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowResizable);
  Gadget* stretch = CreateTextArea(10, 10, 380, 280, win, 0);
  stretch->SetLayout(kEdgeAligned, kEdgeAligned, kEdgeAligned, kEdgeAligned);
  Gadget* right = CreateButton("r", 300, 250, 90, 40, win, 0);
  right->SetLayout(kEdgeCentred, kEdgeAligned, kEdgeCentred, kEdgeAligned);
  Gadget* fixed = CreateButton("f", 5, 5, 20, 20, win, 0);
  win->SetShape(0, 0, 500, 400);
  EXPECT_EQ(stretch->Width(), 480);
  EXPECT_EQ(stretch->Height(), 380);
  EXPECT_EQ(right->X(), 350);   // left edge moves half the growth
  EXPECT_EQ(right->Width(), 140);
  EXPECT_EQ(fixed->X(), 5);     // no rules given: stays
  // Back and forth several times: no drift.
  for (int i = 0; i < 5; ++i) {
    win->SetShape(0, 0, 401 + i, 303);
    win->SetShape(0, 0, 400, 300);
  }
  EXPECT_EQ(stretch->Width(), 380);
  EXPECT_EQ(right->X(), 300);
  EXPECT_EQ(right->Width(), 90);
}

TEST_F(GadgetTest, FreeingAContainerFreesItsChildrenAndKeepsThemReadable) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar);
  Gadget* panel = CreatePanel(0, 0, 100, 100, win, 0);
  Gadget* button = CreateButton("b", 0, 0, 10, 10, panel, 0);
  Gadget* compound = CreateProxyGadget(win);
  Gadget* inner = CreateTextField(0, 0, 10, 10, win);
  compound->SetProxy(inner);
  panel->Free();
  EXPECT_TRUE(panel->freed());
  EXPECT_TRUE(button->freed());
  EXPECT_EQ(button->Text(), "b");
  EXPECT_EQ(win->children().size(), 2u);
  compound->Free();
  EXPECT_TRUE(inner->freed());
  EXPECT_EQ(CreateButton("late", 0, 0, 1, 1, panel, 0), nullptr);
  EXPECT_EQ(AllGadgets().size(), 5u);
}

TEST_F(GadgetTest, ProgressAndCheckStatesAreNormalised) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar);
  Gadget* bar = CreateProgressBar(0, 0, 100, 20, win);
  bar->SetProgress(1.5);
  EXPECT_EQ(bar->Progress(), 1.0);
  bar->SetProgress(-0.2);
  EXPECT_EQ(bar->Progress(), 0.0);
  bar->SetProgress(0.0 / 0.0);
  EXPECT_EQ(bar->Progress(), 0.0);
  Gadget* box = CreateButton("c", 0, 0, 50, 20, win, kButtonCheck);
  box->SetCheck(7);
  EXPECT_EQ(box->Check(), 1);
  box->SetCheck(-1);
  EXPECT_EQ(box->Check(), -1);
}

TEST_F(GadgetTest, ItemOperationsIgnoreIndexesOutsideTheList) {
  Gadget* win = CreateWindow("w", 0, 0, 400, 300, nullptr, kWindowTitleBar);
  Gadget* tabs = CreateTabber(0, 0, 400, 300, win);
  tabs->AddItem("1.Start");
  EXPECT_EQ(tabs->SelectedItem(), 0);  // a tab row always has a chosen tab
  tabs->AddItem("2.Download", 0, -1, "tip");
  tabs->SetItemText(1, "2.Scaricare");
  tabs->SetItemText(2, "none");
  tabs->SelectItem(5);
  EXPECT_EQ(tabs->SelectedItem(), 0);
  tabs->SelectItem(1);
  ASSERT_EQ(tabs->Items().size(), 2u);
  EXPECT_EQ(tabs->Items()[1].text, "2.Scaricare");
  EXPECT_EQ(tabs->Items()[1].tip, "tip");
  EXPECT_EQ(tabs->SelectedItem(), 1);
  tabs->ClearItems();
  EXPECT_EQ(tabs->SelectedItem(), -1);
}

}  // namespace
}  // namespace corvane::tk
