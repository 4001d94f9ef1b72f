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
  for (const trust::PublicKey& key : file.keys) FUZZ_CHECK(trust::KeyIdText(key.id).size() == 16);
  return 0;
}
