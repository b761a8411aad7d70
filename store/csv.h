#pragma once
// The history as CSV: draw,date,n1,n2,n3,n4,n5,bonus
#include <string>
#include <string_view>
#include <vector>

#include "store/history.h"

namespace km {

inline constexpr const char* kCsvHeader = "draw,date,n1,n2,n3,n4,n5,bonus";

// Files larger than this are refused before reading: a full history of 32767
// draws takes about 1.3 MB.
inline constexpr long long kMaxCsvBytes = 64LL * 1024 * 1024;
// A longer field is refused (no sound field comes near it), so that a line of
// one huge field is never held in memory.
inline constexpr size_t kMaxCsvFieldBytes = 64 * 1024;

struct CsvResult {
  bool ok = false;
  std::string error;  // "line N: reason"
  std::vector<Draw> draws;
};

// Parses and checks the text a line at a time, stopping at the first bad
// line: header, eight fields a line, draw numbers (digits, 1..32767) strictly
// ascending, dates empty or YYYY-MM-DD, numbers empty or lottery numbers as
// parseCellNumber reads them.
CsvResult parseHistoryCsv(std::string_view text);
// Reads the file as parseHistoryCsv reads a text, a block at a time: the
// memory it takes does not grow with the file.  A missing file, a folder, a
// pipe or a device, and a file over kMaxCsvBytes are refused before reading;
// `error` then says so without a line number.
CsvResult readHistoryCsvFile(const std::string& path);
std::string historyToCsv(const std::vector<Draw>& draws);

}  // namespace km
