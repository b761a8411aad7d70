#include "frame/ui/window_arrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <numeric>
#include <vector>

#include "frame/ui/grid_view.h"

namespace km {

namespace {

// The windows that are arranged, back to front.
QList<QMdiSubWindow*> shownWindows(QMdiArea* area) {
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::StackingOrder)) {
    if (w->isMinimized() || !w->isVisible()) continue;
    if (w->isMaximized()) w->showNormal();
    shown.append(w);
  }
  return shown;
}

// From the top of a child window to the top of its content: its title bar.
int titleBarHeight(const QMdiSubWindow* w) {
  if (w->widget()) return w->widget()->mapTo(w, QPoint(0, 0)).y();
  return w->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, w);
}

// The room the area has for its windows: its viewport with the scroll bars it shows now.
QSize areaRoom(const QMdiArea* area) { return area->contentsRect().size(); }

// Lengths along one direction: `length` shared equally, except that no
// window gets less than its least; those take their least and the others
// share the rest.  When the least lengths together are more than `length`,
// each window has its least (and the area scrolls).
std::vector<int> shares(const std::vector<int>& least, int length) {
  const int n = static_cast<int>(least.size());
  std::vector<int> out(least);
  if (std::accumulate(least.begin(), least.end(), 0) >= length) return out;
  std::vector<bool> taken(n, false);
  int room = length, left = n;
  for (bool more = true; more;) {
    more = false;
    for (int i = 0; i < n; ++i) {
      if (taken[i] || least[i] <= room / left) continue;
      taken[i] = true;
      room -= least[i];
      --left;
      more = true;
    }
  }
  for (int i = 0, k = 0; i < n; ++i) {
    if (taken[i]) continue;
    out[i] = room * (k + 1) / left - room * k / left;
    ++k;
  }
  return out;
}

}  // namespace

QSize leastGridSize(const GridView& v) {
  const Grid* g = v.grid();
  if (!g || g->maxRows() == 0 || g->maxCols() == 0) return {};
  const int rows = std::min(g->maxRows(), g->frozenRows() + kLeastGridRows);
  const int cols = std::min(g->maxCols(), kLeastGridColumns);
  QSize s(v.columnX(cols + 1) - v.columnX(1), v.rowY(rows + 1) - v.rowY(1));
  if (rows < g->maxRows()) s.rwidth() += v.verticalScrollBar()->sizeHint().width();
  if (cols < g->maxCols()) s.rheight() += v.horizontalScrollBar()->sizeHint().height();
  return s + QSize(2 * v.frameWidth(), 2 * v.frameWidth());
}

QSize leastWindowSize(QMdiSubWindow* w) {
  // The window's layout is asked with each grid held at its least size.
  const QList<GridView*> views = w->findChildren<GridView*>();
  std::vector<QSize> kept;
  auto relayout = [w](QWidget* from) {
    for (QWidget* p = from; p && p != w; p = p->parentWidget()) p->updateGeometry();
  };
  for (GridView* v : views) {
    kept.push_back(v->minimumSize());
    v->setMinimumSize(leastGridSize(*v).expandedTo(v->minimumSize()));
    relayout(v);
  }
  QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
  for (int i = 0; i < views.size(); ++i) {
    views[i]->setMinimumSize(kept[i]);
    relayout(views[i]);
  }
  // A window that scrolls its grids (the prediction window): from the top of
  // what it scrolls down to the least rows of its first grid.
  const QScrollArea* scroll = w->findChild<QScrollArea*>();
  const GridView* first = scroll && scroll->widget() ? scroll->widget()->findChild<GridView*>() : nullptr;
  if (first) {
    QSize around = w->size() - scroll->viewport()->size();
    if (!scroll->verticalScrollBar()->isVisible()) around.rwidth() += scroll->verticalScrollBar()->sizeHint().width();
    if (!scroll->horizontalScrollBar()->isVisible())
      around.rheight() += scroll->horizontalScrollBar()->sizeHint().height();
    const QPoint at = first->mapTo(scroll->widget(), QPoint(0, 0));
    least = least.expandedTo(around + QSize(at.x(), at.y()) + leastGridSize(*first));
  }
  return least;
}

void cascadeWindows(QMdiArea* area) {
  const QList<QMdiSubWindow*> shown = shownWindows(area);
  const QRect room = area->viewport()->rect();
  QMdiSubWindow* active = area->activeSubWindow();
  int x = 0, y = 0;
  for (QMdiSubWindow* w : shown) {
    const int step = titleBarHeight(w);
    const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
    if (y > 0 && y + std::max(least.height(), 3 * step) > room.height()) y = 0;  // again from the top
    const QSize size = w->sizeHint().boundedTo(room.size() - QSize(x, y)).expandedTo(least);
    w->setGeometry(QRect(QPoint(x, y), size));
    w->raise();
    x += step;
    y += step;
  }
  if (active && shown.contains(active)) area->setActiveSubWindow(active);
}

void tileWindows(QMdiArea* area, bool stacked) {
  const QList<QMdiSubWindow*> shown = shownWindows(area);
  if (shown.isEmpty()) return;
  // from the top left of what the area holds
  area->horizontalScrollBar()->setValue(0);
  area->verticalScrollBar()->setValue(0);
  const QSize room = areaRoom(area);
  auto along = [stacked](QSize s) { return stacked ? s.height() : s.width(); };
  auto across = [stacked](QSize s) { return stacked ? s.width() : s.height(); };
  std::vector<int> least;
  std::vector<int> leastAcross;
  for (QMdiSubWindow* w : shown) {
    const QSize s = leastWindowSize(w);
    least.push_back(along(s));
    leastAcross.push_back(across(s));
  }
  // a window that needs more than the area's breadth: the area scrolls across, and its bar takes from the length
  const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
  int length = along(room);
  if (*std::max_element(leastAcross.begin(), leastAcross.end()) > across(room)) length -= bar;
  const std::vector<int> lengths = shares(least, length);
  // no room for them all: they go on beyond the area, which scrolls to them
  int breadth = across(room);
  if (std::accumulate(lengths.begin(), lengths.end(), 0) > length) breadth -= bar;
  int at = 0;
  for (int i = 0; i < shown.size(); ++i) {
    const int b = std::max(breadth, leastAcross[i]);
    shown[i]->setGeometry(stacked ? QRect(0, at, b, lengths[i]) : QRect(at, 0, lengths[i], b));
    at += lengths[i];
  }
}

void arrangeIcons(QMdiArea* area) {
  const QRect room = area->viewport()->rect();
  int x = 0;
  for (QMdiSubWindow* w : area->subWindowList()) {
    if (!w->isMinimized()) continue;
    const QSize s = w->size();
    w->move(x, room.height() - s.height());
    x += s.width();
  }
}

}  // namespace km
