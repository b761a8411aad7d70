#pragma once
// GridSelection: the block of cells a user has selected in a grid view.
//
// The selection is one rectangle spanned by an anchor (where the click or the
// first Shift+arrow started) and the current cell (which the arrows move).
// Whole rows or whole columns are selected by starting at a row's or a
// column's edge; extending such a selection keeps it whole.  Everything is
// clipped to the grid's size, which the view passes in whenever it changes.
#include <algorithm>

namespace km {

struct CellRange {
  int col1 = 0, row1 = 0, col2 = 0, row2 = 0;  // inclusive, 1-based; col1 == 0: nothing
  bool empty() const { return col1 < 1 || row1 < 1 || col2 < col1 || row2 < row1; }
  bool contains(int col, int row) const { return !empty() && col >= col1 && col <= col2 && row >= row1 && row <= row2; }
  int cols() const { return empty() ? 0 : col2 - col1 + 1; }
  int rows() const { return empty() ? 0 : row2 - row1 + 1; }
  friend bool operator==(const CellRange&, const CellRange&) = default;
};

class GridSelection {
 public:
  enum class Kind { Cells, Rows, Columns };

  // The grid's size.  A selection that no longer fits is clipped or cleared.
  void setBounds(int cols, int rows) {
    cols_ = std::max(cols, 0);
    rows_ = std::max(rows, 0);
    if (cols_ == 0 || rows_ == 0) {
      clear();
      return;
    }
    if (empty()) return;
    anchorCol_ = clampCol(anchorCol_);
    anchorRow_ = clampRow(anchorRow_);
    col_ = clampCol(col_);
    row_ = clampRow(row_);
  }
  int cols() const { return cols_; }
  int rows() const { return rows_; }

  void clear() {
    anchorCol_ = anchorRow_ = col_ = row_ = 0;
    kind_ = Kind::Cells;
  }
  bool empty() const { return col_ < 1 || row_ < 1; }

  // A click (extend: Shift+click) on a cell, or on a row's or a column's edge.
  void press(int col, int row, bool extend, Kind kind = Kind::Cells) {
    if (cols_ == 0 || rows_ == 0) return;
    if (extend && !empty()) {
      col_ = clampCol(col);
      row_ = clampRow(row);
      return;
    }
    kind_ = kind;
    anchorCol_ = col_ = clampCol(col);
    anchorRow_ = row_ = clampRow(row);
  }
  // Dragging with the button held: the anchor stays.
  void dragTo(int col, int row) { press(col, row, true); }

  // Arrow keys: moves the current cell; with extend the anchor stays.
  void move(int dCol, int dRow, bool extend) {
    if (cols_ == 0 || rows_ == 0) return;
    if (empty()) {
      press(1, 1, false);
      return;
    }
    moveTo(col_ + dCol, row_ + dRow, extend);
  }
  void moveTo(int col, int row, bool extend) {
    if (cols_ == 0 || rows_ == 0) return;
    if (extend && !empty()) {
      col_ = clampCol(col);
      row_ = clampRow(row);
    } else {
      press(col, row, false);
    }
  }

  void selectAll() {
    if (cols_ == 0 || rows_ == 0) return;
    kind_ = Kind::Cells;
    anchorCol_ = 1;
    anchorRow_ = 1;
    col_ = cols_;
    row_ = rows_;
  }

  int currentCol() const { return col_; }
  int currentRow() const { return row_; }
  Kind kind() const { return kind_; }

  // The selected block, whole rows or columns widened to the grid's size.
  CellRange range() const {
    if (empty()) return {};
    CellRange r{std::min(anchorCol_, col_), std::min(anchorRow_, row_), std::max(anchorCol_, col_),
                std::max(anchorRow_, row_)};
    if (kind_ == Kind::Rows) {
      r.col1 = 1;
      r.col2 = cols_;
    } else if (kind_ == Kind::Columns) {
      r.row1 = 1;
      r.row2 = rows_;
    }
    return r;
  }

 private:
  int clampCol(int c) const { return std::clamp(c, 1, std::max(cols_, 1)); }
  int clampRow(int r) const { return std::clamp(r, 1, std::max(rows_, 1)); }

  int cols_ = 0, rows_ = 0;
  int anchorCol_ = 0, anchorRow_ = 0, col_ = 0, row_ = 0;
  Kind kind_ = Kind::Cells;
};

}  // namespace km
