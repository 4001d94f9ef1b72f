#include "net/debug_channel.h"

#include <cstdio>

#include "runtime/environment.h"

namespace corvane {
namespace {

std::function<void(const std::string&)>& Sink() {
  static std::function<void(const std::string&)> sink;
  return sink;
}

bool EnabledByEnvironment() {
  static const bool enabled = [] {
    std::string v = runtime::GetEnv("CORVANE_HTTP_DEBUG");
    return !v.empty() && v != "0";
  }();
  return enabled;
}

}  // namespace

void DebugText(const std::string& text) {
  if (Sink()) {
    Sink()(text);
    return;
  }
  if (EnabledByEnvironment()) std::fprintf(stderr, "http: %s\n", text.c_str());
}

void SetDebugSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }

}  // namespace corvane
