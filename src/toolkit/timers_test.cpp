#include <gtest/gtest.h>

#include "support/headless_fixture.h"
#include "toolkit/toolkit.h"

namespace corvane::tk {
namespace {

class TimersTest : public testing::HeadlessTest {};

TEST_F(TimersTest, WaitingForATickAdvancesTheVirtualClockToIt) {
  Timer* timer = CreateTimer(2.0);
  ASSERT_NE(timer, nullptr);
  const auto start = Millisecs();
  for (int i = 1; i <= 3; ++i) {
    EventPtr e = WaitEvent();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->id, kTimerTick);
    EXPECT_EQ(e->source, nullptr);
    EXPECT_EQ(e->data, i);
    EXPECT_EQ(std::any_cast<Timer*>(e->extra), timer);
    EXPECT_EQ(Millisecs() - start, 500 * i);
  }
  EXPECT_EQ(TimerTicks(timer), 3);
}

TEST_F(TimersTest, ABusyProgramGetsOneTickNotABacklog) {
  CreateTimer(10.0);  // every 100 ms
  Delay(1050);
  EventPtr e = PollEvent();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->data, 1);
  EXPECT_EQ(PollEvent(), nullptr);
  // The rate resumes from the late tick.
  const auto before = Millisecs();
  ASSERT_NE(WaitEvent(), nullptr);
  EXPECT_EQ(Millisecs() - before, 100);
}

TEST_F(TimersTest, QueuedEventsComeBeforeTheClockMoves) {
  CreateTimer(1.0);
  EmitEvent(MakeEvent(kGadgetAction, nullptr, 3));
  const auto before = Millisecs();
  EXPECT_EQ(WaitEvent()->id, kGadgetAction);
  EXPECT_EQ(Millisecs(), before);
}

TEST_F(TimersTest, FreedTimerStopsTickingAndTheNextEarliestTimerWins) {
  Timer* fast = CreateTimer(4.0);
  Timer* slow = CreateTimer(1.0);
  FreeTimer(fast);
  EventPtr e = WaitEvent();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::any_cast<Timer*>(e->extra), slow);
  EXPECT_EQ(Millisecs(), 1000);
  FreeTimer(slow);
  EXPECT_EQ(WaitEvent(), nullptr);
  EXPECT_EQ(CreateTimer(0), nullptr);
  EXPECT_EQ(CreateTimer(-3), nullptr);
}

TEST_F(TimersTest, IdleCallbackActsBeforeTheClockAdvances) {
  CreateTimer(2.0);
  bool clicked = false;
  ui().SetIdleCallback([&] {
    if (!clicked) {
      clicked = true;
      EmitEvent(MakeEvent(kMenuAction, nullptr, 1999));
    }
  });
  EventPtr e = WaitEvent();
  EXPECT_EQ(e->id, kMenuAction);
  EXPECT_EQ(Millisecs(), 0);
  EXPECT_EQ(WaitEvent()->id, kTimerTick);
}

TEST_F(TimersTest, PumpStatisticsMeasureTheLongestVirtualGap) {
  ProcessMessages();
  Delay(30);
  ProcessMessages();
  Delay(120);
  PollEvent();
  Delay(10);
  ProcessMessages();
  EXPECT_EQ(ui().PumpCount(), 4);
  EXPECT_EQ(ui().LongestPumpGapVirtualMs(), 120);
}

}  // namespace
}  // namespace corvane::tk
