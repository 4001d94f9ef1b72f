#include "file_checks.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "runtime/file_system.h"

namespace corvane::bench {
namespace {

using runtime::Fs;

// Relative names of every file below folder, sorted.
void ListFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>* out) {
  auto entries = Fs().ListFolder(folder);
  if (!entries) return;
  for (const std::string& name : *entries) {
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    const std::string relative = prefix.empty() ? name : prefix + "/" + name;
    const runtime::FileKind kind = Fs().Kind(path);
    if (kind == runtime::kFolder)
      ListFiles(path, relative, out);
    else if (kind == runtime::kFile)
      out->push_back(relative);
  }
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> names;
  ListFiles(folder, "", &names);
  std::sort(names.begin(), names.end());
  return names;
}

// Fills size bytes from the stream unless it ends first; the count read.
long long ReadFull(runtime::ReadStream& in, char* data, long long size) {
  long long got = 0;
  while (got < size) {
    long long n = in.Read(data + got, static_cast<std::size_t>(size - got));
    if (n <= 0) break;
    got += n;
  }
  return got;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  if (Fs().Kind(a) != runtime::kFile || Fs().Kind(b) != runtime::kFile) return false;
  if (Fs().FileSize(a) != Fs().FileSize(b)) return false;
  auto in_a = Fs().OpenRead(a);
  auto in_b = Fs().OpenRead(b);
  if (!in_a || !in_b) return false;
  std::vector<char> block_a(1 << 20), block_b(1 << 20);
  for (;;) {
    long long n_a = ReadFull(*in_a, block_a.data(), static_cast<long long>(block_a.size()));
    long long n_b = ReadFull(*in_b, block_b.data(), static_cast<long long>(block_b.size()));
    if (n_a != n_b || !std::equal(block_a.begin(), block_a.begin() + n_a, block_b.begin())) return false;
    if (n_a == 0) return true;
  }
}

TreeFigures MeasureTree(const std::string& folder) {
  TreeFigures figures;
  for (const std::string& name : FilesBelow(folder)) {
    ++figures.files;
    figures.bytes += Fs().FileSize(folder + "/" + name);
  }
  return figures;
}

bool SameTree(const std::string& a, const std::string& b, std::string* difference) {
  const std::vector<std::string> names_a = FilesBelow(a), names_b = FilesBelow(b);
  if (names_a != names_b) {
    std::vector<std::string> only;
    std::set_symmetric_difference(names_a.begin(), names_a.end(), names_b.begin(), names_b.end(),
                                  std::back_inserter(only));
    *difference = "file lists differ (" + std::to_string(names_a.size()) + " and " +
                  std::to_string(names_b.size()) + " files" + (only.empty() ? "" : ", e.g. " + only.front()) + ")";
    return false;
  }
  for (const std::string& name : names_a) {
    if (!SameFile(a + "/" + name, b + "/" + name)) {
      *difference = "content differs: " + name;
      return false;
    }
  }
  return true;
}

}  // namespace corvane::bench
