#pragma once
// A made history whose prizes follow known number effects: the draws come
// from a fixed generator (the same on every platform), each tier's log prize
// is a level plus its scale times the sum of the drawn numbers' effects,
// plus noise.
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "store/history.h"
#include "tests/core/test_history.h"

namespace km::test {

struct MadeHistory {
  History history;
  std::array<double, kMaxNumber + 1> effect{};  // per number, summing to 0
  // per tier 1..4: level, scale of the sum of effects, noise (sd of the log)
  std::array<double, kPrizeTiers> level{16.2, 12.0, 9.3, 7.0};
  std::array<double, kPrizeTiers> scale{2.2, 1.8, 1.6, 1.0};
  std::array<double, kPrizeTiers> noise{0.30, 0.15, 0.08, 0.05};
  double bonusScale = 2.0;  // the 2等's term of the bonus number's effect
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
  double mean = 0;
  for (int n = 1; n <= kMaxNumber; ++n) mean += m.effect[static_cast<size_t>(n)] = 0.08 * std::cos(0.7 * n);
  for (int n = 1; n <= kMaxNumber; ++n) m.effect[static_cast<size_t>(n)] -= mean / kMaxNumber;
  Generator g(seed);
  std::vector<Draw> rows;
  PrizeTable prizes;
  for (int no = 1; no <= draws; ++no) {
    std::array<int, kMaxNumber> pool{};
    for (int i = 0; i < kMaxNumber; ++i) pool[static_cast<size_t>(i)] = i + 1;
    for (int i = 0; i < 6; ++i)
      std::swap(pool[static_cast<size_t>(i)], pool[static_cast<size_t>(i + g.below(kMaxNumber - i))]);
    rows.push_back(draw(no, {pool[0], pool[1], pool[2], pool[3], pool[4], pool[5]}));
    if (no > withPrizes) continue;
    double sum = 0;
    for (int i = 0; i < 5; ++i) sum += m.effect[static_cast<size_t>(pool[static_cast<size_t>(i)])];
    Prize p;
    for (int t = 0; t < kPrizeTiers; ++t) {
      double log = m.level[static_cast<size_t>(t)] + m.scale[static_cast<size_t>(t)] * sum +
                   m.noise[static_cast<size_t>(t)] * g.normal();
      if (t == 1) log += m.bonusScale * m.effect[static_cast<size_t>(pool[5])];
      p.winners[static_cast<size_t>(t)] = 1;
      p.yen[static_cast<size_t>(t)] = std::llround(std::exp(log));
    }
    prizes.emplace(no, p);
  }
  m.history = History::fromRows(std::move(rows), std::move(prizes));
  return m;
}

}  // namespace km::test
