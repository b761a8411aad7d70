#include "frame/grid_geometry.h"

#include <algorithm>
#include <cmath>

namespace km {

int twipsToPixels(double twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch)); }

namespace {

// Edges from the running sum of `count` sizes in twips.
template <class SizeOf>
std::vector<int> edges(int count, double dpi, SizeOf sizeOf) {
  std::vector<int> out;
  out.reserve(static_cast<size_t>(count) + 1);
  out.push_back(0);
  double sum = 0;
  for (int i = 1; i <= count; ++i) {
    sum += std::max(0.0, sizeOf(i));
    out.push_back(std::max(out.back() + 1, twipsToPixels(sum, dpi)));
  }
  return out;
}

}  // namespace

GridGeometry gridGeometry(const Grid& grid, double dpiX, double dpiY) {
  GridGeometry g;
  g.colX = edges(grid.maxCols(), dpiX, [&](int c) { return grid.colWidth(c) * kColumnCharTwips; });
  g.rowY = edges(grid.maxRows(), dpiY, [&](int r) { return grid.rowHeight(r) * kRowPointTwips; });
  return g;
}

}  // namespace km
