#include <gtest/gtest.h>

#include <vector>

#include "support/headless_fixture.h"
#include "toolkit/toolkit.h"

namespace corvane::tk {
namespace {

class EventQueueTest : public testing::HeadlessTest {};

TEST_F(EventQueueTest, HooksRunByDescendingPriorityAndSeeWhatTheirPredecessorReturned) {
  std::vector<std::string> order;
  int low = 0, high = 0;
  AddHook([&](int id, EventPtr e, void* ctx) {
    order.push_back("low");
    EXPECT_EQ(ctx, &low);
    return e;
  }, &low, -5);
  AddHook([&](int id, EventPtr e, void*) {
    order.push_back("high");
    EXPECT_EQ(id, kEmitEventHook);
    e->data = 42;  // later hooks and the queue see the change
    return e;
  }, &high, 10);
  AddHook([&](int, EventPtr e, void*) { order.push_back("high2"); return e; }, &high, 10);

  EmitEvent(MakeEvent(kGadgetAction, nullptr, 1));
  EXPECT_EQ(order, (std::vector<std::string>{"high", "high2", "low"}));
  EventPtr got = PollEvent();
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(got->data, 42);
  EXPECT_EQ(CurrentEvent(), got);
}

TEST_F(EventQueueTest, ConsumedEventNeverReachesTheQueueButLaterHooksStillRunWithNull) {
  int calls_after = 0;
  bool saw_null = false;
  AddHook([](int, EventPtr e, void*) -> EventPtr { return e->id == kMenuAction ? nullptr : e; }, nullptr, 0);
  AddHook([&](int, EventPtr e, void*) {
    ++calls_after;
    saw_null = saw_null || !e;
    return e;
  }, nullptr, -1);
  EmitEvent(MakeEvent(kMenuAction, nullptr, 5));
  EmitEvent(MakeEvent(kGadgetAction, nullptr, 6));
  EXPECT_EQ(calls_after, 2);
  EXPECT_TRUE(saw_null);
  ASSERT_EQ(QueueLength(), 1u);
  EXPECT_EQ(PollEvent()->data, 6);
}

TEST_F(EventQueueTest, HooksBelowTheQueueSeeEventsAfterTheyAreQueued) {
  std::size_t queued_when_seen = 99;
  AddHook([&](int, EventPtr e, void*) -> EventPtr {
    queued_when_seen = QueueLength();
    return nullptr;  // too late to keep it out of the queue
  }, nullptr, kQueuePriority - 1);
  EmitEvent(MakeEvent(kTimerTick, nullptr));
  EXPECT_EQ(queued_when_seen, 1u);
  EXPECT_EQ(QueueLength(), 1u);
}

TEST_F(EventQueueTest, RemovingHooksByHandleAndByContextLeavesTheQueueListening) {
  int a = 0, b = 0;
  int hits = 0;
  int handle = AddHook([&](int, EventPtr e, void*) { ++hits; return e; }, &a, 1);
  AddHook([&](int, EventPtr e, void*) { ++hits; return e; }, &b, 2);
  AddHook([&](int, EventPtr e, void*) { ++hits; return e; }, &b, 3);
  RemoveHook(handle);
  RemoveHooksOf(&b);
  RemoveHooksOf(nullptr);
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  EXPECT_EQ(hits, 0);
  EXPECT_EQ(QueueLength(), 1u);
}

TEST_F(EventQueueTest, HookRemovedDuringEmissionDoesNotRunAndNewHookWaitsForTheNextEvent) {
  int later_hits = 0, added_hits = 0;
  int victim = 0;
  AddHook([&](int, EventPtr e, void*) {
    RemoveHooksOf(&victim);
    AddHook([&](int, EventPtr ev, void*) { ++added_hits; return ev; }, nullptr, 0);
    return e;
  }, nullptr, 100);
  AddHook([&](int, EventPtr e, void*) { ++later_hits; return e; }, &victim, 50);
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  EXPECT_EQ(later_hits, 0);
  EXPECT_EQ(added_hits, 0);
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  EXPECT_EQ(added_hits, 1);
}

TEST_F(EventQueueTest, EventsOfAProxiedGadgetCarryTheCompoundAsSource) {
  Gadget* win = CreateWindow("w", 0, 0, 200, 100, nullptr, kWindowTitleBar);
  Gadget* compound = CreateProxyGadget(win);
  Gadget* field = CreateTextField(0, 0, 50, 20, win);
  compound->SetProxy(field);
  Gadget* seen = nullptr;
  AddHook([&](int, EventPtr e, void*) { seen = e->source; return e; }, nullptr, 0);
  EmitEvent(MakeEvent(kGadgetAction, field));
  EXPECT_EQ(seen, compound);
  // Operations on the compound act on the inner gadget.
  compound->SetText("12");
  compound->Disable();
  EXPECT_EQ(field->Text(), "12");
  EXPECT_FALSE(field->Enabled());
  EXPECT_FALSE(compound->Enabled());
  // After detaching, the inner gadget speaks for itself again.
  compound->SetProxy(nullptr);
  EmitEvent(MakeEvent(kGadgetAction, field));
  EXPECT_EQ(seen, field);
}

TEST_F(EventQueueTest, WaitEventWithoutTimersOrInputAnswersNullAfterTheIdleCallback) {
  int idle_runs = 0;
  ui().SetIdleCallback([&] {
    if (++idle_runs == 1) EmitEvent(MakeEvent(kMenuAction, nullptr, 7));
  });
  EventPtr first = WaitEvent();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->data, 7);
  EXPECT_EQ(WaitEvent(), nullptr);
  EXPECT_EQ(idle_runs, 2);
}

TEST_F(EventQueueTest, ShutdownDropsQueueHooksAndCurrentEvent) {
  int hits = 0;
  AddHook([&](int, EventPtr e, void*) { ++hits; return e; }, nullptr, 0);
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  PollEvent();
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  Shutdown();
  EXPECT_EQ(QueueLength(), 0u);
  EXPECT_EQ(CurrentEvent(), nullptr);
  EXPECT_EQ(CreateButton("x", 0, 0, 1, 1, nullptr, 0), nullptr);  // no backend
  EmitEvent(MakeEvent(kGadgetAction, nullptr));
  EXPECT_EQ(hits, 2);
  EXPECT_EQ(QueueLength(), 1u);  // the queue listens again after Shutdown
}

}  // namespace
}  // namespace corvane::tk
