// Emitting events through the hooks, the queue that listens at the lowest
// standard priority, and waiting for the next event.
#include <algorithm>
#include <climits>

#include "toolkit/core_state.h"

namespace corvane::tk {
namespace {

// The queue's hook is known by this context, which no caller can name.
int queue_context_tag;
int queue_hook_handle = 0;

bool Registered(int handle) {
  for (const HookEntry& h : Core().hooks) {
    if (h.handle == handle) return true;
  }
  return false;
}

EventPtr TakeFront() {
  CoreState& core = Core();
  EventPtr e = core.queue.front();
  core.queue.pop_front();
  core.current = e;
  return e;
}

}  // namespace

CoreState& Core() {
  // Never destroyed: gadgets may be touched by other static destructors.
  static CoreState* state = [] {
    auto* s = new CoreState;
    InstallQueueHook(*s);
    return s;
  }();
  return *state;
}

void InstallQueueHook(CoreState& core) {
  HookEntry entry{core.next_hook++,
                  [](int, EventPtr event, void*) {
                    if (event) Core().queue.push_back(event);
                    return event;
                  },
                  &queue_context_tag, kQueuePriority};
  queue_hook_handle = entry.handle;
  auto at = std::find_if(core.hooks.begin(), core.hooks.end(),
                         [&](const HookEntry& h) { return h.priority < kQueuePriority; });
  core.hooks.insert(at, std::move(entry));
}

int AddHook(HookFn fn, void* context, int priority) {
  CoreState& core = Core();
  if (!fn) return 0;
  const int handle = core.next_hook++;
  auto at = std::find_if(core.hooks.begin(), core.hooks.end(),
                         [&](const HookEntry& h) { return h.priority < priority; });
  core.hooks.insert(at, HookEntry{handle, std::move(fn), context, priority});
  return handle;
}

void RemoveHook(int handle) {
  if (handle == queue_hook_handle) return;
  auto& hooks = Core().hooks;
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                             [&](const HookEntry& h) { return h.handle == handle; }),
              hooks.end());
}

void RemoveHooksOf(void* context) {
  if (context == &queue_context_tag) return;
  auto& hooks = Core().hooks;
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                             [&](const HookEntry& h) { return h.context == context; }),
              hooks.end());
}

EventPtr MakeEvent(int id, Gadget* source, std::int64_t data, int mods, int x, int y, std::any extra) {
  auto e = std::make_shared<Event>();
  e->id = id;
  e->source = source;
  e->data = data;
  e->mods = mods;
  e->x = x;
  e->y = y;
  e->extra = std::move(extra);
  return e;
}

void EmitEvent(EventPtr event) {
  if (!event) return;
  // An inner gadget's events stand for the compound that owns it.
  for (int depth = 0; event->source && event->source->ProxyOwner() && depth < 16; ++depth) {
    event->source = event->source->ProxyOwner();
  }
  // Hooks may add or remove hooks (and emit) while running: run the ones
  // present now, skipping any removed meanwhile.
  std::vector<HookEntry> hooks = Core().hooks;
  EventPtr passed = event;
  for (HookEntry& h : hooks) {
    if (!Registered(h.handle)) continue;
    passed = h.fn(kEmitEventHook, passed, h.context);
  }
}

EventPtr WaitEvent() {
  CoreState& core = Core();
  for (;;) {
    if (!core.queue.empty()) return TakeFront();
    FireDueTimers();
    if (!core.queue.empty()) continue;
    if (!core.backend) return nullptr;
    long long wait = NextTimerWaitMs();
    int pump_wait = wait < 0 ? Backend::kWaitForever
                             : static_cast<int>(std::min<long long>(std::max<long long>(wait, 1), INT_MAX));
    core.backend->Pump(pump_wait);
    if (!core.backend) return nullptr;  // a hook shut the toolkit down
    if (!core.queue.empty()) continue;
    FireDueTimers();
    if (!core.queue.empty()) continue;
    if (!HasLiveTimers() && !core.backend->HasInputSource()) return nullptr;
  }
}

EventPtr PollEvent() {
  CoreState& core = Core();
  if (core.backend) core.backend->Pump(0);
  FireDueTimers();
  if (core.queue.empty()) return nullptr;
  return TakeFront();
}

EventPtr CurrentEvent() { return Core().current; }

void SetCurrentEvent(EventPtr event) { Core().current = std::move(event); }

void ProcessMessages() {
  CoreState& core = Core();
  if (core.backend) core.backend->Pump(0);
  FireDueTimers();
}

std::size_t QueueLength() { return Core().queue.size(); }

void ClearQueue() { Core().queue.clear(); }

}  // namespace corvane::tk
