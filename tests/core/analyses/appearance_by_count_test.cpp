#include "analyses/counts/appearance_by_count.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kHeaderBg = RGB(255, 200, 200);
constexpr Rgb kCountBg = RGB(255, 255, 200);

TEST(AppearanceByCount, NeverDrawnNumbersComeFirstAndCountsAscend) {
  // hits: 1 and 2 -> 3, 3 -> 2, 4..6 and 19 -> 1, the rest 0
  const Grid g = fillAppearanceByCount(test::history({{1, 2, 3, 4, 5, 6}, {1, 2, 3, 19, 1, 2}}));
  ASSERT_EQ(g.maxCols(), 2);
  ASSERT_EQ(g.maxRows(), 5);
  EXPECT_EQ(g.visibleCols(), 2);
  EXPECT_EQ(g.visibleRows(), 5);
  EXPECT_EQ(g.colWidth(1), 5);
  EXPECT_EQ(g.colWidth(2), 20);
  EXPECT_EQ(g.rowHeight(3), 10);

  EXPECT_EQ(g.text(1, 1), "出 現");
  EXPECT_EQ(g.text(2, 1), "数 字");
  EXPECT_EQ(g.text(1, 2), "0回");
  EXPECT_EQ(g.text(2, 2), "7,8,9,10,11,12,13,14,15,16,17,18,20,21,22,23,24,25,26,27,28,29,30,31");
  EXPECT_EQ(g.text(1, 3), "1回");
  EXPECT_EQ(g.text(2, 3), "4,5,6,19");
  EXPECT_EQ(g.text(1, 4), "2回");
  EXPECT_EQ(g.text(2, 4), "3");
  EXPECT_EQ(g.text(1, 5), "3回");
  EXPECT_EQ(g.text(2, 5), "1,2");

  EXPECT_EQ(g.cell(1, 1).bg, kHeaderBg);
  EXPECT_EQ(g.cell(2, 1).bg, kHeaderBg);
  EXPECT_EQ(g.cell(2, 1).halign, HAlign::Center);
  EXPECT_EQ(g.cell(2, 1).fg, kBlack);
  for (int row = 2; row <= 5; ++row) {
    EXPECT_EQ(g.cell(1, row).bg, kCountBg) << row;
    EXPECT_EQ(g.cell(1, row).halign, HAlign::Center) << row;
    EXPECT_TRUE(g.cell(1, row).overflow) << row;
    EXPECT_EQ(g.cell(2, row).bg, kWhite) << row;
    EXPECT_EQ(g.cell(2, row).fg, RGB(0, 0, 255)) << row;
    EXPECT_EQ(g.cell(2, row).halign, HAlign::Left) << row;
    EXPECT_TRUE(g.cell(2, row).overflow) << row;
  }
  EXPECT_TRUE(g.verticalEdge(1, 3).visible() && g.horizontalEdge(2, 5).visible());
}

TEST(AppearanceByCount, EveryNumberWithItsOwnCountGivesThirtyTwoRows) {
  // number n drawn n times for n = 1..30, number 31 drawn 33 times: 498 numbers, 83 draws
  std::vector<int> numbers;
  for (int n = 1; n <= 31; ++n)
    for (int k = 0; k < (n == 31 ? 33 : n); ++k) numbers.push_back(n);
  std::vector<Draw> rows;
  for (size_t i = 0; i < numbers.size(); i += 6)
    rows.push_back(test::draw(static_cast<int>(rows.size()) + 1, {numbers[i], numbers[i + 1], numbers[i + 2],
                                                                  numbers[i + 3], numbers[i + 4], numbers[i + 5]}));
  const Grid g = fillAppearanceByCount(History::fromRows(rows));
  ASSERT_EQ(g.maxRows(), 32);
  EXPECT_EQ(g.visibleRows(), 32);
  EXPECT_EQ(g.text(1, 2), "1回");
  EXPECT_EQ(g.text(2, 2), "1");
  EXPECT_EQ(g.text(1, 31), "30回");
  EXPECT_EQ(g.text(1, 32), "33回");
  EXPECT_EQ(g.text(2, 32), "31");
}

TEST(AppearanceByCount, EmptyHistoryHasNoRows) {
  const Grid g = fillAppearanceByCount(test::history({}));
  EXPECT_EQ(g.maxCols(), 2);
  EXPECT_EQ(g.maxRows(), 0);
  EXPECT_EQ(g.visibleRows(), 0);
}

}  // namespace
}  // namespace km
