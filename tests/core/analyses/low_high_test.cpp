#include "analyses/patterns/low_high.h"

#include <gtest/gtest.h>

#include "../test_history.h"
#include "analyses/patterns/odd_even.h"

namespace km {
namespace {

constexpr Rgb kLowBg = RGB(200, 255, 255);
constexpr Rgb kYellow = RGB(255, 255, 200);
constexpr Rgb kBlue = RGB(0, 0, 255);

TEST(LowHigh, EmptyHistoryShowsTheHeaderRowAlone) {
  const Grid g = fillLowHigh(test::history({}));
  EXPECT_EQ(g.maxCols(), 10);
  EXPECT_EQ(g.maxRows(), 1);
  EXPECT_EQ(g.visibleRows(), 51);
  EXPECT_TRUE(g.rowHeight(1) == 20 && g.colWidth(1) == 6 && g.colWidth(10) == 7 && g.colWidth(2) == 5);
  EXPECT_EQ(g.text(3, 1), "          本 数 字");  // no trailing spaces here
  EXPECT_EQ(g.text(1, 1) + g.text(7, 1) + g.text(8, 1) + g.text(9, 1) + g.text(10, 1), "回数ボ数低数字高数字パターン");
  EXPECT_EQ(g.cell(3, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(8, 1).fg == kBlue && g.cell(8, 1).bg == RGB(255, 200, 200));
  EXPECT_FALSE(g.right(3, 1).visible());
}

TEST(LowHigh, LetterFollowsTheLowCountAndFifteenIsLow) {
  const Grid g = fillLowHigh(test::history({
      {16, 17, 18, 30, 31, 1},   // no low number: A, the low bonus does not count
      {15, 16, 20, 25, 31, 16},  // one: B
      {1, 15, 16, 17, 18, 31},   // two: C
      {1, 2, 15, 16, 31, 2},     // three: D
      {1, 2, 3, 15, 16, 20},     // four: E
      {1, 5, 10, 14, 15, 31},    // five: F
  }));
  ASSERT_EQ(g.maxRows(), 7);
  const char* letters[] = {"A", "B", "C", "D", "E", "F"};
  const Rgb letterBg[] = {
      kWhite, RGB(200, 255, 255), RGB(200, 255, 200), RGB(255, 255, 200), RGB(255, 200, 255), RGB(255, 200, 200)};
  for (int low = 0; low <= 5; ++low) {
    const int row = low + 2;
    EXPECT_EQ(g.text(8, row), std::to_string(low)) << row;
    EXPECT_EQ(g.text(9, row), std::to_string(5 - low)) << row;
    EXPECT_EQ(g.text(10, row), letters[low]) << row;
    EXPECT_EQ(g.cell(10, row).bg, letterBg[low]) << row;
  }
  // 15 is low and tinted, 16 high and white
  EXPECT_TRUE(g.text(2, 3) == "15" && g.cell(2, 3).bg == kLowBg);
  EXPECT_TRUE(g.text(3, 3) == "16" && g.cell(3, 3).bg == kWhite);
  // a low bonus tints its own cell only; a high bonus keeps the column's yellow
  EXPECT_EQ(g.cell(7, 2).bg, kLowBg);
  for (int c = 2; c <= 6; ++c) EXPECT_EQ(g.cell(c, 2).bg, kWhite) << c;
  EXPECT_EQ(g.cell(7, 3).bg, kYellow);
  EXPECT_EQ(g.cell(7, 7).bg, kYellow);
  // standing colours of the count columns
  EXPECT_TRUE(g.cell(8, 4).fg == kBlue && g.cell(8, 4).bg == kLowBg);
  EXPECT_TRUE(g.cell(9, 4).fg == kBlue && g.cell(9, 4).bg == kWhite);
  EXPECT_TRUE(g.cell(1, 4).fg == RGB(255, 0, 0) && g.cell(1, 4).bg == kYellow);
}

// Draws whose low numbers are exactly their odd numbers get the same letter
// in both pattern windows: the letters and colours are one table.
TEST(LowHigh, SharesTheOddEvenPatternLetters) {
  std::vector<Draw> rows;
  const int lowOdd[] = {1, 3, 5, 7, 9}, highEven[] = {16, 18, 20, 22, 24};
  for (int k = 0; k <= 5; ++k) {
    Draw d = test::draw(k + 1);
    for (int f = 0; f < 5; ++f) d.n[f] = test::number(f < k ? lowOdd[f] : highEven[f]);
    d.n[Bonus] = test::number(2);
    rows.push_back(d);
  }
  const History h = History::fromRows(rows);
  const Grid lowHigh = fillLowHigh(h), oddEven = fillOddEven(h);
  for (int row = 2; row <= 7; ++row) {
    EXPECT_EQ(lowHigh.text(8, row), oddEven.text(9, row)) << row;
    EXPECT_EQ(lowHigh.text(10, row), oddEven.text(10, row)) << row;
    EXPECT_EQ(lowHigh.cell(10, row).bg, oddEven.cell(10, row).bg) << row;
  }
  EXPECT_EQ(lowHigh.text(10, 7), "F");
  // the bonus 2 is low (tinted here) and even (never tinted there)
  EXPECT_TRUE(lowHigh.cell(7, 2).bg == kLowBg && oddEven.cell(7, 2).bg == kYellow);
}

TEST(LowHigh, IncompleteDrawsLeaveEmptyRowsAndGapsKeepTheirNumbers) {
  const Grid g = fillLowHigh(test::historyRows({
      {1, {1, 2, 3, 4, 5, std::nullopt}},
      {3, {1, 2, 3, 4, 20, 30}},
      {4, {std::nullopt, 2, 3, 4, 5, 6}},
      {7, {1, 20, 21, 22, 31, 3}},
  }));
  ASSERT_EQ(g.maxRows(), 5);
  EXPECT_EQ(g.text(1, 2) + " " + g.text(1, 3), "3 7");
  EXPECT_EQ(g.text(10, 2), "E");
  EXPECT_EQ(g.text(8, 3) + g.text(9, 3) + g.text(10, 3), "14B");
  EXPECT_EQ(g.cell(7, 3).bg, kLowBg);
  for (int row = 4; row <= 5; ++row) {
    EXPECT_EQ(g.text(1, row) + g.text(10, row), "") << row;
    EXPECT_EQ(g.cell(8, row).bg, kLowBg) << row;
    EXPECT_TRUE(g.bottom(10, row).visible()) << row;
  }
}

}  // namespace
}  // namespace km
