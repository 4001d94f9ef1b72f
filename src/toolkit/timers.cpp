// Timers on the backend's clock, and pauses.  A timer that fell behind (the
// program was busy) ticks once and then keeps its rate from now, rather than
// flooding the queue with the ticks it missed.
#include <algorithm>
#include <cmath>

#include "runtime/clock.h"
#include "toolkit/core_state.h"

namespace corvane::tk {
namespace {

constexpr double kMaxRate = 1000;  // ticks per second

Timer* Find(Timer* timer) {
  for (auto& t : Core().timers) {
    if (t.get() == timer) return t.get();
  }
  return nullptr;
}

}  // namespace

std::int64_t Millisecs() {
  auto& b = Core().backend;
  return b ? b->NowMs() : runtime::Clk().MonotonicMs();
}

void Delay(int milliseconds) {
  if (milliseconds <= 0) return;
  auto& b = Core().backend;
  if (b) {
    b->Sleep(milliseconds);
  } else {
    runtime::Clk().SleepMs(milliseconds);
  }
}

Timer* CreateTimer(double hz) {
  if (!(hz > 0)) return nullptr;
  auto timer = std::make_unique<Timer>();
  timer->period_ms = 1000.0 / std::min(hz, kMaxRate);
  timer->next_due = static_cast<double>(Millisecs()) + timer->period_ms;
  Timer* t = timer.get();
  Core().timers.push_back(std::move(timer));
  return t;
}

void FreeTimer(Timer* timer) {
  if (Timer* t = Find(timer)) t->freed = true;
}

int TimerTicks(Timer* timer) {
  Timer* t = Find(timer);
  return t ? t->ticks : 0;
}

void FireDueTimers() {
  CoreState& core = Core();
  // Ticks run hooks, which may create timers: only the ones present now fire.
  const std::size_t count = core.timers.size();
  for (std::size_t i = 0; i < count && i < core.timers.size(); ++i) {
    Timer* t = core.timers[i].get();
    if (t->freed) continue;
    const double now = static_cast<double>(Millisecs());
    if (now < t->next_due) continue;
    ++t->ticks;
    t->next_due += t->period_ms;
    if (t->next_due <= now) t->next_due = now + t->period_ms;
    EmitEvent(MakeEvent(kTimerTick, nullptr, t->ticks, 0, 0, 0, std::any(t)));
  }
}

long long NextTimerWaitMs() {
  long long best = -1;
  const double now = static_cast<double>(Millisecs());
  for (auto& t : Core().timers) {
    if (t->freed) continue;
    long long wait = std::max(0LL, static_cast<long long>(std::ceil(t->next_due - now)));
    if (best < 0 || wait < best) best = wait;
  }
  return best;
}

bool HasLiveTimers() {
  for (auto& t : Core().timers) {
    if (!t->freed) return true;
  }
  return false;
}

void DropTimers() { Core().timers.clear(); }

}  // namespace corvane::tk
