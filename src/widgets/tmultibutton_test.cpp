#include "widgets/tmultibutton.h"

#include <gtest/gtest.h>

#include "widgets/widgets_test_fixture.h"

namespace corvane {
namespace {

class TMultiButtonTest : public testing::WidgetsTest {
 protected:
  // A list 470 x 160 (four visible rows) with `rows` rows named r0, r1, ...
  TMultiButton* Make(int rows, int h = 160) {
    window_ = tk::CreateWindow("L", 0, 0, 670, 510, nullptr, tk::kWindowTitleBar);
    TMultiButton* list = CreateMultiButton(180, 40, 470, h, window_, "", "", "", "", 0);
    for (int i = 0; i < rows; ++i)
      list->AddItem("r" + std::to_string(i), "second line", "", "", 0, i * 10);
    return list;
  }
  static tk::Rgb Back(const tk::Gadget* g) { return g->BackColor(); }
  tk::Gadget* window_ = nullptr;
};

TEST_F(TMultiButtonTest, RowsAreBuiltInsideTheListPanel) {
  TMultiButton* list = Make(2);
  EXPECT_EQ(list->visible, 4);
  EXPECT_EQ(list->panel->Width(), 450);
  EXPECT_EQ(list->slider->X(), 630);
  TMultiButton* row = list->array[1];
  EXPECT_EQ(row->panel->parent(), list->panel);
  EXPECT_EQ(row->panel->Y(), 40);
  EXPECT_EQ(row->button->Text(), "r1");
  EXPECT_EQ(row->label->Text(), "second line");
  EXPECT_EQ(row->line->Y(), 39);
  EXPECT_FALSE(row->icon->Visible());
  EXPECT_EQ(std::any_cast<int>(row->content), 10);
  EXPECT_EQ(row->button->TextColor(), (tk::Rgb{40, 40, 220}));
}

TEST_F(TMultiButtonTest, WheelScrollsWithinTheRowsThatDoNotFit) {
  TMultiButton* list = Make(10);
  ASSERT_TRUE(ui().Wheel(list->array[0]->button, -20));
  EXPECT_EQ(list->current_position, 6);
  EXPECT_EQ(list->slider->Position(), 6);
  EXPECT_EQ(list->array[6]->panel->Y(), 0);
  EXPECT_EQ(list->array[0]->panel->Y(), -240);
  ASSERT_TRUE(ui().Wheel(list->panel, 1));
  EXPECT_EQ(list->current_position, 5);
  ASSERT_TRUE(ui().Wheel(list->panel, 50));
  EXPECT_EQ(list->current_position, 0);
  EXPECT_EQ(list->array[0]->panel->Y(), 0);

  ASSERT_TRUE(ui().SetSliderPosition(list->slider, 3));
  EXPECT_EQ(list->current_position, 3);
  EXPECT_EQ(list->array[3]->panel->Y(), 0);
  EXPECT_FALSE(DrainQueue().empty()) << "the owner still sees the events";
}

TEST_F(TMultiButtonTest, FewRowsNeverMove) {
  TMultiButton* list = Make(3);
  ui().Wheel(list->panel, -5);
  ui().SetSliderPosition(list->slider, 2);
  EXPECT_EQ(list->current_position, 0);
  EXPECT_EQ(list->array[2]->panel->Y(), 80);
}

TEST_F(TMultiButtonTest, StatesAreCountedExtractedAndInverted) {
  TMultiButton* list = Make(0);
  EXPECT_EQ(list->ExtractStatus(), std::vector<int>{0});
  EXPECT_EQ(list->CountSelected(), 0);
  EXPECT_EQ(list->AddItem("", "x", "", "", 1), nullptr);
  EXPECT_EQ(list->CountItems(), 0);

  list->AddFromArray({"a", "b", "c"}, {"1", "2", "3"}, {1, 0, 1});
  list->AddFromArray({"d"}, {}, {1});
  ASSERT_EQ(list->CountItems(), 3);
  EXPECT_EQ(list->CountSelected(), 2);
  list->InvertState(0);
  EXPECT_EQ(list->ExtractStatus(), (std::vector<int>{0, 1, 0}));
  list->SetItemStatus(0, -1);
  list->InvertState(0);
  EXPECT_EQ(list->ExtractStatus(), (std::vector<int>{1, 0, 1})) << "a third-state box becomes ticked";
  EXPECT_EQ(list->GetItemStatus(3), 0);
  list->SetItemBackColor(3, 1, 2, 3);
  list->SetItemBackColor(-1, 1, 2, 3);
  for (TMultiButton* row : list->array) EXPECT_EQ(Back(row->panel), (tk::Rgb{188, 188, 188}));
}

TEST_F(TMultiButtonTest, ClicksOnARowReachTheOwner) {
  TMultiButton* list = Make(3);
  ASSERT_TRUE(ui().Click(list->array[1]->button));
  auto events = DrainQueue();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(list->RowOfButton(events[0]->source), 1);
  EXPECT_EQ(events[0]->data, 1);
  EXPECT_EQ(list->GetItemStatus(1), 1);
  list->DisableItem(2);
  EXPECT_FALSE(ui().Click(list->array[2]->button));
}

TEST_F(TMultiButtonTest, ListColoursReachOnlyTheRowsThatExist) {
  TMultiButton* list = Make(2);
  list->SetBackColor(10, 20, 30);
  list->SetButtonColor(200, 0, 0);
  EXPECT_EQ(Back(list->array[0]->panel), (tk::Rgb{10, 20, 30}));
  EXPECT_EQ(list->array[1]->button->TextColor(), (tk::Rgb{200, 0, 0}));
  TMultiButton* later = list->AddItem("late", "", "", "", 0);
  EXPECT_EQ(Back(later->panel), (tk::Rgb{188, 188, 188}));
  EXPECT_EQ(later->button->TextColor(), (tk::Rgb{40, 40, 220}));
}

TEST_F(TMultiButtonTest, LeavingARowHighlightsItUntilAnotherIsLeft) {
  TMultiButton* list = Make(5);
  list->SetSelectColor(250, 250, 0);  // paints the rows; the next leave restores them
  ASSERT_TRUE(ui().Leave(list->array[2]->panel));
  EXPECT_EQ(list->Selected(), 2);
  EXPECT_EQ(Back(list->array[2]->panel), (tk::Rgb{250, 250, 0}));
  EXPECT_EQ(Back(list->array[2]->label), (tk::Rgb{250, 250, 0}));
  EXPECT_EQ(Back(list->array[3]->panel), (tk::Rgb{188, 188, 188}));

  ASSERT_TRUE(ui().Leave(list->array[3]->panel));
  EXPECT_EQ(list->Selected(), 3);
  EXPECT_EQ(Back(list->array[2]->panel), (tk::Rgb{188, 188, 188}));

  ASSERT_TRUE(ui().Leave(list->panel));  // not a row: everything plain, selection kept
  EXPECT_EQ(list->Selected(), 3);
  EXPECT_EQ(Back(list->array[3]->panel), (tk::Rgb{188, 188, 188}));
}

TEST_F(TMultiButtonTest, KeysMoveTheHighlightIntoViewAndSpaceTicksTheLitRowOnly) {
  TMultiButton* list = Make(10);
  list->panel->Focus();
  ASSERT_TRUE(ui().PressKey(tk::kKeySpace));
  EXPECT_EQ(list->CountSelected(), 0) << "nothing lit: Space ticks nothing";
  DrainQueue();
  constexpr int S = tk::kKeySpace, U = tk::kKeyArrowUp, D = tk::kKeyArrowDown;
  struct Step {
    int key;
    int lit, position;  // expected afterwards
    int ticked;         // expected CountSelected
  };
  const Step steps[] = {
      {D, 0, 0, 0},  // the first press lights the current row
      {D, 1, 0, 0}, {D, 2, 0, 0}, {D, 3, 0, 0},
      {D, 4, 1, 0},  // scrolled so that the lit row shows at the bottom
      {S, 4, 1, 1},
      {D, 5, 2, 1}, {D, 6, 3, 1}, {D, 7, 4, 1}, {D, 8, 5, 1}, {D, 9, 6, 1},
      {D, 9, 6, 1},  // the last row stays lit
      {S, 9, 6, 2},
      {S, 9, 6, 1},  // Space again unticks
      {U, 8, 6, 1}, {U, 7, 6, 1}, {U, 6, 6, 1},
      {U, 5, 5, 1},  // shows at the top
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    ASSERT_TRUE(ui().PressKey(steps[i].key)) << "step " << i;
    EXPECT_EQ(list->Selected(), steps[i].lit) << "step " << i;
    EXPECT_EQ(Back(list->array[steps[i].lit]->panel), (tk::Rgb{200, 200, 200})) << "step " << i;
    EXPECT_EQ(list->current_position, steps[i].position) << "step " << i;
    EXPECT_EQ(list->slider->Position(), steps[i].position) << "step " << i;
    EXPECT_EQ(list->array[steps[i].position]->panel->Y(), 0) << "step " << i;
    EXPECT_EQ(list->CountSelected(), steps[i].ticked) << "step " << i;
  }
  EXPECT_EQ(list->GetItemStatus(4), 1);
  // Space reports as a click would, so that the owner's counts follow.
  std::vector<tk::EventPtr> ticks;
  for (const tk::EventPtr& e : DrainQueue())
    if (e->id == tk::kGadgetAction) ticks.push_back(e);
  ASSERT_EQ(ticks.size(), 3u);
  EXPECT_EQ(list->RowOfButton(ticks[0]->source), 4);
  EXPECT_EQ(ticks[0]->data, 1);
  EXPECT_EQ(ticks[2]->data, 0);

  // A click lights its row and leaves the keys with the list.
  ASSERT_TRUE(ui().Click(list->array[1]->button));
  EXPECT_TRUE(list->panel->HasFocus());
  ASSERT_TRUE(ui().PressKey(D));
  EXPECT_EQ(list->Selected(), 2);
  // The pointer leaving another gadget puts the light out; a disabled row
  // is not ticked by Space.
  ui().Leave(list->panel);
  list->DisableItem(2);
  ASSERT_TRUE(ui().PressKey(S));
  EXPECT_EQ(list->GetItemStatus(2), 0);
  ASSERT_TRUE(ui().PressKey(D));
  ASSERT_TRUE(ui().PressKey(S));
  EXPECT_EQ(list->GetItemStatus(2), 0);
}

TEST_F(TMultiButtonTest, RefillAfterScrollingStartsAtTheTop) {
  TMultiButton* list = Make(10);
  ui().Wheel(list->panel, -4);
  ASSERT_EQ(list->current_position, 4);
  tk::Gadget* old_button = list->array[0]->button;
  list->ClearItems();
  EXPECT_TRUE(old_button->freed());
  EXPECT_EQ(list->CountItems(), 0);
  EXPECT_EQ(list->current_position, 0);
  EXPECT_EQ(list->slider->Position(), 0);

  for (int i = 0; i < 6; ++i) list->AddItem("n" + std::to_string(i), "", "", "", 0);
  ui().Wheel(list->panel, -1);
  EXPECT_EQ(list->current_position, 1);
  EXPECT_EQ(list->array[1]->panel->Y(), 0);
  EXPECT_EQ(list->slider->MaxPosition(), 2);
}

TEST_F(TMultiButtonTest, IconsComeFromTheStrip) {
  TMultiButton* list = Make(2);
  auto picture = std::make_shared<tk::Picture>();
  picture->width = 64;
  picture->height = 32;
  picture->rgba.assign(64 * 32 * 4, 255);
  auto strip = std::make_shared<tk::IconStrip>();
  strip->image = picture;
  strip->count = 2;
  strip->size = 32;

  list->setItemIcon(1, strip, 1);
  TMultiButton* row = list->array[1];
  EXPECT_TRUE(row->icon->Visible());
  ASSERT_NE(row->pix, nullptr);
  EXPECT_EQ(row->icon->GetPicture(), row->pix);
  EXPECT_EQ(row->icon->PictureFlags(), tk::kPictureIcon);

  list->setItemIcon(0, nullptr, 0);
  list->setItemIcon(0, strip, 7);
  EXPECT_FALSE(list->array[0]->icon->Visible());
}

TEST_F(TMultiButtonTest, FreeUnhooksTheList) {
  TMultiButton* list = Make(10);
  tk::Gadget* panel = list->panel;
  list->Free();
  EXPECT_TRUE(panel->freed());
  tk::EmitEvent(tk::MakeEvent(tk::kMouseWheel, panel, -3));
  EXPECT_EQ(list->current_position, 0);
}

}  // namespace
}  // namespace corvane
