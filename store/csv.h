#pragma once
// The history as CSV: draw,date,n1,n2,n3,n4,n5,bonus
#include <string>
#include <vector>

#include "store/history.h"

namespace km {

inline constexpr const char* kCsvHeader = "draw,date,n1,n2,n3,n4,n5,bonus";

struct CsvResult {
  bool ok = false;
  std::string error;  // "line N: reason"
  std::vector<Draw> draws;
};

// Parses and checks the whole text: header, eight fields a line, draw numbers
// (digits, 1..32767) strictly ascending, dates empty or YYYY-MM-DD, numbers
// empty or lottery numbers as parseCellNumber reads them.
CsvResult parseHistoryCsv(const std::string& text);
std::string historyToCsv(const std::vector<Draw>& draws);

}  // namespace km
