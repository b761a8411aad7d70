// 組合せ作成's 賞金倍率: the factors are 人気度's own for each line on any
// number of threads, sorting puts the lines of the least bought numbers of a
// made history first, a minimum keeps what the grid shows at or above it,
// and a wheel is never cut.
#include "analyses/combos/line_factors.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/core/analyses/popularity_made_history.h"

namespace km {
namespace {

const test::MadeHistory& made() {
  static const test::MadeHistory m = test::madeHistory(1200, 1200);
  return m;
}

const PopularityModel& model() {
  static const PopularityModel m = fitPopularity(made().history);
  return m;
}

// Every line of five of `pool` (ascending).
std::vector<TicketNumbers> linesOf(std::vector<int> pool) {
  std::sort(pool.begin(), pool.end());
  std::vector<TicketNumbers> lines;
  const int n = static_cast<int>(pool.size());
  for (int a = 0; a < n; ++a)
    for (int b = a + 1; b < n; ++b)
      for (int c = b + 1; c < n; ++c)
        for (int d = c + 1; d < n; ++d)
          for (int e = d + 1; e < n; ++e)
            lines.push_back({pool[static_cast<size_t>(a)], pool[static_cast<size_t>(b)], pool[static_cast<size_t>(c)],
                             pool[static_cast<size_t>(d)], pool[static_cast<size_t>(e)]});
  return lines;
}

double trueEffect(const TicketNumbers& line) {
  double s = 0;
  for (int n : line) s += made().effect[static_cast<size_t>(n)];
  return s;
}

TEST(LineFactors, AreEstimateLinesOwnOnAnyNumberOfThreads) {
  ASSERT_TRUE(model().fitted());
  // 1,287 lines: three threads of 429
  const std::vector<TicketNumbers> lines = linesOf({1, 3, 4, 6, 9, 13, 15, 17, 20, 22, 25, 28, 31});
  for (int threads : {1, 3}) {
    int last = -1;
    bool rising = true;
    const std::vector<double> f = lineFactors(
        model(), lines, nullptr,
        [&](int p) {
          rising = rising && p >= last;
          last = p;
        },
        threads);
    ASSERT_EQ(f.size(), lines.size()) << threads;
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(f[i], estimateLine(model(), lines[i]).factor) << i;
    EXPECT_TRUE(rising) << threads;
    EXPECT_EQ(last, 100) << threads;
  }
  const std::atomic<bool> stop{true};
  EXPECT_TRUE(lineFactors(model(), lines, &stop).empty()) << "stopped: nothing half done";
}

// The made prizes pay more for the numbers of the larger effects: sorted by
// the factor, the line of the five least bought numbers comes first, that of
// the five most bought last, and the order follows the made effects.
TEST(LineFactors, SortAndMinimumFollowTheKnownEffects) {
  std::vector<int> byEffect(kMaxNumber);
  for (int n = 1; n <= kMaxNumber; ++n) byEffect[static_cast<size_t>(n - 1)] = n;
  std::sort(byEffect.begin(), byEffect.end(),
            [](int a, int b) { return made().effect[static_cast<size_t>(a)] > made().effect[static_cast<size_t>(b)]; });
  std::vector<int> pool(byEffect.begin(), byEffect.begin() + 5);  // least bought
  pool.insert(pool.end(), byEffect.end() - 5, byEffect.end());    // most bought
  const std::vector<TicketNumbers> lines = linesOf(pool);         // 252 lines, ascending
  const std::vector<double> f = lineFactors(model(), lines);

  const FactoredLines sorted = chooseByFactor(lines, f, {.sort = true}, false);
  ASSERT_EQ(sorted.lines.size(), lines.size());
  EXPECT_FALSE(sorted.filtered);
  TicketNumbers least{}, most{};
  std::copy(byEffect.begin(), byEffect.begin() + 5, least.begin());
  std::copy(byEffect.end() - 5, byEffect.end(), most.begin());
  std::sort(least.begin(), least.end());
  std::sort(most.begin(), most.end());
  EXPECT_EQ(sorted.lines.front(), least);
  EXPECT_EQ(sorted.lines.back(), most);
  long long agree = 0, pairs = 0;
  for (size_t i = 0; i < sorted.lines.size(); ++i)
    for (size_t j = i + 1; j < sorted.lines.size(); ++j) {
      const double a = trueEffect(sorted.lines[i]), b = trueEffect(sorted.lines[j]);
      if (std::abs(a - b) < 0.02) continue;
      ++pairs;
      agree += a > b;
    }
  EXPECT_GT(static_cast<double>(agree) / static_cast<double>(pairs), 0.95) << "the order is the made effects'";

  // 1.00: the lines that would pay more than the average line
  const FactoredLines kept = chooseByFactor(lines, f, {.minimum = 1.0}, false);
  EXPECT_TRUE(kept.filtered);
  ASSERT_FALSE(kept.lines.empty());
  ASSERT_LT(kept.lines.size(), lines.size());
  EXPECT_EQ(std::count(kept.lines.begin(), kept.lines.end(), least), 1);
  EXPECT_EQ(std::count(kept.lines.begin(), kept.lines.end(), most), 0);
  EXPECT_TRUE(std::is_sorted(kept.lines.begin(), kept.lines.end())) << "in the order made";
  for (size_t i = 0; i < kept.lines.size(); ++i) EXPECT_GE(factorHundredths(kept.factors[i]), 100);
  // a wheel is sorted, never cut
  const FactoredLines wheel = chooseByFactor(lines, f, {.sort = true, .minimum = 1.0}, true);
  EXPECT_FALSE(wheel.filtered);
  EXPECT_EQ(wheel.lines, sorted.lines);
}

TEST(LineFactors, ChoiceKeepsWhatTheGridShowsInTheOrderAsked) {
  const std::vector<TicketNumbers> lines = {
      {1, 2, 3, 4, 5}, {1, 2, 3, 4, 6}, {1, 2, 3, 4, 7}, {1, 2, 3, 4, 8}, {1, 2, 3, 4, 9}};
  const std::vector<double> factors = {1.20, 0.95, 1.0996, 1.20, 1.31};
  const struct {
    FactorChoice choice;
    bool wheel;
    std::vector<size_t> order;
    bool filtered;
  } cases[] = {
      {{}, false, {0, 1, 2, 3, 4}, false},
      {{.sort = true}, false, {4, 0, 3, 2, 1}, false},  // equal factors in the order made
      {{.minimum = 1.10}, false, {0, 2, 3, 4}, true},   // 1.0996 is shown as 1.10
      {{.sort = true, .minimum = 1.10}, false, {4, 0, 3, 2}, true},
      {{.minimum = 1.21}, false, {4}, true},
      {{.minimum = 1.50}, false, {}, true},
      {{.minimum = 1.50}, true, {0, 1, 2, 3, 4}, false},
      {{.sort = true, .minimum = 1.10}, true, {4, 0, 3, 2, 1}, false},
  };
  for (const auto& c : cases) {
    const FactoredLines r = chooseByFactor(lines, factors, c.choice, c.wheel);
    std::vector<TicketNumbers> want;
    std::vector<double> wantFactors;
    for (size_t i : c.order) {
      want.push_back(lines[i]);
      wantFactors.push_back(factors[i]);
    }
    EXPECT_EQ(r.lines, want) << c.choice.sort << " " << c.choice.minimum << " " << c.wheel;
    EXPECT_EQ(r.factors, wantFactors);
    EXPECT_EQ(r.filtered, c.filtered);
  }
  // lines without factors are shown as made
  const FactoredLines none = chooseByFactor(lines, {}, {.sort = true, .minimum = 2}, false);
  EXPECT_EQ(none.lines, lines);
  EXPECT_TRUE(none.factors.empty());
}

TEST(LineFactors, TheWindowSaysHowManyTheFactorKept) {
  const std::vector<TicketNumbers> lines = {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 6}, {1, 2, 3, 4, 7}};
  const std::vector<double> factors = {1.25, 0.8, 1.004};
  const struct {
    FactorChoice choice;
    bool wheel;
    const char* says;
  } cases[] = {
      {{.minimum = 1.0}, false, "賞金倍率1.00倍以上：作った3口のうち2口（400円）が残りました。"},
      {{.minimum = 0.8}, false, "賞金倍率0.80倍以上：作った3口すべてが残りました。"},
      {{.sort = true, .minimum = 1.3}, false, "賞金倍率1.30倍以上の口はありません（作った3口の最高は1.25倍）。"},
      {{.minimum = 1.3},
       true,
       "保証つきの口は、減らすと保証が成り立たなくなるため、賞金倍率では減らしません（3口すべて）。"},
      {{.sort = true}, false, "賞金倍率の高い順に並べています。"},
      {{}, false, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(
        factorSentence(lines.size(), chooseByFactor(lines, factors, c.choice, c.wheel), factors, c.choice, c.wheel),
        c.says);
  EXPECT_EQ(factorSentence(lines.size(), chooseByFactor(lines, {}, {.minimum = 1}, false), {}, {.minimum = 1}, false),
            "")
      << "no factors, nothing said";
}

}  // namespace
}  // namespace km
