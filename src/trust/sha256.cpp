#include "trust/sha256.h"

#include <array>

#include "runtime/file_system.h"
#include "trust/sodium_init.h"

namespace corvane::trust {

namespace {

constexpr std::size_t kFileBlock = 64 * 1024;

std::string Hex(const unsigned char* bytes, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

}  // namespace

Sha256::Sha256() {
  EnsureSodium();
  crypto_hash_sha256_init(&state_);
}

void Sha256::Update(const void* data, std::size_t size) {
  crypto_hash_sha256_update(&state_, static_cast<const unsigned char*>(data), size);
}

std::string Sha256::HexDigest() {
  unsigned char out[crypto_hash_sha256_BYTES];
  crypto_hash_sha256_final(&state_, out);
  return Hex(out, sizeof out);
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return hash.HexDigest();
}

std::string Sha256OfFile(const std::string& path) {
  auto in = runtime::Fs().OpenRead(path);
  if (!in) return "";
  Sha256 hash;
  std::array<char, kFileBlock> block;
  while (true) {
    long long n = in->Read(block.data(), block.size());
    if (n < 0) return "";
    if (n == 0) break;
    hash.Update(block.data(), static_cast<std::size_t>(n));
  }
  return hash.HexDigest();
}

std::string NormaliseSha256(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return "";
  std::size_t end = text.find_last_not_of(" \t\r\n");
  std::string hex = text.substr(begin, end - begin + 1);
  if (hex.size() != 2 * crypto_hash_sha256_BYTES) return "";
  for (char& c : hex) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return "";
  }
  return hex;
}

}  // namespace corvane::trust
