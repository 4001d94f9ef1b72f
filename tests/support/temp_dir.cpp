#include "support/temp_dir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "runtime/temporary_file.h"

namespace corvane::testing {
namespace fs = std::filesystem;

TempDir::TempDir() {
  // A fresh name that create_directory claims (it fails on a name taken), so
  // two tests never share a folder; '/' separators on every system.
  std::random_device seed;
  std::mt19937_64 random(seed() ^ static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "corvane-test-%012llx",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    std::error_code ec;
    if (fs::create_directory(base / name, ec)) {
      path_ = (base / name).generic_string();
      return;
    }
  }
  path_ = (base / "corvane-test-unavailable").generic_string();
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& relative, const std::string& bytes) const {
  fs::path p = fs::path(path_) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(fs::path(path_) / relative, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempDir::Exists(const std::string& relative) const {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::path(path_) / relative, ec));
}

bool MakeSymlink(const std::string& target, const std::string& link) {
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    fs::create_directory_symlink(target, link, ec);
  } else {
    fs::create_symlink(target, link, ec);
  }
  return !ec;
}

std::string SourceDir() {
  const char* v = std::getenv("CORVANE_SOURCE_DIR");
  return v ? v : CORVANE_TEST_SOURCE_DIR;
}

std::string BinaryDir() {
  const char* v = std::getenv("CORVANE_BINARY_DIR");
  return v ? v : CORVANE_TEST_BINARY_DIR;
}

bool TempDir::HasTemporaries(const std::string& relative) const {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(fs::path(path_) / relative, ec))
    if (runtime::IsTemporaryName(e.path().filename().string())) return true;
  return false;
}

}  // namespace corvane::testing
