#pragma once
// What the database fuzzers turn their input into: the first byte chooses how
// the rest becomes the database file.
//   mode 0: the rest is the file as it stands (garbage, truncated, unencrypted,
//           a damaged encrypted file);
//   mode 1: the rest is a plaintext page image, encrypted with the program's
//           key (damaged pages, wrong schemas and values behind a sound cipher);
//   mode 2: as 1, encrypted with another password (a wrongly keyed file).
// Bit 3 of the first byte asks the reader for the draw dates as well.
//
// In modes 1 and 2 the page size and reserved bytes in the plaintext header
// are kept at 1024 and 48: the linked SQLCipher 3.4.1 reads beyond a page
// buffer when a correctly keyed file's header gives another page size
// (fuzz/known/database-page-size-512, see docs/reliability.md).  Set
// KM_FUZZ_ANY_PAGE_SIZE=1 to fuzz those too.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/cipher_pages.h"
#include "store/sqlite/database.h"

namespace kmfuzz {

struct DatabaseInput {
  int mode = 0;
  bool withDates = false;
  std::string file;
};

inline constexpr char kFuzzSalt[] = "kazumaki-fuzz-16";  // 16 bytes and a NUL

inline DatabaseInput databaseInput(const uint8_t* data, size_t size) {
  DatabaseInput in;
  if (size == 0) return in;
  in.mode = data[0] % 4 == 3 ? 0 : data[0] % 4;
  in.withDates = (data[0] & 8) != 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const bool anyPageSize = std::getenv("KM_FUZZ_ANY_PAGE_SIZE") != nullptr;
  if (in.mode == 0) {
    in.file.assign(rest);
    return in;
  }
  std::string plain(rest);
  if (!anyPageSize && plain.size() > 20) {
    plain[16] = 0x04;  // page size 1024, big-endian
    plain[17] = 0x00;
    plain[20] = kReserve;
  }
  in.file = encryptPages(plain, in.mode == 1 ? km::databasePassword() : std::string("000000"),
                         std::string_view(kFuzzSalt, kSaltSize));
  return in;
}

}  // namespace kmfuzz
