#include "analyses/number_sets/number_sum.h"

#include <string>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 9;
constexpr int kMainSumCol = 7;
constexpr int kBonusCol = 8;
constexpr int kTotalCol = 9;

void setUp(Grid& g, int n) {
  g = makeGrid({.cols = kCols,
                .rows = n + 1,
                .visibleCols = kCols,
                .visibleRows = 51,
                .frozenRows = 1,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5});
  g.setRowHeight(1, 20);
  g.setColWidth(kMainSumCol, 8);
  g.setColWidth(kBonusCol, 7);
  g.setColWidth(kTotalCol, 10);
  g.setOverflow(Block::all(), true);
  g.setBorder({1, 1, kCols, n + 2}, kAllSides);

  setDrawNoColumn(g, 1, 2);
  g.setColors({kMainSumCol, 2, kMainSumCol, -1}, kBlue, kLightCyan);
  g.setColors({kTotalCol, 2, kTotalCol, -1}, kBlue, kLightCyan);
  g.setColors({1, 1, kCols, 1}, kBlack, kLightRed);
}

void writeHeader(Grid& g, int row) {
  // the main numbers read as one cell; main numbers, sum and bonus under one frame
  g.setBorder({2, row, 5, row}, kRight, 0);
  g.setBorder({3, row, 6, row}, kLeft, 0);
  g.setBorder({2, row, kBonusCol, row}, kOutline);
  g.setAlign(Block::cell(4, row), HAlign::Left, VAlign::Center);

  g.setText(1, row, "回数");
  g.setText(4, row, "本 数 字");
  g.setText(kMainSumCol, row, "本数字合計");
  g.setText(kBonusCol, row, "ボ数字");
  g.setText(kTotalCol, row, "本数字+ボ数字");
}

}  // namespace

Grid fillNumberSum(const History& history) {
  Grid g;
  setUp(g, history.recordCount());
  writeHeader(g, 1);

  int row = 2;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no row: the next complete draw takes it
    g.setText(1, row, d.no);
    int mainSum = 0;
    for (int f = 0; f < 5; ++f) {
      g.setText(2 + f, row, d[f]);
      mainSum += d[f];
    }
    g.setText(kMainSumCol, row, std::to_string(mainSum));
    g.setText(kBonusCol, row, d[Bonus]);
    g.setText(kTotalCol, row, std::to_string(mainSum + d[Bonus]));
    ++row;
  }
  return g;
}

}  // namespace km
