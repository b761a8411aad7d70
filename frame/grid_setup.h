#pragma once
// What every window's grid starts with, and the colours the windows share.
#include "frame/grid.h"

namespace km {

inline constexpr Rgb kRed = RGB(255, 0, 0);
inline constexpr Rgb kBlue = RGB(0, 0, 255);
inline constexpr Rgb kLightYellow = RGB(255, 255, 200);  // draw-number column, header rows
inline constexpr Rgb kLightPink = RGB(255, 200, 200);    // header rows
inline constexpr Rgb kLightCyan = RGB(200, 255, 255);
inline constexpr Rgb kLightGreen = RGB(200, 255, 200);
inline constexpr Rgb kLightMagenta = RGB(255, 200, 255);
inline constexpr Rgb kBonusMarkPink = RGB(255, 128, 192);  // "●" of a bonus number
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
};

// A grid of that size and look with every cell centred both ways.  Heights
// of single rows and widths of single columns are set afterwards.
inline Grid makeGrid(const GridSetup& s) {
  Grid g(s.cols, s.rows);
  g.setVisible(s.visibleCols, s.visibleRows);
  g.setFrozenRows(s.frozenRows);
  g.setScrollBars(s.scrollBars);
  g.setRowHeight(-1, s.rowHeight);
  g.setColWidth(-1, s.colWidth);
  g.setAlign(Block::all(), HAlign::Center, VAlign::Center);
  return g;
}

}  // namespace km
