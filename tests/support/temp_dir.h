// A scratch folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace corvane::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes a file (creating its folders); bytes as given.
  void Write(const std::string& relative, const std::string& bytes) const;
  // The file's bytes, or "<missing>".
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // True when one of our temporary files stands in the folder (relative, "" for the top).
  bool HasTemporaries(const std::string& relative = "") const;

 private:
  std::string path_;
};

// Makes link a symbolic link to target (a folder link when target is a
// folder); false when the system refuses (Windows without the right).
bool MakeSymlink(const std::string& target, const std::string& link);

// The source tree, for test data (CORVANE_SOURCE_DIR, else the compiled-in path).
std::string SourceDir();
std::string BinaryDir();

}  // namespace corvane::testing
