#include "analyses/intervals/appearance_interval.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kHeaderBg = RGB(255, 200, 200);
constexpr Rgb kNumberBg = RGB(200, 255, 255);
constexpr Rgb kDrawNoBg = RGB(255, 255, 200);
constexpr int kIntervalCols[] = {3, 5, 7, 9, 11, 13};

void expectLabelRow(const Grid& g, int row) {
  EXPECT_EQ(g.text(1, row), "回数");
  EXPECT_EQ(g.text(2, row), "第1数字");
  EXPECT_EQ(g.text(10, row), "第5数字");
  EXPECT_EQ(g.text(12, row), "ボ数字");
  for (int c : kIntervalCols) EXPECT_EQ(g.text(c, row), "出現") << c;
}

void expectGroupRow(const Grid& g, int row) {
  EXPECT_EQ(g.text(6, row), "    本 数 字     ");
  EXPECT_EQ(g.text(12, row), "     ボ数字   　   ");
  EXPECT_EQ(g.cell(6, row).halign, HAlign::Left);
  EXPECT_EQ(g.cell(12, row).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(6, row).overflow);
  // two frames: columns 2..11 and 12..13, no inner lines
  EXPECT_TRUE(g.left(2, row).visible());
  EXPECT_TRUE(g.top(5, row).visible());
  EXPECT_FALSE(g.verticalEdge(5, row).visible());
  EXPECT_TRUE(g.verticalEdge(11, row).visible());
  EXPECT_FALSE(g.right(12, row).visible());
  EXPECT_TRUE(g.right(13, row).visible());
  EXPECT_TRUE(g.top(13, row).visible());
}

TEST(AppearanceInterval, HeadersOnTopAndMirroredAtTheBottom) {
  const Grid g = fillAppearanceInterval(test::history({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
  ASSERT_EQ(g.maxCols(), 13);
  ASSERT_EQ(g.maxRows(), 6);
  EXPECT_EQ(g.visibleCols(), 13);
  EXPECT_EQ(g.visibleRows(), 52);
  EXPECT_EQ(g.frozenRows(), 2);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_EQ(g.colWidth(13), 5);
  EXPECT_EQ(g.rowHeight(1), 15);
  EXPECT_EQ(g.rowHeight(2), 12);
  EXPECT_EQ(g.rowHeight(6), 10);

  expectGroupRow(g, 1);
  expectLabelRow(g, 2);
  expectLabelRow(g, 5);
  expectGroupRow(g, 6);

  for (int row : {1, 2, 5, 6}) {
    EXPECT_EQ(g.cell(1, row).fg, RGB(255, 0, 0)) << row;
    EXPECT_EQ(g.cell(1, row).bg, kDrawNoBg) << row;
    for (int c = 2; c <= 13; ++c) {
      EXPECT_EQ(g.cell(c, row).bg, kHeaderBg) << c << "," << row;
      EXPECT_EQ(g.cell(c, row).fg, kBlack) << c << "," << row;
    }
  }
  // data rows: number columns tinted, interval columns white, every cell lined
  EXPECT_EQ(g.cell(1, 3).bg, kDrawNoBg);
  EXPECT_EQ(g.cell(12, 4).bg, kNumberBg);
  EXPECT_EQ(g.cell(13, 4).bg, kWhite);
  EXPECT_TRUE(g.right(5, 3).visible());
  EXPECT_TRUE(g.right(12, 2).visible());
}

TEST(AppearanceInterval, EmptyHistoryShowsBothHeadersAlone) {
  const Grid g = fillAppearanceInterval(test::history({}));
  ASSERT_EQ(g.maxRows(), 4);
  expectGroupRow(g, 1);
  expectLabelRow(g, 2);
  expectLabelRow(g, 3);
  expectGroupRow(g, 4);
}

TEST(AppearanceInterval, NearestEarlierDrawMainOrBonus) {
  const Grid g = fillAppearanceInterval(test::history({
      {1, 2, 3, 4, 5, 6},
      {6, 7, 8, 9, 10, 1},  // 6 was draw 1's bonus; bonus 1 was a main number
      {1, 2, 11, 12, 13, 14},
      {20, 21, 22, 23, 31, 1},
  }));
  for (int c : kIntervalCols) EXPECT_EQ(g.text(c, 3), "初回") << c;
  EXPECT_EQ(g.text(1, 4), "2");
  EXPECT_EQ(g.text(2, 4), "6");
  EXPECT_EQ(g.text(3, 4), "1回前");
  EXPECT_EQ(g.text(5, 4), "初回");
  EXPECT_EQ(g.text(12, 4), "1");
  EXPECT_EQ(g.text(13, 4), "1回前");
  EXPECT_EQ(g.text(3, 5), "1回前");  // 1: draw 2's bonus, nearer than draw 1
  EXPECT_EQ(g.text(5, 5), "2回前");  // 2: draw 1 only
  EXPECT_EQ(g.text(7, 5), "初回");
  EXPECT_EQ(g.text(13, 6), "1回前");
  EXPECT_EQ(g.text(11, 6), "初回");
}

TEST(AppearanceInterval, DrawNumberGapsCountAsDraws) {
  const Grid g = fillAppearanceInterval(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {7, 8, 9, 10, 11, 12}},
      {5, {7, 13, 14, 15, 16, 1}},
  }));
  EXPECT_EQ(g.text(1, 5), "5");
  EXPECT_EQ(g.text(3, 5), "3回前");
  EXPECT_EQ(g.text(13, 5), "4回前");
}

TEST(AppearanceInterval, IncompleteRecordLeavesItsRowBlank) {
  const Grid g = fillAppearanceInterval(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {7, 8, 9, 10, std::nullopt, 12}},
      {3, {7, 13, 14, 15, 16, 1}},
  }));
  ASSERT_EQ(g.maxRows(), 7);
  for (int c = 1; c <= 13; ++c) EXPECT_EQ(g.text(c, 4), "") << c;
  EXPECT_EQ(g.cell(2, 4).bg, kNumberBg);
  EXPECT_EQ(g.text(1, 5), "3");
  EXPECT_EQ(g.text(3, 5), "初回");  // 7 came only in the incomplete draw
  EXPECT_EQ(g.text(13, 5), "2回前");
  expectLabelRow(g, 6);
}

TEST(AppearanceInterval, DrawNumbersAboveTenThousand) {
  const Grid g = fillAppearanceInterval(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {10000, {1, 7, 8, 9, 10, 11}},
      {10005, {7, 12, 13, 14, 15, 16}},
      {32767, {16, 2, 17, 18, 19, 20}},
  }));
  EXPECT_EQ(g.text(3, 4), "9999回前");
  EXPECT_EQ(g.text(3, 5), "5回前");
  EXPECT_EQ(g.text(1, 6), "32767");
  EXPECT_EQ(g.text(3, 6), "22762回前");
  EXPECT_EQ(g.text(5, 6), "32766回前");
}

}  // namespace
}  // namespace km
