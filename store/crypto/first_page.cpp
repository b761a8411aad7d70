#include "store/crypto/first_page.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <cstring>
#include <initializer_list>
#include <utility>

namespace km {

namespace {

constexpr int kSalt = 16, kIv = 16, kMac = 20;
constexpr int kReserve = 48;  // per page: IV (16), HMAC-SHA1 (20), padding

// HMAC-SHA1 of the parts one after another, through OpenSSL's MAC interface.
bool hmacSha1(const unsigned char* key, size_t keyLen,
              std::initializer_list<std::pair<const unsigned char*, size_t>> parts, unsigned char* out,
              unsigned int& outLen) {
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  EVP_MAC_CTX* ctx = mac ? EVP_MAC_CTX_new(mac) : nullptr;
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
  bool ok = ctx && EVP_MAC_init(ctx, key, keyLen, params) == 1;
  for (const auto& [p, n] : parts) ok = ok && EVP_MAC_update(ctx, p, n) == 1;
  size_t n = 0;
  ok = ok && EVP_MAC_final(ctx, out, &n, EVP_MAX_MD_SIZE) == 1;
  EVP_MAC_CTX_free(ctx);
  EVP_MAC_free(mac);
  outLen = static_cast<unsigned int>(n);
  return ok;
}

}  // namespace

std::optional<DatabaseSalt> saltOfFirstPage(std::string_view page) {
  DatabaseSalt salt;
  if (page.size() < salt.size()) return std::nullopt;
  std::memcpy(salt.data(), page.data(), salt.size());
  return salt;
}

bool claimsAnotherPageSize(std::string_view bytes, const DatabaseKey& key, int pageSize) {
  if (pageSize <= kSalt + kReserve || bytes.size() < static_cast<size_t>(pageSize)) return false;
  const auto* page = reinterpret_cast<const unsigned char*>(bytes.data());
  const int size = pageSize - kSalt - kReserve;  // the encrypted part of page 1
  const unsigned char* data = page + kSalt;
  const unsigned char* iv = data + size;
  unsigned char macSalt[kSalt];
  for (int i = 0; i < kSalt; ++i) macSalt[i] = page[i] ^ 0x3a;
  unsigned char macKey[32];
  if (PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(key.data()), static_cast<int>(key.size()), macSalt, kSalt, 2,
                             sizeof macKey, macKey) != 1)
    return false;
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macLen = 0;
  const unsigned char pageNo[4] = {1, 0, 0, 0};  // little-endian page number
  const bool macOk =
      hmacSha1(macKey, sizeof macKey, {{data, size_t(size + kIv)}, {pageNo, sizeof pageNo}}, mac, macLen);
  if (!macOk || macLen < kMac || std::memcmp(mac, iv + kIv, kMac) != 0) return false;
  unsigned char head[16];
  int n = 0;
  EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
  const bool decrypted = c && EVP_DecryptInit_ex(c, EVP_aes_256_cbc(), nullptr, key.data(), iv) == 1 &&
                         EVP_CIPHER_CTX_set_padding(c, 0) == 1 && EVP_DecryptUpdate(c, head, &n, data, 16) == 1 &&
                         n == 16;
  EVP_CIPHER_CTX_free(c);
  if (!decrypted) return false;
  // header bytes 16-17: the page size, big-endian (1 stands for 65536)
  return (head[0] << 8 | head[1]) != pageSize;
}

}  // namespace km
