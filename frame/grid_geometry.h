#pragma once
// Where a grid's columns and rows fall in pixels, and twips in pixels.
//
// Window sizes are given in twips (1/1440 inch), grid column widths in
// "characters" and row heights in "points".  Those two grid units are not the
// font's: the windows were designed round a grid whose character and point
// are both larger.  Both are calibrated once, here, on the designed sizes of
// the per-draw windows, every one of which shows all its columns and a fixed
// number of rows (figures at 96 DPI, 15 twips a pixel; a child window's frame
// takes 4 px on either side and 28 px of title bar and lower edge; the grid
// view adds a 1-px frame round its cells and a 14-px vertical scroll bar; the
// window adds 2-px margins, the description line, the close button row and
// 4-px gaps, 78 px of height in all besides the grid):
//
//   window                    width x height   chars  px/char  points  px/point
//   出現間隔分析              8630 x 13800       65    8.47      527    1.598
//   引っ張り分析              6850 x 13500       51    8.48      515    1.596
//   連番飛び石分析            6550 x 13400       48    8.60      510    1.599
//   偶数奇数の組合せパターン  7130 x 13600       53    8.52      520    1.594
//   分割4傾向分析             7500 x 13600       56    8.47      520    1.594
//   下一桁連続出現回数分析    7370 x 13935       55    8.48      530    1.606
//   出現頻度分析 (no vertical scroll bar; a horizontal one)   105    8.65  340  1.598
//
// A character is therefore 126 twips (8.4 px at 96 DPI) and a point of row
// height 23.8 twips (1.587 px), just under the smallest of the figures so
// that every grid fills its window without reaching past it.  In twips both
// scale with the screen's DPI exactly as the window sizes do.
#include <vector>

#include "frame/grid.h"

namespace km {

inline constexpr double kTwipsPerInch = 1440;
inline constexpr double kColumnCharTwips = 126;
inline constexpr double kRowPointTwips = 23.8;

// Twips to whole pixels at the given dots per inch.
int twipsToPixels(double twips, double dpi);

// Left edge of every column and top edge of every row, in pixels from the
// grid's top left corner: colX[c - 1] is the left of column c and colX[cols]
// the total width (rowY likewise).  Edges are rounded from exact sums, so
// rounding never adds up along a row.  Every column and row is at least 1 px.
struct GridGeometry {
  std::vector<int> colX;
  std::vector<int> rowY;
};
GridGeometry gridGeometry(const Grid& grid, double dpiX, double dpiY);

}  // namespace km
