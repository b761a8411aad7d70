#pragma once
// The values a history is made of, each with its one rule: every reader and
// writer (the start-up read, the CSV reader, the entry store, the update's
// check, kazumaki-tool) tests them here, and the typed values of a draw
// (history.h) are made only through them.
#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// Days since 1970-01-01 of a calendar date YYYY-MM-DD.
std::optional<long> dayNumber(const std::string& date);
// The day of the week of a calendar date: 0 Sunday .. 6 Saturday; -1 when it is none.
int weekdayOf(const std::string& date);
// "月曜日" for 1, ...
const char* weekdayName(int weekday);

// The draws' calendar.  Mini Loto is drawn on Tuesdays at 18:45 in Japan;
// the Tuesdays from 31 December to 3 January have no draw (the year-end
// break), and the first thirteen draws were a fortnight apart.
inline constexpr int kDrawWeekday = 2;  // Tuesday
inline constexpr int kLastFortnightlyDrawNo = 13;
// Whether a calendar date falls within the year-end break (31 December .. 3 January).
bool isYearEndBreak(const std::string& date);
// The date the calendar gives for the draw after draw `no`, held on `date`:
// a fortnight later after draws 1..12, else a week later, the Tuesdays of the
// year-end break passed over.  Empty when `date` is none.
std::string nextDrawDate(int no, const std::string& date);
// How many draws the calendar holds after draw `no`, held on `date`, up to
// and including `today`; 0 when either date is none.
int drawsDue(int no, const std::string& date, const std::string& today);
// Why `date` (YYYY-MM-DD) cannot be the date of draw `no` when the draw is
// new to the history (typed, or from a list, a file or a downloaded
// database): a day other than Tuesday, a Tuesday of the year-end break, or a
// day after `today` (the date in Japan; not checked when empty).  The reason
// names the draw, the date and the rule ("第1401回の抽選日 2026-08-24 は月曜日
// です。ミニロトの抽せんは火曜日です。"); empty when the date can be the draw's.
std::string newDrawDateProblem(int no, const std::string& date, const std::string& today);

// "Now" for every rule that counts from today: the system clock, unless a
// test has set another.  setClock returns the clock it replaces (nullptr:
// the system's).
using Clock = std::chrono::system_clock::time_point (*)();
inline constexpr int kJapanOffsetMinutes = 9 * 60;
Clock setClock(Clock clock);
std::chrono::system_clock::time_point now();
// The date in Japan (UTC+9 all year) at `t`, YYYY-MM-DD: the draws are held
// in Japan, so their dates and "today" are Japan's whatever the computer's zone.
std::string japanDate(std::chrono::system_clock::time_point t);
// Today's date in Japan, YYYY-MM-DD.
std::string todayDate();

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
// 回数 written as text, by every reader of an outside list or file: a whole
// number as parseWholeNumber reads it (so full-width digits count, "１２" is
// 12) that is a draw number; Empty, Number or Wrong ("0", "32768", "1.0").
CellNumber parseDrawNo(std::string_view text);
// A date written as the results lists write it or as it is typed: YYYY-MM-DD,
// YYYY/M/D (or YYYY/MM/DD) and YYYY年M月D日, as YYYY-MM-DD; full-width digits
// and the full-width separators (／, －, and the dashes an input method
// types) count as their half-width ones, and spaces around it are ignored, as
// for a number.  A date followed by a time ("2026-08-18T18:45:00",
// "2026-08-18 18:45") is that date; with a zone after the time ("…Z",
// "…+09:00", "…-0500") it is the date in Japan of that moment.  Empty when
// it is none of these or no day of the calendar.
std::string normalizedDate(std::string_view text);
// A number cell: Empty, a lottery number written in digits, or Wrong (the
// above, and "0", "32").
CellNumber parseCellNumber(std::string_view text);
// Numbers written in a row, as they are typed or given on a command line:
// the texts between separators (spaces half-width or full-width, tabs, and
// commas ",", "，", "、"), each to be read by parseCellNumber (or
// parseWholeNumber); empty when there is none.
std::vector<std::string_view> numberTexts(std::string_view text);
// Lottery numbers written in a row: every text between separators a lottery
// number as parseCellNumber reads it, none twice; in the order written.
// Nothing when there is none, or for any other text ("7.5", "-3", "7abc12",
// "0", "7 7").
std::optional<std::vector<int>> readLotteryNumbers(std::string_view text);
// Why a Wrong text is refused: says::wrongNumberReason().

// One draw holds six different numbers: 第1数字..第5数字 and ボーナス数字 as
// numbers (0 for an empty field), the first field, in that order, whose
// number an earlier field already holds; -1 when no number repeats.
int repeatedNumberField(const std::array<int, 6>& numbers);
// Whether another field holds the number of field `field` (0..5).
bool numberRepeated(const std::array<int, 6>& numbers, int field);
// Why the repeat at `field` is refused: says::repeatedNumber(field == Bonus).

// 当選口数 and 1口の当せん金 (a prize figure): a whole number 0..kMaxPrizeValue
// (the largest paid so far is 4 * 10^7 yen), written in digits with or
// without separators between groups of three ("1,234,567", "１，２３４"), "円"
// or "口" after it, or "該当なし" (nobody won the tier: 0); spaces around it
// are ignored, as for a number.  Empty, Number or Wrong ("-5", "12,34", "1.5").
inline constexpr long long kMaxPrizeValue = 999999999;
CellNumber parsePrizeFigure(std::string_view text);
// Why a Wrong prize figure is refused: says::wrongPrizeReason().
// Why a tier's two figures cannot stand together: yen for a tier nobody won,
// or no yen for one somebody won; empty when they can (0 winners, 0 yen).
std::string prizeTierProblem(long long winners, long long yen);

}  // namespace km
