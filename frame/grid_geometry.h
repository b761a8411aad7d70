#pragma once
// Where a grid's columns and rows fall in pixels, and twips in pixels.
//
// Window sizes are given in twips (1/1440 inch), grid column widths in
// "characters" and row heights in "points".  Those two grid units are not the
// font's: the windows were designed round a grid whose character and point
// are both larger.  Both are calibrated once, here, on the designed sizes of
// the windows that show all their columns and a fixed number of rows.  At
// 96 DPI (15 twips a pixel) a child window's frame takes 4 px on either side
// and 28 px of title bar and lower edge; inside, the grid has 2-px margins,
// a 1-px frame and a 14-px scroll bar, and above and below it the description
// line (13 px), the close button row (21 px) and four 4-px gaps.  What is left
// for the cells, divided by the characters and points shown:
//
//   window                          twips          chars  px/char  points  px/point
//   出現間隔分析                    8630 x 13800     65    8.421     527    1.594
//   引っ張り分析                    6850 x 13500     51    8.405     515    1.592
//   連番飛び石分析                  6550 x 13400     48    8.514     510    1.595
//   偶数奇数の組合せパターン分析    7130 x 13600     53    8.440     520    1.590
//   分割4傾向分析                   7500 x 13600     56    8.429     520    1.590
//   下一桁連続出現回数分析          7370 x 13935     55    8.424     530    1.602
//   出現頻度分析 (scrolls sideways) 13750 x 9530    105    8.597     340    1.592
//
// A character is therefore 126 twips (8.4 px at 96 DPI) and a point of row
// height 23.8 twips (1.587 px), just under the smallest figures, so that
// every grid fills its window and none reaches past it.  The prediction
// window (four grids of 33 characters and 14 rows of 10 points in a frame
// beside the options) has room to spare at these values.  In twips both units
// scale with the screen exactly as the window sizes do.
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
