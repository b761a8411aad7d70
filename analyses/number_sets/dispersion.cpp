#include "analyses/number_sets/dispersion.h"

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 33;  // draw number, numbers 1..31, draw number
constexpr int kFirstDataRow = 3;
constexpr int kTitleCol = 16;

void setUp(Grid& g, int n) {
  const int bottomLabelRow = n + 3;
  g = makeGrid({.cols = kCols,
                .rows = bottomLabelRow,
                .visibleCols = kCols,
                .visibleRows = 47,
                .frozenRows = 2,
                .scrollBars = ScrollBars::Both,
                .rowHeight = 10,
                .colWidth = 2});
  g.setRowHeight(1, 15);
  g.setRowHeight(2, 15);
  g.setColWidth(1, 5);
  g.setColWidth(kCols, 5);
  g.setOverflow(Block::all(), true);

  // title row: one framed band over the numbers
  g.setFg(Block::cell(kTitleCol, 1), kBlue);
  g.setText(kTitleCol, 1, "数　　　　　　　字");
  g.setBg({2, 1, kCols - 1, 1}, kChartTitleBg);
  g.setBorder({2, 1, kCols - 1, 1}, kOutline, 1, kChartLine);
  g.setBorder(Block::cell(1, 1), kRight, 1, kChartLine);

  for (int row : {2, bottomLabelRow}) g.setColors({2, row, kCols - 1, row}, kBlue, kLightCyan);
  setDrawNoColumn(g, 1, 1, bottomLabelRow);
  setDrawNoColumn(g, kCols, 1, bottomLabelRow);
  g.setBorder({1, 2, kCols, bottomLabelRow}, kAllSides, 1, kChartLine);
  // a dot stays in its own number's column even where its glyph is wider than the cell
  g.setOverflow({2, kFirstDataRow, kCols - 1, bottomLabelRow - 1}, false);
}

void writeLabels(Grid& g, int row) {
  g.setText(1, row, "回");
  for (int k = 1; k <= kMaxNumber; ++k) g.setText(k + 1, row, k);
  g.setText(kCols, row, "回");
}

}  // namespace

Grid fillDispersion(const History& history) {
  const int n = history.recordCount();
  Grid g;
  setUp(g, n);
  writeLabels(g, 2);
  writeLabels(g, n + 3);

  int row = kFirstDataRow;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no row: the next complete draw takes it
    g.setText(1, row, d.no);
    g.setText(kCols, row, d.no);
    for (int f = 0; f < kNumberFields; ++f) g.setText(d[f] + 1, row, "●");
    for (int f = 0; f < 5; ++f) g.setFg(Block::cell(d[f] + 1, row), kMainDot);
    g.setFg(Block::cell(d[Bonus] + 1, row), kBonusPink);
    ++row;
  }
  return g;
}

}  // namespace km
