#include "analyses/number_sets/consecutive.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

// Backgrounds of columns c1..c2 of a row: . white, c consecutive, s stepping, g no pair, y draw number.
std::string marks(const Grid& g, int row, int c1, int c2) {
  std::string s;
  for (int c = c1; c <= c2; ++c) {
    const Rgb b = g.cell(c, row).bg;
    s += b == kWhite               ? '.'
         : b == RGB(200, 255, 255) ? 'c'
         : b == RGB(200, 255, 200) ? 's'
         : b == RGB(225, 225, 225) ? 'g'
         : b == RGB(255, 255, 200) ? 'y'
                                   : '?';
  }
  return s;
}

TEST(Consecutive, HeaderAlone) {
  const Grid g = fillConsecutive(test::history({}));
  EXPECT_EQ(g.maxRows(), 1);
  EXPECT_EQ(g.text(3, 1), "　　連番(本数字)");
  EXPECT_EQ(g.text(9, 1), "　飛び石(本数字)");
  EXPECT_EQ(g.text(7, 1), "回数");
  EXPECT_EQ(g.cell(3, 1).halign, HAlign::Left);
  EXPECT_EQ(g.cell(2, 1).bg, RGB(255, 200, 255));
  EXPECT_EQ(g.cell(12, 1).bg, RGB(255, 200, 200));
  EXPECT_FALSE(g.right(3, 1).visible());  // each group one frame
  EXPECT_TRUE(g.right(6, 1).visible() && g.left(8, 1).visible() && g.bottom(9, 1).visible());
}

TEST(Consecutive, NeighbouringPairsOnlyAndIncompleteDrawsSkipped) {
  const Grid g = fillConsecutive(
      test::historyRows({{1, {4, 5, 6, 20, 22, 1}}, {2, {1, 2, 3, 4, 5, std::nullopt}}, {3, {1, 3, 5, 7, 9, 2}}}));
  ASSERT_EQ(g.maxRows(), 4);
  EXPECT_EQ(g.text(1, 2), "1");
  EXPECT_EQ(g.text(12, 2), "22");
  EXPECT_EQ(marks(g, 2, 1, 12), "yccc..y...ss");
  EXPECT_EQ(g.text(7, 3), "3");  // draw 2 takes no row
  EXPECT_EQ(marks(g, 3, 1, 12), "g.....ysssss");
  EXPECT_EQ(g.text(1, 4), "");
  EXPECT_EQ(marks(g, 4, 1, 12), "y.....y.....");
}

}  // namespace
}  // namespace km
