// SHA-256 of packages, over libsodium.  A catalogue record may carry the hash
// of its package (SHA256= with 64 hex digits); the download hashes the bytes
// as they arrive and the install engine hashes the stored file again.
#pragma once

#include <sodium.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::trust {

// A running hash.  Update any number of times, then HexDigest once.
class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // The 64 lower-case hex digits of everything given so far; the hash is
  // finished afterwards (a second call starts nothing new).
  std::string HexDigest();

 private:
  crypto_hash_sha256_state state_;
};

std::string Sha256Hex(std::string_view bytes);

// The hash of the file at path, read in blocks of a fixed size through the
// runtime file system.  Empty when the file cannot be opened or read.
std::string Sha256OfFile(const std::string& path);

// A catalogue's hash text in its one comparable form: blanks around it
// dropped, 64 hex digits in lower case.  Empty when it is anything else.
std::string NormaliseSha256(const std::string& text);

}  // namespace corvane::trust
