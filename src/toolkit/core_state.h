// The toolkit core's own state: the backend, every gadget, the hooks, the
// queue, the current event and the timers.  Private to src/toolkit/.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace corvane::tk {

struct Timer {
  double period_ms = 0;
  double next_due = 0;  // in Millisecs() time
  int ticks = 0;
  bool freed = false;
};

struct HookEntry {
  int handle = 0;
  HookFn fn;
  void* context = nullptr;
  int priority = 0;
};

struct CoreState {
  std::unique_ptr<Backend> backend;
  std::vector<std::unique_ptr<Gadget>> owned;  // every gadget ever made, freed too
  std::vector<Gadget*> all;
  Gadget* desktop = nullptr;
  std::vector<HookEntry> hooks;  // descending priority, equal ones in order of adding
  int next_hook = 1;
  std::deque<EventPtr> queue;
  EventPtr current;
  std::vector<std::unique_ptr<Timer>> timers;  // freed ones stay until Shutdown
  std::string app_title;
};

CoreState& Core();
// Tells the backend (when there is one) that a gadget's state changed.
void NotifyBackend(Gadget& gadget, Change what);
// Registers the queue's own hook; called at start and after Shutdown.
void InstallQueueHook(CoreState& core);
// Emits TimerTick for every timer that is due.
void FireDueTimers();
// Milliseconds until the next timer is due (0 when one is due), -1 without timers.
long long NextTimerWaitMs();
bool HasLiveTimers();
// Drops every timer (Shutdown).
void DropTimers();

}  // namespace corvane::tk
