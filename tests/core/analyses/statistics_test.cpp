#include <gtest/gtest.h>

#include <cmath>

#include "../test_history.h"
#include "analyses/statistics/chart_choice.h"
#include "analyses/statistics/distributions.h"
#include "analyses/statistics/draw_statistics.h"
#include "analyses/statistics/randomness_tests.h"

namespace km {
namespace {

// Closed forms of the upper incomplete gamma function, on both sides of
// x = a + 1 (where the series gives way to the continued fraction), and
// the chi-square table's 5% and 1% points.
TEST(Distributions, GammaQMatchesClosedFormsAndTables) {
  const struct {
    double a, x, q;
  } cases[] = {
      {1, 0.5, std::exp(-0.5)},
      {1, 7, std::exp(-7.0)},
      {0.5, 0.3, std::erfc(std::sqrt(0.3))},
      {0.5, 4, std::erfc(2.0)},
      {3, 1, std::exp(-1.0) * (1 + 1 + 0.5)},
      {3, 10, std::exp(-10.0) * (1 + 10 + 50)},
      {15, 43.773 / 2, 0.05},  // chi-square 30 df, 5% point
      {15, 50.892 / 2, 0.01},  // 1% point
      {0.5, 3.841459 / 2, 0.05},
      {15, 0, 1},
  };
  for (const auto& c : cases) EXPECT_NEAR(gammaQ(c.a, c.x), c.q, c.q * 1e-4 + 1e-12) << c.a << " " << c.x;
  EXPECT_NEAR(chiSquareUpperP(2, 2), std::exp(-1.0), 1e-12);
  EXPECT_NEAR(normalTwoSidedP(1.959964), 0.05, 1e-6);
}

// Every set of five counted once: 169,911 sets, symmetric round 80, with the
// variance of a sample of five drawn without replacement, 5 * 80 * 26 / 30.
TEST(Distributions, ExactSumOfFiveDifferentNumbers) {
  const SumDistribution& d = exactSumDistribution();
  EXPECT_EQ(d.sets, 169911);
  double total = 0;
  for (int s = 0; s <= kMaxSum; ++s) {
    total += d.probability(s);
    EXPECT_EQ(d.ways[static_cast<size_t>(s)], s < kMinSum ? 0 : d.ways[static_cast<size_t>(160 - s)]) << s;
  }
  EXPECT_NEAR(total, 1, 1e-12);
  EXPECT_EQ(d.ways[15], 1);
  EXPECT_EQ(d.ways[17], 2);  // 1+2+3+4+7, 1+2+3+5+6
  EXPECT_NEAR(d.mean, 80, 1e-9);
  EXPECT_NEAR(d.variance, 5 * 80 * 26 / 30.0, 1e-9);
}

// Worked by hand: two draws, 1..4 twice, 5 and 6 once; 10 numbers, 10/31
// expected each: 18 * 31 / 10 - 10 = 45.8, corrected 45.8 * 30 / 26.  The
// draws that are not whole are skipped: an empty number, a repeated main
// number (also in fields apart), a bonus among the main numbers.
TEST(DrawStatistics, ChiSquaresOfAHandWorkedHistory) {
  const History h = test::historyRows({
      {1, {1, 2, 3, 4, 5, 7}},
      {2, {1, 2, 3, 4, std::nullopt, 9}},
      {3, {1, 2, 3, 4, 6, 7}},
      {4, {1, 1, 3, 4, 6, 7}},
      {5, {8, 2, 3, 8, 6, 7}},
      {6, {1, 2, 3, 4, 5, 5}},
  });
  const ChiSquare main = mainNumberChiSquare(h);
  EXPECT_EQ(main.draws, 2);
  EXPECT_NEAR(main.statistic, 45.8, 1e-9);
  EXPECT_NEAR(main.corrected, 45.8 * 30 / 26, 1e-9);
  EXPECT_EQ(main.df, 30);
  // on an even number of degrees of freedom 2m the upper tail is e^(-x/2) times the first m terms of e^(x/2)
  double term = 1, tail = 0;
  const double half = 45.8 * 30 / 26 / 2;
  for (int i = 0; i < 15; ++i, term *= half / i) tail += term;
  EXPECT_NEAR(main.p, std::exp(-half) * tail, 1e-12);
  // the bonus: 7 twice, 2/31 expected each: 4 * 31 / 2 - 2 = 60, not corrected
  const ChiSquare bonus = bonusChiSquare(h);
  EXPECT_EQ(bonus.draws, 2);
  EXPECT_NEAR(bonus.corrected, 60, 1e-9);
}

// Worked by hand: sums 70, 80 and 90, variance 100 on n - 1 = 2 degrees of
// freedom (the mean comes from the same draws), against 5 * 80 * 26 / 30;
// on 2 degrees of freedom the chi-square's upper tail is exp(-x / 2).
TEST(DrawStatistics, SumMomentsOfAHandWorkedHistory) {
  const History h = test::historyRows({
      {1, {10, 12, 14, 16, 18, 1}},
      {2, {12, 14, 16, 18, 20, 1}},
      {3, {14, 16, 18, 20, 22, 1}},
  });
  const SumMoments s = sumMoments(h);
  EXPECT_NEAR(s.mean, 80, 1e-9);
  EXPECT_NEAR(s.variance, 100, 1e-9);
  const double x = 2 * 100 / (5 * 80 * 26 / 30.0);
  EXPECT_NEAR(s.varianceP, 2 * (1 - std::exp(-x / 2)), 1e-9);
}

// Number 7 in counted draws 1, 2 and 4 of five (an incomplete draw between
// counts for nothing): windows of three end at draws 3, 4 and 6.
TEST(DrawStatistics, MovingWindowCountsOfAShortHistory) {
  const History h = test::historyRows({
      {1, {7, 2, 3, 4, 5, 6}},
      {2, {1, 7, 3, 4, 5, 6}},
      {3, {1, 2, 3, 4, 5, 7}},
      {4, {7, 2, 3, 4, std::nullopt, 6}},
      {5, {1, 2, 7, 4, 5, 6}},
      {6, {1, 2, 3, 4, 5, 6}},
  });
  const struct {
    int number, window;
    std::vector<std::pair<int, int>> points;  // draw, count
  } cases[] = {
      {7, 3, {{3, 2}, {5, 2}, {6, 1}}},
      {7, 1, {{1, 1}, {2, 1}, {3, 0}, {5, 1}, {6, 0}}},
      {1, 5, {{6, 4}}},
      {31, 5, {{6, 0}}},
      {7, 6, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::pair<int, int>> got;
    for (const TrendPoint& p : movingCounts(h, c.number, c.window)) got.push_back({p.drawNo, p.count});
    EXPECT_EQ(got, c.points) << c.number << " in " << c.window;
  }
  const Band b = movingCountBand(104);
  EXPECT_NEAR(b.mean, 104 * 5 / 31.0, 1e-12);
  EXPECT_NEAR(b.sd * b.sd, 104 * (5 / 31.0) * (26 / 31.0), 1e-9);
}

// Odd-heavy, odd-heavy, even-heavy, even-heavy, odd-heavy: three runs of five
// draws (three odd-heavy), 2 * 3 * 2 / 5 + 1 = 3.4 expected.
TEST(DrawStatistics, RunsOfOddAndEvenDraws) {
  const History h = test::history(
      {{1, 3, 5, 2, 4, 6}, {1, 3, 5, 7, 2, 6}, {2, 4, 6, 1, 3, 5}, {2, 4, 6, 8, 10, 5}, {9, 11, 13, 2, 4, 6}});
  const RunsTest r = oddEvenRuns(h);
  EXPECT_FALSE(r.valid) << "fewer than ten draws of each kind";
  EXPECT_EQ(r.runs, 3);
  EXPECT_EQ(r.oddDraws, 3);
  EXPECT_NEAR(r.expectedRuns, 3.4, 1e-12);
  EXPECT_FALSE(oddEvenRuns(test::history({{1, 3, 5, 2, 4, 6}})).valid) << "one kind only";
}

// Gaps of 1, then 2 (number 1), a last bin that gathers the long ones, and
// the expected counts of the geometric distribution summing to the gaps.
TEST(DrawStatistics, GapHistogramAgainstTheGeometricDistribution) {
  const History h =
      test::history({{1, 2, 3, 4, 5, 6}, {1, 7, 8, 9, 10, 6}, {11, 12, 13, 14, 15, 6}, {1, 2, 16, 17, 18, 6}});
  const std::vector<HistogramBin> bins = gapHistogram(h, 3);
  ASSERT_EQ(bins.size(), 3u);
  EXPECT_EQ(bins[0].count, 1);  // 1: draws 1 and 2
  EXPECT_EQ(bins[1].count, 1);  // 1: draws 2 and 4
  EXPECT_EQ(bins[2].count, 1);  // 2: draws 1 and 4, three apart
  double expected = 0;
  for (const HistogramBin& b : bins) expected += b.expected;
  EXPECT_NEAR(expected, 3, 1e-9);
  EXPECT_NEAR(bins[0].expected, 3 * 5 / 31.0, 1e-9);
}

TEST(DrawStatistics, SumHistogramMatchesTheDrawsAndTheExactDistribution) {
  const History h = test::history({{1, 2, 3, 4, 5, 6}, {27, 28, 29, 30, 31, 1}, {1, 2, 3, 4, 6, 9}});
  const std::vector<HistogramBin> bins = sumHistogram(h);
  ASSERT_EQ(bins.size(), static_cast<size_t>(kMaxSum - kMinSum + 1));
  EXPECT_EQ(bins.front().count, 1);
  EXPECT_EQ(bins.back().count, 1);
  EXPECT_EQ(bins[16 - kMinSum].count, 1);
  EXPECT_NEAR(bins[80 - kMinSum].expected, 3 * exactSumDistribution().probability(80), 1e-12);
  EXPECT_EQ(latestSum(h), 16);
}

TEST(ChartChoice, EachChartIsFoundByItsName) {
  for (std::string_view name : kChartNames) EXPECT_EQ(chartName(*chartNamed(name)), name);
  EXPECT_FALSE(chartNamed("グラフ"));
}

// The window's figures for a history that leans: number 1 in every draw.
TEST(RandomnessTests, ALeaningHistoryReadsAsUnusualAndAnEmptyOneAsUnknown) {
  std::vector<Draw> rows;
  for (int no = 1; no <= 200; ++no) {
    Draw d = test::draw(no);
    d.n = test::numbers({1, 2 + no % 6, 8 + no % 7, 15 + no % 8, 23 + no % 9, 1 + (no * 7) % 31});
    rows.push_back(d);
  }
  const Grid g = fillRandomnessTests(History::fromRows(rows));
  EXPECT_EQ(g.text(4, 4), "0.0001未満");
  EXPECT_NE(g.text(5, 4).find(pValueReading(0.00001)), std::string::npos);
  EXPECT_NE(g.text(5, 4).find("100回に1回も起きない"), std::string::npos);
  EXPECT_EQ(g.style(4, 4).bg, kUnusualPBg);
  const Grid empty = fillRandomnessTests(History());
  for (int r = 4; r <= 8; ++r) EXPECT_EQ(empty.text(5, r).rfind("データが足りないため計算できません（", 0), 0u) << r;
}

// Counted draws alternately with three odd and with three even main numbers
// (every evenHeavyEvery-th), spread over 1..31.
History alternating(int n, int evenHeavyEvery = 2) {
  std::vector<Draw> rows;
  for (int no = 1; no <= n; ++no) {
    const int s = 6 * (no % 4);
    rows.push_back(no % evenHeavyEvery ? test::draw(no, {1 + s, 3 + s, 5 + s, 2 + s, 4 + s, 31})
                                       : test::draw(no, {2 + s, 4 + s, 6 + s, 1 + s, 3 + s, 31}));
  }
  return History::fromRows(rows);
}

// Each test of 検定 gives a p-value from its least number of draws on, where
// its chance distribution holds (five expected in every cell of a chi-square,
// ten draws of each kind for the runs, thirty sums), and below it says how
// many it needs; each chart likewise (出現の推移 its window, 合計の分布 five
// expected for the likeliest sum, 出現間隔の分布 five gaps of 1; 賞金の推移 any).
TEST(RandomnessTests, EachTestAndChartNeedsTheDrawsItsChanceDistributionHoldsFor) {
  const std::pair<int, int> tests[] = {{4, 31}, {5, 155}, {6, 20}, {7, 30}, {8, 30}};  // the row in 検定, least draws
  for (const auto& [row, least] : tests) {
    const Grid below = fillRandomnessTests(alternating(least - 1)), at = fillRandomnessTests(alternating(least));
    EXPECT_EQ(below.text(5, row), "データが足りないため計算できません（" + std::to_string(least) + "回以上必要です）");
    EXPECT_EQ(below.text(4, row), "") << row;
    EXPECT_NE(at.text(4, row), "") << row;
  }
  EXPECT_EQ(fillRandomnessTests(alternating(30)).text(3, 8), "29") << "the degrees of freedom shown: n - 1";
  // many draws, but one kind of draw fewer than ten times: the runs say so
  EXPECT_EQ(fillRandomnessTests(alternating(60, 7)).text(5, 6),  // 8 even-heavy draws
            "データが足りないため計算できません（奇数の多い回と偶数の多い回が、それぞれ10回以上必要です）");

  const std::pair<ChartKind, int> charts[] = {
      {ChartKind::Trend, 52}, {ChartKind::SumDistribution, 242}, {ChartKind::GapDistribution, 13}};
  for (const auto& [kind, least] : charts) {
    const ChartChoice choice{kind, {1}, 52};
    EXPECT_EQ(chartShortOfDraws(alternating(least - 1), choice),
              "データが足りないため計算できません（" + std::to_string(least) +
                  "回以上必要です）。本数字5個がそろった回は" + std::to_string(least - 1) + "回です。");
    EXPECT_EQ(chartShortOfDraws(alternating(least), choice), "") << least;
  }
  EXPECT_EQ(chartShortOfDraws(History(), {ChartKind::Prizes, {1}, 104}), "") << "the prizes chart says its own";
}

}  // namespace
}  // namespace km
