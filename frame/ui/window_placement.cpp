#include "frame/ui/window_placement.h"

#include <QFontInfo>

#include "frame/ui/grid_view.h"

namespace km {

WindowPlacement measureWindow(const QWidget* window) {
  WindowPlacement w;
  w.widthPx = window->width();
  w.heightPx = window->height();
  for (const GridView* v : window->findChildren<GridView*>()) {
    GridPlacement g;
    g.fontFamily = QFontInfo(v->font()).family().toStdString();
    g.pointSize = v->font().pointSizeF();
    const int cols = v->grid() ? v->grid()->maxCols() : 0, rows = v->grid() ? v->grid()->maxRows() : 0;
    for (int c = 1; c <= cols; ++c) g.colPx.push_back(v->columnX(c + 1) - v->columnX(c));
    for (int r = 1; r <= rows; ++r) g.rowPx.push_back(v->rowY(r + 1) - v->rowY(r));
    const QPoint at = v->mapTo(window, QPoint(0, 0));
    g.x = at.x();
    g.y = at.y();
    g.framePx = v->frameWidth();
    w.grids.push_back(std::move(g));
  }
  return w;
}

}  // namespace km
