#include "analyses/divisions/four_ranges.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

History draws(int n) {
  std::vector<Draw> rows;
  for (int i = 0; i < n; ++i) rows.push_back(test::draw(i + 1, {1, 2, 3, 4, 5, 6}));
  return History::fromRows(std::move(rows));
}

bool isHeader(const Grid& g, int row) {
  return g.text(1, row) == "回数" && g.text(4, row) == "本 数 字" && g.text(7, row) == "ボ数" &&
         g.text(8, row) == "01～09" && g.text(11, row) == "30～31" && g.rowHeight(row) == 20 &&
         g.cell(1, row).bg == RGB(255, 200, 200) && g.cell(9, row).fg == RGB(0, 0, 255) &&
         g.cell(9, row).bg == RGB(200, 200, 255) && !g.verticalEdge(3, row).visible() &&
         !g.verticalEdge(5, row).visible() && g.bottom(4, row).visible() && g.left(8, row).color == RGB(255, 0, 0);
}

TEST(FourRanges, HeaderBeforeEveryFiftyDrawsAndAfterTheLast) {
  const Grid g0 = fillFourRanges(draws(0));
  EXPECT_TRUE(g0.maxRows() == 1 && isHeader(g0, 1));
  const Grid g50 = fillFourRanges(draws(50)), g51 = fillFourRanges(draws(51)), g = fillFourRanges(draws(101));
  EXPECT_EQ(g50.maxRows(), 52);
  EXPECT_TRUE(isHeader(g50, 1) && isHeader(g50, 52) && g50.text(1, 51) == "50");
  EXPECT_EQ(g51.maxRows(), 54);
  EXPECT_TRUE(isHeader(g51, 52) && isHeader(g51, 54) && g51.text(1, 53) == "51");
  EXPECT_EQ(g.maxRows(), 105);
  for (int row : {1, 52, 103, 105}) EXPECT_TRUE(isHeader(g, row)) << row;
  EXPECT_EQ(g.text(1, 102) + " " + g.text(1, 104), "100 101");
  EXPECT_TRUE(g.right(3, 104).visible() && g.left(8, 104).color == RGB(255, 0, 0));
}

TEST(FourRanges, RangesCountTheBonusAndSkipIncompleteDraws) {
  const Grid g = fillFourRanges(test::historyRows(
      {{1, {9, 10, 19, 20, 29, 30}}, {2, {1, std::nullopt, 3, 4, 5, 6}}, {3, {1, 2, 3, 25, 31, 11}}}));
  ASSERT_EQ(g.maxRows(), 5);
  const std::vector<Rgb> bg1 = {
      kWhite, RGB(200, 255, 255), RGB(200, 255, 255), RGB(200, 255, 200), RGB(200, 255, 200), RGB(255, 255, 200)};
  for (int c = 2; c <= 7; ++c) EXPECT_EQ(g.cell(c, 2).bg, bg1[c - 2]) << c;
  EXPECT_EQ(g.text(8, 2) + g.text(9, 2) + g.text(10, 2) + g.text(11, 2), "1221");
  EXPECT_EQ(g.text(1, 3), "3");                                                                 // draw 2 takes no row
  EXPECT_TRUE(g.cell(6, 3).bg == RGB(255, 255, 200) && g.cell(7, 3).bg == RGB(200, 255, 255));  // 31, bonus 11
  EXPECT_EQ(g.text(8, 3) + g.text(9, 3) + g.text(10, 3) + g.text(11, 3), "3111");
  EXPECT_EQ(g.text(1, 4), "");
  EXPECT_EQ(g.cell(10, 4).bg, RGB(200, 255, 200));  // standing colour of the count column
  EXPECT_TRUE(isHeader(g, 5));
}

}  // namespace
}  // namespace km
