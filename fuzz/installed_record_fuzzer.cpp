// The installed record's reader on arbitrary bytes.  Checked: what it
// accepts writes back to a text it reads again to the same record (so a
// save after a load loses nothing), and every path it accepts stays inside
// its folder: relative, without "." or ".." parts, old copies below
// data/installed.
#include <cstdint>
#include <string>

#include "install/installed_record.h"
#include "runtime/text.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

namespace {

bool Contained(const std::string& path) {
  if (path.empty() || path[0] == '/' || path.find('\\') != std::string::npos) return false;
  for (const std::string& part : runtime::Split(path, "/"))
    if (part.empty() || part == "." || part == "..") return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzRun run;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  InstalledRecord record;
  std::string error;
  if (!ParseInstalledRecord(bytes, record, error)) {
    FUZZ_CHECK(!error.empty() && record.packages.empty());
    return 0;
  }
  for (const InstalledPackage& p : record.packages) {
    FUZZ_CHECK(!p.id.empty());
    for (const auto* list : {&p.folders, &p.removedFolders, &p.backups})
      for (const std::string& f : *list) FUZZ_CHECK(Contained(f));
    for (const InstalledFile& f : p.written) FUZZ_CHECK(Contained(f.path));
    for (const auto* list : {&p.replaced, &p.deleted})
      for (const KeptFile& k : *list)
        FUZZ_CHECK(Contained(k.path) && (k.kept.rfind("data/installed/", 0) == 0 || (list == &p.deleted && k.kept.empty())));
  }
  const std::string text = FormatInstalledRecord(record);
  InstalledRecord again;
  FUZZ_CHECK(ParseInstalledRecord(text, again, error));
  FUZZ_CHECK(FormatInstalledRecord(again) == text);
  return 0;
}
