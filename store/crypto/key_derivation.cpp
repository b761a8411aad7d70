// SHA-1's block function comes from the crypto library the cipher uses; its
// low-level interface is the one that lets the keyed hash states be reused
// across the rounds.  On processors with the SHA instructions the rounds run
// on them instead, the two blocks of the key side by side on one thread.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "store/crypto/key_derivation.h"

#include <openssl/sha.h>

#include <cstring>
#include <fstream>
#include <thread>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define KM_SHA_INSTRUCTIONS 1
#endif

namespace km {

namespace {

// HMAC-SHA1 with the key's inner and outer states computed once.
struct HmacSha1 {
  SHA_CTX inner, outer;
  explicit HmacSha1(const std::string& key) {
    std::uint8_t k[64] = {};
    if (key.size() > 64) {
      SHA1(reinterpret_cast<const unsigned char*>(key.data()), key.size(), k);
    } else {
      std::memcpy(k, key.data(), key.size());  // NOLINT(bugprone-not-null-terminated-result): key bytes, no string
    }
    std::uint8_t pad[64];
    for (int i = 0; i < 64; ++i) pad[i] = k[i] ^ 0x36;
    SHA1_Init(&inner);
    SHA1_Update(&inner, pad, 64);
    for (int i = 0; i < 64; ++i) pad[i] = k[i] ^ 0x5c;
    SHA1_Init(&outer);
    SHA1_Update(&outer, pad, 64);
  }
  void mac(const std::uint8_t* data, size_t n, std::uint8_t out[20]) const {
    SHA_CTX c = inner;
    SHA1_Update(&c, data, n);
    std::uint8_t h[20];
    SHA1_Final(h, &c);
    c = outer;
    SHA1_Update(&c, h, 20);
    SHA1_Final(out, &c);
  }
};

// Block `index` (from 1) of PBKDF2: U1 = HMAC(salt || index), Uj = HMAC(Uj-1), T = U1 ^ ... ^ Un.
// U1 of block `index` (from 1): HMAC(salt || index).
void firstRound(const HmacSha1& h, const DatabaseSalt& salt, std::uint32_t index, std::uint8_t u[20]) {
  std::uint8_t msg[sizeof(DatabaseSalt) + 4];
  std::memcpy(msg, salt.data(), salt.size());
  msg[salt.size()] = static_cast<std::uint8_t>(index >> 24);
  msg[salt.size() + 1] = static_cast<std::uint8_t>(index >> 16);
  msg[salt.size() + 2] = static_cast<std::uint8_t>(index >> 8);
  msg[salt.size() + 3] = static_cast<std::uint8_t>(index);
  h.mac(msg, sizeof msg, u);
}

void block(const HmacSha1& h, const DatabaseSalt& salt, std::uint32_t index, int rounds, std::uint8_t t[20]) {
  std::uint8_t first[20];
  firstRound(h, salt, index, first);
  std::uint8_t u[20];
  std::memcpy(u, first, 20);
  std::memcpy(t, first, 20);
  for (int j = 1; j < rounds; ++j) {
    h.mac(u, 20, u);
    for (int i = 0; i < 20; ++i) t[i] ^= u[i];
  }
}

#ifdef KM_SHA_INSTRUCTIONS

bool hasShaInstructions() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  const bool ssse3 = c & bit_SSSE3, sse41 = c & bit_SSE4_1;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return ssse3 && sse41 && (b & bit_SHA);
}

#define KM_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1"), always_inline)) inline

// A SHA-1 state: A..D in one register (A in the top lane), E in the top lane of another.
struct ShaState {
  __m128i abcd, e;
};

// Rounds 4k..4k+3 of the block function on the message words in m[], which
// are expanded in place as the rounds go (the instructions' own schedule).
template <int k>
KM_SHA_TARGET void fourRounds(__m128i& abcd, __m128i& e0, __m128i& e1, __m128i (&m)[4]) {
  __m128i& used = k % 2 == 0 ? e0 : e1;
  __m128i& next = k % 2 == 0 ? e1 : e0;
  if constexpr (k == 0) {
    used = _mm_add_epi32(used, m[0]);
  } else {
    used = _mm_sha1nexte_epu32(used, m[k % 4]);
  }
  next = abcd;
  if constexpr (k >= 3 && k <= 18) m[(k + 1) % 4] = _mm_sha1msg2_epu32(m[(k + 1) % 4], m[k % 4]);
  abcd = _mm_sha1rnds4_epu32(abcd, used, k / 5);
  if constexpr (k >= 1 && k <= 16) m[(k + 3) % 4] = _mm_sha1msg1_epu32(m[(k + 3) % 4], m[k % 4]);
  if constexpr (k >= 2 && k <= 17) m[(k + 2) % 4] = _mm_xor_si128(m[(k + 2) % 4], m[k % 4]);
}

// The block function on two independent states at once: each round's
// instructions wait on the one before, so two chains fill the gaps.
template <int... k>
KM_SHA_TARGET void roundsTwice(ShaState& s, ShaState& t, __m128i (&m)[4], __m128i (&n)[4],
                               std::integer_sequence<int, k...>) {
  __m128i se1 = _mm_setzero_si128(), te1 = _mm_setzero_si128();
  ((fourRounds<k>(s.abcd, s.e, se1, m), fourRounds<k>(t.abcd, t.e, te1, n)), ...);
}

// One hash of a 20-byte message (a digest held as a state) after a 64-byte
// key block, for two messages at once.
KM_SHA_TARGET void hashDigestTwice(const ShaState& key, ShaState& x, ShaState& y) {
  const __m128i pad = _mm_set_epi32(0, static_cast<int>(0x80000000u), 0, 0);
  const __m128i length = _mm_set_epi32(0, 0, 0, 84 * 8);
  __m128i m[4] = {x.abcd, _mm_blend_epi16(x.e, pad, 0x3f), _mm_setzero_si128(), length};
  __m128i n[4] = {y.abcd, _mm_blend_epi16(y.e, pad, 0x3f), _mm_setzero_si128(), length};
  ShaState s = key, t = key;
  roundsTwice(s, t, m, n, std::make_integer_sequence<int, 20>{});
  x.abcd = _mm_add_epi32(s.abcd, key.abcd);
  x.e = _mm_sha1nexte_epu32(s.e, key.e);
  y.abcd = _mm_add_epi32(t.abcd, key.abcd);
  y.e = _mm_sha1nexte_epu32(t.e, key.e);
}

KM_SHA_TARGET ShaState stateOf(const SHA_CTX& c) {
  return {_mm_set_epi32(static_cast<int>(c.h0), static_cast<int>(c.h1), static_cast<int>(c.h2), static_cast<int>(c.h3)),
          _mm_set_epi32(static_cast<int>(c.h4), 0, 0, 0)};
}

std::uint32_t bigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

KM_SHA_TARGET ShaState stateOf(const std::uint8_t digest[20]) {
  return {_mm_set_epi32(static_cast<int>(bigEndian(digest)), static_cast<int>(bigEndian(digest + 4)),
                        static_cast<int>(bigEndian(digest + 8)), static_cast<int>(bigEndian(digest + 12))),
          _mm_set_epi32(static_cast<int>(bigEndian(digest + 16)), 0, 0, 0)};
}

KM_SHA_TARGET void storeDigest(const ShaState& s, std::uint8_t* out, size_t n) {
  std::uint32_t w[5];
  w[0] = static_cast<std::uint32_t>(_mm_extract_epi32(s.abcd, 3));
  w[1] = static_cast<std::uint32_t>(_mm_extract_epi32(s.abcd, 2));
  w[2] = static_cast<std::uint32_t>(_mm_extract_epi32(s.abcd, 1));
  w[3] = static_cast<std::uint32_t>(_mm_extract_epi32(s.abcd, 0));
  w[4] = static_cast<std::uint32_t>(_mm_extract_epi32(s.e, 3));
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(w[i / 4] >> (24 - 8 * (i % 4)));
}

__attribute__((target("sha,ssse3,sse4.1"))) DatabaseKey deriveWithShaInstructions(const HmacSha1& h,
                                                                                  const DatabaseSalt& salt,
                                                                                  int rounds) {
  const ShaState inner = stateOf(h.inner), outer = stateOf(h.outer);
  std::uint8_t first[2][20];
  firstRound(h, salt, 1, first[0]);
  firstRound(h, salt, 2, first[1]);
  ShaState u1 = stateOf(first[0]), u2 = stateOf(first[1]);
  ShaState t1 = u1, t2 = u2;
  for (int j = 1; j < rounds; ++j) {
    hashDigestTwice(inner, u1, u2);
    hashDigestTwice(outer, u1, u2);
    t1.abcd = _mm_xor_si128(t1.abcd, u1.abcd);
    t1.e = _mm_xor_si128(t1.e, u1.e);
    t2.abcd = _mm_xor_si128(t2.abcd, u2.abcd);
    t2.e = _mm_xor_si128(t2.e, u2.e);
  }
  DatabaseKey key;
  storeDigest(t1, key.data(), 20);
  storeDigest(t2, key.data() + 20, 12);
  return key;
}

#endif  // KM_SHA_INSTRUCTIONS

}  // namespace

DatabaseKey deriveDatabaseKey(const std::string& password, const DatabaseSalt& salt, int rounds,
                              KeyDerivationPath path) {
  const HmacSha1 h(password);
#ifdef KM_SHA_INSTRUCTIONS
  static const bool shaInstructions = hasShaInstructions();
  if (path == KeyDerivationPath::Fastest && shaInstructions) return deriveWithShaInstructions(h, salt, rounds);
#endif
  std::uint8_t t1[20], t2[20];
  std::thread second([&] { block(h, salt, 2, rounds, t2); });
  block(h, salt, 1, rounds, t1);
  second.join();
  DatabaseKey key;
  std::memcpy(key.data(), t1, 20);
  std::memcpy(key.data() + 20, t2, 12);
  return key;
}

std::string rawKeyLiteral(const DatabaseKey& key) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s = "x'";
  for (std::uint8_t b : key) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s + "'";
}

}  // namespace km
