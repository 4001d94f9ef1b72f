// What every fuzz target shares: the in-memory file system put in place of
// the real one, and a quiet standard output (some readers echo their
// progress there, which would only slow fuzzing down).
#pragma once

#include "support/memory_file_system.h"

namespace corvane::fuzz {

// The file system every reader sees while fuzzing; installed with
// runtime::SetFs on the first call.
MemoryFileSystem& FuzzFs();

// One run of a target: starts on a clear file system and, when it goes out
// of scope, clears it again and calls release, which frees what the run left
// in global state.  A run that frees all it allocates lets libFuzzer skip
// its leak check (it only runs one when a run's allocations and frees do not
// balance), which keeps fuzzing fast and makes a real leak stand out.
class FuzzRun {
 public:
  explicit FuzzRun(void (*release)() = nullptr) : release_(release) { FuzzFs().Clear(); }
  ~FuzzRun() {
    FuzzFs().Clear();
    if (release_) release_();
  }
  FuzzRun(const FuzzRun&) = delete;
  FuzzRun& operator=(const FuzzRun&) = delete;

 private:
  void (*release_)();
};

}  // namespace corvane::fuzz
