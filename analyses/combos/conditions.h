#pragma once
// 組合せ作成: the conditions a player narrows the 169,911 lines of five
// numbers from 1..31 with, and the honest account of each: how many lines it
// keeps, and how many of the stored winning lines it kept (each past draw
// judged as it could have been judged then).
//
// Several ticked values of one condition keep a line that has any of them;
// the conditions combine with AND.  A condition with nothing ticked is off.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/formats/tickets_file.h"
#include "store/history.h"

namespace km {

// C(31,5): every line of five numbers.
inline constexpr int kLineCount = 169911;
// The least and the largest sum of five different numbers 1..31.
inline constexpr int kMinLineSum = 1 + 2 + 3 + 4 + 5;
inline constexpr int kMaxLineSum = 27 + 28 + 29 + 30 + 31;
inline constexpr int kMaxAxisNumbers = 4;
inline constexpr int kMaxRecentDraws = 10;
// Low numbers are 1..15, high 16..31 (as in the 低数字・高数字 window).
inline constexpr int kHighestLowNumber = 15;

enum class Condition : std::uint8_t { Axis, Excluded, Sum, Odd, Low, Consecutive, Recent, LastDigits };
inline constexpr int kConditionCount = 8;

// Ticked counts: bit v keeps the lines with the count v; none ticked is off.
using CountSet = std::uint8_t;
// Numbers as bits: bit n stands for the number n (1..31).
using NumberSet = std::uint32_t;

// The values each counted condition may take, first and last.
struct CountRange {
  int first, last;
};
CountRange countRange(Condition c);

// What a condition is called in a sentence (軸数字, 合計, 奇数の個数, …).
const char* conditionName(Condition c);

struct Conditions {
  NumberSet axis = 0;      // every line holds these (at most four)
  NumberSet excluded = 0;  // no line holds any of these
  bool sum = false;        // the sum lies in sumFrom..sumTo
  int sumFrom = kMinLineSum, sumTo = kMaxLineSum;
  CountSet odd = 0;          // odd numbers in the line, 0..5
  CountSet low = 0;          // low numbers (1..15), 0..5
  CountSet consecutive = 0;  // neighbouring pairs of the sorted five that differ by 1, 0..4
  CountSet recent = 0;       // numbers of the line among the main numbers of the last N draws, 0..5
  int recentDraws = 5;       // N, 1..10
  CountSet lastDigits = 0;   // different last digits, 1..5
  bool on(Condition c) const;
  bool any() const;
  bool operator==(const Conditions&) const = default;
};

// Why the conditions cannot be used, in Japanese (empty when they can): more
// than four axis numbers, a number both axis and excluded, a sum range
// backwards or outside 15..145, N outside 1..10, a count outside its range.
std::string conditionsProblem(const Conditions& c);

// What a line is judged by.
struct LineTraits {
  int sum = 0, odd = 0, low = 0, consecutive = 0, lastDigits = 0;
};
// The traits of five different numbers 1..31 in ascending order.
LineTraits lineTraits(const TicketNumbers& line);
NumberSet numberSet(const TicketNumbers& line);
int numberCount(NumberSet s);

// What one condition, or all of them, keeps.
struct Share {
  bool on = false;
  long long kept = 0;  // of kLineCount lines
  int hits = 0;        // stored winning lines it kept
  int judged = 0;      // stored draws judged
};

struct Figures {
  std::array<Share, kConditionCount> each;
  Share all;
  NumberSet numbersLeft = 0;  // the numbers of at least one kept line
};

// Every line and every stored draw, prepared once per history: the figures
// and the lines of any conditions are then a pass over small tables.
// Draws whose five main numbers are not all entered are skipped.  For
// 直近N回 a past draw is judged against the N draws before it; a draw
// without N draws before it is not judged (by that condition, nor by all of
// them together when it is on).  The lines themselves are judged against
// the last N stored draws.
class LineSpace {
 public:
  explicit LineSpace(const History& history);

  Figures figures(const Conditions& c) const;
  // The kept lines in ascending order, at most `limit` of them.
  std::vector<TicketNumbers> keptLines(const Conditions& c, size_t limit = kLineCount) const;
  // `count` kept lines chosen at random from `seed` (the same seed and
  // conditions choose the same lines, on any machine), in ascending order;
  // every kept line when there are no more than `count`.
  std::vector<TicketNumbers> sampleLines(const Conditions& c, int count, std::uint64_t seed) const;
  // The main numbers of the last n stored draws (1..10).
  NumberSet recentNumbers(int n) const;
  int drawCount() const { return static_cast<int>(draws_.size()); }

 private:
  struct Judged {
    NumberSet numbers;
    LineTraits traits;
    std::array<NumberSet, kMaxRecentDraws + 1> before;  // the numbers of the 1..10 draws before it
  };
  template <class F>
  void forEachKept(const Conditions& c, F f) const;
  std::vector<Judged> draws_;
};

// The largest seed one can type and the tool takes.
inline constexpr std::uint64_t kMaxSeed = 999999999;

// The values of a condition as typed or given to the tool.
struct NumberSetParse {
  NumberSet set = 0;
  std::string error;  // Japanese, without the condition's name
  bool ok() const { return error.empty(); }
};
// Different numbers 1..31 separated by spaces or commas ("3 7", "３、７"); empty: none.
NumberSetParse parseNumberSet(std::string_view text);
struct CountsParse {
  CountSet set = 0;
  std::string error;
  bool ok() const { return error.empty(); }
};
// Different counts within `range`, separated by commas or spaces ("2,3").
CountsParse parseCountSet(std::string_view text, CountRange range);

// "3 7" and "2,3": the texts of a set, ascending.
std::string numberSetText(NumberSet s);
std::string countSetText(CountSet s);

}  // namespace km
