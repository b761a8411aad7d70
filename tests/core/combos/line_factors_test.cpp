// 組合せ作成's 賞金倍率: 人気度's own factor of each line on any number of
// threads; sorted, the lines of the least bought numbers of a made history
// come first; a minimum keeps what the grid shows at or above it; a wheel is
// never cut.
#include "analyses/combos/line_factors.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/core/analyses/popularity_made_history.h"

namespace km {
namespace {

TEST(LineFactors, SortAndMinimumFollowTheKnownEffects) {
  const test::MadeHistory made = test::madeHistory(1200, 1200);
  const PopularityModel model = fitPopularity(made.history);
  ASSERT_TRUE(model.fitted());
  std::vector<int> byEffect(kMaxNumber);  // least bought (largest effect) first
  for (int n = 1; n <= kMaxNumber; ++n) byEffect[static_cast<size_t>(n - 1)] = n;
  std::sort(byEffect.begin(), byEffect.end(),
            [&](int a, int b) { return made.effect[static_cast<size_t>(a)] > made.effect[static_cast<size_t>(b)]; });
  // every line of the six least and the six most bought numbers: 924 lines, three threads
  std::vector<int> pool(byEffect.begin(), byEffect.begin() + 6);
  pool.insert(pool.end(), byEffect.end() - 6, byEffect.end());
  std::sort(pool.begin(), pool.end());
  std::vector<TicketNumbers> lines;
  for (int mask = 0; mask < 1 << 12; ++mask) {
    if (__builtin_popcount(static_cast<unsigned>(mask)) != 5) continue;
    TicketNumbers l{};
    for (size_t i = 0, k = 0; i < 12; ++i)
      if (mask >> i & 1) l[k++] = pool[i];
    lines.push_back(l);
  }
  std::sort(lines.begin(), lines.end());
  const std::vector<double> f = lineFactors(model, lines, nullptr, {}, 3);
  ASSERT_EQ(f.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(f[i], estimateLine(model, lines[i]).factor) << i;

  // the first line sorted is five of the six least bought numbers, the last five of the six most bought
  auto within = [&](const TicketNumbers& l, bool leastBought) {
    const auto from = leastBought ? byEffect.begin() : byEffect.end() - 6;
    return std::all_of(l.begin(), l.end(), [&](int n) { return std::find(from, from + 6, n) != from + 6; });
  };
  const FactoredLines sorted = chooseByFactor(lines, f, {.sort = true}, false);
  EXPECT_TRUE(within(sorted.lines.front(), true));
  EXPECT_TRUE(within(sorted.lines.back(), false));
  // 1.00: the lines that pay more than the average line, in the order made
  const FactoredLines kept = chooseByFactor(lines, f, {.minimum = 1.0}, false);
  EXPECT_EQ(std::count_if(kept.lines.begin(), kept.lines.end(), [&](const auto& l) { return within(l, true); }), 6);
  EXPECT_EQ(std::count_if(kept.lines.begin(), kept.lines.end(), [&](const auto& l) { return within(l, false); }), 0);
  EXPECT_TRUE(std::is_sorted(kept.lines.begin(), kept.lines.end()));
}

TEST(LineFactors, ChoiceKeepsWhatTheGridShowsInTheOrderAsked) {
  const std::vector<TicketNumbers> lines = {
      {1, 2, 3, 4, 5}, {1, 2, 3, 4, 6}, {1, 2, 3, 4, 7}, {1, 2, 3, 4, 8}, {1, 2, 3, 4, 9}};
  const std::vector<double> factors = {1.20, 0.95, 1.0996, 1.20, 1.31};
  const struct {
    FactorChoice choice;
    bool wheel;
    std::vector<size_t> order;
  } cases[] = {
      {{.sort = true}, false, {4, 0, 3, 2, 1}},  // equal factors in the order made
      {{.minimum = 1.10}, false, {0, 2, 3, 4}},  // 1.0996 is shown as 1.10
      {{.sort = true, .minimum = 1.21}, false, {4}},
      {{.sort = true, .minimum = 1.50}, true, {4, 0, 3, 2, 1}},  // a wheel is sorted, never cut
  };
  for (const auto& c : cases) {
    std::vector<TicketNumbers> want;
    for (size_t i : c.order) want.push_back(lines[i]);
    EXPECT_EQ(chooseByFactor(lines, factors, c.choice, c.wheel).lines, want) << c.choice.minimum;
  }
}

}  // namespace
}  // namespace km
