#include "widgets/tspinner.h"

#include <gtest/gtest.h>

#include "widgets/widgets_test_fixture.h"

namespace corvane {
namespace {

class TSpinnerTest : public testing::WidgetsTest {
 protected:
  TSpinner* Make(int style = 0) {
    window_ = tk::CreateWindow("S", 0, 0, 300, 200, nullptr, tk::kWindowTitleBar);
    return CreateSpinner(10, 10, 100, 24, window_, style);
  }
  tk::Gadget* window_ = nullptr;
};

TEST(TSpinnerFilter, AcceptsOnlyNumberCharacters) {
  struct Case {
    int code;
    bool accepted;
  } cases[] = {{'-', true}, {'.', true}, {'0', true}, {'9', true}, {8, true},
               {'/', false}, {'+', false}, {'a', false}, {' ', false}, {':', false}};
  for (const Case& c : cases) {
    tk::Event key;
    key.id = tk::kKeyChar;
    key.data = c.code;
    EXPECT_EQ(TSpinner::NumFilter(key, nullptr), c.accepted) << "code " << c.code;
  }
  tk::Event other;
  other.id = tk::kGadgetAction;
  other.data = 'a';
  EXPECT_TRUE(TSpinner::NumFilter(other, nullptr));
}

TEST(TSpinnerPrettyFloat, FormatsTruncatedFixedPoint) {
  struct Case {
    int value;
    const char* text;
  } tenths[] = {{25, "2.5"}, {7, "0.7"}, {0, "0.0"}, {-25, "-2.5"}, {-5, "-0.5"}, {1003, "100.3"}};
  for (const Case& c : tenths)
    EXPECT_EQ(TSpinner::PrettyFloat(c.value / 10.0, 1), c.text) << c.value;
  EXPECT_EQ(TSpinner::PrettyFloat(2.999, 2), "2.99");
  EXPECT_EQ(TSpinner::PrettyFloat(-0.05, 2), "-0.05");
  EXPECT_EQ(TSpinner::PrettyFloat(-3.7, 0), "-3");
  EXPECT_EQ(TSpinner::PrettyFloat(1.5, 3), "1.500");
}

TEST_F(TSpinnerTest, TypingReportsOneEventPerChangeAndKeepsTheText) {
  TSpinner* s = Make();
  ASSERT_TRUE(ui().TypeText(s->AsGadget(), "1"));
  EXPECT_EQ(s->GetValue(), 1);
  ASSERT_TRUE(ui().TypeText(s->AsGadget(), "2"));
  EXPECT_EQ(s->GetValue(), 9);
  EXPECT_EQ(s->textField->Text(), "12");
  EXPECT_EQ(s->stepper->Position(), 9);

  auto events = DrainQueue();
  ASSERT_EQ(events.size(), 2u);
  for (auto& e : events) {
    EXPECT_EQ(e->id, tk::kGadgetAction);
    EXPECT_EQ(e->source, s->AsGadget());
    EXPECT_EQ(e->data, 0);
  }
  EXPECT_FALSE(ui().TypeText(s->AsGadget(), "x"));
  EXPECT_EQ(s->textField->Text(), "12");
}

TEST_F(TSpinnerTest, SteppingShowsSelectsAndReportsThePosition) {
  TSpinner* s = Make();
  s->SetValue_(3, 1);
  ASSERT_EQ(s->textField->Text(), "3");
  ASSERT_TRUE(ui().StepSlider(s->stepper, 1));
  EXPECT_EQ(s->GetValue(), 4);
  EXPECT_EQ(s->textField->Text(), "4");
  EXPECT_EQ(s->textField->SelectionStart(), 0);
  EXPECT_EQ(s->textField->SelectionLength(), 1);
  EXPECT_TRUE(s->textField->HasFocus());

  auto events = DrainQueue();
  ASSERT_EQ(events.size(), 1u) << "the stepper's own event is replaced";
  EXPECT_EQ(events[0]->source, s->AsGadget());
  EXPECT_EQ(events[0]->data, 4);
}

TEST_F(TSpinnerTest, SteppingWithAnOffsetRangeAddsTheLowBound) {
  TSpinner* s = Make();
  s->SetRange(-5, 5);
  s->SetValue_(-5, 1);
  EXPECT_EQ(s->stepper->Position(), 0);
  ASSERT_TRUE(ui().StepSlider(s->stepper, 3));
  EXPECT_EQ(s->GetValue(), -2);
  EXPECT_EQ(s->textField->Text(), "-2");
}

TEST_F(TSpinnerTest, TenthsReadAndShowOneDecimal) {
  TSpinner* s = Make(1);
  SetSpinnerRange(s, 0, 100.9);
  EXPECT_EQ(s->high, 100);
  ASSERT_TRUE(ui().TypeText(s->AsGadget(), "2.5"));
  EXPECT_EQ(SpinnerValue(s), 25);
  ASSERT_TRUE(ui().TypeText(s->AsGadget(), "5"));
  EXPECT_EQ(SpinnerValue(s), 25) << "2.55 is truncated to 25 tenths";
  SetSpinnerValue(s, 7);
  EXPECT_EQ(s->textField->Text(), "0.7");
}

TEST_F(TSpinnerTest, RangeAndClampingLeaveTheTextAlone) {
  TSpinner* s = Make();
  EXPECT_EQ(s->FixValue(15), 9);
  EXPECT_EQ(s->FixValue(-3), 0);
  s->SetValue_(7, 1);
  s->SetRange(0, 3);
  EXPECT_EQ(s->GetValue(), 7);
  EXPECT_EQ(s->textField->Text(), "7");
  EXPECT_EQ(s->range, 4);
  EXPECT_EQ(s->stepper->MaxPosition(), 3);
  s->SetValue_(2147483647, 1);
  EXPECT_EQ(s->GetValue(), 3);

  ASSERT_TRUE(ui().TypeText(s->AsGadget(), "99999999999999999999"));
  EXPECT_EQ(s->GetValue(), 3) << "an overlong number clamps instead of wrapping";
}

TEST_F(TSpinnerTest, FrameworkMakersPlaceAndRegisterTheSpinner) {
  tapplication* app = MakeMainApp(tk::kWindowTitleBar);
  TSpinner* labelled = app->AddLabelSpinner("Count", 10, 10, 100, 24, 0, "count");
  EXPECT_EQ(labelled->panel->X(), 61);
  EXPECT_EQ(labelled->panel->Width(), 50);
  EXPECT_EQ(app->FindGadget("count", 0), labelled->AsGadget());
  app->ChangeText("count", "5");
  EXPECT_EQ(labelled->textField->Text(), "5");

  TSpinner* boxed = app->AddBoxedSpinner("Boxed", 10, 50, 120, 50, 0, "");
  EXPECT_EQ(boxed->panel->Y(), 70);
  EXPECT_EQ(boxed->panel->Height(), 30);

  boxed->Free();
  EXPECT_EQ(boxed->textField, nullptr);
  EXPECT_TRUE(ui().StepSlider(labelled->stepper, 1));
  EXPECT_EQ(labelled->GetValue(), 1) << "the other spinner still works";
}

}  // namespace
}  // namespace corvane
