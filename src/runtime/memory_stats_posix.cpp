#include "runtime/memory_stats.h"

#include <unistd.h>

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace corvane::runtime {
namespace {

// Resident bytes of this process, 0 when /proc cannot tell.
long long ResidentBytes() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  long long total_pages = 0, resident_pages = 0;
  int got = std::fscanf(f, "%lld %lld", &total_pages, &resident_pages);
  std::fclose(f);
  if (got != 2) return 0;
  long page = sysconf(_SC_PAGESIZE);
  return page > 0 ? resident_pages * page : 0;
}

}  // namespace

MemoryFigures ReleaseFreeMemory() {
  MemoryFigures figures;
  long long before = ResidentBytes();
#if defined(__GLIBC__)
  malloc_trim(0);
  struct mallinfo2 info = mallinfo2();
  figures.in_use = static_cast<long long>(info.uordblks + info.hblkhd);
#endif
  long long after = ResidentBytes();
  figures.released = before > after ? before - after : 0;
  return figures;
}

}  // namespace corvane::runtime
