#include "analyses/last_digit/last_digit_trend.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kTwo = RGB(200, 255, 255);
constexpr Rgb kThree = RGB(200, 255, 200);
constexpr Rgb kFour = RGB(255, 200, 200);

const std::string kTitle = std::string(43, ' ') + "下一桁数字" + std::string(27, ' ') + "　　　" + std::string(18, ' ');

// Texts of the digit cells 0..9 of a row, "-" for an empty cell.
std::string digits(const Grid& g, int row) {
  std::string s;
  for (int c = 2; c <= 11; ++c) s += (g.text(c, row).empty() ? "-" : g.text(c, row)) + " ";
  return s;
}

// A title row: "回数" and the title in one frame over columns 2..11, column 1 framed.
bool isTitleRow(const Grid& g, int r) {
  bool ok = g.text(1, r) == "回数" && g.text(2, r) == kTitle && g.rowHeight(r) == 20 &&
            g.cell(2, r).halign == HAlign::Left && g.cell(2, r).overflow && g.cell(6, r).fg == RGB(0, 0, 255) &&
            g.cell(6, r).bg == RGB(255, 200, 200) && g.cell(1, r).fg == RGB(255, 0, 0) &&
            g.cell(1, r).bg == RGB(255, 255, 200) && g.left(1, r).visible() && g.top(1, r).visible() &&
            g.bottom(1, r).visible() && g.left(2, r).visible() && g.right(11, r).visible() && g.top(6, r).visible() &&
            g.bottom(6, r).visible();
  for (int c = 2; c < 11; ++c) ok = ok && !g.verticalEdge(c, r).visible();
  return ok;
}

bool isDigitRow(const Grid& g, int r) {
  return digits(g, r) == "0 1 2 3 4 5 6 7 8 9 " && g.rowHeight(r) == 10 && g.cell(11, r).bg == RGB(255, 200, 200) &&
         g.cell(11, r).fg == RGB(0, 0, 255) && g.verticalEdge(5, r).visible() && g.bottom(7, r).visible() &&
         g.text(1, r).empty();
}

TEST(LastDigitTrend, TitleAndDigitRowsAboveAndBelow) {
  const Grid g = fillLastDigitTrend(test::history({}));
  ASSERT_EQ(g.maxRows(), 4);
  EXPECT_EQ(g.maxCols(), 11);
  EXPECT_TRUE(g.visibleCols() == 11 && g.visibleRows() == 52 && g.frozenRows() == 2);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Vertical);
  EXPECT_TRUE(g.colWidth(1) == 5 && g.colWidth(11) == 5);
  EXPECT_TRUE(isTitleRow(g, 1));
  EXPECT_TRUE(isDigitRow(g, 2));
  EXPECT_TRUE(isDigitRow(g, 3));
  EXPECT_TRUE(isTitleRow(g, 4));
}

TEST(LastDigitTrend, DigitRepeatedPerNumberAndColouredByCount) {
  const Grid g = fillLastDigitTrend(test::history({
      {3, 13, 23, 30, 31, 8},
      {10, 20, 2, 4, 6, 30},  // the bonus counts like a main number
      {1, 11, 21, 31, 5, 1},  // a bonus equal to a main number counts again
      {2, 12, 22, 7, 9, 17},
  }));
  ASSERT_EQ(g.maxRows(), 8);
  EXPECT_EQ(g.text(1, 3), "1");
  EXPECT_EQ(digits(g, 3), "0 1 - 333 - - - - 8 - ");
  EXPECT_EQ(g.cell(5, 3).bg, kThree);
  for (int c : {2, 3, 4, 10, 11}) EXPECT_EQ(g.cell(c, 3).bg, kWhite) << c;
  EXPECT_EQ(digits(g, 4), "000 - 2 - 4 - 6 - - - ");
  EXPECT_EQ(g.cell(2, 4).bg, kThree);
  EXPECT_EQ(digits(g, 5), "- 11111 - - - 5 - - - - ");
  EXPECT_EQ(g.cell(3, 5).bg, kFour);
  EXPECT_EQ(digits(g, 6), "- - 222 - - - - 77 - 9 ");
  EXPECT_TRUE(g.cell(4, 6).bg == kThree && g.cell(9, 6).bg == kTwo && g.cell(11, 6).bg == kWhite);
  EXPECT_TRUE(isDigitRow(g, 7) && isTitleRow(g, 8));
  // every cell of the table is lined
  EXPECT_TRUE(g.bottom(6, 6).visible() && g.left(1, 4).visible() && g.right(11, 5).visible());
  EXPECT_TRUE(g.cell(1, 6).fg == RGB(255, 0, 0) && g.cell(1, 6).bg == RGB(255, 255, 200));
}

TEST(LastDigitTrend, SkippedDrawsLeaveEmptyRowsAboveTheBottomHeader) {
  const Grid g = fillLastDigitTrend(test::historyRows({
      {1, {1, 2, 3, 4, 5, std::nullopt}},
      {2, {11, 12, 13, 14, 15, 16}},
      {5, {std::nullopt, 2, 3, 4, 5, 6}},
      {9, {19, 29, 10, 20, 30, 1}},
  }));
  ASSERT_EQ(g.maxRows(), 8);
  EXPECT_EQ(g.text(1, 3) + " " + g.text(1, 4), "2 9");
  EXPECT_EQ(digits(g, 3), "- 1 2 3 4 5 6 - - - ");
  EXPECT_EQ(digits(g, 4), "000 1 - - - - - - - 99 ");
  EXPECT_EQ(g.cell(11, 4).bg, kTwo);
  for (int row : {5, 6}) {
    EXPECT_EQ(g.text(1, row) + digits(g, row), "- - - - - - - - - - ") << row;
    EXPECT_TRUE(g.bottom(5, row).visible() && g.cell(1, row).bg == RGB(255, 255, 200)) << row;
  }
  EXPECT_TRUE(isDigitRow(g, 7) && isTitleRow(g, 8));
}

TEST(LastDigitTrend, HundredAndOneDrawsKeepOneHeaderAtEachEnd) {
  std::vector<Draw> rows;
  for (int no = 1; no <= 101; ++no) rows.push_back(test::draw(no, {1, 2, 3, 4, 5, 6}, ""));
  const Grid g = fillLastDigitTrend(History::fromRows(std::move(rows)));
  ASSERT_EQ(g.maxRows(), 105);
  EXPECT_TRUE(isTitleRow(g, 1) && isDigitRow(g, 2) && isDigitRow(g, 104) && isTitleRow(g, 105));
  EXPECT_EQ(g.text(1, 52) + " " + g.text(1, 53) + " " + g.text(1, 103), "50 51 101");
  EXPECT_EQ(digits(g, 103), "- 1 2 3 4 5 6 - - - ");
}

}  // namespace
}  // namespace km
