#include "store/history.h"

namespace km {

Stats computeStats(const std::vector<Draw>& rows) {
  Stats s;
  if (rows.empty()) return s;  // every statistic keeps its initial value

  for (const Draw& d : rows) {
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f) ++s.NumberHits[d[f]];
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
