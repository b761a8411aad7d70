#include "store/csv.h"

#include <cctype>
#include <sstream>

namespace km {

namespace {

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : line) {
    if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

bool parseInt(const std::string& s, long& v) {
  if (s.empty() || s.size() > 9) return false;
  v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

bool validDate(const std::string& s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
  const int month = (s[5] - '0') * 10 + (s[6] - '0');
  const int day = (s[8] - '0') * 10 + (s[9] - '0');
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

CsvResult parseHistoryCsv(const std::string& text) {
  CsvResult r;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    r.draws.clear();
    r.error = "line " + std::to_string(lineNo) + ": " + why;
    return r;
  };
  static const char* kFieldNames[] = {"n1", "n2", "n3", "n4", "n5", "bonus"};
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNo == 1) {
      if (line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      if (line != kCsvHeader) return fail(std::string("the header must be ") + kCsvHeader);
      continue;
    }
    if (line.empty()) {
      if (in.peek() == EOF) break;  // trailing blank line
      return fail("empty line");
    }
    const auto f = splitFields(line);
    if (f.size() != 8) return fail("expected 8 fields, found " + std::to_string(f.size()));
    long no = 0;
    if (!parseInt(f[0], no)) return fail("draw number '" + f[0] + "' is not a whole number");
    if (no < 1 || no > 32767) return fail("draw number " + f[0] + " is outside 1..32767");
    if (!r.draws.empty()) {
      if (no == r.draws.back().no) return fail("duplicate draw number " + f[0]);
      if (no < r.draws.back().no) return fail("draw number " + f[0] + " is not ascending");
    }
    Draw d;
    d.no = static_cast<int>(no);
    if (!f[1].empty() && !validDate(f[1])) return fail("date '" + f[1] + "' is not YYYY-MM-DD");
    d.date = f[1];
    for (int i = 0; i < kNumberFields; ++i) {
      const std::string& s = f[2 + i];
      if (s.empty()) continue;
      long v = 0;
      if (!parseInt(s, v)) return fail(std::string(kFieldNames[i]) + " '" + s + "' is not a whole number");
      if (!isLotteryNumber(static_cast<int>(v)))
        return fail(std::string(kFieldNames[i]) + " " + s + " is outside 1..31");
      d.n[i] = static_cast<int>(v);
    }
    r.draws.push_back(std::move(d));
  }
  if (lineNo == 0) {
    lineNo = 1;
    return fail("the file is empty");
  }
  r.ok = true;
  return r;
}

std::string historyToCsv(const std::vector<Draw>& draws) {
  std::string out = std::string(kCsvHeader) + "\n";
  for (const Draw& d : draws) {
    out += std::to_string(d.no) + "," + d.date;
    for (const auto& v : d.n) {
      out += ',';
      if (v) out += std::to_string(*v);
    }
    out += '\n';
  }
  return out;
}

}  // namespace km
