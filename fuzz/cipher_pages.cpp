#include "fuzz/cipher_pages.h"

#include <dlfcn.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

namespace kmfuzz {

namespace {

using Pbkdf2Fn = int (*)(const char*, int, const unsigned char*, int, int, int, unsigned char*);

Pbkdf2Fn realPbkdf2() {
  static Pbkdf2Fn fn = reinterpret_cast<Pbkdf2Fn>(dlsym(RTLD_NEXT, "PKCS5_PBKDF2_HMAC_SHA1"));
  if (!fn) throw std::runtime_error("PKCS5_PBKDF2_HMAC_SHA1 not found");
  return fn;
}

using KeyId = std::tuple<std::string, std::string, int, int>;
std::map<KeyId, std::string> derived;
std::mutex derivedMutex;
long slowCount = 0;

struct Keys {
  unsigned char enc[32];
  unsigned char mac[32];
};

int derive(const std::string& pass, std::string_view salt, int iter, int keyLen, unsigned char* out);

Keys keysFor(const std::string& password, std::string_view salt) {
  Keys k{};
  derive(password, salt, 64000, 32, k.enc);
  std::string macSalt(salt);
  for (char& c : macSalt) c = static_cast<char>(c ^ 0x3a);
  derive(std::string(reinterpret_cast<const char*>(k.enc), 32), macSalt, 2, 32, k.mac);
  return k;
}

void pageMac(const Keys& k, const unsigned char* in, int len, uint32_t pgno, unsigned char* out) {
  std::string data(reinterpret_cast<const char*>(in), len);
  for (int i = 0; i < 4; ++i) data += static_cast<char>((pgno >> (8 * i)) & 0xff);  // little-endian page number
  unsigned int n = 0;
  HMAC(EVP_sha1(), k.mac, 32, reinterpret_cast<const unsigned char*>(data.data()), data.size(), out, &n);
}

void aes(bool enc, const Keys& k, const unsigned char* iv, const unsigned char* in, int len, unsigned char* out) {
  EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(c, EVP_aes_256_cbc(), nullptr, k.enc, iv, enc ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(c, 0);
  int n = 0, m = 0;
  EVP_CipherUpdate(c, out, &n, in, len);
  EVP_CipherFinal_ex(c, out + n, &m);
  EVP_CIPHER_CTX_free(c);
}

// Within a page: [offset, size) is encrypted, then the IV and the HMAC.
constexpr int kIv = 16;
constexpr int kMac = 20;

}  // namespace

namespace {
int derive(const std::string& pass, std::string_view salt, int iter, int keyLen, unsigned char* out) {
  KeyId id{pass, std::string(salt), iter, keyLen};
  {
    std::lock_guard<std::mutex> lock(derivedMutex);
    auto it = derived.find(id);
    if (it != derived.end()) {
      std::memcpy(out, it->second.data(), keyLen);
      return 1;
    }
  }
  const int ok =
      realPbkdf2()(pass.data(), static_cast<int>(pass.size()), reinterpret_cast<const unsigned char*>(salt.data()),
                   static_cast<int>(salt.size()), iter, keyLen, out);
  if (ok != 1) return ok;
  std::lock_guard<std::mutex> lock(derivedMutex);
  if (iter > 2) ++slowCount;
  if (derived.size() > 4096) derived.clear();  // a fuzzer mutating salts must not grow without bound
  derived.emplace(std::move(id), std::string(reinterpret_cast<const char*>(out), keyLen));
  return 1;
}
}  // namespace

long slowKeyDerivations() { return slowCount; }

std::string encryptPages(std::string_view plain, const std::string& password, std::string_view salt) {
  std::string file(plain);
  if (file.empty()) file.resize(kPageSize);
  if (file.size() % kPageSize) file.resize(file.size() + kPageSize - file.size() % kPageSize, '\0');
  const Keys k = keysFor(password, salt);
  const int pages = static_cast<int>(file.size() / kPageSize);
  std::string out(file.size(), '\0');
  for (int p = 0; p < pages; ++p) {
    const int offset = p == 0 ? kSaltSize : 0;
    auto* in = reinterpret_cast<unsigned char*>(file.data()) + p * kPageSize + offset;
    auto* o = reinterpret_cast<unsigned char*>(out.data()) + p * kPageSize + offset;
    const int size = kPageSize - offset - kReserve;
    unsigned char* iv = o + size;
    // A fixed IV per page keeps a fuzzer's input deterministic.
    for (int i = 0; i < kReserve; ++i) iv[i] = static_cast<unsigned char>(p * 31 + i);
    aes(true, k, iv, in, size, o);
    pageMac(k, o, size + kIv, static_cast<uint32_t>(p + 1), o + size + kIv);
  }
  std::memcpy(out.data(), salt.data(), kSaltSize);
  return out;
}

bool decryptPages(std::string_view file, const std::string& password, std::string& plain) {
  if (file.size() < kPageSize || file.size() % kPageSize) return false;
  const Keys k = keysFor(password, file.substr(0, kSaltSize));
  plain.assign(file.size(), '\0');
  for (size_t p = 0; p < file.size() / kPageSize; ++p) {
    const int offset = p == 0 ? kSaltSize : 0;
    const auto* in = reinterpret_cast<const unsigned char*>(file.data()) + p * kPageSize + offset;
    auto* o = reinterpret_cast<unsigned char*>(plain.data()) + p * kPageSize + offset;
    const int size = kPageSize - offset - kReserve;
    unsigned char mac[EVP_MAX_MD_SIZE];
    pageMac(k, in, size + kIv, static_cast<uint32_t>(p + 1), mac);
    if (std::memcmp(mac, in + size + kIv, kMac) != 0) return false;
    aes(false, k, in + size, in, size, o);
    std::memcpy(o + size, in + size, kReserve);
  }
  std::memcpy(plain.data(), "SQLite format 3", 16);
  return true;
}

}  // namespace kmfuzz

// The cipher library's key derivation, remembered per password, salt and
// round count.
extern "C" int PKCS5_PBKDF2_HMAC_SHA1(const char* pass, int passlen, const unsigned char* salt, int saltlen, int iter,
                                      int keylen, unsigned char* out) {
  if (passlen < 0) passlen = static_cast<int>(std::strlen(pass));
  return kmfuzz::derive(std::string(pass, passlen), std::string_view(reinterpret_cast<const char*>(salt), saltlen),
                        iter, keylen, out);
}
