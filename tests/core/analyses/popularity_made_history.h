#pragma once
// A made history whose prizes follow known number effects: draws from a
// fixed generator (the same on every platform); each tier's log prize is its
// level plus its scale times the drawn numbers' effects (the 2等's also the
// bonus's), plus noise.
#include <array>
#include <cmath>
#include <random>

#include "store/history.h"
#include "tests/core/test_history.h"

namespace km::test {

struct MadeHistory {
  History history;
  std::array<double, kMaxNumber + 1> effect{};  // per number, summing to 0
  std::array<double, kPrizeTiers> level{16.2, 12.0, 9.3, 7.0}, scale{2.2, 1.8, 1.6, 1.0}, noise{0.3, 0.15, 0.08, 0.05};
  double bonusScale = 2.0;
};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}
  int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  double uniform() { return (static_cast<double>(rng_()) + 0.5) / 4294967296.0; }
  double normal() { return std::sqrt(-2 * std::log(uniform())) * std::cos(6.283185307179586 * uniform()); }

 private:
  std::mt19937 rng_;
};

// `draws` draws, the first `withPrizes` of them with prizes.
inline MadeHistory madeHistory(int draws, int withPrizes, std::uint32_t seed = 7) {
  MadeHistory m;
  for (int n = 1; n <= kMaxNumber; ++n) m.effect[n] = 0.08 * std::cos(0.7 * n);
  const double mean = [&] {
    double s = 0;
    for (double e : m.effect) s += e;
    return s / kMaxNumber;
  }();
  for (int n = 1; n <= kMaxNumber; ++n) m.effect[n] -= mean;
  Generator g(seed);
  std::vector<Draw> rows;
  PrizeTable prizes;
  for (int no = 1; no <= draws; ++no) {
    std::array<int, kMaxNumber> n{};
    for (int i = 0; i < kMaxNumber; ++i) n[i] = i + 1;
    for (int i = 0; i < 6; ++i) std::swap(n[i], n[i + g.below(kMaxNumber - i)]);
    rows.push_back(draw(no, {n[0], n[1], n[2], n[3], n[4], n[5]}));
    if (no > withPrizes) continue;
    const double sum = m.effect[n[0]] + m.effect[n[1]] + m.effect[n[2]] + m.effect[n[3]] + m.effect[n[4]];
    Prize& p = prizes[no];
    for (int t = 0; t < kPrizeTiers; ++t) {
      const double log =
          m.level[t] + m.scale[t] * sum + m.noise[t] * g.normal() + (t == 1 ? m.bonusScale * m.effect[n[5]] : 0);
      p.winners[t] = 1;
      p.yen[t] = std::llround(std::exp(log));
    }
  }
  m.history = History::fromRows(std::move(rows), std::move(prizes));
  return m;
}

}  // namespace km::test
