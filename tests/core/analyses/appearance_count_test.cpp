#include "analyses/counts/appearance_count.h"

#include <gtest/gtest.h>

#include <climits>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kDrawNoBg = RGB(255, 255, 200);
constexpr Rgb kNumbersHeaderBg = RGB(200, 255, 255);
constexpr Rgb kCountsHeaderBg = RGB(200, 255, 200);

// Texts of columns c1..c2 of a row joined by spaces.
std::string rowText(const Grid& g, int row, int c1 = 1, int c2 = 13) {
  std::string s;
  for (int c = c1; c <= c2; ++c) s += (c > c1 ? " " : "") + g.text(c, row);
  return s;
}

TEST(AppearanceCount, GridHeadersAndColours) {
  const Grid g = fillAppearanceCount(test::history({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
  ASSERT_EQ(g.maxCols(), 13);
  ASSERT_EQ(g.maxRows(), 4);  // LastDrawNo + 2
  EXPECT_EQ(g.visibleCols(), 13);
  EXPECT_EQ(g.visibleRows(), 52);
  EXPECT_EQ(g.frozenRows(), 0);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_EQ(g.rowHeight(1), 20);
  EXPECT_EQ(g.rowHeight(2), 12);
  EXPECT_EQ(g.rowHeight(3), 10);
  EXPECT_EQ(g.colWidth(1), 5);
  EXPECT_EQ(g.colWidth(13), 5);

  EXPECT_EQ(g.text(4, 1), "  当 選 数 字");
  EXPECT_EQ(g.cell(4, 1).halign, HAlign::Left);
  EXPECT_EQ(g.text(11, 1), "前回までの出現回数合計(回)");
  EXPECT_EQ(g.cell(11, 1).halign, HAlign::Center);
  EXPECT_TRUE(g.cell(4, 1).overflow && g.cell(11, 1).overflow);
  EXPECT_EQ(rowText(g, 2),
            "回数 第1数字 第2数字 第3数字 第4数字 第5数字 ボ数字 第1数字 第2数字 第3数字 第4数字 第5数字 ボ数字");

  for (int row : {1, 2, 3, 4}) {
    EXPECT_EQ(g.cell(1, row).fg, RGB(255, 0, 0)) << row;
    EXPECT_EQ(g.cell(1, row).bg, kDrawNoBg) << row;
  }
  for (int row : {1, 2}) {
    for (int c = 2; c <= 7; ++c) {
      EXPECT_EQ(g.cell(c, row).fg, RGB(0, 0, 255)) << c;
      EXPECT_EQ(g.cell(c, row).bg, kNumbersHeaderBg) << c;
    }
    for (int c = 8; c <= 13; ++c) {
      EXPECT_EQ(g.cell(c, row).fg, RGB(255, 0, 0)) << c;
      EXPECT_EQ(g.cell(c, row).bg, kCountsHeaderBg) << c;
    }
  }
  EXPECT_EQ(g.cell(2, 3).bg, kWhite);
  EXPECT_EQ(g.cell(13, 4).bg, kWhite);
  EXPECT_EQ(g.cell(13, 4).fg, kBlack);

  // header row 1: each group one cell, the groups apart; every other cell lined
  EXPECT_TRUE(g.verticalEdge(1, 1).visible());
  EXPECT_FALSE(g.verticalEdge(3, 1).visible());
  EXPECT_FALSE(g.verticalEdge(6, 1).visible());
  EXPECT_TRUE(g.verticalEdge(7, 1).visible());
  EXPECT_FALSE(g.verticalEdge(10, 1).visible());
  EXPECT_TRUE(g.verticalEdge(13, 1).visible());
  EXPECT_TRUE(g.horizontalEdge(5, 0).visible() && g.horizontalEdge(5, 1).visible());
  EXPECT_TRUE(g.verticalEdge(3, 2).visible());
  EXPECT_TRUE(g.verticalEdge(10, 4).visible() && g.horizontalEdge(10, 4).visible());
}

TEST(AppearanceCount, CountsEarlierDrawsMainAndBonusTogether) {
  const Grid g = fillAppearanceCount(test::history({
      {1, 2, 3, 4, 5, 6},
      {6, 1, 7, 8, 9, 9},     // 6 was draw 1's bonus; 9 twice
      {9, 1, 6, 10, 11, 31},  // 9 counted twice before
  }));
  EXPECT_EQ(rowText(g, 3), "1 1 2 3 4 5 6 0 0 0 0 0 0");
  EXPECT_EQ(rowText(g, 4), "2 6 1 7 8 9 9 1 1 0 0 0 0");
  EXPECT_EQ(rowText(g, 5), "3 9 1 6 10 11 31 2 2 2 0 0 0");
}

TEST(AppearanceCount, LastDrawShowsWholeHistoryHitsLessItsOwn) {
  const History h = test::history({{1, 2, 3, 4, 5, 6}, {2, 3, 4, 5, 6, 7}, {3, 4, 5, 6, 7, 1}});
  const Grid g = fillAppearanceCount(h);
  const int numbers[] = {3, 4, 5, 6, 7, 1};
  for (int f = 0; f < 6; ++f) EXPECT_EQ(g.text(8 + f, 5), std::to_string(h.stats.NumberHits[numbers[f]] - 1)) << f;
}

TEST(AppearanceCount, IncompleteDrawTakesNoRowAndTheLastRowStaysEmpty) {
  const Grid g = fillAppearanceCount(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {1, 7, 8, 9, 10, std::nullopt}},
      {3, {1, 7, 8, 9, 10, 11}},
      {4, {std::nullopt, 7, 8, 9, 10, 11}},
  }));
  ASSERT_EQ(g.maxRows(), 5);  // the last complete draw is 3
  EXPECT_EQ(rowText(g, 4), "3 1 7 8 9 10 11 1 0 0 0 0 0");
  EXPECT_EQ(rowText(g, 5), "            ");
  EXPECT_EQ(g.cell(1, 5).bg, kDrawNoBg);
}

TEST(AppearanceCount, GapsInDrawNumbersLeaveEmptyRowsAtTheBottom) {
  const Grid g = fillAppearanceCount(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {7, 8, 9, 10, 11, 12}},
      {5, {1, 7, 13, 14, 15, 16}},
  }));
  ASSERT_EQ(g.maxRows(), 7);
  EXPECT_EQ(rowText(g, 5), "5 1 7 13 14 15 16 1 1 0 0 0 0");
  EXPECT_EQ(g.text(1, 6), "");
  EXPECT_EQ(g.text(1, 7), "");
}

TEST(AppearanceCount, EmptyHistoryShowsTheHeaderRows) {
  const Grid g = fillAppearanceCount(test::history({}));
  ASSERT_EQ(g.maxRows(), 2);
  EXPECT_EQ(g.text(1, 2), "回数");
  EXPECT_EQ(g.text(11, 1), "前回までの出現回数合計(回)");
}

// Draw numbers out of order never cut the grid: every complete draw keeps its row.
TEST(AppearanceCount, DrawNumbersOutOfOrderDoNotCutTheGrid) {
  const Grid backwards = fillAppearanceCount(test::historyRows(
      {{7, {1, 2, 3, 4, 5, 6}}, {8, {1, 2, 3, 4, 5, 6}}, {9, {1, 2, 3, 4, 5, 6}}, {1, {1, 2, 3, 4, 5, 6}}}));
  ASSERT_EQ(backwards.maxRows(), 6);
  EXPECT_EQ(rowText(backwards, 6, 1, 2), "1 1");
  EXPECT_EQ(backwards.text(8, 6), "3");
}

}  // namespace
}  // namespace km
