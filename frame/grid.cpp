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

Grid::TextTable::TextTable() { strings_.emplace_back(); index(); }
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
  if (contains(col, row)) at(col, row).text = texts_.id(text);
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

// Runs f on the look of every cell of the block.  Cells of one look get one
// new look, so a block costs one table look-up per distinct look it holds.
template <class F>
void Grid::forEach(Block b, F f) {
  const Range r = clip(b);
  if (r.empty()) return;
  std::unordered_map<std::uint32_t, std::uint32_t> done;
  std::uint32_t lastFrom = 0, lastTo = 0;
  bool haveLast = false;
  for (int row = r.r1; row <= r.r2; ++row) {
    for (int col = r.c1; col <= r.c2; ++col) {
      std::uint32_t& id = at(col, row).style;
      if (haveLast && id == lastFrom) {
        id = lastTo;
        continue;
      }
      const std::uint32_t from = id;
      if (auto it = done.find(from); it != done.end()) {
        id = it->second;
      } else {
        CellStyle s = styles_[from];
        f(s);
        id = styleId(s);
        done.emplace(from, id);
      }
      lastFrom = from;
      lastTo = id;
      haveLast = true;
    }
  }
}

void Grid::setBg(Block b, Rgb c) {
  forEach(b, [c](CellStyle& x) { x.bg = c; });
}
void Grid::setFg(Block b, Rgb c) {
  forEach(b, [c](CellStyle& x) { x.fg = c; });
}
void Grid::setAlign(Block b, HAlign h, VAlign v) {
  forEach(b, [h, v](CellStyle& x) {
    x.halign = h;
    x.valign = v;
  });
}
void Grid::setOverflow(Block b, bool on) {
  forEach(b, [on](CellStyle& x) { x.overflow = on; });
}

void Grid::setBorder(Block b, unsigned sides, int style, Rgb color) {
  const Range r = clip(b);
  if (r.empty()) return;
  // a cleared side keeps its colour; when it was cleared never matters
  const std::uint32_t order = ++lineOrder_;
  const Line line{static_cast<std::uint8_t>(style), color, style != 0 ? order : 0u};
  // the sides a cell takes depend on where it stands in the block: the look
  // a cell gets is looked up once per (old look, sides)
  std::unordered_map<std::uint64_t, std::uint32_t> done;
  std::uint64_t lastKey = ~std::uint64_t{0};
  std::uint32_t lastTo = 0;
  for (int row = r.r1; row <= r.r2; ++row) {
    for (int col = r.c1; col <= r.c2; ++col) {
      unsigned take = sides & kAllSides;
      if (sides & kOutline) {
        if (col == r.c1) take |= kLeft;
        if (col == r.c2) take |= kRight;
        if (row == r.r1) take |= kTop;
        if (row == r.r2) take |= kBottom;
      }
      std::uint32_t& id = at(col, row).style;
      const std::uint64_t key = (std::uint64_t{id} << 4) | take;
      if (key == lastKey) {
        id = lastTo;
        continue;
      }
      lastKey = key;
      if (auto it = done.find(key); it != done.end()) {
        id = lastTo = it->second;
        continue;
      }
      CellStyle x = styles_[id];
      if (take & kLeft) x.left = line;
      if (take & kRight) x.right = line;
      if (take & kTop) x.top = line;
      if (take & kBottom) x.bottom = line;
      id = lastTo = styleId(x);
      done.emplace(key, id);
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
