#pragma once
// The key of an encrypted database, derived as the cipher library derives it
// from the password (PBKDF2-HMAC-SHA1, 64000 rounds, the 16-byte salt at the
// head of the file, 32 bytes), but with its two 20-byte blocks derived side
// by side: the same key in about a third of the time.  The file is not
// changed in any way; the connection is keyed with the raw key instead.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace km {

inline constexpr int kKdfRounds = 64000;
using DatabaseKey = std::array<std::uint8_t, 32>;
using DatabaseSalt = std::array<std::uint8_t, 16>;

// Fastest: the processor's SHA instructions when it has them, both blocks on
// this thread; Portable: the crypto library's block function, a thread a block.
enum class KeyDerivationPath { Fastest, Portable };

// PBKDF2-HMAC-SHA1 of `password` and `salt` to 32 bytes.
DatabaseKey deriveDatabaseKey(const std::string& password, const DatabaseSalt& salt, int rounds = kKdfRounds,
                              KeyDerivationPath path = KeyDerivationPath::Fastest);

// "x'<64 hex digits>'": the value of PRAGMA key for a raw key.
std::string rawKeyLiteral(const DatabaseKey& key);

}  // namespace km
