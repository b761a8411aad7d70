// Grid: blocks that reach outside the table, default widths and heights, resizing.
#include <gtest/gtest.h>

#include "frame/grid.h"

using namespace km;

namespace {

// True when no cell of g differs from a fresh cell.
bool untouched(const Grid& g) {
  const Cell fresh;
  for (int r = 1; r <= g.maxRows(); ++r)
    for (int c = 1; c <= g.maxCols(); ++c) {
      const Cell& x = g.cell(c, r);
      if (x.text != fresh.text || x.bg != fresh.bg || x.fg != fresh.fg || x.halign != fresh.halign ||
          x.overflow != fresh.overflow || x.left.visible() || x.right.visible() || x.top.visible() ||
          x.bottom.visible())
        return false;
    }
  return true;
}

}  // namespace

TEST(GridBounds, BlocksWithZeroOrNegativeCoordinatesWriteNothingOutsideTheTable) {
  // Column 0 of row 2 would be the last cell of row 1 in the cell table.
  const Block outside[] = {{0, 2, 0, 2}, {-2, 2, -2, 2}, {0, 0, 0, 0},   {2, 0, 2, 0}, {-5, -5, 0, 0}, {4, 1, 9, 3},
                           {1, 4, 3, 9}, {-3, 1, -2, 3}, {2, -3, 2, -2}, {3, 3, 1, 1}, {0, -1, 0, -1}};
  for (const Block& b : outside) {
    Grid g(3, 3);
    g.setBg(b, RGB(1, 2, 3));
    g.setFg(b, RGB(1, 2, 3));
    g.setAlign(b, HAlign::Left);
    g.setOverflow(b, true);
    g.setBorder(b, kAllSides);
    g.setBorder(b, kOutline);
    EXPECT_TRUE(untouched(g)) << b.col1 << "," << b.row1 << "," << b.col2 << "," << b.row2;
  }
  Grid g(3, 3);
  g.setText(0, 2, "x");
  g.setText(-1, 1, "x");
  g.setText(4, 1, "x");
  EXPECT_TRUE(untouched(g));
}

TEST(GridBounds, BlocksReachingOverTheEdgeAreClippedToTheTable) {
  Grid g(3, 3);
  g.setBg({0, 2, 2, 2}, RGB(9, 9, 9));
  EXPECT_EQ(g.cell(1, 2).bg, RGB(9, 9, 9));
  EXPECT_EQ(g.cell(2, 2).bg, RGB(9, 9, 9));
  EXPECT_EQ(g.cell(3, 2).bg, kWhite);
  EXPECT_EQ(g.cell(3, 1).bg, kWhite);
  g.setBorder({2, 0, 5, 1}, kOutline);
  EXPECT_TRUE(g.top(2, 1).visible());
  EXPECT_TRUE(g.right(3, 1).visible()) << "the outline ends at the last column";
  EXPECT_FALSE(g.top(1, 1).visible());
}

TEST(GridBounds, DefaultWidthAndHeightResetEverySingleOne) {
  Grid g(4, 4);
  g.setColWidth(2, 9);
  g.setColWidth(4, 3);
  g.setRowHeight(1, 20);
  g.setRowHeight(3, 7);
  g.setColWidth(-1, 6);
  g.setRowHeight(-1, 11);
  for (int c = 1; c <= 4; ++c) EXPECT_EQ(g.colWidth(c), 6) << c;
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(g.rowHeight(r), 11) << r;
  g.setColWidth(2, 9);
  EXPECT_EQ(g.colWidth(2), 9);
  EXPECT_EQ(g.colWidth(1), 6);
}

TEST(GridBounds, ResizingKeepsEverySettingAndTheCellsThatStay) {
  Grid g(3, 3);
  g.setVisible(2, 2);
  g.setFrozenRows(1);
  g.setScrollBars(ScrollBars::Horizontal);
  g.setColWidth(-1, 4);
  g.setRowHeight(-1, 9);
  g.setColWidth(3, 8);
  g.setRowHeight(2, 14);
  g.setText(3, 3, "33");
  g.setBg(Block::cell(1, 2), RGB(5, 5, 5));
  g.setBorder(Block::cell(2, 1), kRight, 1, RGB(7, 7, 7));

  g.setMaxCols(5);
  g.setMaxRows(2);
  EXPECT_EQ(g.maxCols(), 5);
  EXPECT_EQ(g.maxRows(), 2);
  EXPECT_EQ(g.visibleCols(), 2);
  EXPECT_EQ(g.visibleRows(), 2);
  EXPECT_EQ(g.frozenRows(), 1);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Horizontal);
  EXPECT_EQ(g.colWidth(3), 8);
  EXPECT_EQ(g.colWidth(5), 4) << "new columns take the default";
  EXPECT_EQ(g.rowHeight(2), 14);
  EXPECT_EQ(g.cell(1, 2).bg, RGB(5, 5, 5));
  EXPECT_EQ(g.right(2, 1).color, RGB(7, 7, 7));
  EXPECT_EQ(g.text(3, 3), "") << "row 3 is gone";

  g.setMaxRows(3);
  EXPECT_EQ(g.text(3, 3), "") << "a row that comes back is empty";
  EXPECT_EQ(g.rowHeight(3), 9);
  // lines set after a resize still win over the ones set before
  g.setBorder(Block::cell(3, 1), kLeft, 1, RGB(8, 8, 8));
  EXPECT_EQ(g.verticalEdge(2, 1).color, RGB(8, 8, 8));

  g.setMaxCols(0);
  EXPECT_EQ(g.maxCols(), 0);
  g.setMaxCols(-4);
  EXPECT_EQ(g.maxCols(), 0);
  EXPECT_EQ(g.text(1, 1), "");
}
