#include "analyses/intervals/number_gap.h"

#include <gtest/gtest.h>

#include <climits>

#include "../test_history.h"

namespace km {
namespace {

constexpr Rgb kFallBg = RGB(255, 200, 255);
constexpr Rgb kHeaderBg = RGB(255, 200, 200);
constexpr Rgb kNumberBg = RGB(200, 255, 255);
constexpr int kDiffCols[] = {3, 5, 7, 9, 11, 13};

// The six difference texts of a row joined by spaces.
std::string diffs(const Grid& g, int row) {
  std::string s;
  for (int c : kDiffCols) s += (c > 3 ? " " : "") + g.text(c, row);
  return s;
}

void expectHeaders(const Grid& g, int groupRow, int labelRow) {
  EXPECT_EQ(g.text(6, groupRow), "    本 数 字");
  EXPECT_EQ(g.text(12, groupRow), "     ボ数字   　   ");
  EXPECT_EQ(g.cell(6, groupRow).halign, HAlign::Left);
  EXPECT_FALSE(g.verticalEdge(5, groupRow).visible());
  EXPECT_TRUE(g.verticalEdge(11, groupRow).visible());
  EXPECT_EQ(g.text(1, labelRow), "回数");
  EXPECT_EQ(g.text(2, labelRow), "第1数字");
  EXPECT_EQ(g.text(10, labelRow), "第5数字");
  EXPECT_EQ(g.text(12, labelRow), "ボ数字");
  for (int c : kDiffCols) EXPECT_EQ(g.text(c, labelRow), "差分") << c;
  for (int c = 2; c <= 13; ++c) {
    EXPECT_EQ(g.cell(c, groupRow).bg, kHeaderBg) << c;
    EXPECT_EQ(g.cell(c, labelRow).bg, kHeaderBg) << c;
  }
}

TEST(NumberGap, DifferencesPerPositionNegativeOnesTinted) {
  const Grid g = fillNumberGap(test::history({{3, 8, 15, 22, 30, 11}, {1, 8, 16, 25, 31, 5}}));
  ASSERT_EQ(g.maxCols(), 13);
  ASSERT_EQ(g.maxRows(), 6);
  EXPECT_EQ(g.frozenRows(), 2);
  EXPECT_EQ(g.visibleRows(), 52);
  expectHeaders(g, 1, 2);
  expectHeaders(g, 6, 5);

  EXPECT_EQ(diffs(g, 3), "     ");  // the first draw has nothing to compare with
  EXPECT_EQ(g.text(2, 3), "3");
  EXPECT_EQ(g.text(1, 4), "2");
  EXPECT_EQ(g.text(12, 4), "5");
  EXPECT_EQ(diffs(g, 4), "-2 0 +1 +3 +1 -6");
  EXPECT_EQ(g.cell(3, 4).bg, kFallBg);
  EXPECT_EQ(g.cell(13, 4).bg, kFallBg);
  for (int c : {5, 7, 9, 11}) EXPECT_EQ(g.cell(c, 4).bg, kWhite) << c;
  EXPECT_EQ(g.cell(3, 3).bg, kWhite);
  EXPECT_EQ(g.cell(2, 4).bg, kNumberBg);
  EXPECT_EQ(g.cell(1, 4).bg, RGB(255, 255, 200));
}

TEST(NumberGap, IncompleteRecordLeavesABlankRowAndIsNotCompared) {
  const Grid g = fillNumberGap(test::historyRows({
      {1, {1, 2, 3, 4, 5, 6}},
      {2, {10, 11, 12, 13, std::nullopt, 15}},
      {3, {2, 2, 2, 4, 9, 1}},
  }));
  ASSERT_EQ(g.maxRows(), 7);
  for (int c = 1; c <= 13; ++c) EXPECT_EQ(g.text(c, 4), "") << c;
  EXPECT_EQ(g.text(1, 5), "3");
  EXPECT_EQ(diffs(g, 5), "+1 0 -1 0 +4 -5");
  expectHeaders(g, 7, 6);
}

TEST(NumberGap, IncompleteFirstRecordMakesTheNextDrawCompareWithZeros) {
  const Grid g = fillNumberGap(test::historyRows({
      {1, {std::nullopt, 2, 3, 4, 5, 6}},
      {2, {1, 2, 3, 4, 31, 6}},
      {3, {1, 2, 3, 4, 31, 6}},
  }));
  EXPECT_EQ(diffs(g, 3), "     ");
  EXPECT_EQ(diffs(g, 4), "+1 +2 +3 +4 +31 +6");
  EXPECT_EQ(diffs(g, 5), "0 0 0 0 0 0");
}

TEST(NumberGap, EmptyHistoryShowsBothHeadersAlone) {
  const Grid g = fillNumberGap(test::history({}));
  ASSERT_EQ(g.maxRows(), 4);
  expectHeaders(g, 1, 2);
  expectHeaders(g, 4, 3);
}

}  // namespace
}  // namespace km
