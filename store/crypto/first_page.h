#pragma once
// Page 1 of an encrypted database as the cipher library lays it out: the
// 16-byte salt at its head, then the encrypted header, the IV and the
// page's HMAC.  Looked at before the library reads the page (it reads past
// its page buffer when the header claims another page size).
#include <optional>
#include <string_view>

#include "store/crypto/key_derivation.h"

namespace km {

// The salt at the head of page 1; nothing when the bytes are fewer.
std::optional<DatabaseSalt> saltOfFirstPage(std::string_view page);

// Whether page 1, keyed with `key`, claims a page size other than
// `pageSize`.  The page is authenticated as the library does it (HMAC-SHA1
// over the encrypted data and the IV with the page number, keyed by a key
// derived from the data key), and its first block decrypted to read the
// header's page size.  A page that does not authenticate (another key,
// damage, fewer bytes than a page) claims nothing: the library reports it.
bool claimsAnotherPageSize(std::string_view page, const DatabaseKey& key, int pageSize);

}  // namespace km
