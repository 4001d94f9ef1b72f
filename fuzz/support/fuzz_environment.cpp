#include "support/fuzz_environment.h"

#include <cstdio>

#include "runtime/file_system.h"

namespace corvane::fuzz {

MemoryFileSystem& FuzzFs() {
  static MemoryFileSystem* fs = [] {
    std::freopen("/dev/null", "w", stdout);
    auto* made = new MemoryFileSystem();  // lives as long as the process
    runtime::SetFs(made);
    return made;
  }();
  return *fs;
}

}  // namespace corvane::fuzz
