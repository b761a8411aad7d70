// Benchmark: the wheels' sizes and times against the lower bound.
//   bench_wheel [--sum LO HI] [FROM TO] [T M ...]
// Without arguments: pools 9..20 with T = M = 2, 3, 4 and a few M > T.
// --sum: only the lines whose sum is LO..HI may be used (as under a condition).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "analyses/combos/wheel.h"

namespace {
using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }
}  // namespace

int main(int argc, char** argv) {
  int from = 9, to = 20;
  int sumFrom = 0, sumTo = 0;
  if (argc >= 4 && std::string(argv[1]) == "--sum") {
    sumFrom = std::atoi(argv[2]);
    sumTo = std::atoi(argv[3]);
    argc -= 3;
    argv += 3;
  }
  std::vector<std::pair<int, int>> guarantees{{2, 2}, {3, 3}, {4, 4}, {2, 3}, {2, 4}, {3, 4}, {2, 5}, {3, 5}};
  if (argc >= 3) {
    from = std::atoi(argv[1]);
    to = std::atoi(argv[2]);
  }
  if (argc >= 5) {
    guarantees.clear();
    for (int i = 3; i + 1 < argc; i += 2) guarantees.emplace_back(std::atoi(argv[i]), std::atoi(argv[i + 1]));
  }
  std::printf("pool  T  M  lines  bound  proven  uncovered   wall ms    cpu ms\n");
  for (const auto& [t, m] : guarantees)
    for (int v = from; v <= to; ++v) {
      km::WheelRequest r;
      for (int n = 1; n <= v; ++n) r.pool.push_back(n);
      r.match = t;
      r.ifDrawn = m;
      std::vector<km::WheelLine> allowed;
      if (sumTo > 0) {
        // every line of the pool 1..v with its sum in range
        for (int a = 1; a <= v; ++a)
          for (int b = a + 1; b <= v; ++b)
            for (int c = b + 1; c <= v; ++c)
              for (int d = c + 1; d <= v; ++d)
                for (int e = d + 1; e <= v; ++e)
                  if (a + b + c + d + e >= sumFrom && a + b + c + d + e <= sumTo) allowed.push_back({a, b, c, d, e});
        r.allowed = &allowed;
      }
      const auto start = Clock::now();
      const std::clock_t cpu = std::clock();
      const km::Wheel w = km::makeWheel(r);
      const double ms = msSince(start);
      const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
      if (w.status != km::Wheel::Made) {
        std::printf("%4d %2d %2d  %s\n", v, t, m, w.reason.c_str());
        continue;
      }
      std::printf("%4d %2d %2d  %5zu  %5d  %6s  %9lld  %8.1f  %8.1f\n", v, t, m, w.lines.size(), w.lowerBound,
                  w.provenMinimum ? std::to_string(*w.provenMinimum).c_str() : "-", w.uncovered, ms, cpuMs);
      std::fflush(stdout);
    }
  return 0;
}
