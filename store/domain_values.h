#pragma once
// The values a history is made of, each with its one rule: every reader and
// writer (the start-up read, the CSV reader, the entry store, the update's
// check, kazumaki-tool) and the analyses' guards test them here.
#include <string>
#include <string_view>

namespace km {

// 回数: a draw number is a whole number 1..32767 (the draw table's key).
inline constexpr int kMinDrawNo = 1;
inline constexpr int kMaxDrawNo = 32767;
constexpr bool isDrawNo(long long v) { return v >= kMinDrawNo && v <= kMaxDrawNo; }

// 第1数字..第5数字, ボーナス数字: a lottery number is a whole number 1..31.
inline constexpr int kMinNumber = 1;
inline constexpr int kMaxNumber = 31;
constexpr bool isLotteryNumber(long long v) { return v >= kMinNumber && v <= kMaxNumber; }

// 抽選日: YYYY-MM-DD naming a day that exists (years 0001..9999, leap years
// as the Gregorian calendar has them).
bool isCalendarDate(const std::string& date);

// A number written as text: what is typed into the entry window or
// kazumaki-tool, what a CSV file holds, and a number field stored as text.
// Spaces around it (half-width, full-width, tabs) are ignored; full-width
// digits count as their half-width value ("１２" is 12).
struct CellNumber {
  enum Kind { Empty, Number, Wrong } kind = Empty;
  int value = 0;  // when kind is Number
};
// Empty, a whole number written in digits (below 10^9), or Wrong ("5.0",
// "+5", "-3", "abc").
CellNumber parseWholeNumber(std::string_view text);
// A number cell: Empty, a lottery number written in digits, or Wrong (the
// above, and "0", "32").
CellNumber parseCellNumber(std::string_view text);
// Why a Wrong text is refused, for messages.
const char* wrongNumberReason();

}  // namespace km
