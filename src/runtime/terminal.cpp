#include "runtime/terminal.h"

#include <atomic>
#include <csignal>

namespace corvane::runtime {

namespace {
std::atomic<bool> interrupted{false};
extern "C" void OnInterrupt(int) { interrupted = true; }
}  // namespace

void CatchInterrupt() { std::signal(SIGINT, OnInterrupt); }
bool Interrupted() { return interrupted; }
void ClearInterrupt() { interrupted = false; }

}  // namespace corvane::runtime
