// The language-file reader on arbitrary bytes, and the listing of language
// files on arbitrary file names (the input's first line, split at '|').
// The table must keep exactly 100 entries with no "<br>" and no CR left in
// them, numbers the file does not hold must keep their text, and the
// language list must come out sorted and in upper case.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "settings/config.h"
#include "settings/messages.h"
#include "support/fuzz_check.h"
#include "support/fuzz_environment.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzRun run([] {
    std::vector<std::string>(kMessageCount).swap(messages);
    std::vector<std::string>().swap(languageList);
    std::string().swap(LANGUAGE);
  });
  fuzz::MemoryFileSystem& fs = fuzz::FuzzFs();
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  ResetMessages();
  for (int i = 0; i < kMessageCount; ++i) messages[i] = "before " + std::to_string(i);
  fs.Put("lang/FUZZ.lang", bytes);
  LANGUAGE = "FUZZ";
  LoadLocale();

  FUZZ_CHECK(messages.size() == static_cast<std::size_t>(kMessageCount));
  for (const std::string& m : messages) {
    FUZZ_CHECK(m.find("<br>") == std::string::npos);
    FUZZ_CHECK(m.find('\r') == std::string::npos);
  }
  // A number that no line could name keeps its text: lines without "::" go
  // to 0, so 99 changes only through a line holding "99" before "::".  CR
  // bytes are dropped wherever they stand, so ":\r:" names a number too.
  std::string without_cr = bytes;
  without_cr.erase(std::remove(without_cr.begin(), without_cr.end(), '\r'), without_cr.end());
  if (without_cr.find("::") == std::string::npos) {
    for (int i = 1; i < kMessageCount; ++i) FUZZ_CHECK(messages[i] == "before " + std::to_string(i));
  }

  // File names straight from the input, bytes as a file system may hold them.
  std::string first_line = bytes.substr(0, std::min(bytes.find('\n'), bytes.size()));
  std::vector<std::string> names = runtime::Split(first_line, "|");
  if (names.size() > 64) names.resize(64);  // enough for any ordering question, and fast
  for (const std::string& name : names) {
    if (name.empty() || name.find_first_of(std::string("/\\\0", 3)) != std::string::npos || name == "." ||
        name == "..")
      continue;
    fs.Put("names/" + name, "");
  }
  std::vector<std::string> list = ListFiles("names", ".lang");
  FUZZ_CHECK(std::is_sorted(list.begin(), list.end()));
  for (const std::string& entry : list) FUZZ_CHECK(runtime::ToUpper(entry) == entry);
  return 0;
}
