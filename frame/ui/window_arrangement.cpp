#include "frame/ui/window_arrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

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

}  // namespace

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
  const QRect room = area->viewport()->rect();
  const int n = static_cast<int>(shown.size());
  for (int i = 0; i < n; ++i) {
    const QRect r =
        stacked ? QRect(0, room.height() * i / n, room.width(), room.height() * (i + 1) / n - room.height() * i / n)
                : QRect(room.width() * i / n, 0, room.width() * (i + 1) / n - room.width() * i / n, room.height());
    shown[i]->setGeometry(r);
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
