#include "frame/ui/grid_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>

#include "frame/grid_geometry.h"

using namespace km;

namespace {

QImage render(GridView& v) {
  v.resize(v.sizeHint());
  return v.viewport()->grab().toImage();
}

// Counts pixels of roughly the given colour inside a rectangle.
int countColour(const QImage& img, const QRect& r, QColor c) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {
      const QColor p = img.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) < 40 && std::abs(p.green() - c.green()) < 40 &&
          std::abs(p.blue() - c.blue()) < 40)
        ++n;
    }
  return n;
}

QRect cellRect(const GridView& v, int c, int r) {
  return QRect(v.columnX(c), v.rowY(r), v.columnX(c + 1) - v.columnX(c), v.rowY(r + 1) - v.rowY(r));
}

}  // namespace

TEST(GridView, SizesItselfToTheVisibleColumnsAndRows) {
  Grid g(10, 100);
  g.setVisible(4, 5);
  g.setColWidth(-1, 5);
  g.setRowHeight(-1, 10);
  g.setScrollBars(ScrollBars::Vertical);
  GridView v;
  v.setGrid(&g);
  const QSize hint = v.sizeHint();
  const int sb = v.verticalScrollBar()->sizeHint().width();
  EXPECT_EQ(hint.width(), v.columnX(5) + 2 * v.frameWidth() + sb);
  EXPECT_EQ(hint.height(), v.rowY(6) + 2 * v.frameWidth());
  // a row point and a column character in twips, whatever the DPI
  EXPECT_EQ(v.rowY(6) - v.rowY(1), qRound(5 * 10 * kRowPointTwips * v.logicalDpiY() / 1440.0));
  EXPECT_EQ(v.columnX(5) - v.columnX(1), qRound(4 * 5 * kColumnCharTwips * v.logicalDpiX() / 1440.0));
}

// A grid larger than its visible part shows the scroll bars its setting asks
// for, and sizes itself to hold them.
TEST(GridView, ShowsTheScrollBarsItsGridAsksFor) {
  const struct {
    ScrollBars bars;
    bool horizontal, vertical;
  } cases[] = {
      {ScrollBars::Horizontal, true, false}, {ScrollBars::Vertical, false, true}, {ScrollBars::Both, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.bars));
    Grid g(20, 100);
    g.setVisible(4, 5);
    g.setColWidth(-1, 5);
    g.setRowHeight(-1, 10);
    g.setScrollBars(c.bars);
    GridView v;
    v.setGrid(&g);
    const QSize hint = v.sizeHint();
    EXPECT_EQ(hint.width() - v.columnX(5) - 2 * v.frameWidth(),
              c.vertical ? v.verticalScrollBar()->sizeHint().width() : 0);
    EXPECT_EQ(hint.height() - v.rowY(6) - 2 * v.frameWidth(),
              c.horizontal ? v.horizontalScrollBar()->sizeHint().height() : 0);
    v.resize(hint);
    v.show();
    EXPECT_TRUE(!c.horizontal || v.horizontalScrollBar()->isVisible());
    EXPECT_TRUE(!c.vertical || v.verticalScrollBar()->isVisible());
  }
  // switched off (a printed page): no bar, however many cells are out of view
  Grid g(20, 100);
  g.setScrollBars(ScrollBars::Both);
  GridView v;
  v.setScrollBarsOff(true);
  v.setGrid(&g);
  v.resize(60, 60);
  v.show();
  EXPECT_FALSE(v.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(v.verticalScrollBar()->isVisible());
}

TEST(GridView, OverflowRunsIntoEmptyNeighboursOnly) {
  Grid g(4, 2);
  g.setColWidth(-1, 2);
  g.setRowHeight(-1, 12);
  g.setScrollBars(ScrollBars::None);
  g.setAlign(Block::all(), HAlign::Left);
  const std::string longText = "ＷＷＷＷＷＷＷＷ";
  g.setText(1, 1, longText);
  g.setOverflow(Block::cell(1, 1), true);
  g.setText(1, 2, longText);  // row 2: no overflow
  GridView v;
  v.setGrid(&g);
  QImage img = render(v);
  EXPECT_GT(countColour(img, cellRect(v, 2, 1), Qt::black), 0) << "row 1 runs into column 2";
  EXPECT_EQ(countColour(img, cellRect(v, 2, 2), Qt::black), 0) << "row 2 is clipped";

  g.setText(2, 1, " ");  // a filled neighbour stops the overflow
  v.refresh();
  img = render(v);
  EXPECT_EQ(countColour(img, cellRect(v, 3, 1), Qt::black), 0);
}

TEST(GridView, BordersAreDrawnOncePerEdgeInTheirColour) {
  Grid g(3, 3);
  g.setColWidth(-1, 4);
  g.setRowHeight(-1, 12);
  g.setScrollBars(ScrollBars::None);
  g.setBorder(Block::all(), kAllSides, 1, RGB(255, 0, 0));
  g.setBorder(Block::cell(2, 2), kLeft, 1, RGB(0, 0, 255));  // the shared edge: later wins
  g.clearBorder(Block::cell(3, 3));
  GridView v;
  v.setGrid(&g);
  const QImage img = render(v);
  const QRect c22 = cellRect(v, 2, 2);
  const QRect c11 = cellRect(v, 1, 1);
  // edge between (1,2) and (2,2) is blue, on one pixel column only
  const QRect shared(v.columnX(2) - 1, c22.top() + 2, 1, c22.height() - 4);
  EXPECT_EQ(countColour(img, shared, QColor(0, 0, 255)), shared.height());
  EXPECT_EQ(countColour(img, shared.translated(1, 0), QColor(0, 0, 255)), 0);
  // edge right of (1,1) stays red
  const QRect red(v.columnX(2) - 1, c11.top() + 2, 1, c11.height() - 4);
  EXPECT_EQ(countColour(img, red, QColor(255, 0, 0)), red.height());
  // interior of a cell has no line
  EXPECT_EQ(countColour(img, c22.adjusted(2, 2, -2, -2), QColor(255, 0, 0)), 0);
  // cleared cell: no line on its bottom edge
  const QRect c33 = cellRect(v, 3, 3);
  EXPECT_EQ(countColour(img, QRect(c33.left() + 2, c33.bottom(), c33.width() - 4, 1), QColor(255, 0, 0)), 0);
}

TEST(GridView, FrozenRowsStayWhileTheRestScrolls) {
  Grid g(2, 200);
  g.setVisible(2, 10);
  g.setFrozenRows(2);
  g.setRowHeight(-1, 10);
  g.setScrollBars(ScrollBars::Vertical);
  g.setBg(Block{-1, 1, -1, 2}, RGB(255, 255, 200));
  g.setBg(Block{-1, 53, -1, 53}, RGB(0, 200, 0));
  GridView v;
  v.setGrid(&g);
  v.resize(v.sizeHint());
  ASSERT_GT(v.verticalScrollBar()->maximum(), 50);
  v.verticalScrollBar()->setValue(50);  // row 53 comes right under the frozen rows
  EXPECT_EQ(v.firstScrolledRow(), 53);
  const QImage img = v.viewport()->grab().toImage();
  const QRect row1(2, 2, 10, v.rowY(2) - 4);
  EXPECT_EQ(countColour(img, row1, QColor(255, 255, 200)), row1.width() * row1.height());
  const QRect underFrozen(2, v.rowY(3) + 2, 10, v.rowY(4) - v.rowY(3) - 4);
  EXPECT_EQ(countColour(img, underFrozen, QColor(0, 200, 0)), underFrozen.width() * underFrozen.height());
}
