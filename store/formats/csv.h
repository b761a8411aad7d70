#pragma once
// The history as CSV: draw,date,n1,n2,n3,n4,n5,bonus, with the prizes
// w1..w4 (winning tickets of tiers 1..4) and p1..p4 (yen per winning ticket)
// after them where they are wanted; and the results files that sites and
// banks offer for download, with a Japanese header row.
#include <string>
#include <string_view>
#include <vector>

#include "store/history.h"
#include "store/result.h"

namespace km {

inline constexpr const char* kCsvHeader = "draw,date,n1,n2,n3,n4,n5,bonus";
inline constexpr const char* kCsvPrizeHeader = "draw,date,n1,n2,n3,n4,n5,bonus,w1,w2,w3,w4,p1,p2,p3,p4";

// Files larger than this are refused before reading: a full history of 32767
// draws takes about 1.3 MB.
inline constexpr long long kMaxCsvBytes = 64LL * 1024 * 1024;
// A longer line is refused (a line of the history takes under 100 bytes), and
// so is a line with more fields than its form has, as soon as the field past
// them ends: a line of one huge field or of millions of commas is never held
// in memory.
inline constexpr size_t kMaxCsvLineBytes = 4 * 1024;

// The readers give the draws and the prizes of the rows whose eight prize
// fields are filled, or a failure: Invalid for a bad line ("N行目：reason",
// Japanese), and for a file that cannot be read Missing, Unreadable,
// NotRegular or TooLarge, with the system's words as its cause.

// Parses and checks the text a line at a time, stopping at the first bad
// line: header, eight fields a line (or sixteen under kCsvPrizeHeader), draw
// numbers (parseDrawNo) strictly ascending, dates empty or YYYY-MM-DD,
// numbers empty or lottery numbers as parseCellNumber reads them; the eight
// prize fields of a row all empty (no prize known) or all whole numbers.
Result<DrawList> parseHistoryCsv(std::string_view text);
// Reads the file as parseHistoryCsv reads a text, a block at a time: the
// memory it takes does not grow with the file.  A missing file, a folder, a
// pipe or a device, and a file over kMaxCsvBytes are refused before reading;
// `error` then says so without a line number.
Result<DrawList> readHistoryCsvFile(const std::string& path);
std::string historyToCsv(const std::vector<Draw>& draws);
// The 16 columns of kCsvPrizeHeader; the prize fields of a draw without an
// entry in `prizes` are empty.
std::string historyToCsvWithPrizes(const std::vector<Draw>& draws, const PrizeTable& prizes);

// A results file as sites and banks offer it, already in UTF-8 (see
// textAsUtf8 in store/formats/feed.h): a header row naming the columns 回号, 開催回
// or 回; 抽せん日 or 日付; 本数字1..5, 抽せん数字1..5 or 第1数字..第5数字; and
// ボーナス数字, in any order among other columns, which are ignored; and the
// prizes where the header names all eight of their columns (fewer are
// ignored, as a bank's file with 1等 alone has them) by tier and 口数
// or 当せん金 (当選金, 賞金, 金額: "1等口数", "１等 当せん金"), read as the entry
// window takes them (PrizeTexts: "1,234,567円", "該当なし").  Lines
// before the header are skipped (at most 10).  Draw numbers may be written
// 第1234回, dates as normalizedDate reads them.  Errors are in Japanese and
// name the line.  At most 32767 draws, in the order listed.
Result<DrawList> parseResultsCsv(std::string_view utf8);
// True when one of the first lines of `utf8` is such a header row.
bool looksLikeResultsCsv(std::string_view utf8);

}  // namespace km
