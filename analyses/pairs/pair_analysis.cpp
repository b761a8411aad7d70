#include "analyses/pairs/pair_analysis.h"

#include <cstdint>
#include <string>
#include <utility>

#include "frame/grid_setup.h"

namespace km {

int pairTintStep(long long count, long long draws) {
  if (draws <= 0) return 0;
  // With p = 2/93: 93 (count - mean) = 93 count - 2 D, and 93^2 variance = 182 D,
  // so count lies k deviations away when (93 count - 2 D)^2 >= k^2 182 D:
  // whole numbers, exact at the boundaries.
  const long long d = 93 * count - 2 * draws;
  const long long var = 182 * draws;
  const long long sq = d * d;
  const int steps = sq >= 4 * var ? 2 : sq >= var ? 1 : 0;
  return d >= 0 ? steps : -steps;
}

Grid fillPairs(const History& history) {
  constexpr int kSize = kMaxNumber + 1;  // header and 31 numbers
  Grid g = makeGrid({.cols = kSize,
                     .rows = kSize,
                     .visibleCols = kSize,
                     .visibleRows = kSize,
                     .scrollBars = ScrollBars::None,
                     .rowHeight = 10,
                     .colWidth = 3,
                     .allLines = true});
  g.setColWidth(1, 5);
  g.setColors({1, 1, -1, 1}, kRed, kLightYellow);
  g.setColors({1, 1, 1, -1}, kRed, kLightYellow);
  g.setText(1, 1, "数字");
  for (int n = 1; n <= kMaxNumber; ++n) {
    g.setText(n + 1, 1, n);
    g.setText(1, n + 1, n);
  }

  // together[a][b]: draws with both a and b (a == b: with a); last[a][b]: the latest of them
  std::array<std::array<int, kSize>, kSize> together{}, last{};
  long long draws = 0;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;
    ++draws;
    std::uint32_t set = 0;  // bit n: n is a main number of the draw
    for (int f = N1; f <= N5; ++f) set |= 1u << d[f];
    for (int a = 1; a <= kMaxNumber; ++a) {
      if (!(set & (1u << a))) continue;
      for (int b = a; b <= kMaxNumber; ++b) {
        if (!(set & (1u << b))) continue;
        ++together[a][b];
        last[a][b] = d.no;
      }
    }
  }

  for (int a = 1; a <= kMaxNumber; ++a) {
    g.setText(a + 1, a + 1, together[a][a]);
    g.setBg(Block::cell(a + 1, a + 1), kPairOwnCountBg);
    for (int b = a + 1; b <= kMaxNumber; ++b) {
      std::string tip = "最後の同時出現：";
      if (together[a][b]) {
        tip += "第";
        tip += std::to_string(last[a][b]);
        tip += "回";
      } else {
        tip += "なし";
      }
      const Rgb bg = pairTint(pairTintStep(together[a][b], draws));
      for (const auto& [c, r] : {std::pair{a, b}, std::pair{b, a}}) {
        g.setText(c + 1, r + 1, together[a][b]);
        g.setBg(Block::cell(c + 1, r + 1), bg);
        g.setToolTip(c + 1, r + 1, tip);
      }
    }
  }
  return g;
}

}  // namespace km
