// GridView: selecting cells with the mouse and the keyboard, and the
// selection drawn over the cells.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "frame/ui/grid_accessible.h"
#include "frame/ui/grid_view.h"

namespace km {

namespace {

// A press this close to the grid's left (top) edge selects the whole row (column).
constexpr int kEdgeGrip = 4;

}  // namespace

QRect GridView::cellRect(int col, int row) const {
  if (!grid_ || !grid_->contains(col, row)) return {};
  const int frozen = std::min(grid_->frozenRows(), grid_->maxRows());
  const int fw = fixedLeft();
  const int x = fw > 0 && col <= frozenCols() ? columnX(col) : columnX(col) - horizontalScrollBar()->value();
  const int y = row <= frozen ? rowY(row) : rowY(row) - rowY(firstScrolledRow()) + frozenHeight();
  return QRect(x, y, columnX(col + 1) - columnX(col), rowY(row + 1) - rowY(row));
}

bool GridView::cellAt(const QPoint& pos, int* col, int* row) const {
  if (!grid_ || grid_->maxCols() == 0 || grid_->maxRows() == 0) return false;
  const int x = contentX(pos.x());
  const int fh = frozenHeight();
  const int y = pos.y() < fh ? pos.y() : pos.y() - fh + rowY(firstScrolledRow());
  if (x < 0 || y < 0 || x >= colX_.back() || y >= rowY_.back()) return false;
  *col = static_cast<int>(std::upper_bound(colX_.begin(), colX_.end(), x) - colX_.begin());
  *row = static_cast<int>(std::upper_bound(rowY_.begin(), rowY_.end(), y) - rowY_.begin());
  return *col >= 1 && *col <= grid_->maxCols() && *row >= 1 && *row <= grid_->maxRows();
}

void GridView::selectAll() {
  selection_.selectAll();
  viewport()->update();
}

void GridView::scrollToCell(int col, int row) {
  if (!grid_ || !grid_->contains(col, row)) return;
  const int frozen = std::min(grid_->frozenRows(), grid_->maxRows());
  if (row > frozen) {
    const int avail = viewport()->height() - frozenHeight();
    const int first = firstScrolledRow();
    if (row < first) {
      verticalScrollBar()->setValue(row - frozen - 1);
    } else if (rowY(row + 1) - rowY(first) > avail) {
      int top = row;  // the smallest first row that still shows `row` whole
      while (top - 1 > frozen && rowY(row + 1) - rowY(top - 1) <= avail) --top;
      verticalScrollBar()->setValue(top - frozen - 1);
    }
  }
  if (col <= frozenCols()) return;  // a label column stays in view
  // the columns right of the label columns show from the label columns' right edge
  const int x1 = columnX(col) - frozenWidth(), x2 = columnX(col + 1), h = horizontalScrollBar()->value();
  const int w = viewport()->width();
  if (x1 < h)
    horizontalScrollBar()->setValue(std::max(0, x1));
  else if (x2 > h + w)
    horizontalScrollBar()->setValue(std::min(x1, x2 - w));
}

void GridView::mousePressEvent(QMouseEvent* e) {
  int col = 0, row = 0;
  const QPoint pos = e->position().toPoint();
  if (!cellAt(pos, &col, &row)) {
    QAbstractScrollArea::mousePressEvent(e);
    return;
  }
  if (e->button() == Qt::RightButton) {
    // the menu acts on the selection: a click outside it selects the cell first
    if (!selection_.range().contains(col, row)) selection_.press(col, row, false);
  } else if (e->button() == Qt::LeftButton) {
    GridSelection::Kind kind = GridSelection::Kind::Cells;
    if (contentX(pos.x()) < kEdgeGrip)
      kind = GridSelection::Kind::Rows;
    else if (pos.y() < kEdgeGrip)
      kind = GridSelection::Kind::Columns;
    selection_.press(col, row, e->modifiers() & Qt::ShiftModifier, kind);
    dragging_ = true;
  }
  viewport()->update();
  gridAccessibleFocusMoved(this);
  e->accept();
}

void GridView::mouseMoveEvent(QMouseEvent* e) {
  if (!dragging_ || !(e->buttons() & Qt::LeftButton) || !grid_) {
    QAbstractScrollArea::mouseMoveEvent(e);
    return;
  }
  // Past the edge the nearest visible cell counts, and the grid scrolls one step.
  const QRect vp = viewport()->rect();
  QPoint pos = e->position().toPoint();
  const QPoint inside(std::clamp(pos.x(), 0, vp.width() - 1), std::clamp(pos.y(), 0, vp.height() - 1));
  int col = 0, row = 0;
  if (!cellAt(inside, &col, &row)) {
    const int x = std::min(contentX(inside.x()), colX_.back() - 1);
    const int fh = frozenHeight();
    const int y = inside.y() < fh ? inside.y() : inside.y() - fh + rowY(firstScrolledRow());
    col = static_cast<int>(std::upper_bound(colX_.begin(), colX_.end(), std::max(x, 0)) - colX_.begin());
    row = static_cast<int>(std::upper_bound(rowY_.begin(), rowY_.end(), std::min(y, rowY_.back() - 1)) - rowY_.begin());
  }
  if (pos.y() >= vp.height()) row = std::min(row + 1, grid_->maxRows());
  if (pos.y() < 0 && row > grid_->frozenRows() + 1) row = std::max(row - 1, 1);
  if (pos.x() >= vp.width()) col = std::min(col + 1, grid_->maxCols());
  if (pos.x() < 0) col = std::max(col - 1, 1);
  selection_.dragTo(col, row);
  scrollToCell(col, row);
  viewport()->update();
  e->accept();
}

void GridView::mouseReleaseEvent(QMouseEvent* e) {
  dragging_ = false;
  QAbstractScrollArea::mouseReleaseEvent(e);
}

void GridView::keyPressEvent(QKeyEvent* e) {
  if (!grid_ || grid_->maxCols() == 0 || grid_->maxRows() == 0) {
    QAbstractScrollArea::keyPressEvent(e);
    return;
  }
  const bool extend = e->modifiers() & Qt::ShiftModifier;
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  const int page = std::max(1, grid_->visibleRows() - grid_->frozenRows());
  const int col = selection_.empty() ? 1 : selection_.currentCol();
  const int row = selection_.empty() ? 1 : selection_.currentRow();
  switch (e->key()) {
    case Qt::Key_Left:
      selection_.move(-1, 0, extend);
      break;
    case Qt::Key_Right:
      selection_.move(1, 0, extend);
      break;
    case Qt::Key_Up:
      selection_.move(0, -1, extend);
      break;
    case Qt::Key_Down:
      selection_.move(0, 1, extend);
      break;
    case Qt::Key_PageUp:
      selection_.moveTo(col, row - page, extend);
      break;
    case Qt::Key_PageDown:
      selection_.moveTo(col, row + page, extend);
      break;
    case Qt::Key_Home:
      selection_.moveTo(1, ctrl ? 1 : row, extend);
      break;
    case Qt::Key_End:
      selection_.moveTo(grid_->maxCols(), ctrl ? grid_->maxRows() : row, extend);
      break;
    case Qt::Key_Escape:
      if (selection_.empty()) {
        QAbstractScrollArea::keyPressEvent(e);
        return;
      }
      selection_.clear();
      viewport()->update();
      e->accept();
      return;
    default:
      QAbstractScrollArea::keyPressEvent(e);
      return;
  }
  scrollToCell(selection_.currentCol(), selection_.currentRow());
  viewport()->update();
  gridAccessibleFocusMoved(this);
  e->accept();
}

// The platform's highlight, translucent so that the cell colours show
// through, with a frame round the selected block.
void GridView::paintSelection(QPainter& p) {
  const CellRange r = selection_.range();
  if (!grid_ || r.empty()) return;
  QColor fill = palette().color(QPalette::Active, QPalette::Highlight);
  QColor edge = fill;
  fill.setAlpha(80);
  const int frozen = std::min(grid_->frozenRows(), grid_->maxRows());
  const int fh = frozenHeight(), fw = fixedLeft();
  const QRect vp = viewport()->rect();
  auto part = [&](int first, int last, int oy, int dx, const QRect& clip) {
    const int r1 = std::max(r.row1, first), r2 = std::min(r.row2, last);
    if (r1 > r2) return;
    const QRect block(columnX(r.col1) + dx, rowY(r1) + oy, columnX(r.col2 + 1) - columnX(r.col1),
                      rowY(r2 + 1) - rowY(r1));
    p.save();
    p.setClipRect(clip);
    p.fillRect(block, fill);
    p.setPen(QPen(edge, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(block.adjusted(1, 1, -1, -1));
    p.restore();
  };
  // as the cells: the part that scrolls, the label columns, the heading rows, the corner
  const int dx = -horizontalScrollBar()->value(), oy = fh - rowY(firstScrolledRow());
  part(frozen + 1, grid_->maxRows(), oy, dx, QRect(fw, fh, vp.width() - fw, vp.height() - fh));
  part(frozen + 1, grid_->maxRows(), oy, 0, QRect(0, fh, fw, vp.height() - fh));
  part(1, frozen, 0, dx, QRect(fw, 0, vp.width() - fw, fh));
  part(1, frozen, 0, 0, QRect(0, 0, fw, fh));
}

}  // namespace km
