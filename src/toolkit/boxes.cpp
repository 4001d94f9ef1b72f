// Boxes and requesters captioned with the application title, the system's
// opener, and console output.
#include <iostream>

#include "toolkit/core_state.h"

namespace corvane::tk {

void SetAppTitle(const std::string& title) { Core().app_title = title; }

const std::string& AppTitle() { return Core().app_title; }

void Notify(const std::string& text, bool serious) {
  CoreState& core = Core();
  if (core.backend) {
    core.backend->Notify(core.app_title, text, serious);
  } else {
    std::cerr << core.app_title << ": " << text << std::endl;
  }
}

bool Confirm(const std::string& text, bool serious) {
  CoreState& core = Core();
  return core.backend && core.backend->Confirm(core.app_title, text, serious);
}

bool Proceed(const std::string& text, bool serious) {
  CoreState& core = Core();
  return core.backend && core.backend->Proceed(core.app_title, text, serious);
}

std::string RequestFolder(const std::string& prompt, const std::string& start) {
  CoreState& core = Core();
  return core.backend ? core.backend->RequestFolder(core.app_title, prompt, start) : std::string();
}

bool OpenUrl(const std::string& address) {
  CoreState& core = Core();
  return core.backend && !address.empty() && core.backend->OpenUrl(address);
}

void Print(const std::string& line) { std::cout << line << std::endl; }

}  // namespace corvane::tk
