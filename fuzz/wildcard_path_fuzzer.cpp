// ResolveWildcardPath on arbitrary paths over a small fixed folder tree.
// Checked: the result never holds a backslash, always ends with the path's
// file name, comes back unchanged when the path has no separator, and a
// folder picked for a "#pattern#" really is a folder whose name holds the
// pattern.
#include <cstdint>
#include <string>

#include "install/wildcard_path.h"
#include "runtime/text.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzRun run;
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  fs.CreateFolderWithParents("/mem/t/mod/alpha.mod/x");
  fs.CreateFolderWithParents("/mem/t/mod/beta2.mod/x");
  fs.CreateFolderWithParents("/mem/t/mod/BETA.mod");
  fs.Put("/mem/t/mod/beta.txt", "a file, never a folder");
  fs.CreateFolderWithParents("/t/#odd#name");
  fs.CreateFolderWithParents("/mem/..hidden");

  const std::string path(reinterpret_cast<const char*>(data), size);
  const std::string result = ResolveWildcardPath(path);

  const std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) {
    FUZZ_CHECK(result == path);
    return 0;
  }
  FUZZ_CHECK(result.find('\\') == std::string::npos);
  const std::string name = path.substr(cut + 1);
  FUZZ_CHECK(result.size() > name.size() && result.compare(result.size() - name.size() - 1, std::string::npos,
                                                          "/" + name) == 0);

  const std::string folder = path.substr(0, cut);
  const std::size_t open = folder.find('#');
  const std::size_t close = open == std::string::npos ? std::string::npos : folder.find('#', open + 1);
  if (close == std::string::npos) {
    FUZZ_CHECK(result == runtime::ReplaceAll(path, "\\", "/"));
    return 0;
  }
  // prefix + entry + rest + "/" + name, or prefix + "/" + name when nothing matched.
  const std::string prefix = runtime::ReplaceAll(folder.substr(0, open), "\\", "/");
  const std::string pattern = runtime::ToLower(folder.substr(open + 1, close - open - 1));
  const std::string rest = runtime::ReplaceAll(folder.substr(close + 1), "\\", "/");
  FUZZ_CHECK(result.rfind(prefix, 0) == 0);
  const std::string middle = result.substr(prefix.size(), result.size() - prefix.size() - name.size() - 1);
  if (middle.empty()) return 0;  // nothing matched: the wildcard folder and the rest are dropped
  FUZZ_CHECK(middle.size() >= rest.size() && middle.compare(middle.size() - rest.size(), std::string::npos, rest) == 0);
  const std::string entry = middle.substr(0, middle.size() - rest.size());
  FUZZ_CHECK(!entry.empty() && entry.find('/') == std::string::npos);
  FUZZ_CHECK(runtime::ToLower(entry).find(pattern) != std::string::npos);
  const std::string listed = prefix.empty() ? entry : prefix + "/" + entry;
  FUZZ_CHECK(fs.Kind(listed) == runtime::kFolder);
  return 0;
}
