#include "trust/minisign.h"

#include <sodium.h>

#include <cstring>

#include "runtime/file_system.h"
#include "trust/sodium_init.h"

namespace corvane::trust {

namespace {

constexpr std::string_view kUntrustedPrefix = "untrusted comment:";
constexpr std::string_view kTrustedPrefix = "trusted comment: ";
constexpr std::size_t kKeyBytes = 2 + 8 + 32;
constexpr std::size_t kSignatureBytes = 2 + 8 + 64;
constexpr std::size_t kGlobalBytes = 64;
constexpr std::size_t kHashBytes = 64;  // BLAKE2b-512
constexpr std::size_t kFileBlock = 64 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// Lines without their LF or CR LF end.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// Decodes standard base64 that must come out at exactly size bytes.
bool DecodeExact(std::string_view text, unsigned char* out, std::size_t size, const char* what,
                 std::string* why) {
  EnsureSodium();
  text = Trim(text);
  std::size_t length = 0;
  const char* end = nullptr;
  // One byte of room more than needed, so a longer text shows as such.
  std::vector<unsigned char> buffer(size + 1);
  if (text.empty() || sodium_base642bin(buffer.data(), buffer.size(), text.data(), text.size(), nullptr,
                                        &length, &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      end != text.data() + text.size()) {
    *why = std::string(what) + " is not valid base64";
    return false;
  }
  if (length != size) {
    *why = std::string(what) + " has " + std::to_string(length) + " bytes instead of " + std::to_string(size);
    return false;
  }
  std::memcpy(out, buffer.data(), size);
  return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The checks after the signed message is known (the data itself or its hash).
bool VerifyMessage(const Signature& signature, const PublicKey& key, const unsigned char* message,
                   std::size_t size, std::string* why) {
  if (signature.id != key.id) {
    *why = "signed with another key (key id " + KeyIdText(signature.id) + ", trusted " + KeyIdText(key.id) + ")";
    return false;
  }
  if (crypto_sign_verify_detached(signature.signature.data(), message, size, key.key.data()) != 0) {
    *why = "the signature does not match the file";
    return false;
  }
  std::string global(signature.signature.begin(), signature.signature.end());
  global += signature.trusted_comment;
  if (crypto_sign_verify_detached(signature.global_signature.data(),
                                  reinterpret_cast<const unsigned char*>(global.data()), global.size(),
                                  key.key.data()) != 0) {
    *why = "the signature of the trusted comment does not match";
    return false;
  }
  return true;
}

}  // namespace

std::string KeyIdText(const KeyId& id) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  // minisign prints the id as a little-endian number without leading zeros,
  // and users compare our log lines with its key files.
  for (std::size_t i = id.size(); i-- > 0;) {
    text += digits[id[i] >> 4];
    text += digits[id[i] & 15];
  }
  const std::size_t first = text.find_first_not_of('0');
  return first == std::string::npos ? "0" : text.substr(first);
}

std::optional<PublicKey> ParsePublicKey(std::string_view line, std::string* why) {
  unsigned char raw[kKeyBytes];
  if (!DecodeExact(line, raw, sizeof raw, "the public key", why)) return std::nullopt;
  if (raw[0] != 'E' || raw[1] != 'd') {
    *why = "the public key is not an Ed25519 minisign key";
    return std::nullopt;
  }
  PublicKey key;
  std::memcpy(key.id.data(), raw + 2, key.id.size());
  std::memcpy(key.key.data(), raw + 10, key.key.size());
  return key;
}

KeyFile ParseKeyFile(std::string_view text) {
  KeyFile file;
  std::size_t number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == '#' || StartsWith(trimmed, kUntrustedPrefix)) continue;
    std::string why;
    if (auto key = ParsePublicKey(trimmed, &why)) {
      file.keys.push_back(*key);
    } else {
      file.errors.push_back("line " + std::to_string(number) + ": " + why);
    }
  }
  return file;
}

std::optional<Signature> ParseSignature(std::string_view text, std::string* why) {
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.empty()) {
    *why = "the signature file is empty";
    return std::nullopt;
  }
  if (!StartsWith(lines[0], kUntrustedPrefix)) {
    *why = "the signature file does not start with an untrusted comment";
    return std::nullopt;
  }
  if (lines.size() < 2) {
    *why = "the signature file ends before its signature";
    return std::nullopt;
  }
  unsigned char raw[kSignatureBytes];
  if (!DecodeExact(lines[1], raw, sizeof raw, "the signature", why)) return std::nullopt;
  Signature signature;
  if (raw[0] == 'E' && raw[1] == 'd') {
    signature.prehashed = false;
  } else if (raw[0] == 'E' && raw[1] == 'D') {
    signature.prehashed = true;
  } else {
    *why = "the signature uses an unknown algorithm";
    return std::nullopt;
  }
  std::memcpy(signature.id.data(), raw + 2, signature.id.size());
  std::memcpy(signature.signature.data(), raw + 10, signature.signature.size());
  if (lines.size() < 3 || !StartsWith(lines[2], kTrustedPrefix)) {
    *why = "the signature file has no trusted comment";
    return std::nullopt;
  }
  signature.trusted_comment = std::string(lines[2].substr(kTrustedPrefix.size()));
  if (lines.size() < 4) {
    *why = "the signature file ends before its global signature";
    return std::nullopt;
  }
  if (!DecodeExact(lines[3], signature.global_signature.data(), kGlobalBytes, "the global signature", why))
    return std::nullopt;
  return signature;
}

bool VerifySignature(const Signature& signature, const PublicKey& key, std::string_view data, std::string* why) {
  EnsureSodium();
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  if (!signature.prehashed) return VerifyMessage(signature, key, bytes, data.size(), why);
  unsigned char hash[kHashBytes];
  crypto_generichash(hash, sizeof hash, bytes, data.size(), nullptr, 0);
  return VerifyMessage(signature, key, hash, sizeof hash, why);
}

bool VerifyFileSignature(const Signature& signature, const PublicKey& key, const std::string& path,
                         std::string* why) {
  EnsureSodium();
  if (!signature.prehashed) {
    auto bytes = runtime::Fs().ReadFile(path);
    if (!bytes) {
      *why = "cannot read " + path;
      return false;
    }
    return VerifySignature(signature, key, *bytes, why);
  }
  auto in = runtime::Fs().OpenRead(path);
  if (!in) {
    *why = "cannot read " + path;
    return false;
  }
  crypto_generichash_state state;
  crypto_generichash_init(&state, nullptr, 0, kHashBytes);
  std::vector<unsigned char> block(kFileBlock);
  while (true) {
    long long n = in->Read(block.data(), block.size());
    if (n < 0) {
      *why = "cannot read " + path;
      return false;
    }
    if (n == 0) break;
    crypto_generichash_update(&state, block.data(), static_cast<std::size_t>(n));
  }
  unsigned char hash[kHashBytes];
  crypto_generichash_final(&state, hash, sizeof hash);
  return VerifyMessage(signature, key, hash, sizeof hash, why);
}

}  // namespace corvane::trust
