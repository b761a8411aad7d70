// Cells share their texts and looks: a change to one cell never shows in
// another, copies stand on their own, and a long grid keeps few looks.
#include <gtest/gtest.h>

#include "frame/grid.h"
#include "frame/grid_json.h"

using namespace km;

TEST(GridSharedLooks, AChangeToOneCellOfASharedLookLeavesTheOthers) {
  Grid g(3, 3);
  g.setBg(Block::all(), RGB(1, 1, 1));
  g.setBg(Block::cell(2, 2), RGB(2, 2, 2));
  EXPECT_EQ(g.style(1, 1).bg, RGB(1, 1, 1));
  EXPECT_EQ(g.style(2, 2).bg, RGB(2, 2, 2));
  EXPECT_EQ(g.style(3, 3).bg, RGB(1, 1, 1));
  // one block over cells of different looks: each keeps what was not set
  g.setFg(Block::all(), RGB(7, 7, 7));
  EXPECT_EQ(g.style(2, 2).bg, RGB(2, 2, 2));
  EXPECT_EQ(g.style(1, 2).bg, RGB(1, 1, 1));
  EXPECT_EQ(g.style(3, 2).fg, RGB(7, 7, 7));
  g.setAlign(Block{1, 1, 2, 1}, HAlign::Left, VAlign::Top);
  g.setOverflow(Block::cell(2, 1), true);
  EXPECT_EQ(g.style(1, 1).halign, HAlign::Left);
  EXPECT_FALSE(g.style(1, 1).overflow);
  EXPECT_TRUE(g.style(2, 1).overflow);
  EXPECT_EQ(g.style(3, 1).halign, HAlign::Center);
  EXPECT_EQ(g.cell(2, 1).halign, HAlign::Left);
  EXPECT_EQ(g.cell(2, 2).bg, RGB(2, 2, 2));
}

TEST(GridSharedLooks, TheSameValueGivenByDifferentOperationsGivesDifferentLooks) {
  Grid g(4, 1);
  g.setBg(Block::cell(1, 1), RGB(9, 9, 9));
  g.setFg(Block::cell(2, 1), RGB(9, 9, 9));
  g.setOverflow(Block::cell(3, 1), true);
  g.setAlign(Block::cell(4, 1), HAlign::Left, VAlign::Center);
  EXPECT_EQ(g.style(1, 1).bg, RGB(9, 9, 9));
  EXPECT_EQ(g.style(1, 1).fg, kBlack);
  EXPECT_EQ(g.style(2, 1).bg, kWhite);
  EXPECT_EQ(g.style(2, 1).fg, RGB(9, 9, 9));
  EXPECT_TRUE(g.style(3, 1).overflow);
  EXPECT_EQ(g.style(3, 1).halign, HAlign::Center);
  EXPECT_EQ(g.style(4, 1).halign, HAlign::Left);
  EXPECT_FALSE(g.style(4, 1).overflow);
}

TEST(GridSharedLooks, ManyColoursCellByCellEachKeepTheirOwn) {
  Grid g(50, 60);
  auto colour = [](int c, int r) { return RGB(c * 5, r * 4, (c * r) % 256); };
  for (int r = 1; r <= 60; ++r)
    for (int c = 1; c <= 50; ++c) g.setBg(Block::cell(c, r), colour(c, r));
  for (int r = 1; r <= 60; ++r)
    for (int c = 1; c <= 50; ++c) g.setFg(Block::cell(c, r), colour(r, c));
  int wrong = 0;
  for (int r = 1; r <= 60; ++r)
    for (int c = 1; c <= 50; ++c) wrong += !(g.style(c, r).bg == colour(c, r) && g.style(c, r).fg == colour(r, c));
  EXPECT_EQ(wrong, 0);
}

TEST(GridSharedLooks, AnOutlineOverCellsOfOneLookGivesEachCellItsOwnSides) {
  Grid g(4, 4);
  g.setFrame(Block{1, 1, 3, 3}, 1, RGB(5, 5, 5));
  EXPECT_TRUE(g.left(1, 2).visible());
  EXPECT_FALSE(g.right(1, 2).visible());
  EXPECT_FALSE(g.left(2, 2).visible());
  EXPECT_FALSE(g.top(2, 2).visible());
  EXPECT_TRUE(g.top(2, 1).visible());
  EXPECT_TRUE(g.bottom(2, 3).visible());
  EXPECT_TRUE(g.right(3, 3).visible() && g.bottom(3, 3).visible());
  EXPECT_FALSE(g.left(4, 4).visible());
  // a line set later wins its edge even where both cells had one look before
  g.setBorder(Block::cell(2, 2), kLeft, 1, RGB(6, 6, 6));
  EXPECT_EQ(g.verticalEdge(1, 2).color, RGB(6, 6, 6));
  g.setBorder(Block::cell(1, 2), kRight, 1, RGB(8, 8, 8));
  EXPECT_EQ(g.verticalEdge(1, 2).color, RGB(8, 8, 8));
}

TEST(GridSharedLooks, TextsStayPutAndCopiesStandOnTheirOwn) {
  Grid g(2, 2);
  g.setText(1, 1, "出現");
  const std::string& kept = g.text(1, 1);
  for (int i = 0; i < 5000; ++i) g.setText(2, 2, std::to_string(i));  // many new texts
  EXPECT_EQ(kept, "出現") << "a text read before stays valid";
  EXPECT_EQ(g.text(2, 2), "4999");
  EXPECT_EQ(g.text(1, 2), "");
  g.setText(2, 2, "");
  EXPECT_EQ(g.text(2, 2), "");

  auto copy = std::make_unique<Grid>(g);
  g.setText(1, 1, "変更");
  g.setBg(Block::cell(1, 1), RGB(3, 3, 3));
  EXPECT_EQ(copy->text(1, 1), "出現");
  EXPECT_EQ(copy->style(1, 1).bg, kWhite);
  copy->setText(1, 2, "出現");  // the copy finds its own texts
  EXPECT_EQ(copy->text(1, 2), "出現");
  Grid assigned;
  assigned = *copy;
  copy.reset();
  EXPECT_EQ(assigned.text(1, 1), "出現");
  EXPECT_EQ(assigned.text(1, 2), "出現");
  assigned.setText(2, 1, "4999");
  EXPECT_EQ(assigned.text(2, 1), "4999");
  const Grid moved = std::move(assigned);
  EXPECT_EQ(moved.text(1, 1), "出現");
}

TEST(GridSharedLooks, ResizingKeepsCellsInPlace) {
  Grid g(2, 2);
  g.setText(2, 2, "x");
  g.setBg(Block::cell(2, 2), RGB(4, 4, 4));
  g.setMaxCols(3);
  g.setMaxRows(5);
  EXPECT_EQ(g.text(2, 2), "x");
  EXPECT_EQ(g.style(2, 2).bg, RGB(4, 4, 4));
  EXPECT_EQ(g.style(3, 5).bg, kWhite);
  g.setMaxCols(1);
  EXPECT_EQ(g.text(2, 2), "");
  EXPECT_EQ(g.style(2, 2).bg, kWhite) << "outside the grid: the default look";
}

TEST(GridSharedLooks, ALongTableKeepsFewTextsAndLooks) {
  Grid g(12, 5002);
  g.setBorder(Block::all(), kAllSides);
  g.setBg(Block{1, 1, -1, 1}, RGB(255, 255, 200));
  for (int r = 2; r <= 5002; ++r) {
    g.setText(1, r, r - 1);
    for (int c = 2; c <= 12; ++c) {
      g.setText(c, r, (r * c) % 31 + 1);
      if ((r + c) % 3 == 0) g.setBg(Block::cell(c, r), RGB(200, 200, 255));
    }
  }
  EXPECT_LE(g.styleCount(), 10u);
  EXPECT_LE(g.textCount(), 5002u + 1);
}
