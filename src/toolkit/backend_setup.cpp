// Installing and dropping the backend.
#include "toolkit/core_state.h"

namespace corvane::tk {

void SetBackend(std::unique_ptr<Backend> backend) {
  if (Core().backend) Shutdown();
  Core().backend = std::move(backend);
}

Backend* CurrentBackend() { return Core().backend.get(); }

void Shutdown() {
  CoreState& core = Core();
  // Free the top-level gadgets first so the backend releases their natives.
  if (core.backend) {
    std::vector<Gadget*> all = core.all;
    for (Gadget* g : all) {
      if (!g->freed() && !g->parent()) g->Free();
    }
  }
  core.backend.reset();
  core.queue.clear();
  core.current.reset();
  core.hooks.clear();
  InstallQueueHook(core);
  DropTimers();
  core.desktop = nullptr;
  core.all.clear();
  core.owned.clear();
  core.app_title.clear();
}

}  // namespace corvane::tk
