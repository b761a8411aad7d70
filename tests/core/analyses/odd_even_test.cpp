#include "analyses/patterns/odd_even.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kEvenBg = RGB(200, 255, 255);
constexpr Rgb kYellow = RGB(255, 255, 200);
constexpr Rgb kBlue = RGB(0, 0, 255);
constexpr Rgb kHeaderBg = RGB(255, 200, 200);

TEST(OddEven, EmptyHistoryShowsTheHeaderRowAlone) {
  const Grid g = fillOddEven(test::history({}));
  EXPECT_EQ(g.maxCols(), 10);
  EXPECT_EQ(g.maxRows(), 1);
  EXPECT_EQ(g.visibleCols(), 10);
  EXPECT_EQ(g.visibleRows(), 51);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_EQ(g.rowHeight(1), 20);
  EXPECT_EQ(g.colWidth(1), 6);
  EXPECT_EQ(g.colWidth(10), 7);
  EXPECT_EQ(g.text(1, 1), "回数");
  EXPECT_EQ(g.text(3, 1), "          本 数 字      ");
  EXPECT_EQ(g.text(7, 1), "ボ数");
  EXPECT_EQ(g.text(8, 1), "偶数");
  EXPECT_EQ(g.text(9, 1), "奇数");
  EXPECT_EQ(g.text(10, 1), "パターン");
  EXPECT_EQ(g.cell(3, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(3, 1).overflow);
  for (int c = 1; c <= 10; ++c) {
    EXPECT_EQ(g.cell(c, 1).fg, kBlue) << c;
    EXPECT_EQ(g.cell(c, 1).bg, kHeaderBg) << c;
  }
  // the five main-number header cells are one frame
  EXPECT_TRUE(g.left(2, 1).visible());
  EXPECT_FALSE(g.right(3, 1).visible());
  EXPECT_TRUE(g.right(6, 1).visible());
  EXPECT_TRUE(g.top(4, 1).visible());
}

TEST(OddEven, CountsLettersAndTints) {
  const Grid g = fillOddEven(test::history({
      {2, 4, 6, 8, 10, 1},  // A
      {1, 4, 6, 8, 10, 3},  // B
      {1, 3, 6, 8, 10, 5},  // C
      {1, 3, 5, 8, 10, 7},  // D
      {1, 3, 5, 7, 10, 9},  // E
      {1, 3, 5, 7, 9, 12},  // F, even bonus
  }));
  ASSERT_EQ(g.maxRows(), 7);
  const char* letters[] = {"A", "B", "C", "D", "E", "F"};
  const Rgb letterBg[] = {
      kWhite, RGB(200, 255, 255), RGB(200, 255, 200), RGB(255, 255, 200), RGB(255, 200, 255), RGB(255, 200, 200)};
  for (int i = 0; i < 6; ++i) {
    const int row = i + 2;
    EXPECT_EQ(g.text(1, row), std::to_string(i + 1));
    EXPECT_EQ(g.text(8, row), std::to_string(5 - i)) << row;
    EXPECT_EQ(g.text(9, row), std::to_string(i)) << row;
    EXPECT_EQ(g.text(10, row), letters[i]) << row;
    EXPECT_EQ(g.cell(10, row).bg, letterBg[i]) << row;
  }
  // even main numbers tinted, odd ones white
  EXPECT_EQ(g.text(2, 2), "2");
  EXPECT_EQ(g.cell(6, 2).bg, kEvenBg);
  EXPECT_EQ(g.cell(2, 4).bg, kWhite);
  EXPECT_EQ(g.cell(4, 4).bg, kEvenBg);
  // the even bonus is neither tinted nor counted
  EXPECT_EQ(g.text(7, 7), "12");
  EXPECT_EQ(g.cell(7, 7).bg, kYellow);
  // standing colours of the draw rows
  EXPECT_EQ(g.cell(1, 3).fg, RGB(255, 0, 0));
  EXPECT_EQ(g.cell(1, 3).bg, kYellow);
  EXPECT_EQ(g.cell(8, 3).fg, kBlue);
  EXPECT_EQ(g.cell(8, 3).bg, kEvenBg);
  EXPECT_EQ(g.cell(9, 3).fg, kBlue);
  EXPECT_TRUE(g.bottom(10, 7).visible());
}

TEST(OddEven, IncompleteRecordsLeaveEmptyRowsAtTheBottom) {
  const Grid g = fillOddEven(test::historyRows({
      {1, {std::nullopt, 4, 6, 8, 10, 1}},
      {2, {1, 3, 5, 7, 9, std::nullopt}},
      {3, {1, 3, 5, 7, 8, 2}},
  }));
  ASSERT_EQ(g.maxRows(), 4);
  EXPECT_EQ(g.text(1, 2), "3");
  EXPECT_EQ(g.text(10, 2), "E");
  EXPECT_EQ(g.cell(10, 2).bg, RGB(255, 200, 255));
  for (int row = 3; row <= 4; ++row) {
    EXPECT_EQ(g.text(1, row), "") << row;
    EXPECT_EQ(g.text(10, row), "") << row;
    EXPECT_EQ(g.cell(1, row).bg, kYellow) << row;
  }
}

}  // namespace
}  // namespace km
