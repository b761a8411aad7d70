#include "analyses/frequency/carry_over.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kCarried = RGB(200, 255, 255);
constexpr Rgb kHeaderBg = RGB(255, 200, 200);
constexpr Rgb kDrawNoBg = RGB(255, 255, 200);

TEST(CarryOver, EmptyHistoryShowsTheHeaderRowAlone) {
  const Grid g = fillCarryOver(test::history({}));
  EXPECT_EQ(g.maxCols(), 7);
  EXPECT_EQ(g.maxRows(), 1);
  EXPECT_EQ(g.visibleCols(), 7);
  EXPECT_EQ(g.visibleRows(), 51);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_EQ(g.rowHeight(1), 15);
  EXPECT_EQ(g.colWidth(1), 7);
  EXPECT_EQ(g.colWidth(7), 9);
  EXPECT_EQ(g.text(1, 1), "回数");
  EXPECT_EQ(g.text(4, 1), " 本 数 字         ");
  EXPECT_EQ(g.text(7, 1), "ボーナス数字");
  EXPECT_EQ(g.cell(4, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(4, 1).overflow);
  // the header row is black on pink, column 1 included
  for (int c = 1; c <= 7; ++c) {
    EXPECT_EQ(g.cell(c, 1).bg, kHeaderBg) << c;
    EXPECT_EQ(g.cell(c, 1).fg, kBlack) << c;
  }
  // the main-number band has a bottom line only
  for (int c = 2; c <= 6; ++c) {
    EXPECT_TRUE(g.bottom(c, 1).visible()) << c;
    EXPECT_FALSE(g.top(c, 1).visible()) << c;
  }
  EXPECT_FALSE(g.right(3, 1).visible());
  EXPECT_TRUE(g.top(7, 1).visible());
}

TEST(CarryOver, NumbersOfThePreviousDrawAreMarkedMainAndBonusAlike) {
  const Grid g = fillCarryOver(test::history({
      {1, 2, 3, 4, 5, 6},
      {6, 7, 8, 9, 10, 3},  // 6 was the bonus, bonus 3 was a main number
      {11, 12, 13, 14, 15, 16},
      {11, 17, 18, 19, 20, 21},
  }));
  ASSERT_EQ(g.maxRows(), 5);
  EXPECT_EQ(g.text(1, 3), "2");
  EXPECT_EQ(g.text(2, 3), "6");
  EXPECT_EQ(g.text(7, 3), "3");
  EXPECT_EQ(g.cell(1, 3).fg, RGB(255, 0, 0));
  EXPECT_EQ(g.cell(1, 3).bg, kDrawNoBg);
  for (int c = 2; c <= 7; ++c) EXPECT_EQ(g.cell(c, 2).bg, kWhite) << "first draw, column " << c;
  EXPECT_EQ(g.cell(2, 3).bg, kCarried);
  EXPECT_EQ(g.cell(7, 3).bg, kCarried);
  for (int c = 3; c <= 6; ++c) EXPECT_EQ(g.cell(c, 3).bg, kWhite) << c;
  for (int c = 2; c <= 7; ++c) EXPECT_EQ(g.cell(c, 4).bg, kWhite) << c;
  // only the draw just before counts
  EXPECT_EQ(g.cell(2, 5).bg, kCarried);
}

TEST(CarryOver, IncompleteDrawsLeaveNoRowAndAreNotCompared) {
  const Grid g = fillCarryOver(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {7, 8, 9, 10, std::nullopt, 12}},
      {3, {7, 13, 14, 15, 16, 1}},
      {4, {30, 17, 18, 19, 20, 31}},
      {5, {29, 21, 22, 23, 24, 28}},
  }));
  ASSERT_EQ(g.maxRows(), 6);
  EXPECT_EQ(g.text(1, 3), "3");
  EXPECT_EQ(g.cell(2, 3).bg, kWhite);    // 7 came in the skipped draw only
  EXPECT_EQ(g.cell(7, 3).bg, kCarried);  // 1 of draw 1
  EXPECT_EQ(g.text(1, 5), "5");
  // the row of the skipped draw stays empty at the bottom
  EXPECT_EQ(g.text(1, 6), "");
  EXPECT_EQ(g.text(2, 6), "");
}

}  // namespace
}  // namespace km
