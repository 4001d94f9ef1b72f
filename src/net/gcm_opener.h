// AES-GCM decryption with its tag check, on the processor's AES and
// carry-less multiply instructions, for the records of a TLS connection.
// mbedTLS 2.28 runs GCM one 16-byte block at a time through its generic
// cipher layer (about 100 MB/s here): a download then waits on decryption,
// not on the network.  This one pipelines four blocks at a time.
//
// Only x86-64 processors with AES-NI, PCLMULQDQ and SSE4.1 have it
// (Supported()); elsewhere the caller keeps mbedTLS's own record layer.
#pragma once

#include <cstddef>

namespace corvane {

class GcmOpener {
 public:
  static bool Supported();

  // A key of 16 or 32 bytes (AES-128 or AES-256); false for another size
  // or without Supported().
  bool SetKey(const unsigned char* key, std::size_t size);

  // Decrypts size bytes of in into out (the same place is allowed) with
  // the 12-byte nonce, authenticating aad as well, and compares the 16-byte
  // tag in constant time.  False when the tag does not match: out then
  // holds nothing to be used.
  bool Open(const unsigned char* nonce, const unsigned char* aad, std::size_t aad_size, const unsigned char* in,
            std::size_t size, const unsigned char* tag, unsigned char* out) const;

 private:
  alignas(16) unsigned char round_keys_[15][16] = {};
  alignas(16) unsigned char hash_key_[16] = {};  // H, bytes reversed for the multiply
  int rounds_ = 0;
};

}  // namespace corvane
