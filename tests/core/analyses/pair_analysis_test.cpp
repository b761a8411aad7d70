#include "analyses/pairs/pair_analysis.h"

#include <gtest/gtest.h>

#include "../test_history.h"

namespace km {
namespace {

// Four complete draws count: an incomplete one adds nothing, and a bonus
// number pairs with nothing.
const History kHistory = test::historyRows({
    {1, {1, 2, 3, 4, 5, 6}},
    {2, {1, 2, 7, 8, 9, 3}},
    {3, {1, 10, 11, 12, 13, 2}},
    {4, {1, 2, 3, 4, 5, std::nullopt}},
    {5, {2, 3, 25, 26, 20, 1}},
});

struct PairCase {
  int a, b;
  const char* count;
  const char* tip;  // "" on the diagonal
  Rgb bg;
};

TEST(Pairs, CountsLastDrawsAndTintsOfAHandMadeHistory) {
  // 4 draws: chance gives 0.086 a pair; 1 and more lie over two deviations above it
  const Rgb farAbove = pairTint(2);
  const PairCase cases[] = {
      {1, 2, "2", "最後の同時出現：第2回", farAbove},
      {2, 3, "2", "最後の同時出現：第5回", farAbove},
      {1, 3, "1", "最後の同時出現：第1回", farAbove},
      {2, 20, "1", "最後の同時出現：第5回", farAbove},
      {1, 6, "0", "最後の同時出現：なし", kWhite},
      {1, 20, "0", "最後の同時出現：なし", kWhite},
      {30, 31, "0", "最後の同時出現：なし", kWhite},
      {1, 1, "3", "", kPairOwnCountBg},
      {2, 2, "3", "", kPairOwnCountBg},
      {3, 3, "2", "", kPairOwnCountBg},
      {6, 6, "0", "", kPairOwnCountBg},
      {20, 20, "1", "", kPairOwnCountBg},
  };
  const Grid g = fillPairs(kHistory);
  ASSERT_EQ(g.maxCols(), 32);
  ASSERT_EQ(g.maxRows(), 32);
  for (const PairCase& c : cases) {
    for (const auto& [col, row] : {std::pair{c.a + 1, c.b + 1}, std::pair{c.b + 1, c.a + 1}}) {
      SCOPED_TRACE(testing::Message() << c.a << "," << c.b);
      EXPECT_EQ(g.text(col, row), c.count);
      EXPECT_EQ(g.toolTip(col, row), c.tip);
      EXPECT_EQ(g.cell(col, row).bg, c.bg);
    }
  }
  EXPECT_EQ(g.text(1, 1), "数字");
  for (int n : {1, 17, 31}) {
    EXPECT_EQ(g.text(n + 1, 1), std::to_string(n));
    EXPECT_EQ(g.text(1, n + 1), std::to_string(n));
    EXPECT_EQ(g.cell(n + 1, 1).bg, g.cell(1, n + 1).bg);
    EXPECT_NE(g.cell(n + 1, 1).bg, kWhite) << "header";
  }
}

TEST(Pairs, TintStepsChangeExactlyAtWholeDeviations) {
  // Histories whose mean and deviation put a boundary on a whole count:
  // 174902 draws: mean 3761.33, deviation 60.67; 699608 draws: mean 15045.33, deviation 121.33.
  struct Case {
    long long count, draws;
    int step;
  } cases[] = {
      {3822, 174902, 1},  {3821, 174902, 0},   {3640, 174902, -2}, {3641, 174902, -1}, {15288, 699608, 2},
      {15287, 699608, 1}, {14924, 699608, -1}, {14925, 699608, 0}, {0, 0, 0},          {5, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(pairTintStep(c.count, c.draws), c.step) << c.count << " of " << c.draws;
}

TEST(Pairs, EmptyHistoryShowsZeros) {
  const Grid g = fillPairs(test::history({}));
  EXPECT_EQ(g.text(3, 2), "0");
  EXPECT_EQ(g.cell(3, 2).bg, kWhite);
  EXPECT_EQ(g.toolTip(3, 2), "最後の同時出現：なし");
}

}  // namespace
}  // namespace km
