#include "analyses/frequency/carry_over.h"

#include <array>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 7;

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 51,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 7,
                .allLines = true});
  g.setRowHeight(1, 15);
  g.setColWidth(7, 9);

  setDrawNoColumn(g, 1, -1);
  // the main-number header band has a bottom line only
  g.clearBorder({2, 1, 6, 1});
  g.setBorder({2, 1, 6, 1}, kBottom);
  g.setColors({1, 1, kCols, 1}, kBlack, kLightRed);
}

void writeHeader(Grid& g) {
  g.setText(1, 1, "回数");
  setTitle(g, 4, 1, " 本 数 字         ");
  g.setText(7, 1, "ボーナス数字");
}

}  // namespace

Grid fillCarryOver(const History& history) {
  Grid g;
  setUp(g, history.recordCount() + 1);
  writeHeader(g);

  // numbers of the last complete draw shown; zero never matches a lottery number
  std::array<int, kNumberFields> previous{};
  int row = 2;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no row; the next draw is compared with the last complete one
    g.setText(1, row, d.no);
    for (int f = 0; f < kNumberFields; ++f) g.setText(f + 2, row, d[f]);
    for (int f = 0; f < kNumberFields; ++f) {
      const int v = d[f];
      for (int p : previous) {
        if (v == p) {
          g.setBg(Block::cell(f + 2, row), kLightCyan);
          break;
        }
      }
    }
    for (int f = 0; f < kNumberFields; ++f) previous[f] = d[f];
    ++row;
  }
  return g;
}

}  // namespace km
