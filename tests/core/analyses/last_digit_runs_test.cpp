#include "analyses/last_digit/last_digit_runs.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

// Texts of one digit's column over rows r1..r2, "-" for an empty cell.
std::string run(const Grid& g, int digit, int r1, int r2) {
  std::string s;
  for (int r = r1; r <= r2; ++r) s += (g.text(digit + 2, r).empty() ? "-" : g.text(digit + 2, r)) + " ";
  return s;
}

TEST(LastDigitRuns, BothHeadersAlone) {
  const Grid g = fillLastDigitRuns(test::history({}));
  ASSERT_EQ(g.maxRows(), 4);
  const std::string title =
      std::string(43, ' ') + "下一桁数字" + std::string(27, ' ') + "　　　" + std::string(18, ' ');
  for (int group : {1, 4}) {  // top: group, labels; bottom: labels, group
    EXPECT_TRUE(g.text(1, group) == "回数" && g.text(2, group) == title && g.rowHeight(group) == 20) << group;
    EXPECT_FALSE(g.right(5, group).visible());
  }
  for (int label : {2, 3})
    EXPECT_TRUE(g.text(2, label) == "0" && g.text(11, label) == "9" && g.right(5, label).visible());
  EXPECT_TRUE(g.cell(6, 4).bg == RGB(255, 200, 200) && g.cell(6, 4).fg == RGB(0, 0, 255));
  EXPECT_TRUE(g.cell(1, 3).fg == RGB(255, 0, 0) && g.cell(1, 4).bg == kWhite);
  EXPECT_TRUE(g.left(1, 1).visible() && !g.left(1, 4).visible());  // only the start row's column 1 is framed
}

TEST(LastDigitRuns, RunsCountEveryAppearanceIncludingTheBonus) {
  std::vector<Draw> rows;
  for (int no = 1; no <= 14; ++no)  // 3 only as the bonus of draws 10, 11, 12, 14; 21 in draws 4 and 5
    rows.push_back(test::draw(no, {1, 2, 4, no == 4 || no == 5 ? 21 : 5, 6, no >= 10 && no != 13 ? 13 : 7}, ""));
  const Grid g = fillLastDigitRuns(History::fromRows(std::move(rows)));
  EXPECT_EQ(run(g, 3, 11, 16), "- - 1 2 - - ");
  EXPECT_EQ(run(g, 1, 3, 16), "- 1 2 4 6 7 8 9 10 11 12 13 14 15 ");  // the same draw again counts too
  // Row and expected background of run lengths 1, 2, 4, 6, 8, 10, 12 and 13.
  const std::pair<int, Rgb> colours[] = {{4, kWhite},
                                         {5, RGB(200, 255, 255)},
                                         {6, RGB(200, 255, 200)},
                                         {7, RGB(255, 255, 200)},
                                         {9, RGB(255, 200, 255)},
                                         {11, RGB(255, 200, 200)},
                                         {13, RGB(225, 225, 225)},
                                         {14, RGB(255, 200, 200)}};
  for (const auto& [row, bg] : colours) EXPECT_EQ(g.cell(3, row).bg, bg) << row;
  EXPECT_EQ(g.cell(5, 14).bg, RGB(200, 255, 255));
}

TEST(LastDigitRuns, RowsFollowRecordsPastDrawThousandAndGapsBreakRuns) {
  const Grid g = fillLastDigitRuns(test::historyRows({{999, {1, 2, 4, 5, 6, 7}},
                                                      {1000, {1, 2, 4, 5, 8, 7}},
                                                      {1001, {1, 2, 4, 5, 8, 7}},
                                                      {1003, {1, 2, 4, 5, 6, 7}},
                                                      {1004, {1, 2, 4, 5, 8, std::nullopt}},
                                                      {1005, {1, 2, 4, 5, 6, 7}}}));
  ASSERT_EQ(g.maxRows(), 10);
  EXPECT_EQ(g.text(1, 3) + " " + g.text(1, 7), "999 1004");  // skipped draws keep their row
  EXPECT_EQ(run(g, 1, 3, 8), "- 1 2 - - - ");
  EXPECT_EQ(g.text(2, 9), "0");  // bottom header in place

  // Digit 1 three times in each of two draws: every neighbouring pair counts.
  const Grid twice = fillLastDigitRuns(test::history({{1, 11, 21, 2, 4, 5}, {1, 11, 21, 2, 4, 5}}));
  EXPECT_EQ(run(twice, 1, 3, 4), "2 5 ");
}

}  // namespace
}  // namespace km
