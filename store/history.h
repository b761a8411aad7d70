#pragma once
// The draw record, the in-memory history snapshot and the start-up statistics.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/domain_values.h"
#include "store/result.h"

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
// The largest count or amount a reader takes is kMaxPrizeValue (domain_values.h).
// Prizes by draw number; a draw without an entry has no known prize.
using PrizeTable = std::map<int, Prize>;

// A prize as text, as it is typed (the entry window, kazumaki-tool prizes)
// or read from a results file: per tier 1..4 its 口数 (winning tickets),
// then its 当せん金 (yen per winning ticket).  The eight are written
// together: all eight sound figures (parsePrizeFigure) that agree tier by
// tier (prizeTierProblem), or all eight empty (no prize known).
inline constexpr int kPrizeFields = 2 * kPrizeTiers;
using PrizeTexts = std::array<std::string, kPrizeFields>;
// "1等口数", "1等当せん金", "2等口数", ...
std::string prizeFieldName(int field);
// Why the eight texts are no prize; `field` (when given) is set to the first
// field at fault.  Empty when they are one, or all empty.
std::string prizeProblem(const PrizeTexts& texts, int* field = nullptr);
// The prize of sound texts; none when they are all empty (or not sound).
std::optional<Prize> prizeOf(const PrizeTexts& texts);
// A prize as the store writes it back: plain digits; all empty for none.
PrizeTexts prizeTexts(const std::optional<Prize>& prize);
// A figure with separators between groups of three ("1,234,567").
std::string groupedFigure(long long value);

// The values of a draw, each made only through its rule in domain_values.h:
// a value of these types is always a sound one, so nothing that reads a
// history looks at its range again.  Each reads as a plain int (a date as
// its text).

// A whole number that can only hold what its rule (domain_values.h) accepts.
template <bool (*Rule)(long long)>
class RuledNumber {
 public:
  static constexpr std::optional<RuledNumber> of(long long v) {
    return Rule(v) ? std::optional<RuledNumber>(RuledNumber(static_cast<int>(v))) : std::nullopt;
  }
  constexpr operator int() const { return value_; }
  constexpr bool operator==(const RuledNumber&) const = default;

 private:
  constexpr explicit RuledNumber(int v) : value_(v) {}
  int value_;
};

// 回数: a draw number 1..32767.
using DrawNo = RuledNumber<isDrawNo>;
// 第1数字..第5数字, ボーナス数字: a lottery number 1..31.
using LotteryNumber = RuledNumber<isLotteryNumber>;

// 抽選日: empty, or YYYY-MM-DD naming a day of the calendar.
class DrawDate {
 public:
  DrawDate() = default;
  static std::optional<DrawDate> of(std::string text) {
    if (!text.empty() && !isCalendarDate(text)) return std::nullopt;
    DrawDate d;
    d.text_ = std::move(text);
    return d;
  }
  const std::string& text() const { return text_; }
  bool empty() const { return text_.empty(); }
  operator const std::string&() const { return text_; }
  bool operator==(const DrawDate&) const = default;
  friend bool operator==(const DrawDate& d, std::string_view text) { return d.text_ == text; }

 private:
  std::string text_;
};

// One draw of the history: its number, the six numbers (a number not yet
// entered is empty) and its date (empty when none is known).
struct Draw {
  explicit Draw(DrawNo drawNo) : no(drawNo) {}

  DrawNo no;                                                  // 回数
  std::array<std::optional<LotteryNumber>, kNumberFields> n;  // 第1数字..第5数字, ボーナス数字
  DrawDate date;                                              // 抽選日

  bool complete() const {
    for (const auto& v : n)
      if (!v) return false;
    return true;
  }
  // Value of a field; 0 when it is empty.
  int operator[](int field) const { return n[field] ? static_cast<int>(*n[field]) : 0; }
  bool operator==(const Draw&) const = default;
};

// A whole draw, made only through its rule: five different main numbers
// 1..31 and a bonus 1..31 that is none of them.  A stored history may hold
// draws with an empty number (they are kept and shown as they are); what
// checks or counts draws (the update's check, the entry of a new draw, the
// statistics) works on whole draws and never looks at their numbers again.
class WholeDraw {
 public:
  // The whole draw, or why not (Invalid): "「第3数字」が空欄です。", "「第3数字」の
  // 32は1〜31の数ではありません。" or says::repeatedNumber for the field.
  static Result<WholeDraw> of(const Draw& d);
  static Result<WholeDraw> of(DrawNo no, const std::array<int, kNumberFields>& numbers);
  // The first field that keeps a draw from being whole: an empty number or
  // one out of range, else the later of two fields that hold the same number;
  // -1 when it is whole.
  static int brokenField(const std::array<int, kNumberFields>& numbers);

  const Draw& draw() const { return draw_; }
  DrawNo no() const { return draw_.no; }
  // The five main numbers in the order drawn, and the bonus.
  std::array<int, 5> mains() const { return {draw_[N1], draw_[N2], draw_[N3], draw_[N4], draw_[N5]}; }
  int bonus() const { return draw_[Bonus]; }
  int sum() const { return draw_[N1] + draw_[N2] + draw_[N3] + draw_[N4] + draw_[N5]; }

 private:
  explicit WholeDraw(Draw d) : draw_(std::move(d)) {}
  Draw draw_;
};

// Draws as a file or a source lists them, with the prizes it gives.
struct DrawList {
  std::vector<Draw> draws;
  PrizeTable prizes;  // of the draws whose prize is known
};

// Whole-history statistics computed once at start-up.
struct Stats {
  int LastDrawNo = 0;  // draw number of the last complete row, 0 when none
  // Hits per lottery number (index 1..31) over the complete rows, main and
  // bonus numbers alike.
  std::array<int, kMaxNumber + 1> NumberHits{};
  int HitsMax = 0;
  int HitsMin = 0;
  int HitsGroupCount = 0;                  // 1 + number of distinct hit counts among 1..31
  std::vector<std::string> NumbersByHits;  // index = hit count, "3,17,28"; empty when no rows
};

Stats computeStats(const std::vector<Draw>& rows);

// The snapshot every analysis reads: the rows of the history query in 回数
// order (draws) and the statistics derived from them.
struct History {
  std::vector<Draw> draws;
  Stats stats;
  PrizeTable prizes;  // of the draws whose prize is stored
  // The draws that are whole, in the same order: what the statistics count.
  std::vector<WholeDraw> whole;

  static History fromRows(std::vector<Draw> rows, PrizeTable prizes = {}) {
    History h;
    h.draws = std::move(rows);
    h.prizes = std::move(prizes);
    h.stats = computeStats(h.draws);
    for (const Draw& d : h.draws)
      if (Result<WholeDraw> w = WholeDraw::of(d)) h.whole.push_back(std::move(*w));
    return h;
  }
  int recordCount() const { return static_cast<int>(draws.size()); }
};

}  // namespace km
