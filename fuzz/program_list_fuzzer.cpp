// The catalogue list reader on arbitrary bytes.  The "lang" folder holds a
// description file and a message file, so the lines that name them are
// followed too.  Afterwards the catalogue must be sorted, every record must
// have its identifier and an address list whose first entry is in use, no
// more records than closing lines, and no file outside "lang" must have been
// read on the catalogue's say-so.
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/program_list_reader.h"
#include "catalogue/tprogram.h"
#include "runtime/text.h"
#include "settings/config.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

namespace {

// Lines that can close a record: three characters, one of them "[", with
// "/" in the middle.
std::size_t CountClosingLines(const std::string& bytes) {
  std::size_t count = 0;
  for (const std::string& line : runtime::ReadLines(bytes)) {
    if (line.find('[') != std::string::npos && runtime::CharCount(line) == 3 &&
        runtime::CharSubstr(line, 1, 1) == "/")
      ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzRun run([] { std::vector<ProgramPtr>().swap(programList); });
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  fs.Put("lang/abc.english.txt", "A long description\r\nof two lines");
  fs.Put("lang/note.txt", "\xEF\xBB\xBFRead me first");
  fs.Put("secret.txt", "not for the catalogue");
  LANGUAGE = "ENGLISH";

  const std::string bytes(reinterpret_cast<const char*>(data), size);
  tprogram::ClearAll();
  ReadProgramList(bytes);

  FUZZ_CHECK(programList.size() <= CountClosingLines(bytes));
  for (std::size_t i = 0; i < programList.size(); ++i) {
    const tprogram& p = *programList[i];
    FUZZ_CHECK(!p.name.empty());
    FUZZ_CHECK(!p.urls.empty());
    FUZZ_CHECK(p.url == p.urls[0]);
    FUZZ_CHECK(p.what_url == 0);
    if (i > 0) FUZZ_CHECK(programList[i - 1]->fullname <= p.fullname);
  }
  for (const std::string& path : fs.Reads()) FUZZ_CHECK(path.rfind("/mem/lang/", 0) == 0);
  tprogram::ClearAll();
  return 0;
}
