// Invariants a fuzz target checks after running a reader on one input.  A
// broken invariant is a finding: it is printed and the process aborts, so
// libFuzzer keeps the input as a crash and the file runner stops with an
// error.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz {

[[noreturn]] inline void Broken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace corvane::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::corvane::fuzz::Broken(#condition, __FILE__, __LINE__))
