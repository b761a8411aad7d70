#pragma once
// The history file's layout: its table, view and columns, the statements
// that create them, and the cipher settings every connection fixes.  Names a
// stored file holds are spelled here only.
#include <string>

#include "store/history.h"

namespace km::schema {

// The draw table: one row per draw, the draw number its key.
inline constexpr const char* kDrawTable = "当選データ";
// The view every reader of the history reads through (a file of an older or
// newer version may define it over other tables).
inline constexpr const char* kHistoryView = "全データ選択クエリ";

inline constexpr const char* kDrawNo = "回数";
inline constexpr const char* kDate = "抽選日";
// 第1数字..第5数字, ボーナス数字
inline constexpr const char* kNumbers[kNumberFields] = {"第1数字", "第2数字", "第3数字",
                                                        "第4数字", "第5数字", "ボーナス数字"};

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

// The prizes: one row per draw whose prize is known, the winning tickets and
// the yen paid per winning ticket of tiers 1..4 (a file may lack the table).
inline constexpr const char* kPrizeTable = "当選金";
inline constexpr const char* kPrizeColumns[2 * kPrizeTiers] = {"1等口数", "2等口数", "3等口数", "4等口数",
                                                               "1等賞金", "2等賞金", "3等賞金", "4等賞金"};
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
