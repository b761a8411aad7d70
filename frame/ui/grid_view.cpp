#include "frame/ui/grid_view.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "frame/grid_geometry.h"
#include "frame/ui/grid_accessible.h"
#include "frame/ui/grid_actions.h"

namespace km {

namespace {

QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }

Qt::Alignment qalign(const CellStyle& c) {
  Qt::Alignment a = c.halign == HAlign::Left    ? Qt::AlignLeft
                    : c.halign == HAlign::Right ? Qt::AlignRight
                                                : Qt::AlignHCenter;
  a |= c.valign == VAlign::Top ? Qt::AlignTop : c.valign == VAlign::Bottom ? Qt::AlignBottom : Qt::AlignVCenter;
  return a;
}

constexpr int kTextMargin = 2;  // between a text and its cell's lines
// The narrowest a text is drawn to fit its cell, as a share of its width.
constexpr double kMinSqueeze = 0.6;

// Where a text's ink lies from its left edge: padding spaces are not ink.
QRect inkRect(const QFontMetrics& fm, const QString& text) {
  const QString core = text.trimmed();
  if (core.isEmpty()) return QRect();
  const int lead = fm.horizontalAdvance(text.left(text.indexOf(core.at(0))));
  return fm.tightBoundingRect(core).translated(lead, 0);
}

}  // namespace

GridView::GridView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFont(gridFont());
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Plain);
  setLineWidth(1);
  viewport()->setAutoFillBackground(true);
  QPalette p = viewport()->palette();
  p.setColor(QPalette::Window, QColor(128, 128, 128));
  viewport()->setPalette(p);
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  setFocusPolicy(Qt::StrongFocus);
  installGridActions(this);
  installGridAccessibility();
}

QFont GridView::gridFont() {
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPointSize(9);
  return f;
}

void GridView::setGrid(const Grid* grid) {
  grid_ = grid;
  refresh();
}

void GridView::setGrowsToShowMore(bool on) {
  growsToShowMore_ = on;
  setSizePolicy(on ? QSizePolicy::Expanding : QSizePolicy::Maximum, on ? QSizePolicy::Expanding : QSizePolicy::Maximum);
  refresh();
}

void GridView::refresh() {
  selection_.setBounds(grid_ ? grid_->maxCols() : 0, grid_ ? grid_->maxRows() : 0);
  textMetrics_.clear();
  layoutGrid();
  if (growsToShowMore_) {
    // every cell, with room for a scroll bar in a direction the designed
    // size already scrolls (it still does, unless the screen holds every cell)
    QSize full(contentWidth() + 2 * frameWidth(), rowY(grid_ ? grid_->maxRows() + 1 : 1) + 2 * frameWidth());
    if (grid_ && grid_->visibleRows() > 0 && grid_->visibleRows() < grid_->maxRows())
      full.rwidth() += verticalScrollBar()->sizeHint().width();
    if (grid_ && grid_->visibleCols() > 0 && grid_->visibleCols() < grid_->maxCols())
      full.rheight() += horizontalScrollBar()->sizeHint().height();
    fullSize_ = full.expandedTo(sizeHint());
    setMaximumSize(fullSize_);
  }
  updateGeometry();
  updateScrollBars();
  viewport()->update();
  gridAccessibleReset(this);
}

void GridView::layoutGrid() {
  if (!grid_) {
    colX_.assign(1, 0);
    rowY_.assign(1, 0);
    return;
  }
  GridGeometry g = gridGeometry(*grid_, logicalDpiX(), logicalDpiY());
  colX_ = std::move(g.colX);
  rowY_ = std::move(g.rowY);
}

int GridView::columnX(int col) const {
  if (colX_.empty()) return 0;
  return colX_[std::clamp(col - 1, 0, static_cast<int>(colX_.size()) - 1)];
}

int GridView::rowY(int row) const {
  if (rowY_.empty()) return 0;
  return rowY_[std::clamp(row - 1, 0, static_cast<int>(rowY_.size()) - 1)];
}

int GridView::frozenHeight() const {
  if (!grid_) return 0;
  return rowY(std::min(grid_->frozenRows(), grid_->maxRows()) + 1);
}

int GridView::firstScrolledRow() const {
  return (grid_ ? std::min(grid_->frozenRows(), grid_->maxRows()) : 0) + 1 + verticalScrollBar()->value();
}

QSize GridView::sizeHint() const {
  if (!grid_) return QSize(100, 60);
  const int cols = std::min(grid_->visibleCols() > 0 ? grid_->visibleCols() : grid_->maxCols(), grid_->maxCols());
  const int rows = std::min(grid_->visibleRows() > 0 ? grid_->visibleRows() : grid_->maxRows(), grid_->maxRows());
  int w = columnX(cols + 1) + 2 * frameWidth();
  int h = rowY(rows + 1) + 2 * frameWidth();
  const ScrollBars sb = grid_->scrollBars();
  if (rows < grid_->maxRows() && (sb == ScrollBars::Vertical || sb == ScrollBars::Both))
    w += verticalScrollBar()->sizeHint().width();
  if (cols < grid_->maxCols() && (sb == ScrollBars::Horizontal || sb == ScrollBars::Both))
    h += horizontalScrollBar()->sizeHint().height();
  return QSize(std::max(w, 20), std::max(h, 20));
}

void GridView::setScrollBarsOff(bool off) {
  scrollBarsOff_ = off;
  updateScrollBars();
}

// The grid's scroll bar setting is for its designed size, where the view
// shows the bars it names (sizeHint leaves room for them) and no others.  A
// view made smaller than that (a window arranged or resized by the user)
// shows a bar for any direction in which cells are out of reach.
void GridView::updateScrollBars() {
  const Qt::ScrollBarPolicy policy = scrollBarsOff_ ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
  setVerticalScrollBarPolicy(policy);
  setHorizontalScrollBarPolicy(policy);
  // Which bars are needed is worked out from the whole view, not from the
  // viewport that the bars shown now leave: otherwise two bars, each shown
  // for want of the room the other takes, would stay when the view grows.
  const int rows = grid_ ? grid_->maxRows() : 0;
  const int frozen = grid_ ? std::min(grid_->frozenRows(), rows) : 0;
  const int scrolledHeight = rowY(rows + 1) - frozenHeight();
  QSize room = size() - QSize(2 * frameWidth(), 2 * frameWidth());
  if (!scrollBarsOff_) {
    const int barW = verticalScrollBar()->sizeHint().width(), barH = horizontalScrollBar()->sizeHint().height();
    bool needV = scrolledHeight > room.height() - frozenHeight(), needH = contentWidth() > room.width();
    needH = needH || (needV && contentWidth() > room.width() - barW);
    needV = needV || (needH && scrolledHeight > room.height() - barH - frozenHeight());
    needH = needH || (needV && contentWidth() > room.width() - barW);
    room -= QSize(needV ? barW : 0, needH ? barH : 0);
    // a growing view narrower than its columns may grow by the bar's height,
    // so that the bar covers no row (the last line of a short grid)
    if (growsToShowMore_ && fullSize_.isValid()) {
      const bool designedWithBar = grid_ && grid_->visibleCols() > 0 && grid_->visibleCols() < grid_->maxCols();
      const QSize most = fullSize_ + QSize(0, needH && !designedWithBar ? barH : 0);
      if (most != maximumSize()) {
        setMaximumSize(most);
        emit largestSizeChanged();
      }
    }
  }
  // vertical: scrolls by whole rows below the frozen ones
  int maxV = 0;
  if (grid_) {
    const int avail = room.height() - frozenHeight();
    int first = rows;  // smallest first row such that the rest fits
    int used = 0;
    while (first > frozen && used + (rowY(first + 1) - rowY(first)) <= avail) {
      used += rowY(first + 1) - rowY(first);
      --first;
    }
    // the last row stays reachable even when it is taller than the room
    maxV = std::max(0, std::min(first, rows - 1) - frozen);
  }
  verticalScrollBar()->setRange(0, maxV);
  verticalScrollBar()->setPageStep(std::max(1, grid_ ? grid_->visibleRows() - grid_->frozenRows() : 1));
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setRange(0, std::max(0, contentWidth() - room.width()));
  horizontalScrollBar()->setPageStep(std::max(1, room.width()));
  horizontalScrollBar()->setSingleStep(20);
}

void GridView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  updateScrollBars();
}

void GridView::scrollContentsBy(int, int) { viewport()->update(); }

int GridView::frozenCols() const {
  if (!grid_) return 0;
  const int cols =
      std::min(scrollBarsOff_ && pageLabelCols_ >= 0 ? pageLabelCols_ : grid_->labelCols(), grid_->maxCols());
  if (cols <= 0 || cols == grid_->maxCols()) return 0;
  if (scrollBarsOff_) return cols;
  return 2 * columnX(cols + 1) <= viewport()->width() ? cols : 0;
}

int GridView::fixedLeft() const { return horizontalScrollBar()->value() > 0 ? frozenWidth() : 0; }

int GridView::contentX(int viewportX) const {
  return viewportX < fixedLeft() ? viewportX : viewportX + horizontalScrollBar()->value();
}

// A heading's band: the columns round (col, row) that read as one cell with
// it, empty and without a line between them, right of the label columns.
std::pair<int, int> GridView::headingBand(int col, int row, int firstCol) const {
  int left = col, right = col;
  while (right < grid_->maxCols() && grid_->text(right + 1, row).empty() && !grid_->verticalEdge(right, row).visible())
    ++right;
  while (left - 1 >= firstCol && grid_->text(left - 1, row).empty() && !grid_->verticalEdge(left - 1, row).visible())
    --left;
  return {left, right};
}

void GridView::paintEvent(QPaintEvent* event) {
  if (!grid_ || grid_->maxCols() == 0 || grid_->maxRows() == 0) return;
  QPainter p(viewport());
  const Grid& g = *grid_;
  const int scrolledX = -horizontalScrollBar()->value();
  const int frozen = std::min(g.frozenRows(), g.maxRows());
  const int fh = frozenHeight();
  const int fw = fixedLeft();
  const int labels = fw > 0 ? frozenCols() : 0;
  const int scrollTop = rowY(firstScrolledRow());  // content y shown right under the frozen rows
  const QRect vp = viewport()->rect();

  // whether every cell of a row right of column c is empty
  auto rowEmptyAfter = [&](int r, int c) {
    for (int k = c + 1; k <= g.maxCols(); ++k)
      if (!g.text(k, r).empty()) return false;
    return true;
  };
  // the column at a content x
  auto colAt = [&](int x) {
    auto it = std::upper_bound(colX_.begin(), colX_.end(), x);
    return std::clamp(static_cast<int>(it - colX_.begin()), 1, g.maxCols());
  };

  // Paints the cells of rows [r1, r2] and columns [c1, c2] with content
  // offsets (dx, oy), clipped to `clip`.  Texts may run in from the columns
  // from textCol1 to textCol2.  In heading rows of the part that scrolls
  // sideways, a title whose band runs on into view stays in view.
  auto paintCells = [&](int r1, int r2, int oy, int c1, int c2, int dx, int textCol1, int textCol2, const QRect& clip) {
    if (r1 > r2 || c1 > c2) return;
    p.save();
    p.setClipRect(clip.intersected(event->rect()));
    auto cellRect = [&](int c, int r) {
      return QRect(columnX(c) + dx, rowY(r) + oy, columnX(c + 1) - columnX(c), rowY(r + 1) - rowY(r));
    };
    // 1. backgrounds
    for (int r = r1; r <= r2; ++r)
      for (int c = c1; c <= c2; ++c) p.fillRect(cellRect(c, r), qcolor(g.style(c, r).bg));
    // 2. texts (a text may run in from a column outside the visible range)
    const QFontMetrics fm(font());
    const bool sticky = dx < 0;  // the part scrolled sideways
    for (int r = r1; r <= r2; ++r) {
      for (int c = textCol1; c <= textCol2; ++c) {
        const std::string& cellText = g.text(c, r);
        if (cellText.empty()) continue;
        const CellStyle& cell = g.style(c, r);
        if ((c < c1 || c > c2) && !cell.overflow) continue;
        const TextSpan span = textSpan(fm, c, r);
        QRect rect(columnX(span.left) + dx, rowY(r) + oy, columnX(span.right + 1) - columnX(span.left),
                   rowY(r + 1) - rowY(r));
        const int advance = metricsOf(fm, cellText).advance;
        int x = rect.left() + span.x;
        if (sticky && r <= frozen && cell.overflow && x < clip.left() + kTextMargin) {
          const auto [bandLeft, bandRight] = headingBand(c, r, textCol1);
          const int bandEnd = columnX(bandRight + 1) + dx;
          x = std::max(x, std::min(clip.left() + kTextMargin, bandEnd - 1 - kTextMargin - advance));
          rect = QRect(QPoint(columnX(bandLeft) + dx, rect.top()), QPoint(bandEnd - 1, rect.bottom()));
        }
        if (rect.right() < 0 || rect.left() > vp.width()) continue;
        p.save();
        // a note that runs from a label column over the whole row stays
        // whole while the grid is scrolled sideways (no cell of its row can
        // be under it)
        const bool wholeRowNote =
            !sticky && fw > 0 && c2 <= labels && cell.overflow && span.right > labels && rowEmptyAfter(r, labels);
        if (wholeRowNote)
          p.setClipRect(rect.intersected(QRect(0, clip.top(), vp.width(), clip.height())).intersected(event->rect()),
                        Qt::ReplaceClip);
        else
          p.setClipRect(rect.intersected(clip), Qt::IntersectClip);
        p.setPen(qcolor(cell.fg));
        p.translate(x, 0);
        p.scale(span.squeeze, 1);
        p.drawText(QRect(0, rect.top(), advance, rect.height()),
                   (qalign(cell) & Qt::AlignVertical_Mask) | Qt::AlignLeft | Qt::TextSingleLine,
                   QString::fromStdString(cellText));
        p.restore();
      }
    }
    // 3. lines, each edge once
    for (int r = r1; r <= r2; ++r) {
      for (int c = c1; c <= c2; ++c) {
        const QRect rc = cellRect(c, r);
        const Line top = g.horizontalEdge(c, r - 1), bottom = g.horizontalEdge(c, r);
        const Line left = g.verticalEdge(c - 1, r), right = g.verticalEdge(c, r);
        if (top.visible() && r == r1) {
          p.setPen(qcolor(top.color));
          p.drawLine(rc.left(), rc.top(), rc.right(), rc.top());
        }
        if (left.visible() && c == c1) {
          p.setPen(qcolor(left.color));
          p.drawLine(rc.left(), rc.top(), rc.left(), rc.bottom());
        }
        if (bottom.visible()) {
          p.setPen(qcolor(bottom.color));
          p.drawLine(rc.left(), rc.bottom(), rc.right(), rc.bottom());
        }
        if (right.visible()) {
          p.setPen(qcolor(right.color));
          p.drawLine(rc.right(), rc.top(), rc.right(), rc.bottom());
        }
      }
    }
    p.restore();
  };

  // The part that scrolls both ways first, then the label columns left of
  // it, the heading rows above it, and the corner where both stay.
  const int firstRow = firstScrolledRow();
  int lastRow = firstRow;
  while (lastRow < g.maxRows() && rowY(lastRow + 1) - scrollTop + fh < vp.height()) ++lastRow;
  lastRow = std::min(lastRow, g.maxRows());
  const int c1 = std::max(colAt(fw - scrolledX), labels + 1), c2 = colAt(vp.width() - scrolledX);
  const QRect body(fw, fh, vp.width() - fw, vp.height() - fh), heading(fw, 0, vp.width() - fw, fh);
  paintCells(firstRow, lastRow, fh - scrollTop, c1, c2, scrolledX, labels > 0 ? labels + 1 : 1, g.maxCols(), body);
  paintCells(firstRow, lastRow, fh - scrollTop, 1, labels, 0, 1, labels, QRect(0, fh, fw, vp.height() - fh));
  paintCells(1, frozen, 0, c1, c2, scrolledX, labels > 0 ? labels + 1 : 1, g.maxCols(), heading);
  paintCells(1, frozen, 0, 1, labels, 0, 1, labels, QRect(0, 0, fw, fh));
  paintSelection(p);
  // the area past the last row or column keeps the viewport's grey
  if (hasFocus()) {  // keyboard focus: a frame in the highlight colour round the cells in view
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, std::min(vp.width(), contentWidth() + scrolledX),
                     std::min(vp.height(), fh + rowY(g.maxRows() + 1) - scrollTop))
                   .adjusted(1, 1, -1, -1));
  }
}

// A text is placed by its cell's alignment, kTextMargin in from the sides,
// and fits when its ink (not its padding spaces) lies between the lines.  A
// text that may run over takes in empty neighbours until it fits; one that
// still does not fit in a tight cell is moved just enough to keep its ink
// off the lines when it is narrow enough for that.
GridView::TextSpan GridView::textSpan(const QFontMetrics& fm, int col, int row) const {
  TextSpan span{col, col, 0, false};
  const std::string& text = grid_->text(col, row);
  if (text.empty()) return span;
  const CellStyle& cell = grid_->style(col, row);
  const TextMetrics& m = metricsOf(fm, text);
  const int advance = m.advance;
  const QRect& ink = m.ink;
  auto width = [&] { return columnX(span.right + 1) - columnX(span.left); };
  // the text's left edge at its preferred place, from the span's left edge;
  // the span's last pixel is its right line
  auto preferred = [&] {
    const int inner = width() - 1;
    return cell.halign == HAlign::Left    ? kTextMargin
           : cell.halign == HAlign::Right ? inner - kTextMargin - advance
                                          : (inner - advance) / 2;
  };
  auto inkInside = [&](int x) { return ink.isEmpty() || (x + ink.left() >= 0 && x + ink.right() <= width() - 2); };
  if (cell.overflow) {
    const bool growRight = cell.halign != HAlign::Right, growLeft = cell.halign != HAlign::Left;
    while (!inkInside(preferred())) {
      bool grew = false;
      if (growRight && span.right < grid_->maxCols() && grid_->text(span.right + 1, row).empty()) {
        ++span.right;
        grew = true;
      }
      if (!inkInside(preferred()) && growLeft && span.left > 1 && grid_->text(span.left - 1, row).empty()) {
        --span.left;
        grew = true;
      }
      if (!grew) break;
    }
  }
  span.x = preferred();
  if (!inkInside(span.x) && !ink.isEmpty() && ink.width() <= width() - 1)
    span.x = std::clamp(span.x, -ink.left(), width() - 2 - ink.right());
  span.cut = !inkInside(span.x);
  // A text that may not run over and is too wide for its cell (a count of
  // three digits in a column of two) is narrowed to fit, within a limit:
  // every such text of a column width alike, so that they read as a set.
  // A number is narrowed as a number of as many zeros would be: "281" that
  // would just fit with its narrow 1 reads alike with "280" beside it.
  const bool number = std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
  const TextMetrics* zeros = number ? &metricsOf(fm, std::string(text.size(), '0')) : nullptr;
  if ((span.cut || (zeros && zeros->ink.width() > width() - 1)) && !cell.overflow && !ink.isEmpty()) {
    const int wide = std::max({advance, ink.width(), zeros ? zeros->advance : 0});
    const double squeeze = std::min(1.0, (width() - 3.0) / wide);
    if (squeeze >= kMinSqueeze) {
      const double inkWidth = ink.width() * squeeze, inner = width() - 1;
      const double inkX = cell.halign == HAlign::Left    ? 1
                          : cell.halign == HAlign::Right ? inner - 1 - inkWidth
                                                         : (inner - inkWidth) / 2;
      span.x = static_cast<int>(std::lround(inkX - ink.left() * squeeze));
      span.squeeze = squeeze;
      span.cut = false;
    }
  }
  return span;
}

const GridView::TextMetrics& GridView::metricsOf(const QFontMetrics& fm, const std::string& text) const {
  auto it = textMetrics_.find(text);
  if (it == textMetrics_.end()) {
    const QString t = QString::fromStdString(text);
    it = textMetrics_.emplace(text, TextMetrics{fm.horizontalAdvance(t), inkRect(fm, t)}).first;
  }
  return it->second;
}

void GridView::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange) {
    textMetrics_.clear();
    refresh();
  }
  QAbstractScrollArea::changeEvent(e);
}

bool GridView::isTextCut(int col, int row) const {
  if (!grid_ || !grid_->contains(col, row)) return false;
  return textSpan(QFontMetrics(font()), col, row).cut;
}

bool GridView::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    // A cell's own tooltip; else a text that its cell cannot show in full shows in full.
    auto* help = static_cast<QHelpEvent*>(e);
    int col = 0, row = 0;
    const bool onCell = cellAt(help->pos(), &col, &row);
    const std::string tip = onCell ? grid_->toolTip(col, row) : std::string();
    if (onCell && (!tip.empty() || isTextCut(col, row))) {
      QToolTip::showText(help->globalPos(), QString::fromStdString(tip.empty() ? grid_->text(col, row) : tip),
                         viewport());
    } else {
      QToolTip::hideText();
      e->ignore();
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(e);
}

void GridView::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  viewport()->update();
  gridAccessibleFocusMoved(this);
}

void GridView::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  viewport()->update();
}

}  // namespace km
