#include "analyses/frequency/appearance_frequency.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kLine = RGB(136, 196, 255);
constexpr Rgb kHeaderBg = RGB(255, 255, 200);
constexpr Rgb kLabelBg = RGB(222, 254, 253);
constexpr Rgb kBlue = RGB(0, 0, 255);
constexpr Rgb kRed = RGB(255, 0, 0);
constexpr Rgb kBonusMark = RGB(255, 128, 192);

// n complete draws numbered 1..n, each {1, 2, 3, 4, 5} with bonus 6.
History sameDraws(int n) {
  std::vector<Draw> rows;
  for (int i = 1; i <= n; ++i) {
    Draw d = test::draw(i);
    d.n = test::numbers({1, 2, 3, 4, 5, 6});
    rows.push_back(d);
  }
  return History::fromRows(std::move(rows));
}

TEST(AppearanceFrequency, EmptyHistoryShowsTwoLabelColumns) {
  const Grid g = fillAppearanceFrequency(test::history({}));
  EXPECT_EQ(g.maxCols(), 2);
  EXPECT_EQ(g.maxRows(), 33);
  for (int c = 1; c <= 2; ++c) {
    EXPECT_EQ(g.colWidth(c), 5);
    EXPECT_EQ(g.text(c, 2), "数字");
    EXPECT_EQ(g.text(c, 33), "31");
  }
}

TEST(AppearanceFrequency, LayoutColoursAndLines) {
  // number 1 .. 6 each 25 times: M = 25, title column 26 lies inside the grid
  const Grid g = fillAppearanceFrequency(sameDraws(25));
  ASSERT_EQ(g.maxCols(), 27);
  EXPECT_EQ(g.maxRows(), 33);
  EXPECT_EQ(g.visibleCols(), 51);
  EXPECT_EQ(g.visibleRows(), 33);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Horizontal);
  EXPECT_EQ(g.rowHeight(2), 15);
  EXPECT_EQ(g.rowHeight(3), 10);
  EXPECT_EQ(g.colWidth(26), 2);
  EXPECT_EQ(g.colWidth(27), 5);

  EXPECT_EQ(g.text(26, 1), "出 　現 　頻 　度（回）");
  EXPECT_EQ(g.cell(26, 1).fg, kRed);
  EXPECT_EQ(g.cell(26, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(26, 1).overflow);
  EXPECT_EQ(g.cell(10, 1).bg, kHeaderBg);
  // title row: outline plus lines after column 1 and column M + 1, none inside
  const Line line{1, kLine};
  EXPECT_EQ(g.top(10, 1), line);
  EXPECT_EQ(g.right(1, 1), line);
  EXPECT_EQ(g.right(26, 1), line);
  EXPECT_EQ(g.right(27, 1), line);
  EXPECT_FALSE(g.right(10, 1).visible());

  // label columns and the scale row
  EXPECT_EQ(g.cell(1, 1).bg, kLabelBg);
  EXPECT_EQ(g.cell(27, 33).fg, kBlue);
  EXPECT_EQ(g.cell(27, 33).bg, kLabelBg);
  EXPECT_EQ(g.text(27, 12), "10");
  EXPECT_EQ(g.cell(26, 2).fg, kRed);
  EXPECT_EQ(g.cell(26, 2).bg, kHeaderBg);
  EXPECT_EQ(g.text(26, 2), "25");

  // every cell of rows 2..33 is lined
  EXPECT_EQ(g.right(14, 33), line);
  EXPECT_EQ(g.bottom(5, 2), line);
}

TEST(AppearanceFrequency, BarsGrowPerDrawAndBonusMarksArePink) {
  const Grid g = fillAppearanceFrequency(test::history({
      {1, 2, 3, 4, 5, 6},
      {1, 7, 8, 9, 10, 2},
      {1, 11, 12, 13, 14, 15},
  }));
  // M = 3 (number 1)
  ASSERT_EQ(g.maxCols(), 5);
  EXPECT_EQ(g.text(2, 2), "1");
  EXPECT_EQ(g.text(3, 2), "2");
  EXPECT_EQ(g.text(4, 2), "3");
  // number 1: a full bar ending next to the right label column
  for (int c = 2; c <= 4; ++c) {
    EXPECT_EQ(g.text(c, 3), "●") << c;
    EXPECT_EQ(g.cell(c, 3).fg, kBlack) << c;
  }
  EXPECT_EQ(g.text(5, 3), "1");
  // number 2: main in draw 1, bonus in draw 2
  EXPECT_EQ(g.text(2, 4), "●");
  EXPECT_EQ(g.cell(2, 4).fg, kBlack);
  EXPECT_EQ(g.text(3, 4), "●");
  EXPECT_EQ(g.cell(3, 4).fg, kBonusMark);
  EXPECT_EQ(g.text(4, 4), "");
  // number 6 only as a bonus, number 31 never
  EXPECT_EQ(g.cell(2, 8).fg, kBonusMark);
  EXPECT_EQ(g.text(3, 8), "");
  for (int c = 2; c <= 4; ++c) EXPECT_EQ(g.text(c, 33), "") << c;
}

TEST(AppearanceFrequency, IncompleteDrawsAddNoMarks) {
  const Grid g = fillAppearanceFrequency(test::historyRows({
      {1, {3, 4, 5, 6, std::nullopt, 8}},
      {2, {3, 9, 10, 11, 12, 13}},
      {3, {16, 3, 17, 14, 15, 18}},
  }));
  // the incomplete draw counts for nothing: number 3 has two marks, from column 2
  ASSERT_EQ(g.maxCols(), 4);
  EXPECT_EQ(g.text(2, 5), "●");
  EXPECT_EQ(g.text(3, 5), "●");
  EXPECT_EQ(g.text(2, 6), "");    // 4 came up in the incomplete draw only
  EXPECT_EQ(g.text(2, 16), "●");  // 14
  EXPECT_EQ(g.text(3, 2), "2");
  EXPECT_EQ(g.text(4, 2), "数字");
}

}  // namespace
}  // namespace km
