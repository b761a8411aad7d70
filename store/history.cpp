#include "store/history.h"

namespace km {

bool isCalendarDate(const std::string& d) {
  if (d.size() != 10 || d[4] != '-' || d[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (d[i] < '0' || d[i] > '9') return false;
  auto num = [&d](int at, int len) {
    int v = 0;
    for (int i = at; i < at + len; ++i) v = v * 10 + (d[i] - '0');
    return v;
  };
  const int y = num(0, 4), m = num(5, 2), day = num(8, 2);
  if (y < 1 || m < 1 || m > 12 || day < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return day <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

Stats computeStats(const std::vector<Draw>& rows) {
  Stats s;
  if (rows.empty()) return s;  // every statistic keeps its initial value

  for (const Draw& d : rows) {
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f) {
      const int v = d[f];
      // a value outside the table has no entry (counting it would index outside)
      if (v >= 0 && v < static_cast<int>(s.NumberHits.size())) ++s.NumberHits[v];
    }
    s.LastDrawNo = d.no;
  }

  s.HitsMax = 0;
  s.HitsMin = 0;
  s.HitsGroupCount = 1;
  s.NumbersByHits.assign(1, std::string());
  for (int n = 1; n <= kMaxNumber; ++n) {
    const int h = s.NumberHits[n];
    if (h > s.HitsMax) {
      s.HitsMax = h;
      s.NumbersByHits.resize(h + 1);
    }
    std::string& list = s.NumbersByHits[h];
    if (list.empty()) {
      list = std::to_string(n);
      ++s.HitsGroupCount;
    } else {
      list += ',';
      list += std::to_string(n);
    }
  }
  return s;
}

}  // namespace km
