// Builds the ZIP package that the extraction benchmark unpacks: a given
// number of files totalling a given size, spread over nested folders, most
// of them text (source, documentation) and some incompressible (binaries,
// pictures), the way a toolchain add-on looks.  Everything follows from a
// seed, so a package can be rebuilt and its files regenerated for checking
// without keeping them in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::bench {

struct PlannedFile {
  std::string name;    // stored name, folders separated by '/'
  long long size = 0;  // at least 1 byte
  bool binary = false; // random bytes rather than text
  std::uint64_t seed = 0;
};

// The files of a package: exactly `files` entries (at least 1) whose sizes
// add up to exactly total_bytes (at least one byte each).
std::vector<PlannedFile> PlanPackage(int files, long long total_bytes, std::uint64_t seed);

// Produces a planned file's bytes piece by piece.
class ContentStream {
 public:
  explicit ContentStream(const PlannedFile& file);
  // Up to size further bytes into data; the count, 0 at the end.
  std::size_t Next(char* data, std::size_t size);

 private:
  std::uint64_t Random();
  const PlannedFile& file_;
  long long left_;
  std::uint64_t state_;
  std::string pending_;  // text produced but not yet handed out
  std::uint64_t word_ = 0;  // random bytes produced but not yet handed out
  int word_bytes_ = 0;
};

// The whole content of a file (for checks on small files).
std::string ContentOf(const PlannedFile& file);

// Writes the package as a ZIP archive at path (deflated entries, with a
// fixed date).  False with a reason when the archive cannot be written.
bool WritePackage(const std::string& path, const std::vector<PlannedFile>& plan, std::string* error);

// Writes bytes pseudo-random bytes (from seed, the same every run) to path,
// a megabyte at a time: a file no transfer can compress or guess.
bool WriteRandomFile(const std::string& path, long long bytes, std::uint64_t seed);

}  // namespace corvane::bench
