#pragma once
// The history file's layout: its table, view and columns (their names in
// store/schema_names.h), the statements that create them, and the cipher
// settings every connection fixes.
#include <string>

#include "store/history.h"
#include "store/schema_names.h"

namespace km::schema {

// The draw number and the six number fields, comma-separated, each with
// `prefix` ("q." for a view named q).
inline std::string numberColumns(const std::string& prefix = {}) {
  std::string list = prefix + kDrawNo;
  for (const char* n : kNumbers) list += ", " + prefix + n;
  return list;
}
// Every column of the draw table in its order: number, date, the six numbers.
inline std::string drawColumns() {
  std::string list = std::string(kDrawNo) + ", " + kDate;
  for (const char* n : kNumbers) list += std::string(", ") + n;
  return list;
}

inline std::string createDrawTable() {
  std::string sql =
      std::string("CREATE TABLE ") + kDrawTable + " (" + kDrawNo + " INTEGER PRIMARY KEY, " + kDate + " TEXT";
  for (const char* n : kNumbers) sql += std::string(", ") + n + " INTEGER";
  return sql + ")";
}
inline std::string createHistoryView() {
  return std::string("CREATE VIEW ") + kHistoryView + " AS SELECT " + numberColumns() + " FROM " + kDrawTable +
         " ORDER BY " + kDrawNo;
}

// ", "1等口数", ..." with each name followed by `type`.
inline std::string prizeColumns(const std::string& type = {}) {
  std::string c;
  for (const char* n : kPrizeColumns) c += std::string(", \"") + n + "\"" + type;
  return c;
}
inline std::string createPrizeTable() {
  return std::string("CREATE TABLE ") + kPrizeTable + " (" + kDrawNo + " INTEGER PRIMARY KEY" +
         prizeColumns(" INTEGER") + ")";
}

// Fixed on every connection after its key, so that later versions of the
// cipher library open the same files.
inline constexpr int kCipherPageSize = 1024;
inline constexpr const char* kCipherSettings[] = {
    "PRAGMA cipher_page_size = 1024",
    "PRAGMA kdf_iter = 64000",
    "PRAGMA cipher_hmac_algorithm = HMAC_SHA1",
    "PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1",
};

}  // namespace km::schema
