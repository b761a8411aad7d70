// SHA-1's block function comes from the crypto library the cipher uses; its
// low-level interface is the one that lets the keyed hash states be reused
// across the rounds.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "store/key_derivation.h"

#include <openssl/sha.h>

#include <cstring>
#include <fstream>
#include <thread>

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
      std::memcpy(k, key.data(), key.size());
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
void block(const HmacSha1& h, const DatabaseSalt& salt, std::uint32_t index, int rounds, std::uint8_t t[20]) {
  std::uint8_t first[20];
  const std::uint8_t be[4] = {static_cast<std::uint8_t>(index >> 24), static_cast<std::uint8_t>(index >> 16),
                              static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)};
  std::uint8_t msg[sizeof(DatabaseSalt) + 4];
  std::memcpy(msg, salt.data(), salt.size());
  std::memcpy(msg + salt.size(), be, 4);
  h.mac(msg, sizeof msg, first);
  std::uint8_t u[20];
  std::memcpy(u, first, 20);
  std::memcpy(t, first, 20);
  for (int j = 1; j < rounds; ++j) {
    h.mac(u, 20, u);
    for (int i = 0; i < 20; ++i) t[i] ^= u[i];
  }
}

}  // namespace

DatabaseKey deriveDatabaseKey(const std::string& password, const DatabaseSalt& salt, int rounds) {
  const HmacSha1 h(password);
  std::uint8_t t1[20], t2[20];
  std::thread second([&] { block(h, salt, 2, rounds, t2); });
  block(h, salt, 1, rounds, t1);
  second.join();
  DatabaseKey key;
  std::memcpy(key.data(), t1, 20);
  std::memcpy(key.data() + 20, t2, 12);
  return key;
}

std::optional<DatabaseSalt> readDatabaseSalt(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  DatabaseSalt salt;
  if (!in.read(reinterpret_cast<char*>(salt.data()), salt.size())) return std::nullopt;
  return salt;
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
