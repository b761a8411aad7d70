#include "frame/grid.h"

#include <algorithm>

namespace km {

namespace {
const CellStyle kDefaultStyle{};

size_t mix(size_t h, size_t v) { return h ^ (v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2)); }
size_t rgbKey(Rgb c) { return (size_t{c.r} << 16) | (size_t{c.g} << 8) | c.b; }
size_t lineKey(const Line& l) { return (size_t{l.order} << 32) | (rgbKey(l.color) << 8) | l.style; }
bool sameLine(const Line& a, const Line& b) { return a.style == b.style && a.color == b.color && a.order == b.order; }
}  // namespace

Grid::TextTable::TextTable() {
  strings_.emplace_back();
  index();
}
Grid::TextTable::TextTable(const TextTable& o) : strings_(o.strings_) { index(); }
Grid::TextTable& Grid::TextTable::operator=(const TextTable& o) {
  if (this != &o) {
    strings_ = o.strings_;
    index();
  }
  return *this;
}

// The keys view the table's own strings, so a copy indexes its own.
void Grid::TextTable::index() {
  ids_.clear();
  for (size_t i = 0; i < strings_.size(); ++i) ids_.emplace(strings_[i], static_cast<std::uint32_t>(i));
}

std::uint32_t Grid::TextTable::id(std::string_view text) {
  if (text.empty()) return 0;
  if (auto it = ids_.find(text); it != ids_.end()) return it->second;
  const auto i = static_cast<std::uint32_t>(strings_.size());
  ids_.emplace(strings_.emplace_back(text), i);
  return i;
}

size_t Grid::StyleHash::operator()(const CellStyle& s) const {
  size_t h = rgbKey(s.bg);
  h = mix(h, rgbKey(s.fg));
  h = mix(h, (size_t(s.halign) << 16) | (size_t(s.valign) << 8) | size_t(s.overflow));
  for (const Line* l : {&s.left, &s.right, &s.top, &s.bottom}) h = mix(h, lineKey(*l));
  return h;
}

bool Grid::StyleEq::operator()(const CellStyle& a, const CellStyle& b) const {
  return a.bg == b.bg && a.fg == b.fg && a.halign == b.halign && a.valign == b.valign && a.overflow == b.overflow &&
         sameLine(a.left, b.left) && sameLine(a.right, b.right) && sameLine(a.top, b.top) &&
         sameLine(a.bottom, b.bottom);
}

std::uint32_t Grid::styleId(const CellStyle& s) {
  if (auto it = styleIds_.find(s); it != styleIds_.end()) return it->second;
  const auto i = static_cast<std::uint32_t>(styles_.size());
  styles_.push_back(s);
  styleIds_.emplace(s, i);
  return i;
}

void Grid::resize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  if (cols == cols_ && rows == rows_) return;
  // cells that stay inside keep their place; every other member is kept as it is
  std::vector<Slot> cells(static_cast<size_t>(cols) * rows);
  const int keepCols = std::min(cols, cols_), keepRows = std::min(rows, rows_);
  for (int r = 1; r <= keepRows; ++r)
    for (int c = 1; c <= keepCols; ++c) cells[static_cast<size_t>(r - 1) * cols + (c - 1)] = at(c, r);
  cells_ = std::move(cells);
  colWidths_.resize(cols, 0.0);
  rowHeights_.resize(rows, 0.0);
  cols_ = cols;
  rows_ = rows;
  std::erase_if(toolTips_, [&](const auto& t) { return !contains(t.first.second, t.first.first); });
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

void Grid::setToolTip(int col, int row, std::string_view text) {
  if (!contains(col, row)) return;
  if (text.empty())
    toolTips_.erase({row, col});
  else
    toolTips_[{row, col}] = texts_.id(text);
}

const std::string& Grid::toolTip(int col, int row) const {
  const auto it = toolTips_.find({row, col});
  return texts_[it == toolTips_.end() ? 0 : it->second];
}

void Grid::setText(int col, int row, std::string_view text) {
  if (contains(col, row)) at(col, row).text = texts_.id(text);
}

// Numbers are written a cell at a time over long tables: their texts are
// found by value.
void Grid::setText(int col, int row, int value) {
  if (!contains(col, row)) return;
  constexpr int kRemembered = 1 << 16;
  if (value < 0 || value >= kRemembered) {
    at(col, row).text = texts_.id(std::to_string(value));
    return;
  }
  if (numberTexts_.size() <= static_cast<size_t>(value)) numberTexts_.resize(value + 1, ~0u);
  std::uint32_t& id = numberTexts_[value];
  if (id == ~0u) id = texts_.id(std::to_string(value));
  at(col, row).text = id;
}

const std::string& Grid::text(int col, int row) const { return texts_[contains(col, row) ? at(col, row).text : 0]; }

const CellStyle& Grid::style(int col, int row) const {
  return contains(col, row) ? styles_[at(col, row).style] : kDefaultStyle;
}

Cell Grid::cell(int col, int row) const {
  const CellStyle& s = style(col, row);
  return Cell{text(col, row), s.bg, s.fg, s.halign, s.valign, s.overflow, s.left, s.right, s.top, s.bottom};
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

// Gives a cell the look f makes of its look.  What an operation makes of a
// look is remembered, so that a run of cells, or a cell at a time over a
// long table, costs a look-up in a small table and not a new look.
template <class F>
void Grid::change(std::uint32_t& id, Op op, std::uint32_t arg, F f) {
  constexpr size_t kChanges = 1024;
  if (changes_.empty()) changes_.resize(kChanges);
  Change& c = changes_[(id * 2654435761u ^ arg * 40503u ^ static_cast<std::uint32_t>(op) * 977u) % kChanges];
  if (c.from == id && c.op == op && c.arg == arg) {
    id = c.to;
    return;
  }
  CellStyle x = styles_[id];
  f(x);
  c = Change{id, arg, styleId(x), op};
  id = c.to;
}

template <class F>
void Grid::forEach(Block b, Op op, std::uint32_t arg, F f) {
  const Range r = clip(b);
  if (r.empty()) return;
  for (int row = r.r1; row <= r.r2; ++row)
    for (int col = r.c1; col <= r.c2; ++col) change(at(col, row).style, op, arg, f);
}

namespace {
std::uint32_t rgbArg(Rgb c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }
}  // namespace

void Grid::setBg(Block b, Rgb c) {
  forEach(b, Op::Bg, rgbArg(c), [c](CellStyle& x) { x.bg = c; });
}
void Grid::setFg(Block b, Rgb c) {
  forEach(b, Op::Fg, rgbArg(c), [c](CellStyle& x) { x.fg = c; });
}
void Grid::setAlign(Block b, HAlign h, VAlign v) {
  forEach(b, Op::Align, (static_cast<std::uint32_t>(h) << 8) | static_cast<std::uint32_t>(v), [h, v](CellStyle& x) {
    x.halign = h;
    x.valign = v;
  });
}
void Grid::setOverflow(Block b, bool on) {
  forEach(b, Op::Overflow, on ? 1u : 0u, [on](CellStyle& x) { x.overflow = on; });
}

// Each line set is newer than the line of the neighbour on its edge, which
// becomes the older one; a neighbour that gets the same line in the same
// call draws the same line, so either may be drawn.
void Grid::setBorder(Block b, unsigned sides, int style, Rgb color) {
  const Range r = clip(b);
  if (r.empty()) return;
  // a cleared side keeps its colour; an invisible line is never newer
  const Line line{static_cast<std::uint8_t>(style), color, style != 0 ? 1u : 0u};
  auto takes = [&](int col, int row) {
    unsigned take = sides & kAllSides;
    if (sides & kOutline) {
      if (col == r.c1) take |= kLeft;
      if (col == r.c2) take |= kRight;
      if (row == r.r1) take |= kTop;
      if (row == r.r2) take |= kBottom;
    }
    return take;
  };
  auto inBlock = [&](int col, int row) { return col >= r.c1 && col <= r.c2 && row >= r.r1 && row <= r.r2; };
  // the neighbour's line on the edge becomes the older one
  auto older = [&](int col, int row, unsigned side) {
    if (!contains(col, row)) return;
    if (inBlock(col, row) && (takes(col, row) & side)) return;
    std::uint32_t& id = at(col, row).style;
    const CellStyle& s = styles_[id];
    const Line& l = side == kLeft ? s.left : side == kRight ? s.right : side == kTop ? s.top : s.bottom;
    if (l.order == 0) return;
    change(id, Op::Older, side, [side](CellStyle& x) {
      (side == kLeft ? x.left : side == kRight ? x.right : side == kTop ? x.top : x.bottom).order = 0;
    });
  };
  // the look a cell gets depends on the sides it takes: remembered per (old look, sides)
  constexpr int kDone = 16;
  std::pair<std::uint64_t, std::uint32_t> done[kDone];
  int doneCount = 0;
  std::uint64_t lastKey = ~std::uint64_t{0};
  std::uint32_t lastTo = 0;
  for (int row = r.r1; row <= r.r2; ++row) {
    for (int col = r.c1; col <= r.c2; ++col) {
      const unsigned take = takes(col, row);
      if (!take) continue;
      std::uint32_t& id = at(col, row).style;
      const std::uint64_t key = (std::uint64_t{id} << 4) | take;
      if (key == lastKey) {
        id = lastTo;
      } else {
        lastKey = key;
        const auto* seen = std::find_if(done, done + doneCount, [key](const auto& d) { return d.first == key; });
        if (seen != done + doneCount) {
          id = lastTo = seen->second;
        } else {
          CellStyle x = styles_[id];
          if (take & kLeft) x.left = line;
          if (take & kRight) x.right = line;
          if (take & kTop) x.top = line;
          if (take & kBottom) x.bottom = line;
          id = lastTo = styleId(x);
          if (doneCount < kDone) done[doneCount++] = {key, id};
        }
      }
      if (style == 0) continue;
      if (take & kLeft) older(col - 1, row, kRight);
      if (take & kRight) older(col + 1, row, kLeft);
      if (take & kTop) older(col, row - 1, kBottom);
      if (take & kBottom) older(col, row + 1, kTop);
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
  return later(contains(col, row) ? style(col, row).right : Line{},
               contains(col + 1, row) ? style(col + 1, row).left : Line{});
}

Line Grid::horizontalEdge(int col, int row) const {
  return later(contains(col, row) ? style(col, row).bottom : Line{},
               contains(col, row + 1) ? style(col, row + 1).top : Line{});
}

}  // namespace km
