#pragma once
// Page images of the store's encrypted database, for the fuzzers.
//
// The store keys every connection with a password, 1024-byte pages and
// 64000 PBKDF2-HMAC-SHA1 rounds.  A fuzzer that mutated the encrypted file
// itself would only ever reach the page checksum check, so the database
// fuzzers also hand the store plaintext page images that this file encrypts
// exactly as the cipher library does (AES-256-CBC, a random IV and an
// HMAC-SHA1 over each page, the key salt in the first 16 bytes of the file).
//
// Deriving the key costs 64000 rounds on every open; linking this file into a
// fuzzer replaces the library's PBKDF2 entry point with one that remembers the
// keys it derived (the same result, computed once per password and salt).
#include <string>
#include <string_view>

namespace kmfuzz {

inline constexpr int kPageSize = 1024;
inline constexpr int kReserve = 48;  // 16 IV + 20 HMAC, rounded up to the AES block
inline constexpr int kSaltSize = 16;

// Encrypts the plaintext page image (page 1 first; the first 16 bytes of page
// 1, the plain file header, are replaced by `salt`).  A last partial page is
// padded with zeros.  The reserved tail of each page is overwritten.
std::string encryptPages(std::string_view plain, const std::string& password, std::string_view salt);
// The reverse; false when a page's HMAC does not match.
bool decryptPages(std::string_view file, const std::string& password, std::string& plain);

// PBKDF2 calls that derived a key (not served from memory), for the summary.
long slowKeyDerivations();

}  // namespace kmfuzz
