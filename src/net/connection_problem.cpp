#include "net/connection_problem.h"

#include <chrono>

#include "log/activity_log.h"

namespace corvane {
namespace {

using Steady = std::chrono::steady_clock;
// A request retried within this time repeats its problem in the log once.
constexpr auto kQuietTime = std::chrono::seconds(10);

struct State {
  std::string pending;
  std::string last_logged;
  Steady::time_point logged_at{};
};

State& Problems() {
  static State state;
  return state;
}

}  // namespace

void ReportConnectionProblem(const std::string& text) {
  State& state = Problems();
  const std::string line = "HTTPS: " + text;
  state.pending = line;
  const Steady::time_point now = Steady::now();
  if (line == state.last_logged && now - state.logged_at < kQuietTime) return;
  state.last_logged = line;
  state.logged_at = now;
  LogLine(line);
}

std::string TakeConnectionProblem() {
  std::string text;
  text.swap(Problems().pending);
  return text;
}

}  // namespace corvane
