// The trusted-key file reader on arbitrary bytes: every line is a key, a
// comment, blank, or an error naming its line; never more keys than lines.
#include <algorithm>
#include <cstdint>
#include <string>

#include "support/fuzz_check.h"
#include "trust/minisign.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  trust::KeyFile file = trust::ParseKeyFile(bytes);
  const std::size_t lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  FUZZ_CHECK(file.keys.size() + file.errors.size() <= lines);
  for (const std::string& error : file.errors) FUZZ_CHECK(error.rfind("line ", 0) == 0);
  // A key id reads as minisign writes it: 1 to 16 upper-case hex digits, no
  // leading zero.
  for (const trust::PublicKey& key : file.keys) {
    const std::string id = trust::KeyIdText(key.id);
    FUZZ_CHECK(!id.empty() && id.size() <= 16 && (id == "0" || id[0] != '0'));
    FUZZ_CHECK(id.find_first_not_of("0123456789ABCDEF") == std::string::npos);
  }
  return 0;
}
