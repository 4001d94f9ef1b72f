// Checks that a benchmark's output is what the reference tool produced, so a
// fast but wrong result is never reported as a success.
#pragma once

#include <string>

namespace corvane::bench {

// True when both files exist and hold the same bytes.
bool SameFile(const std::string& a, const std::string& b);

// Files below a folder (at any depth) and their total size.
struct TreeFigures {
  long long files = 0;
  long long bytes = 0;
};
TreeFigures MeasureTree(const std::string& folder);

// True when both folders hold the same relative file names with the same
// bytes; *difference names the first difference found.
bool SameTree(const std::string& a, const std::string& b, std::string* difference);

}  // namespace corvane::bench
