#include "net/gcm_opener.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#define CORVANE_GCM_X86 1
#include <immintrin.h>
#endif

namespace corvane {

#if CORVANE_GCM_X86

#define CORVANE_GCM_TARGET __attribute__((target("aes,pclmul,ssse3,sse4.1")))

namespace {

CORVANE_GCM_TARGET inline __m128i Reversed(__m128i block) {
  return _mm_shuffle_epi8(block, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}

// One step of the AES key schedule: the previous round key with the
// key-generation word.
CORVANE_GCM_TARGET inline __m128i NextKey(__m128i key, __m128i word) {
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  return _mm_xor_si128(key, word);
}

// Multiplication in GHASH's field of two byte-reversed operands, with the
// reduction modulo x^128 + x^7 + x^2 + x + 1 (the shift-and-xor form for
// bit-reflected values).
CORVANE_GCM_TARGET inline __m128i FieldMultiply(__m128i a, __m128i b) {
  __m128i low = _mm_clmulepi64_si128(a, b, 0x00);
  __m128i middle = _mm_xor_si128(_mm_clmulepi64_si128(a, b, 0x10), _mm_clmulepi64_si128(a, b, 0x01));
  __m128i high = _mm_clmulepi64_si128(a, b, 0x11);
  low = _mm_xor_si128(low, _mm_slli_si128(middle, 8));
  high = _mm_xor_si128(high, _mm_srli_si128(middle, 8));
  // The product of reflected operands is one bit short: shift it left by one.
  __m128i low_carry = _mm_srli_epi32(low, 31);
  __m128i high_carry = _mm_srli_epi32(high, 31);
  low = _mm_slli_epi32(low, 1);
  high = _mm_slli_epi32(high, 1);
  __m128i across = _mm_srli_si128(low_carry, 12);
  high_carry = _mm_slli_si128(high_carry, 4);
  low_carry = _mm_slli_si128(low_carry, 4);
  low = _mm_or_si128(low, low_carry);
  high = _mm_or_si128(_mm_or_si128(high, high_carry), across);
  // Reduction, first phase.
  __m128i t = _mm_xor_si128(_mm_xor_si128(_mm_slli_epi32(low, 31), _mm_slli_epi32(low, 30)), _mm_slli_epi32(low, 25));
  __m128i rest = _mm_srli_si128(t, 4);
  low = _mm_xor_si128(low, _mm_slli_si128(t, 12));
  // Second phase.
  __m128i u = _mm_xor_si128(_mm_xor_si128(_mm_srli_epi32(low, 1), _mm_srli_epi32(low, 2)), _mm_srli_epi32(low, 7));
  u = _mm_xor_si128(u, rest);
  low = _mm_xor_si128(low, u);
  return _mm_xor_si128(high, low);
}

class Aes {
 public:
  Aes(const unsigned char (*keys)[16], int rounds) : keys_(keys), rounds_(rounds) {}

  CORVANE_GCM_TARGET __m128i Key(int i) const {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(keys_[i]));
  }

  CORVANE_GCM_TARGET __m128i Encrypt(__m128i block) const {
    block = _mm_xor_si128(block, Key(0));
    for (int r = 1; r < rounds_; ++r) block = _mm_aesenc_si128(block, Key(r));
    return _mm_aesenclast_si128(block, Key(rounds_));
  }

  // Four blocks at once: the rounds of independent blocks overlap in the
  // processor, which is where the speed comes from.
  CORVANE_GCM_TARGET void Encrypt4(__m128i* b) const {
    __m128i k = Key(0);
    b[0] = _mm_xor_si128(b[0], k);
    b[1] = _mm_xor_si128(b[1], k);
    b[2] = _mm_xor_si128(b[2], k);
    b[3] = _mm_xor_si128(b[3], k);
    for (int r = 1; r < rounds_; ++r) {
      k = Key(r);
      b[0] = _mm_aesenc_si128(b[0], k);
      b[1] = _mm_aesenc_si128(b[1], k);
      b[2] = _mm_aesenc_si128(b[2], k);
      b[3] = _mm_aesenc_si128(b[3], k);
    }
    k = Key(rounds_);
    b[0] = _mm_aesenclast_si128(b[0], k);
    b[1] = _mm_aesenclast_si128(b[1], k);
    b[2] = _mm_aesenclast_si128(b[2], k);
    b[3] = _mm_aesenclast_si128(b[3], k);
  }

 private:
  const unsigned char (*keys_)[16];
  int rounds_;
};

CORVANE_GCM_TARGET inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The first bytes (size < 16) of p as a block padded with zero bytes.
CORVANE_GCM_TARGET inline __m128i LoadPartial(const unsigned char* p, std::size_t size) {
  alignas(16) unsigned char block[16] = {};
  std::memcpy(block, p, size);
  return _mm_load_si128(reinterpret_cast<const __m128i*>(block));
}

// The counter block: the nonce and the 32-bit big-endian count.
CORVANE_GCM_TARGET inline __m128i Counter(__m128i nonce, std::uint32_t count) {
  return _mm_insert_epi32(nonce, static_cast<int>(__builtin_bswap32(count)), 3);
}

CORVANE_GCM_TARGET bool SetKeyX86(const unsigned char* key, std::size_t size, unsigned char (*keys)[16],
                                  unsigned char* hash_key, int* rounds) {
  __m128i* out = reinterpret_cast<__m128i*>(keys);
  if (size == 16) {
    __m128i k = Load(key);
    out[0] = k;
#define CORVANE_AES128_ROUND(i, rcon) \
  k = NextKey(k, _mm_shuffle_epi32(_mm_aeskeygenassist_si128(k, rcon), 0xff)); \
  out[i] = k;
    CORVANE_AES128_ROUND(1, 0x01)
    CORVANE_AES128_ROUND(2, 0x02)
    CORVANE_AES128_ROUND(3, 0x04)
    CORVANE_AES128_ROUND(4, 0x08)
    CORVANE_AES128_ROUND(5, 0x10)
    CORVANE_AES128_ROUND(6, 0x20)
    CORVANE_AES128_ROUND(7, 0x40)
    CORVANE_AES128_ROUND(8, 0x80)
    CORVANE_AES128_ROUND(9, 0x1b)
    CORVANE_AES128_ROUND(10, 0x36)
#undef CORVANE_AES128_ROUND
    *rounds = 10;
  } else if (size == 32) {
    __m128i a = Load(key), b = Load(key + 16);
    out[0] = a;
    out[1] = b;
#define CORVANE_AES256_ROUND(i, rcon)                                              \
  a = NextKey(a, _mm_shuffle_epi32(_mm_aeskeygenassist_si128(b, rcon), 0xff));     \
  out[i] = a;                                                                      \
  if (i + 1 < 15) {                                                                \
    b = NextKey(b, _mm_shuffle_epi32(_mm_aeskeygenassist_si128(a, 0x00), 0xaa));   \
    out[i + 1] = b;                                                                \
  }
    CORVANE_AES256_ROUND(2, 0x01)
    CORVANE_AES256_ROUND(4, 0x02)
    CORVANE_AES256_ROUND(6, 0x04)
    CORVANE_AES256_ROUND(8, 0x08)
    CORVANE_AES256_ROUND(10, 0x10)
    CORVANE_AES256_ROUND(12, 0x20)
    CORVANE_AES256_ROUND(14, 0x40)
#undef CORVANE_AES256_ROUND
    *rounds = 14;
  } else {
    return false;
  }
  Aes aes(keys, *rounds);
  _mm_store_si128(reinterpret_cast<__m128i*>(hash_key), Reversed(aes.Encrypt(_mm_setzero_si128())));
  return true;
}

CORVANE_GCM_TARGET bool OpenX86(const unsigned char (*keys)[16], int rounds, const unsigned char* hash_key,
                                const unsigned char* nonce, const unsigned char* aad, std::size_t aad_size,
                                const unsigned char* in, std::size_t size, const unsigned char* tag,
                                unsigned char* out) {
  const Aes aes(keys, rounds);
  const __m128i h = _mm_load_si128(reinterpret_cast<const __m128i*>(hash_key));
  const __m128i base = LoadPartial(nonce, 12);
  __m128i x = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 16 <= aad_size; i += 16) x = FieldMultiply(_mm_xor_si128(x, Reversed(Load(aad + i))), h);
  if (i < aad_size) x = FieldMultiply(_mm_xor_si128(x, Reversed(LoadPartial(aad + i, aad_size - i))), h);

  // Every ciphertext block is read into a register before its plaintext is
  // stored, so in and out may be the same bytes.
  std::uint32_t count = 2;  // 1 is the tag's block
  for (i = 0; i + 64 <= size; i += 64, count += 4) {
    __m128i c[4] = {Load(in + i), Load(in + i + 16), Load(in + i + 32), Load(in + i + 48)};
    __m128i k[4] = {Counter(base, count), Counter(base, count + 1), Counter(base, count + 2),
                    Counter(base, count + 3)};
    aes.Encrypt4(k);
    for (int j = 0; j < 4; ++j) {
      x = FieldMultiply(_mm_xor_si128(x, Reversed(c[j])), h);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16 * j), _mm_xor_si128(c[j], k[j]));
    }
  }
  for (; i + 16 <= size; i += 16, ++count) {
    __m128i c = Load(in + i);
    x = FieldMultiply(_mm_xor_si128(x, Reversed(c)), h);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_xor_si128(c, aes.Encrypt(Counter(base, count))));
  }
  if (i < size) {
    const std::size_t rest = size - i;
    __m128i c = LoadPartial(in + i, rest);
    x = FieldMultiply(_mm_xor_si128(x, Reversed(c)), h);
    alignas(16) unsigned char plain[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(plain), _mm_xor_si128(c, aes.Encrypt(Counter(base, count))));
    std::memcpy(out + i, plain, rest);
  }
  // The lengths in bits, byte-reversed as the other blocks: the ciphertext's
  // in the low half, the additional data's in the high half.
  const __m128i lengths = _mm_set_epi64x(static_cast<long long>(aad_size) * 8, static_cast<long long>(size) * 8);
  x = FieldMultiply(_mm_xor_si128(x, lengths), h);
  const __m128i expected = _mm_xor_si128(Reversed(x), aes.Encrypt(Counter(base, 1)));
  const __m128i difference = _mm_xor_si128(expected, Load(tag));
  return _mm_testz_si128(difference, difference) != 0;
}

}  // namespace

bool GcmOpener::Supported() {
  static const bool supported = __builtin_cpu_supports("aes") && __builtin_cpu_supports("pclmul") &&
                                __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1");
  return supported;
}

bool GcmOpener::SetKey(const unsigned char* key, std::size_t size) {
  rounds_ = 0;
  if (!Supported()) return false;
  return SetKeyX86(key, size, round_keys_, hash_key_, &rounds_);
}

bool GcmOpener::Open(const unsigned char* nonce, const unsigned char* aad, std::size_t aad_size,
                     const unsigned char* in, std::size_t size, const unsigned char* tag, unsigned char* out) const {
  if (rounds_ == 0) return false;
  return OpenX86(round_keys_, rounds_, hash_key_, nonce, aad, aad_size, in, size, tag, out);
}

#else  // no x86-64: mbedTLS's record layer stays in use

bool GcmOpener::Supported() { return false; }
bool GcmOpener::SetKey(const unsigned char*, std::size_t) { return false; }
bool GcmOpener::Open(const unsigned char*, const unsigned char*, std::size_t, const unsigned char*, std::size_t,
                     const unsigned char*, unsigned char*) const {
  return false;
}

#endif

}  // namespace corvane
