#include "analyses/intervals/interval_grid.h"

#include "frame/grid_setup.h"
#include "store/history.h"

namespace km {

namespace {

constexpr int kCols = 13;
constexpr int kBonusCol = 12;

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 52,
                .frozenRows = 2,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5});
  g.setRowHeight(1, 15);
  g.setRowHeight(2, 12);
  g.setOverflow(Block::all(), true);

  g.setColors({1, -1, 1, -1}, kRed, kLightYellow);
  for (int f = 0; f < kNumberFields; ++f)
    g.setBg({intervalNumberCol(f), kIntervalFirstDataRow, intervalNumberCol(f), -1}, kLightCyan);
  g.setBorder(Block::all(), kAllSides);
  g.setActiveCell(0, 0);
}

// The two header rows from startRow on: group row above the label row at the
// top, mirrored (label row first) at the bottom.
void writeHeader(Grid& g, int startRow, bool bottom, std::string_view mainGroup, std::string_view valueLabel) {
  const int groupRow = bottom ? startRow + 1 : startRow;
  const int labelRow = bottom ? startRow : startRow + 1;
  g.setColors({2, startRow, kCols, startRow + 1}, kBlack, kLightPink);

  // main numbers and bonus number each under one frame
  g.setFrame({2, groupRow, kBonusCol, groupRow});
  g.setFrame({kBonusCol, groupRow, kCols, groupRow});
  g.setBorder(Block::cell(kBonusCol, groupRow), kLeft);
  g.setBorder(Block::cell(kCols, groupRow), kRight);

  g.setAlign({6, groupRow, 6, groupRow}, HAlign::Left, VAlign::Center);
  g.setText(6, groupRow, mainGroup);
  g.setAlign({kBonusCol, groupRow, kBonusCol, groupRow}, HAlign::Left, VAlign::Center);
  g.setText(kBonusCol, groupRow, "     ボ数字   　   ");

  g.setText(1, labelRow, "回数");
  static const char* const kMainLabels[] = {"第1数字", "第2数字", "第3数字", "第4数字", "第5数字"};
  for (int f = 0; f < 5; ++f) {
    g.setText(intervalNumberCol(f), labelRow, kMainLabels[f]);
    g.setText(intervalNumberCol(f) + 1, labelRow, valueLabel);
  }
  g.setText(kBonusCol, labelRow, "ボ数字");
  g.setText(kCols, labelRow, valueLabel);
}

}  // namespace

int intervalNumberCol(int field) { return field == Bonus ? kBonusCol : 2 + 2 * field; }

Grid makeIntervalGrid(int n, std::string_view mainGroup, std::string_view valueLabel) {
  Grid g;
  setUp(g, n + 4);
  writeHeader(g, 1, false, mainGroup, valueLabel);
  writeHeader(g, n + 3, true, mainGroup, valueLabel);
  return g;
}

}  // namespace km
