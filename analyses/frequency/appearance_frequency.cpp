#include "analyses/frequency/appearance_frequency.h"

#include <algorithm>
#include <array>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kRows = 33;  // title row, scale row, numbers 1..31
constexpr int kScaleRow = 2;
constexpr int kTitleCol = 26;
constexpr Rgb kLine = RGB(136, 196, 255);
constexpr Rgb kLabelBg = RGB(222, 254, 253);

// The widest bar: the largest hit count of the numbers 1..31.
int widestBar(const Stats& s) {
  int m = 0;
  for (int n = 1; n <= kMaxNumber; ++n) m = std::max(m, s.NumberHits[n]);
  return m;
}

void setUp(Grid& g, int m) {
  const int labelCol = m + 2;
  g = makeGrid({.cols = m + 2,
                .rows = kRows,
                .visibleCols = 51,
                .visibleRows = kRows,
                .scrollBars = ScrollBars::Horizontal,
                .rowHeight = 10,
                .colWidth = 2});
  g.setRowHeight(1, 15);
  g.setRowHeight(2, 15);
  g.setColWidth(1, 5);
  g.setColWidth(labelCol, 5);

  // title row: one framed band, with a line after the left label and before the right one
  g.setBorder({1, 1, labelCol, 1}, kOutline, 1, kLine);
  g.setBg({1, 1, labelCol, 1}, kLightYellow);
  g.setBorder(Block::cell(1, 1), kRight, 1, kLine);
  g.setBorder(Block::cell(m + 1, 1), kRight, 1, kLine);

  g.setColors({1, 1, 1, kRows}, kBlue, kLabelBg);
  g.setColors({labelCol, 1, labelCol, kRows}, kBlue, kLabelBg);
  g.setBorder({1, 2, -1, kRows}, kAllSides, 1, kLine);
  g.setColors({2, kScaleRow, m + 1, kScaleRow}, kRed, kLightYellow);

  g.setFg(Block::cell(kTitleCol, 1), kRed);
  setTitle(g, kTitleCol, 1, "出 　現 　頻 　度（回）");
}

void writeLabels(Grid& g, int m) {
  for (int col : {1, m + 2}) {
    g.setText(col, kScaleRow, "数字");
    for (int n = 1; n <= kMaxNumber; ++n) g.setText(col, n + 2, n);
  }
}

}  // namespace

Grid fillAppearanceFrequency(const History& history) {
  const int m = widestBar(history.stats);
  Grid g;
  setUp(g, m);
  writeLabels(g, m);

  std::array<int, kMaxNumber + 1> barLength{};
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f) g.setText(barLength[d[f]] + 2, kScaleRow, barLength[d[f]] + 1);
    for (int f = 0; f < kNumberFields; ++f) {
      const int v = d[f];
      g.setText(barLength[v] + 2, v + 2, "●");
      if (f == Bonus) g.setFg(Block::cell(barLength[v] + 2, v + 2), kBonusPink);
    }
    for (int f = 0; f < kNumberFields; ++f) ++barLength[d[f]];
  }
  return g;
}

}  // namespace km
