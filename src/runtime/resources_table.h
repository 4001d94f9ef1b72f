// The table of embedded resources that the build generates from resources/.
#pragma once
#include <cstddef>

namespace corvane::runtime {
struct EmbeddedEntry {
  const char* name;  // path below resources/, e.g. "resource/english.lang"
  const unsigned char* data;
  std::size_t size;
};
// Ends with an entry whose name is null.
extern const EmbeddedEntry kEmbeddedResources[];
}  // namespace corvane::runtime
