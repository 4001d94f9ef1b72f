// The configuration reader on arbitrary bytes.  The first input byte picks
// whether the disk is full when the settings are saved again.  Whatever was
// read must survive a save and a second load unchanged; a save that fails
// must leave the file exactly as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/config.h"
#include "settings/messages.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

namespace {

std::vector<std::string> Settings() {
  return {LANGUAGE, AUTOUPDATE,  URLUPDATE, AUTOEXECUTE, WINRAR,
          TARNPATH, SVNPATH,     std::to_string(DEFAULT_INSTALL),
          std::to_string(DISABLE_DELETE), APPVERSION};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  fuzz::FuzzRun run([] {
    for (std::string* s : {&LANGUAGE, &AUTOUPDATE, &URLUPDATE, &AUTOEXECUTE, &WINRAR, &TARNPATH, &SVNPATH,
                           &APPVERSION, &installTarget})
      std::string().swap(*s);
    std::vector<std::string>().swap(languageList);
  });
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  const bool disk_full = data[0] & 1;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  ResetConfig();
  languageList = {"DEUTSCH", "ENGLISH", "ITALIANO"};
  fs.Put(kConfigFile, bytes);
  LoadConfig();
  const std::vector<std::string> loaded = Settings();
  FUZZ_CHECK(installTarget == TARNPATH);
  FUZZ_CHECK(!APPVERSION.empty());
  FUZZ_CHECK(languageIndex >= -1 && languageIndex < static_cast<int>(languageList.size()));

  // Ten settings take more than 127 bytes, so this budget always runs out.
  if (disk_full) fs.SetWriteBudget(data[0] >> 1);
  SaveConfig();
  if (disk_full) {
    const std::string* now = fs.Get(kConfigFile);
    FUZZ_CHECK(now && *now == bytes);
    auto names = fs.ListFolder("data");
    FUZZ_CHECK(names && names->size() == 1);  // no temporary file left behind
    return 0;
  }
  ResetConfig();
  LoadConfig();
  FUZZ_CHECK(Settings() == loaded);
  return 0;
}
