#include "install/wildcard_path.h"

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace corvane {

std::string ResolveWildcardPath(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return path;
  const std::string name = path.substr(cut + 1);
  const std::string folder = path.substr(0, cut);
  auto slashes = [](const std::string& s) { return runtime::ReplaceAll(s, "\\", "/"); };

  std::size_t open = folder.find('#');
  std::size_t close = open == std::string::npos ? std::string::npos : folder.find('#', open + 1);
  if (close == std::string::npos) return slashes(folder + "/" + name);

  const std::string prefix = folder.substr(0, open);
  const std::string pattern = runtime::ToLower(folder.substr(open + 1, close - open - 1));
  const std::string rest = folder.substr(close + 1);

  runtime::FileSystem& fs = runtime::Fs();
  std::string chosen = prefix;
  if (auto entries = fs.ListFolder(prefix.empty() ? "." : prefix)) {
    for (const std::string& entry : *entries) {
      if (runtime::ToLower(entry).find(pattern) == std::string::npos) continue;
      std::string candidate = prefix.empty() ? entry : prefix + "/" + entry;
      if (fs.Kind(candidate) != runtime::kFolder) continue;
      chosen = prefix + entry + rest;
      break;
    }
  }
  return slashes(chosen + "/" + name);
}

}  // namespace corvane
