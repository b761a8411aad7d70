#include "frame/grid.h"

#include <algorithm>

namespace km {

namespace {
const Cell kEmptyCell{};
const std::string kEmptyText;
}  // namespace

void Grid::resize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  if (cols == cols_ && rows == rows_) return;
  // cells that stay inside keep their place; every other member is kept as it is
  std::vector<Cell> cells(static_cast<size_t>(cols) * rows);
  const int keepCols = std::min(cols, cols_), keepRows = std::min(rows, rows_);
  for (int r = 1; r <= keepRows; ++r)
    for (int c = 1; c <= keepCols; ++c) cells[static_cast<size_t>(r - 1) * cols + (c - 1)] = std::move(at(c, r));
  cells_ = std::move(cells);
  colWidths_.resize(cols, 0.0);
  rowHeights_.resize(rows, 0.0);
  cols_ = cols;
  rows_ = rows;
}

void Grid::setMaxCols(int cols) { resize(cols, rows_); }
void Grid::setMaxRows(int rows) { resize(cols_, rows); }

void Grid::setColWidth(int col, double chars) {
  if (col == -1) {
    defaultColWidth_ = chars;
    std::fill(colWidths_.begin(), colWidths_.end(), 0.0);
  } else if (col >= 1 && col <= cols_) {
    colWidths_[col - 1] = chars;
  }
}

void Grid::setRowHeight(int row, double points) {
  if (row == -1) {
    defaultRowHeight_ = points;
    std::fill(rowHeights_.begin(), rowHeights_.end(), 0.0);
  } else if (row >= 1 && row <= rows_) {
    rowHeights_[row - 1] = points;
  }
}

double Grid::colWidth(int col) const {
  if (col < 1 || col > cols_ || colWidths_[col - 1] <= 0) return defaultColWidth_;
  return colWidths_[col - 1];
}

double Grid::rowHeight(int row) const {
  if (row < 1 || row > rows_ || rowHeights_[row - 1] <= 0) return defaultRowHeight_;
  return rowHeights_[row - 1];
}

void Grid::setText(int col, int row, std::string_view text) {
  if (contains(col, row)) at(col, row).text = text;
}

const std::string& Grid::text(int col, int row) const { return contains(col, row) ? cell(col, row).text : kEmptyText; }

const Cell& Grid::cell(int col, int row) const {
  if (!contains(col, row)) return kEmptyCell;
  return cells_[static_cast<size_t>(row - 1) * cols_ + (col - 1)];
}

Grid::Range Grid::clip(Block b) const {
  Range r{b.col1 == -1 ? 1 : b.col1, b.row1 == -1 ? 1 : b.row1, b.col2 == -1 ? cols_ : b.col2,
          b.row2 == -1 ? rows_ : b.row2};
  r.c1 = std::max(r.c1, 1);
  r.r1 = std::max(r.r1, 1);
  r.c2 = std::min(r.c2, cols_);
  r.r2 = std::min(r.r2, rows_);
  return r;
}

template <class F>
void Grid::forEach(Block b, F f) {
  const Range r = clip(b);
  if (r.empty()) return;
  for (int row = r.r1; row <= r.r2; ++row)
    for (int col = r.c1; col <= r.c2; ++col) f(at(col, row));
}

void Grid::setBg(Block b, Rgb c) {
  forEach(b, [c](Cell& x) { x.bg = c; });
}
void Grid::setFg(Block b, Rgb c) {
  forEach(b, [c](Cell& x) { x.fg = c; });
}
void Grid::setAlign(Block b, HAlign h, VAlign v) {
  forEach(b, [h, v](Cell& x) {
    x.halign = h;
    x.valign = v;
  });
}
void Grid::setOverflow(Block b, bool on) {
  forEach(b, [on](Cell& x) { x.overflow = on; });
}

void Grid::setBorder(Block b, unsigned sides, int style, Rgb color) {
  const Range r = clip(b);
  if (r.empty()) return;
  const Line line{static_cast<std::uint8_t>(style), color, ++lineOrder_};
  for (int row = r.r1; row <= r.r2; ++row) {
    for (int col = r.c1; col <= r.c2; ++col) {
      Cell& x = at(col, row);
      if ((sides & kLeft) || ((sides & kOutline) && col == r.c1)) x.left = line;
      if ((sides & kRight) || ((sides & kOutline) && col == r.c2)) x.right = line;
      if ((sides & kTop) || ((sides & kOutline) && row == r.r1)) x.top = line;
      if ((sides & kBottom) || ((sides & kOutline) && row == r.r2)) x.bottom = line;
    }
  }
}

namespace {
Line later(const Line& a, const Line& b) {
  if (!a.visible()) return b.visible() ? b : Line{};
  if (!b.visible()) return a;
  return a.order >= b.order ? a : b;
}
}  // namespace

Line Grid::verticalEdge(int col, int row) const {
  return later(contains(col, row) ? cell(col, row).right : Line{},
               contains(col + 1, row) ? cell(col + 1, row).left : Line{});
}

Line Grid::horizontalEdge(int col, int row) const {
  return later(contains(col, row) ? cell(col, row).bottom : Line{},
               contains(col, row + 1) ? cell(col, row + 1).top : Line{});
}

}  // namespace km
