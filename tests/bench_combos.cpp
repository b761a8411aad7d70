// Benchmark: 組合せ作成's figures after a change of the conditions (the pass
// over the 169,911 lines and the stored draws), the grid they are shown in,
// the lines, the fit of 人気度 and the lines' 賞金倍率.  Medians over many runs.
//   bench_combos PROGRAM_FOLDER [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "analyses/combos/combo_grids.h"
#include "analyses/combos/conditions.h"
#include "analyses/combos/line_factors.h"
#include "analyses/popularity/popularity_model.h"
#include "store/sqlite/database.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double medianMs(int runs, F f) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto t = Clock::now();
    f();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
  }
  std::nth_element(ms.begin(), ms.begin() + runs / 2, ms.end());
  return ms[static_cast<size_t>(runs / 2)];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: bench_combos PROGRAM_FOLDER [RUNS]\n";
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 201;
  km::LoadResult r = km::loadHistory(km::makeConnectString(argv[1]));
  if (!r.ok) {
    std::cerr << r.message << "\n";
    return 1;
  }
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));
  auto t = Clock::now();
  const km::LineSpace space(history);
  std::cout << history.recordCount() << " draws; lines and draws prepared once: "
            << std::chrono::duration<double, std::milli>(Clock::now() - t).count() << " ms\n";

  // every condition on, several values ticked
  km::Conditions heavy;
  heavy.axis = 1u << 7;
  heavy.excluded = (1u << 1) | (1u << 2) | (1u << 31);
  heavy.sum = true, heavy.sumFrom = 60, heavy.sumTo = 100;
  heavy.odd = 0b001100;
  heavy.low = 0b001110;
  heavy.consecutive = 0b00011;
  heavy.recent = 0b000110, heavy.recentDraws = 10;
  heavy.lastDigits = 0b110000;
  km::Figures f;
  int sink = 0;
  std::cout << "figures, heavy conditions: " << medianMs(runs, [&] { f = space.figures(heavy); }) << " ms (kept "
            << f.all.kept << ", " << f.all.hits << " of " << f.all.judged << " draws)\n";
  std::cout << "figures, no condition: " << medianMs(runs, [&] { sink += space.figures({}).all.judged; }) << " ms\n";
  std::cout << "figures and their grid, heavy conditions: " << medianMs(runs, [&] {
    const km::Grid g = km::figuresGrid(space.figures(heavy), heavy);
    sink += g.maxRows();
  }) << " ms\n";
  km::Conditions some;
  some.sum = true, some.sumFrom = 40, some.sumTo = 52;
  const std::vector<km::TicketNumbers> many = space.keptLines(some, km::kMaxLinesShown);
  std::cout << "kept lines (" << many.size() << "): " << medianMs(runs, [&] {
    sink += static_cast<int>(space.keptLines(some, km::kMaxLinesShown).size());
  }) << " ms\n";
  std::cout << "lines grid of " << many.size()
            << " lines: " << medianMs(std::max(1, runs / 10), [&] { sink += km::linesGrid(many).maxRows(); })
            << " ms\n";
  std::cout << "100 lines at random: "
            << medianMs(runs, [&] { sink += static_cast<int>(space.sampleLines(heavy, 100, 42).size()); }) << " ms\n";
  const int fits = std::max(1, runs / 20);
  km::PopularityModel model;
  std::cout << "popularity fit: " << medianMs(fits, [&] { model = km::fitPopularity(history); }) << " ms\n";
  double total = 0;
  for (int threads : {1, 0})
    std::cout << "prize factors of " << many.size() << " lines (" << (threads ? "one thread" : "a thread a processor")
              << "): "
              << medianMs(std::max(1, runs / 50),
                          [&] { total += km::lineFactors(model, many, nullptr, {}, threads).size(); })
              << " ms\n";
  return sink == 42 || total < 0 ? 1 : 0;
}
