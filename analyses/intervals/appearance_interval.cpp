#include "analyses/intervals/appearance_interval.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "analyses/intervals/interval_grid.h"

namespace km {

namespace {

// Draw numbers are 16-bit: the seen-draws table covers all of them.

// 0: first appearance, 1 or more: that many draws ago, negative: nothing.
void writeInterval(Grid& g, int value, int col, int row) {
  if (value == 0)
    g.setText(col, row, "初回");
  else if (value > 0)
    g.setText(col, row, std::to_string(value) + "回前");
}

}  // namespace

Grid fillAppearanceInterval(const History& history) {
  const int n = history.recordCount();
  Grid g = makeIntervalGrid(n, "    本 数 字     ", "出現");

  // seen[no] holds the six numbers of draw `no`; draws not read yet hold zeros
  std::vector<std::array<int, kNumberFields>> seen(kMaxDrawNo + 1);
  int row = kIntervalFirstDataRow;
  for (const Draw& d : history.draws) {
    if (d.complete()) {
      g.setText(1, row, d.no);
      for (int f = 0; f < kNumberFields; ++f) g.setText(intervalNumberCol(f), row, d[f]);
      for (int f = 0; f < kNumberFields; ++f) seen[d.no][f] = d[f];

      for (int f = 0; f < kNumberFields; ++f) {
        const int v = d[f];
        int interval = 0;
        for (int k = d.no - 1; k >= 1 && interval == 0; --k)
          if (std::find(seen[k].begin(), seen[k].end(), v) != seen[k].end()) interval = d.no - k;
        writeInterval(g, interval, intervalNumberCol(f) + 1, row);
      }
    }
    ++row;  // an incomplete draw leaves its row blank
  }
  return g;
}

}  // namespace km
