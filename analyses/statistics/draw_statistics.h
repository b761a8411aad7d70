#pragma once
// What the charts and the randomness checks read from the history.  Only
// draws whose five main numbers are five different numbers count (a draw
// with an empty number, or a number twice, is skipped), and their order is
// the history's.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analyses/statistics/chart_choice.h"
#include "store/history.h"

namespace km {

// A number is one of a draw's five main numbers with chance 5/31.
inline constexpr double kMainChance = 5.0 / 31.0;

// The draw's five main numbers, or none when the draw does not count.
std::optional<std::array<int, 5>> mainNumbers(const Draw& d);

// How many counted draws a test or chart needs before its chance
// distribution holds; below them it says so (tooFewDrawsText) instead of a
// figure.
//
// A chi-square of the 31 counts wants five expected in every cell: a draw
// puts `perDraw` numbers into the 31 cells.
constexpr int leastDrawsForChiSquare(int perDraw) { return (5 * 31 + perDraw - 1) / perDraw; }
// The runs test reads its count of runs as normal once either kind of draw
// occurs at least this often (below, only the exact tables hold).
inline constexpr int kLeastDrawsOfEachKind = 10;
// The mean and the variance of the sum: the mean of this many sums is close
// to normal, and so is their variance's chi-square reading.
inline constexpr int kLeastDrawsForSumMoments = 30;
// "データが足りないため計算できません（N回以上必要です）"
std::string tooFewDrawsText(int least);

// A chi-square of the 31 counts against equal chances; its p-value means
// something only when enough().
struct ChiSquare {
  int draws = 0;
  int leastDraws = 0;    // below them the chi-square distribution does not hold
  double statistic = 0;  // the usual sum of (count - expected)^2 / expected
  double corrected = 0;  // the statistic the p-value is of
  int df = 30;
  double p = 1;
  bool enough() const { return draws >= leastDraws && draws > 0; }
};

// The main numbers: five different numbers a draw make the counts less spread
// than independent picks would, by (31 - 5) / (31 - 1), so the statistic is
// multiplied by 30 / 26 before it is read against 30 degrees of freedom.
ChiSquare chiSquareOfMainCounts(const std::array<long long, 31>& counts, int draws);
ChiSquare mainNumberChiSquare(const History& history);
// The bonus number, one a draw: the plain statistic.
ChiSquare bonusChiSquare(const History& history);

// Runs along the draws of "three or more odd main numbers" against "three or
// more even" (Wald and Wolfowitz): too few runs mean streaks, too many a
// back and forth.  `valid` (the p-value means something) is false unless
// each kind occurs kLeastDrawsOfEachKind times.
struct RunsTest {
  int draws = 0, oddDraws = 0, runs = 0;
  double expectedRuns = 0, z = 0, p = 1;
  bool valid = false;
};
RunsTest oddEvenRuns(const History& history);

// The mean and the variance of the sum of the five main numbers against
// their exact values: the mean by a normal z, the variance by
// (n - 1) s^2 / sigma^2 against chi-square with n - 1 degrees of freedom
// (two-sided; the sum is close to normal, so the p-value is approximate);
// the p-values mean something only when enough().
struct SumMoments {
  int draws = 0;
  double mean = 0, variance = 0;
  double meanZ = 0, meanP = 1, varianceP = 1;
  bool enough() const { return draws >= kLeastDrawsForSumMoments; }
};
SumMoments sumMoments(const History& history);

// How often `number` was a main number in each run of `window` draws that
// ends at a counted draw (the first window - 1 draws end none).
struct TrendPoint {
  int drawNo = 0;
  int count = 0;
};
std::vector<TrendPoint> movingCounts(const History& history, int number, int window);
// The count chance gives in a window: each draw holds the number with chance
// 5/31 (one of 31 numbers in a draw of five without repeats), independently
// of the other draws: mean 5N/31, variance N (5/31)(26/31).
struct Band {
  double mean = 0, sd = 0;
};
Band movingCountBand(int window);

// A histogram against what chance gives.
struct HistogramBin {
  int value = 0;
  long long count = 0;
  double expected = 0;
};
// The sum of the main numbers of each counted draw, 15..145, against the exact distribution.
std::vector<HistogramBin> sumHistogram(const History& history);
// The sum of the last counted draw's main numbers.
std::optional<int> latestSum(const History& history);
// Gaps between two appearances of a number as a main number, in counted
// draws (1: in the next draw), pooled over the 31 numbers, against the
// geometric distribution p (1 - p)^(g - 1), p = 5/31.  The last bin, maxGap,
// holds every gap of maxGap or more.
std::vector<HistogramBin> gapHistogram(const History& history, int maxGap);

// How many counted draws a chart needs (0: any): 出現の推移 its window of
// draws; 合計の分布 five expected for the likeliest sum; 出現間隔の分布 five
// expected gaps of 1, which the 5N - 31 gaps of N draws always give from 13
// draws on; 賞金の推移 none (it shows the prizes as they were paid).
int leastDrawsForChart(const ChartChoice& choice);
// The draws that count (five different main numbers).
int countedDraws(const History& history);
// Why the chart cannot be drawn for too few draws ("データが足りないため…"), or empty.
std::string chartShortOfDraws(const History& history, const ChartChoice& choice);

// What each draw with prize data paid, in draw order.
struct PrizePoint {
  int drawNo = 0;
  std::array<long long, kPrizeTiers> yen{};
  long long firstWinners = 0;
};
std::vector<PrizePoint> prizeSeries(const History& history);

}  // namespace km
