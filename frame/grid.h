#pragma once
// Grid: the widget-free table every analysis fills and GridView paints.
//
// Columns and rows count from 1.  Column widths are in characters of the
// grid's font, row heights in points.  A block whose first and last column
// (or row) are -1 covers every column (row).  Every cell keeps its own four
// lines; where two neighbours both have a line on their common edge it is
// drawn once, in the colour set last.  Clearing one cell's side leaves the
// neighbour's line standing.  Writes outside the grid are ignored: nothing
// ever indexes outside a table.
//
// A grid of a few thousand draws holds hundreds of thousands of cells that
// share a few texts and a few looks, so a cell is two small numbers: its text
// in the grid's table of distinct texts and its look in the table of distinct
// looks.
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace km {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};
constexpr Rgb RGB(int r, int g, int b) {
  return Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}
inline constexpr Rgb kWhite = RGB(255, 255, 255);
inline constexpr Rgb kBlack = RGB(0, 0, 0);

enum class HAlign : std::uint8_t { Left, Center, Right };
enum class VAlign : std::uint8_t { Top, Center, Bottom };
enum class ScrollBars : std::uint8_t { None, Horizontal, Vertical, Both };

// A cell line: style 0 = none, 1 = solid.
struct Line {
  std::uint8_t style = 0;
  Rgb color = kBlack;
  // 1 while this line was set after the neighbour's line on the same edge
  // (that one is then 0): the later of two lines on one edge wins
  std::uint32_t order = 0;
  friend constexpr bool operator==(Line a, Line b) { return a.style == b.style && a.color == b.color; }
  bool visible() const { return style != 0; }
};

// Sides for setBorder: each cell's own sides, or the block's outline.
enum Side : unsigned { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8, kAllSides = 15, kOutline = 16 };

struct Block {
  int col1 = -1, row1 = -1, col2 = -1, row2 = -1;
  static Block cell(int c, int r) { return {c, r, c, r}; }
  static Block all() { return {}; }
};

// Everything of a cell but its text.
struct CellStyle {
  Rgb bg = kWhite;
  Rgb fg = kBlack;
  HAlign halign = HAlign::Center;
  VAlign valign = VAlign::Center;
  bool overflow = false;
  Line left, right, top, bottom;
};

// A cell as read from the grid: its text and its look.
struct Cell {
  std::string text;
  Rgb bg = kWhite;
  Rgb fg = kBlack;
  HAlign halign = HAlign::Center;
  VAlign valign = VAlign::Center;
  bool overflow = false;  // text may run into empty neighbouring cells
  Line left, right, top, bottom;
};

class Grid {
 public:
  Grid() = default;
  Grid(int cols, int rows) {
    setMaxCols(cols);
    setMaxRows(rows);
  }

  // Size.  Growing or shrinking keeps the cells that stay inside.
  void setMaxCols(int cols);
  void setMaxRows(int rows);
  int maxCols() const { return cols_; }
  int maxRows() const { return rows_; }

  // How many columns and rows the view shows without scrolling; it sizes itself to them.
  void setVisible(int cols, int rows) {
    visibleCols_ = cols;
    visibleRows_ = rows;
  }
  int visibleCols() const { return visibleCols_; }
  int visibleRows() const { return visibleRows_; }
  void setFrozenRows(int rows) { frozenRows_ = rows < 0 ? 0 : rows; }
  int frozenRows() const { return frozenRows_; }
  // The leading columns that name each row (its draw number or its number):
  // a printout too wide for one page repeats them on every page across.
  int labelCols() const { return labelCols_; }
  void setScrollBars(ScrollBars s) { scrollBars_ = s; }
  ScrollBars scrollBars() const { return scrollBars_; }

  // col/row -1 sets the default for every column/row.
  void setColWidth(int col, double chars);
  void setRowHeight(int row, double points);
  double colWidth(int col) const;
  double rowHeight(int row) const;

  void setText(int col, int row, std::string_view text);
  void setText(int col, int row, int value);
  const std::string& text(int col, int row) const;
  // The whole cell, copied out; style() reads the look alone without a copy.
  Cell cell(int col, int row) const;
  const CellStyle& style(int col, int row) const;
  bool contains(int col, int row) const { return col >= 1 && col <= cols_ && row >= 1 && row <= rows_; }

  void setBg(Block b, Rgb c);
  void setFg(Block b, Rgb c);
  void setColors(Block b, Rgb fg, Rgb bg) {
    setFg(b, fg);
    setBg(b, bg);
  }
  void setAlign(Block b, HAlign h, VAlign v = VAlign::Center);
  void setOverflow(Block b, bool on);
  void setBorder(Block b, unsigned sides, int style = 1, Rgb color = kBlack);
  void clearBorder(Block b) { setBorder(b, kAllSides, 0); }
  // The block reads as one cell: its lines are cleared and one frame drawn round it.
  void setFrame(Block b, int style = 1, Rgb color = kBlack) {
    clearBorder(b);
    setBorder(b, kOutline, style, color);
  }

  // A cell's own four lines.
  Line left(int col, int row) const { return style(col, row).left; }
  Line right(int col, int row) const { return style(col, row).right; }
  Line top(int col, int row) const { return style(col, row).top; }
  Line bottom(int col, int row) const { return style(col, row).bottom; }
  // The line drawn on an edge: right of column col (0 = left of column 1),
  // below row row (0 = above row 1); the later of the two cells' lines.
  Line verticalEdge(int col, int row) const;
  Line horizontalEdge(int col, int row) const;

  // A cell's own tooltip (empty: none).  Few cells have one, so they are kept
  // apart from the cells.
  void setToolTip(int col, int row, std::string_view text);
  const std::string& toolTip(int col, int row) const;

  // How many distinct texts and looks the grid holds (the empty text and the
  // default look included).
  size_t textCount() const { return texts_.size(); }
  size_t styleCount() const { return styles_.size(); }

 private:
  // The distinct texts; a text's number never changes and the strings never move.
  class TextTable {
   public:
    TextTable();
    TextTable(const TextTable& o);
    TextTable& operator=(const TextTable& o);
    TextTable(TextTable&&) noexcept = default;
    TextTable& operator=(TextTable&&) noexcept = default;
    std::uint32_t id(std::string_view text);
    const std::string& operator[](std::uint32_t i) const { return strings_[i]; }
    size_t size() const { return strings_.size(); }

   private:
    void index();
    std::deque<std::string> strings_;
    std::unordered_map<std::string_view, std::uint32_t> ids_;
  };
  struct StyleHash {
    size_t operator()(const CellStyle& s) const;
  };
  struct StyleEq {
    bool operator()(const CellStyle& a, const CellStyle& b) const;
  };
  struct Slot {
    std::uint32_t text = 0;   // into texts_; 0 = empty
    std::uint32_t style = 0;  // into styles_; 0 = the default look
  };

  struct Range {
    int c1, r1, c2, r2;
    bool empty() const { return c1 > c2 || r1 > r2; }
  };
  Range clip(Block b) const;
  // What a block operation does to a look, for remembering its outcome.
  enum class Op : std::uint8_t { Bg, Fg, Align, Overflow, Older };
  template <class F>
  void forEach(Block b, Op op, std::uint32_t arg, F f);
  template <class F>
  void change(std::uint32_t& id, Op op, std::uint32_t arg, F f);
  Slot& at(int col, int row) { return cells_[static_cast<size_t>(row - 1) * cols_ + (col - 1)]; }
  const Slot& at(int col, int row) const { return cells_[static_cast<size_t>(row - 1) * cols_ + (col - 1)]; }
  std::uint32_t styleId(const CellStyle& s);
  void resize(int cols, int rows);

  int cols_ = 0, rows_ = 0;
  int visibleCols_ = 0, visibleRows_ = 0;
  int frozenRows_ = 0;
  int labelCols_ = 1;  // column 1 names the rows in every window
  ScrollBars scrollBars_ = ScrollBars::Both;
  double defaultColWidth_ = 8.0, defaultRowHeight_ = 12.0;
  std::vector<double> colWidths_, rowHeights_;  // <= 0: default
  std::vector<Slot> cells_;
  TextTable texts_;
  std::vector<CellStyle> styles_{CellStyle{}};
  using StyleIds = std::unordered_map<CellStyle, std::uint32_t, StyleHash, StyleEq>;
  // the default look is look 0 (built by emplace: GCC 12 takes an initializer list of it for uninitialized)
  static StyleIds defaultStyleIds() {
    StyleIds ids;
    ids.emplace(CellStyle{}, 0);
    return ids;
  }
  StyleIds styleIds_ = defaultStyleIds();
  // Recent outcomes of operations on looks: (look, op, argument) -> look.
  struct Change {
    std::uint32_t from = ~0u, arg = 0, to = 0;
    Op op = Op::Bg;
  };
  std::vector<Change> changes_;
  std::map<std::pair<int, int>, std::uint32_t> toolTips_;  // (row, col) -> text number
  std::vector<std::uint32_t> numberTexts_;                 // text number of the decimal text of 0, 1, ...; ~0u: not yet
};

}  // namespace km
