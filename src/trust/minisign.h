// The minisign formats: public keys, signature files (F + ".minisig") and
// their verification with libsodium.
//
// Public key: base64 of "Ed" || key id (8 bytes) || Ed25519 key (32 bytes),
// alone on a line or after an "untrusted comment:" line (minisign.pub).
// Signature file: an "untrusted comment:" line; base64 of algorithm (2) ||
// key id (8) || Ed25519 signature (64); a "trusted comment: " line; base64 of
// the global signature (64) over the signature and the trusted comment's text.
// Algorithm "Ed" signs the file's bytes, "ED" their BLAKE2b-512 hash.
//
// Readers take any bytes and never throw: what they cannot use is refused with
// a reason a user can act on.  Verification answers true only when the key
// ids agree, the signature matches the data and the global signature matches
// the trusted comment.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::trust {

using KeyId = std::array<unsigned char, 8>;

struct PublicKey {
  KeyId id{};
  std::array<unsigned char, 32> key{};
};

struct Signature {
  bool prehashed = false;  // "ED": the signature covers the BLAKE2b-512 hash
  KeyId id{};
  std::array<unsigned char, 64> signature{};
  std::string trusted_comment;  // without "trusted comment: "
  std::array<unsigned char, 64> global_signature{};
};

// The key id as minisign prints it: 16 upper-case hex digits.
std::string KeyIdText(const KeyId& id);

// One base64 key line (blanks around it ignored).  Nothing, and the reason
// in *why, when it is not a minisign Ed25519 public key.
std::optional<PublicKey> ParsePublicKey(std::string_view line, std::string* why);

// A file of keys: one key a line; blank lines, "#" comments and "untrusted
// comment:" lines are skipped, so a minisign.pub is read as it is.  Every
// other line that is not a key leaves "line N: reason" in errors.
struct KeyFile {
  std::vector<PublicKey> keys;
  std::vector<std::string> errors;
};
KeyFile ParseKeyFile(std::string_view text);

// A signature file.  Nothing, and the reason in *why, for an empty or cut
// file, a missing comment line, bad base64, a wrong length or an unknown
// algorithm.
std::optional<Signature> ParseSignature(std::string_view text, std::string* why);

// Checks signature against key over data.  False with the reason in *why
// when the key ids differ or either signature does not match.
bool VerifySignature(const Signature& signature, const PublicKey& key, std::string_view data,
                     std::string* why);

// The same over the file at path, read through the runtime file system (in
// blocks for the pre-hashed form, whole for the legacy one).
bool VerifyFileSignature(const Signature& signature, const PublicKey& key, const std::string& path,
                         std::string* why);

}  // namespace corvane::trust
