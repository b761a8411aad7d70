#pragma once
// What every window's grid starts with, the steps their headers share, and
// the colours the windows share.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "frame/grid.h"

namespace km {

// The colours of the windows, one name each (kWhite and kBlack are in grid.h).
inline constexpr Rgb kRed = RGB(255, 0, 0);
inline constexpr Rgb kBlue = RGB(0, 0, 255);
inline constexpr Rgb kLightYellow = RGB(255, 255, 200);  // draw-number columns
inline constexpr Rgb kLightRed = RGB(255, 200, 200);     // header rows
inline constexpr Rgb kLightCyan = RGB(200, 255, 255);
inline constexpr Rgb kLightGreen = RGB(200, 255, 200);
inline constexpr Rgb kLightMagenta = RGB(255, 200, 255);
inline constexpr Rgb kLightBlue = RGB(200, 200, 255);
inline constexpr Rgb kLightGrey = RGB(225, 225, 225);
inline constexpr Rgb kBonusPink = RGB(255, 128, 192);  // marks of bonus numbers

// The tint ladder: white, then ever stronger grades (a pattern's letter, a
// run's length, a range of numbers) in this order.
inline constexpr std::array<Rgb, 7> kTints = {kWhite,        kLightCyan, kLightGreen, kLightYellow,
                                              kLightMagenta, kLightRed,  kLightGrey};
// The tint of a step of the ladder; steps past the last take the last.
inline constexpr Rgb tint(int step) { return kTints[std::clamp(step, 0, static_cast<int>(kTints.size()) - 1)]; }
// The number-chart windows: title band and cell lines.
inline constexpr Rgb kChartTitleBg = RGB(222, 254, 253);
inline constexpr Rgb kChartLine = RGB(136, 196, 255);

struct GridSetup {
  int cols = 0, rows = 0;
  int visibleCols = 0, visibleRows = 0;  // the view sizes itself to them
  int frozenRows = 0;
  ScrollBars scrollBars = ScrollBars::Vertical;  // shown only when needed
  double rowHeight = 10;                         // points, every row
  double colWidth = 5;                           // characters, every column
  bool allLines = false;                         // every cell with its four lines
};

// A number as a cell shows it with `decimals` places ("0.781").
inline std::string fixedText(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// A grid of that size and look with every cell centred both ways and no
// active cell.  Heights of single rows and widths of single columns are set
// afterwards.
inline Grid makeGrid(const GridSetup& s) {
  Grid g(s.cols, s.rows);
  g.setVisible(s.visibleCols, s.visibleRows);
  g.setFrozenRows(s.frozenRows);
  g.setScrollBars(s.scrollBars);
  g.setRowHeight(-1, s.rowHeight);
  g.setColWidth(-1, s.colWidth);
  g.setAlign(Block::all(), HAlign::Center, VAlign::Center);
  if (s.allLines) g.setBorder(Block::all(), kAllSides);
  return g;
}

// A list of `lines` rows under one heading row kept in view: twelve rows
// shown, a vertical bar when there are more, every cell lined; a list
// without lines keeps one empty row.
inline Grid makeListGrid(int cols, int lines) {
  return makeGrid({.cols = cols,
                   .rows = 1 + std::max(lines, 1),
                   .visibleCols = cols,
                   .visibleRows = 12,
                   .frozenRows = 1,
                   .scrollBars = ScrollBars::Vertical,
                   .rowHeight = 12,
                   .colWidth = 4,
                   .allLines = true});
}

// A draw-number column: red numbers on light yellow, rows firstRow..lastRow
// (-1: to the last row).
inline void setDrawNoColumn(Grid& g, int col, int firstRow, int lastRow = -1) {
  g.setColors({col, firstRow, col, lastRow}, kRed, kLightYellow);
}

// A header title: left-aligned in its cell and running over the empty cells
// beside it.
inline void setTitle(Grid& g, int col, int row, std::string_view title) {
  g.setAlign(Block::cell(col, row), HAlign::Left, VAlign::Center);
  g.setOverflow(Block::cell(col, row), true);
  g.setText(col, row, title);
}

// Header cells firstCol..lastCol of `row` that read as one: one frame round
// them and their title at titleCol.
inline void setHeaderBand(Grid& g, int row, int firstCol, int lastCol, int titleCol, std::string_view title) {
  g.setFrame({firstCol, row, lastCol, row});
  setTitle(g, titleCol, row, title);
}

}  // namespace km
