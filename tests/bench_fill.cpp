// Benchmark: time to load the history and to fill every window's grid.
//   bench_fill PROGRAM_FOLDER [REPEATS]
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "store/sqlite/database.h"
#include "windows/window_table.h"

namespace {
using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: bench_fill PROGRAM_FOLDER [REPEATS]\n";
    return 2;
  }
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  auto t = Clock::now();
  km::LoadResult r = km::loadHistory(km::makeConnectString(argv[1]));
  if (!r.ok) {
    std::cerr << r.message << "\n";
    return 1;
  }
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));
  std::cout << "load " << history.recordCount() << " draws: " << msSince(t) << " ms\n";
  const km::PredictionState settings;  // every reflect setting off, as without a settings file
  for (const km::WindowRow& w : km::windowTable()) {
    t = Clock::now();
    size_t cells = 0;
    for (int i = 0; i < repeats; ++i) {
      cells = 0;
      for (const km::Grid& g : w.fill({history, settings})) cells += static_cast<size_t>(g.maxCols()) * g.maxRows();
    }
    std::cout << w.def.name << ": " << msSince(t) / repeats << " ms per fill (" << cells << " cells)\n";
  }
  return 0;
}
