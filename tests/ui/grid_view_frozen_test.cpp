// GridView: every frozen row is painted, whatever the scroll position.
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>

#include "frame/ui/grid_view.h"

using namespace km;

namespace {

// True when every pixel of r has exactly colour c.
bool filledWith(const QImage& img, const QRect& r, QColor c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixelColor(x, y) != c) return false;
  return !r.isEmpty();
}

// The inside of a row's first cell, away from its lines.
QRect insideRow(const GridView& v, int row) { return QRect(3, v.rowY(row) + 2, 10, v.rowY(row + 1) - v.rowY(row) - 4); }

}  // namespace

TEST(GridViewFrozenRows, EveryFrozenRowIsPaintedAtTheTopAndAfterScrolling) {
  const QColor colours[] = {QColor(255, 255, 200), QColor(255, 200, 200), QColor(200, 200, 255)};
  Grid g(2, 120);
  g.setVisible(2, 10);
  g.setFrozenRows(3);
  g.setRowHeight(-1, 10);
  g.setRowHeight(3, 15);  // the last frozen row is taller than the others
  g.setScrollBars(ScrollBars::Vertical);
  for (int r = 1; r <= 3; ++r)
    g.setBg(Block{-1, r, -1, r}, RGB(colours[r - 1].red(), colours[r - 1].green(), colours[r - 1].blue()));
  g.setBg(Block{-1, 4, -1, 4}, RGB(0, 200, 0));
  g.setBg(Block{-1, 60, -1, 60}, RGB(0, 0, 200));
  GridView v;
  v.setGrid(&g);
  v.resize(v.sizeHint());

  QImage img = v.viewport()->grab().toImage();
  for (int r = 1; r <= 3; ++r) EXPECT_TRUE(filledWith(img, insideRow(v, r), colours[r - 1])) << "row " << r;
  EXPECT_TRUE(filledWith(img, insideRow(v, 4), QColor(0, 200, 0))) << "the first scrolled row sits right under them";

  v.verticalScrollBar()->setValue(56);  // row 60 comes right under the frozen rows
  ASSERT_EQ(v.firstScrolledRow(), 60);
  img = v.viewport()->grab().toImage();
  for (int r = 1; r <= 3; ++r) EXPECT_TRUE(filledWith(img, insideRow(v, r), colours[r - 1])) << "row " << r;
  EXPECT_TRUE(filledWith(img, insideRow(v, 4), QColor(0, 0, 200)));
}
