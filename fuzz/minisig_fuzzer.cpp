// The .minisig reader and the verifier on arbitrary bytes.  A signature is
// refused with a reason or read whole; whatever is read, verifying it with a
// fixed key over fixed data must come back refused (the input is no real
// signature of them), with a reason, and without touching memory it must not.
#include <cstdint>
#include <string>

#include "support/fuzz_check.h"
#include "trust/minisign.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string why;
  auto signature = trust::ParseSignature(bytes, &why);
  if (!signature) {
    FUZZ_CHECK(!why.empty());
    return 0;
  }
  FUZZ_CHECK(signature->trusted_comment.find('\n') == std::string::npos);
  trust::PublicKey key;  // all zero: a key no signature can match
  key.id = signature->id;
  std::string reason;
  FUZZ_CHECK(!trust::VerifySignature(*signature, key, "catalogue bytes", &reason));
  FUZZ_CHECK(!reason.empty());
  return 0;
}
