#include "runtime/memory_stats.h"

#include <malloc.h>

namespace corvane::runtime {
namespace {

// Sums the used and the free blocks of the C library's heap.
void WalkHeap(long long* used, long long* free_bytes) {
  *used = 0;
  *free_bytes = 0;
  _HEAPINFO entry;
  entry._pentry = nullptr;
  while (_heapwalk(&entry) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) {
      *used += static_cast<long long>(entry._size);
    } else {
      *free_bytes += static_cast<long long>(entry._size);
    }
  }
}

}  // namespace

MemoryFigures ReleaseFreeMemory() {
  MemoryFigures figures;
  long long used = 0, free_before = 0, free_after = 0;
  WalkHeap(&used, &free_before);
  _heapmin();
  WalkHeap(&used, &free_after);
  figures.in_use = used;
  figures.released = free_before > free_after ? free_before - free_after : 0;
  return figures;
}

}  // namespace corvane::runtime
