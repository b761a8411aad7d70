#include "analyses/intervals/number_gap.h"

#include <array>
#include <string>

#include "analyses/intervals/interval_grid.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr Rgb kFallBg = RGB(255, 200, 255);

// "+3", "0", or "-2" on a tinted cell.
void writeDifference(Grid& g, int d, int col, int row) {
  if (d > 0) {
    g.setText(col, row, std::string("+").append(std::to_string(d)));
  } else if (d < 0) {
    g.setBg(Block::cell(col, row), kFallBg);
    g.setText(col, row, std::to_string(d));
  } else {
    g.setText(col, row, "0");
  }
}

}  // namespace

Grid fillNumberGap(const History& history) {
  Grid g = makeIntervalGrid(history.recordCount(), "    本 数 字", "差分");

  // numbers of the last complete draw; zeros before the first one
  std::array<int, kNumberFields> previous{};
  int row = kIntervalFirstDataRow;  // advances for every record, complete or not
  for (const Draw& d : history.draws) {
    if (d.complete()) {
      g.setText(1, row, d.no);
      for (int f = 0; f < kNumberFields; ++f) g.setText(intervalNumberCol(f), row, d[f]);
      // the first record has nothing to compare with; after an incomplete first
      // record the next draw is compared with zeros
      if (row > kIntervalFirstDataRow)
        for (int f = 0; f < kNumberFields; ++f) writeDifference(g, d[f] - previous[f], intervalNumberCol(f) + 1, row);
      for (int f = 0; f < kNumberFields; ++f) previous[f] = d[f];
    }
    ++row;  // an incomplete record leaves its row blank
  }
  return g;
}

}  // namespace km
