#include "analyses/intervals/appearance_interval.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 13;
constexpr int kBonusCol = 12;
constexpr int kFirstDataRow = 3;
// Draw numbers are 16-bit: the seen-draws table covers all of them.
constexpr int kMaxDrawNo = 32767;

// Column of a field's number; its interval stands in the next column.
int numberCol(int field) { return field == Bonus ? kBonusCol : 2 + 2 * field; }

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 52,
                .frozenRows = 2,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5,
                .allLines = true});
  g.setRowHeight(1, 15);
  g.setRowHeight(2, 12);
  g.setOverflow(Block::all(), true);

  setDrawNoColumn(g, 1, -1);
  for (int f = 0; f < kNumberFields; ++f) g.setBg({numberCol(f), kFirstDataRow, numberCol(f), -1}, kLightCyan);
}

// The two header rows from startRow on: group row above the label row at the
// top, mirrored (label row first) at the bottom.
void writeHeader(Grid& g, int startRow, bool bottom) {
  const int groupRow = bottom ? startRow + 1 : startRow;
  const int labelRow = bottom ? startRow : startRow + 1;
  g.setColors({2, startRow, kCols, startRow + 1}, kBlack, kLightRed);

  // main numbers and bonus number each under one frame
  setHeaderBand(g, groupRow, 2, kBonusCol, 6, "    本 数 字     ");
  setHeaderBand(g, groupRow, kBonusCol, kCols, kBonusCol, "     ボ数字   　   ");
  g.setBorder(Block::cell(kBonusCol, groupRow), kLeft);
  g.setBorder(Block::cell(kCols, groupRow), kRight);

  g.setText(1, labelRow, "回数");
  static const char* const kMainLabels[] = {"第1数字", "第2数字", "第3数字", "第4数字", "第5数字"};
  for (int f = 0; f < 5; ++f) {
    g.setText(numberCol(f), labelRow, kMainLabels[f]);
    g.setText(numberCol(f) + 1, labelRow, "出現");
  }
  g.setText(kBonusCol, labelRow, "ボ数字");
  g.setText(kCols, labelRow, "出現");
}

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
  Grid g;
  setUp(g, n + 4);
  writeHeader(g, 1, false);
  writeHeader(g, n + 3, true);

  // seen[no] holds the six numbers of draw `no`; draws not read yet hold zeros
  std::vector<std::array<int, kNumberFields>> seen(kMaxDrawNo + 1);
  int row = kFirstDataRow;
  for (const Draw& d : history.HistoryRs) {
    if (d.complete()) {
      g.setText(1, row, d.no);
      for (int f = 0; f < kNumberFields; ++f) g.setText(numberCol(f), row, d[f]);
      // a draw number outside the table is not remembered
      if (d.no >= 1 && d.no <= kMaxDrawNo)
        for (int f = 0; f < kNumberFields; ++f) seen[d.no][f] = d[f];

      for (int f = 0; f < kNumberFields; ++f) {
        const int v = d[f];
        // a number outside 1..31 is no lottery number: no interval is shown for it
        if (!isLotteryNumber(v)) continue;
        int interval = 0;
        for (int k = std::min(d.no - 1, kMaxDrawNo); k >= 1 && interval == 0; --k)
          if (std::find(seen[k].begin(), seen[k].end(), v) != seen[k].end()) interval = d.no - k;
        writeInterval(g, interval, numberCol(f) + 1, row);
      }
    }
    ++row;  // an incomplete draw leaves its row blank
  }
  return g;
}

}  // namespace km
