#pragma once
// The draw record, the in-memory history snapshot and the start-up statistics.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/domain_values.h"

namespace km {

// Field positions of the six numbers of a draw: 第1数字..第5数字, ボーナス数字.
enum Field : int { N1 = 0, N2 = 1, N3 = 2, N4 = 3, N5 = 4, Bonus = 5 };
constexpr int kNumberFields = 6;

// What a draw paid, where a source gave it: per tier 1..4 (index 0..3) the
// number of winning tickets and the yen paid for each winning ticket (0 when
// nobody won the tier).
inline constexpr int kPrizeTiers = 4;
struct Prize {
  std::array<long long, kPrizeTiers> winners{};
  std::array<long long, kPrizeTiers> yen{};
  bool operator==(const Prize&) const = default;
};
// The largest count or amount a reader takes (whole numbers below 10^9, as
// parseWholeNumber reads them); the largest paid so far is 4 * 10^7 yen.
inline constexpr long long kMaxPrizeValue = 999999999;
// Prizes by draw number; a draw without an entry has no known prize.
using PrizeTable = std::map<int, Prize>;

// One row of the history query.  A number field may be empty (NULL, blanks
// or anything but a whole number in the database: storedNumber); numbers are
// kept as the database holds them, so a damaged file may hand out numbers
// outside 1..31, which the analyses guard against.
struct Draw {
  int no = 0;                                       // 回数
  std::array<std::optional<int>, kNumberFields> n;  // 第1数字..第5数字, ボーナス数字
  std::string date;                                 // YYYY-MM-DD or empty

  bool complete() const {
    for (const auto& v : n)
      if (!v) return false;
    return true;
  }
  // Value of a field; only meaningful when the field is filled.
  int operator[](int field) const { return n[field].value_or(0); }
};

// Whole-history statistics computed once at start-up.
struct Stats {
  int LastDrawNo = 0;  // draw number of the last complete row, 0 when none
  // Hits per value 0..3000 over the complete rows, main and bonus numbers
  // alike; a damaged file's values outside 1..31 are counted here too (those
  // outside 0..3000 are not), but the statistics below look at 1..31 only.
  std::array<int, 3001> NumberHits{};
  int HitsMax = 0;
  int HitsMin = 0;
  int HitsGroupCount = 0;                  // 1 + number of distinct hit counts among 1..31
  std::vector<std::string> NumbersByHits;  // index = hit count, "3,17,28"; empty when no rows
};

Stats computeStats(const std::vector<Draw>& rows);

// The snapshot every analysis reads: the rows of the history query in 回数
// order (HistoryRs) and the statistics derived from them.
struct History {
  std::vector<Draw> HistoryRs;
  Stats stats;
  PrizeTable prizes;  // of the draws whose prize is stored

  static History fromRows(std::vector<Draw> rows, PrizeTable prizes = {}) {
    History h;
    h.HistoryRs = std::move(rows);
    h.prizes = std::move(prizes);
    h.stats = computeStats(h.HistoryRs);
    return h;
  }
  int recordCount() const { return static_cast<int>(HistoryRs.size()); }
};

}  // namespace km
