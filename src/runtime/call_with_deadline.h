// Runs a blocking call that cannot be interrupted (a host-name lookup, say) on
// a short-lived helper thread, and waits for it at most until a deadline while
// an idle function keeps running (the window stays alive).  Portable: both
// socket layers use it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace corvane::runtime {

using Steady = std::chrono::steady_clock;

// Milliseconds until the deadline (negative once it has passed).
inline long long MsLeft(Steady::time_point deadline) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Steady::now()).count();
}

enum class CallOutcome { kDone, kTimedOut, kNoThread };

// kDone: *result holds what work returned.  kTimedOut: the deadline passed
// first; the thread finishes alone and hands its late result to discard.
// kNoThread: no thread could be started.  idle runs every slice_ms at most.
template <typename T>
CallOutcome CallWithDeadline(std::function<T()> work, std::function<void(T&)> discard,
                             Steady::time_point deadline, const std::function<void()>& idle, int slice_ms,
                             T* result) {
  // Shared with the thread, so a call abandoned at the deadline cleans up after itself.
  struct State {
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false, abandoned = false;
    T value{};
  };
  auto state = std::make_shared<State>();
  try {
    std::thread([state, work = std::move(work), discard = std::move(discard)] {
      T value = work();
      std::lock_guard<std::mutex> lock(state->mutex);
      if (state->abandoned) {
        discard(value);
        return;
      }
      state->value = value;
      state->done = true;
      state->done_signal.notify_one();
    }).detach();
  } catch (...) {
    return CallOutcome::kNoThread;
  }
  std::unique_lock<std::mutex> lock(state->mutex);
  while (!state->done) {
    long long left = MsLeft(deadline);
    if (left <= 0) {
      state->abandoned = true;
      return CallOutcome::kTimedOut;
    }
    state->done_signal.wait_for(lock, std::chrono::milliseconds(std::min<long long>(left, slice_ms)));
    if (!state->done && idle) {
      lock.unlock();
      idle();
      lock.lock();
    }
  }
  *result = state->value;
  return CallOutcome::kDone;
}

}  // namespace corvane::runtime
