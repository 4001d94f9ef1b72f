// What the C library's allocator reports about the program's heap.  The
// figures are informational (the activity log prints them); nothing depends
// on their exact values.
#pragma once

namespace corvane::runtime {

struct MemoryFigures {
  long long released = 0;  // bytes handed back to the system by this call
  long long in_use = 0;    // bytes allocated by the program afterwards
};

// Returns unused heap memory to the system and reports both figures.  Never
// fails: a figure the platform cannot tell is 0.
MemoryFigures ReleaseFreeMemory();

}  // namespace corvane::runtime
