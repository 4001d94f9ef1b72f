// GcmOpener against mbedTLS's own GCM: the same key, nonce and additional
// data must give the same plaintext, and any changed byte must fail.
#include "net/gcm_opener.h"

#include <gtest/gtest.h>
#include <mbedtls/gcm.h>

#include <random>
#include <vector>

namespace corvane {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Random(std::mt19937& random, std::size_t size) {
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  return bytes;
}

struct Sealed {
  Bytes key, nonce, aad, plain, cipher, tag;
};

Sealed Seal(std::mt19937& random, std::size_t key_size, std::size_t aad_size, std::size_t size) {
  Sealed s{Random(random, key_size), Random(random, 12), Random(random, aad_size), Random(random, size), Bytes(size),
           Bytes(16)};
  mbedtls_gcm_context gcm;
  mbedtls_gcm_init(&gcm);
  EXPECT_EQ(mbedtls_gcm_setkey(&gcm, MBEDTLS_CIPHER_ID_AES, s.key.data(), static_cast<unsigned>(key_size * 8)), 0);
  EXPECT_EQ(mbedtls_gcm_crypt_and_tag(&gcm, MBEDTLS_GCM_ENCRYPT, size, s.nonce.data(), 12, s.aad.data(), aad_size,
                                      s.plain.data(), s.cipher.data(), 16, s.tag.data()),
            0);
  mbedtls_gcm_free(&gcm);
  return s;
}

TEST(GcmOpenerTest, OpensWhatMbedTlsSealsAndRefusesEveryChange) {
  if (!GcmOpener::Supported()) GTEST_SKIP() << "no AES and carry-less multiply instructions here";
  std::mt19937 random(17);
  // Sizes around the four-block groups, single blocks and partial blocks,
  // a TLS record's 13 bytes of additional data and a full record.
  const std::size_t kSizes[] = {0, 1, 15, 16, 17, 63, 64, 65, 100, 1000, 16384};
  for (std::size_t key_size : {16, 32}) {
    for (std::size_t aad_size : {0, 13, 16, 40}) {
      for (std::size_t size : kSizes) {
        SCOPED_TRACE(::testing::Message() << "key " << key_size << ", aad " << aad_size << ", size " << size);
        Sealed s = Seal(random, key_size, aad_size, size);
        GcmOpener opener;
        ASSERT_TRUE(opener.SetKey(s.key.data(), key_size));
        Bytes out(size);
        ASSERT_TRUE(opener.Open(s.nonce.data(), s.aad.data(), aad_size, s.cipher.data(), size, s.tag.data(),
                                out.data()));
        EXPECT_EQ(out, s.plain);
        // In place, as the TLS socket decrypts its records.
        Bytes in_place = s.cipher;
        ASSERT_TRUE(opener.Open(s.nonce.data(), s.aad.data(), aad_size, in_place.data(), size, s.tag.data(),
                                in_place.data()));
        EXPECT_EQ(in_place, s.plain);
        // One flipped bit anywhere: ciphertext, tag, additional data, nonce.
        for (Bytes* part : {&s.cipher, &s.tag, &s.aad, &s.nonce}) {
          if (part->empty()) continue;
          (*part)[size % part->size()] ^= 0x10;
          EXPECT_FALSE(opener.Open(s.nonce.data(), s.aad.data(), aad_size, s.cipher.data(), size, s.tag.data(),
                                   out.data()));
          (*part)[size % part->size()] ^= 0x10;
        }
      }
    }
  }
  GcmOpener opener;
  EXPECT_FALSE(opener.SetKey(Bytes(24).data(), 24));  // AES-192 is no TLS suite of ours
}

}  // namespace
}  // namespace corvane
