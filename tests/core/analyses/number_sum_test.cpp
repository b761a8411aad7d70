#include "analyses/number_sets/number_sum.h"

#include <gtest/gtest.h>

#include <climits>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kSumBg = RGB(200, 255, 255);
constexpr Rgb kHeaderBg = RGB(255, 200, 200);

std::string rowText(const Grid& g, int row) {
  std::string s;
  for (int c = 1; c <= 9; ++c) s += (c > 1 ? " " : "") + g.text(c, row);
  return s;
}

TEST(NumberSum, GridHeaderAndColours) {
  const Grid g = fillNumberSum(test::history({{1, 2, 3, 4, 5, 6}}));
  ASSERT_EQ(g.maxCols(), 9);
  ASSERT_EQ(g.maxRows(), 2);
  EXPECT_EQ(g.visibleCols(), 9);
  EXPECT_EQ(g.visibleRows(), 51);
  EXPECT_EQ(g.frozenRows(), 1);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_EQ(g.rowHeight(1), 20);
  EXPECT_EQ(g.rowHeight(2), 10);
  const double widths[] = {5, 5, 5, 5, 5, 5, 8, 7, 10};
  for (int c = 1; c <= 9; ++c) EXPECT_EQ(g.colWidth(c), widths[c - 1]) << c;

  EXPECT_EQ(rowText(g, 1), "回数   本 数 字   本数字合計 ボ数字 本数字+ボ数字");
  EXPECT_EQ(g.cell(4, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(4, 1).overflow);
  for (int c = 1; c <= 9; ++c) {
    EXPECT_EQ(g.cell(c, 1).bg, kHeaderBg) << c;
    EXPECT_EQ(g.cell(c, 1).fg, kBlack) << c;
  }
  EXPECT_EQ(g.cell(1, 2).fg, RGB(255, 0, 0));
  EXPECT_EQ(g.cell(1, 2).bg, RGB(255, 255, 200));
  for (int c : {7, 9}) {
    EXPECT_EQ(g.cell(c, 2).fg, RGB(0, 0, 255)) << c;
    EXPECT_EQ(g.cell(c, 2).bg, kSumBg) << c;
  }
  EXPECT_EQ(g.cell(8, 2).bg, kWhite);
  EXPECT_EQ(g.cell(3, 2).bg, kWhite);

  // header: the main numbers read as one cell; sum and bonus keep their lines
  EXPECT_TRUE(g.verticalEdge(1, 1).visible());
  for (int c = 2; c <= 5; ++c) EXPECT_FALSE(g.verticalEdge(c, 1).visible()) << c;
  EXPECT_TRUE(g.verticalEdge(6, 1).visible());
  EXPECT_TRUE(g.verticalEdge(7, 1).visible());
  EXPECT_TRUE(g.verticalEdge(8, 1).visible());
  EXPECT_TRUE(g.horizontalEdge(4, 0).visible() && g.horizontalEdge(4, 1).visible());
  EXPECT_TRUE(g.verticalEdge(3, 2).visible() && g.horizontalEdge(9, 2).visible());
}

TEST(NumberSum, SumsOfMainNumbersAndWithTheBonus) {
  const Grid g = fillNumberSum(test::history({{1, 2, 3, 4, 5, 6}, {27, 28, 29, 30, 31, 26}}));
  EXPECT_EQ(rowText(g, 2), "1 1 2 3 4 5 15 6 21");
  EXPECT_EQ(rowText(g, 3), "2 27 28 29 30 31 145 26 171");
}

TEST(NumberSum, IncompleteDrawTakesNoRowAndTheLastRowStaysEmpty) {
  const Grid g = fillNumberSum(test::historyRows({
      {1, {1, 2, 3, 4, 5, std::nullopt}},
      {2, {1, 2, 3, 4, 5, 6}},
      {3, {std::nullopt, 2, 3, 4, 5, 6}},
  }));
  ASSERT_EQ(g.maxRows(), 4);
  EXPECT_EQ(rowText(g, 2), "2 1 2 3 4 5 15 6 21");
  EXPECT_EQ(rowText(g, 3), "        ");
  EXPECT_EQ(g.cell(7, 4).bg, kSumBg);
}

TEST(NumberSum, EmptyHistoryShowsTheHeaderAlone) {
  const Grid g = fillNumberSum(test::history({}));
  ASSERT_EQ(g.maxRows(), 1);
  EXPECT_EQ(g.text(9, 1), "本数字+ボ数字");
}

}  // namespace
}  // namespace km
