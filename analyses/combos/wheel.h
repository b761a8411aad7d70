#pragma once
// Wheels: lines over a pool of numbers that carry a proven guarantee.
// (Agreed interface: analyses/combos/wheel.h. The wheel helper owns the file; others code against it.)
#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace km {

// A line: five different numbers 1..31, ascending.  (Not `Line`: km::Line is
// the grid's cell line, frame/grid.h.)
using WheelLine = std::array<int, 5>;

struct WheelRequest {
  std::vector<int> pool;  // 6..31 different numbers 1..31, ascending
  int match = 3;          // T: at least one line holds T of the winning numbers ...
  int ifDrawn = 3;        // M: ... whenever M of the five winning numbers are in the pool (2 <= T <= M <= 5, T <= 4)
  // The lines the wheel may use (those the conditions keep, all within the pool); null: any line of the pool.
  // Lines with a number outside the pool are not used.
  const std::vector<WheelLine>* allowed = nullptr;
};

struct WheelControl {
  const std::atomic<bool>* stop = nullptr;    // set by another thread to end the search at once
  std::function<void(int percent)> progress;  // 0..100, called from the working thread
};

struct Wheel {
  enum Status { Made, Cancelled, Refused } status = Refused;
  std::vector<WheelLine> lines;      // each ascending, in ascending order
  int lowerBound = 0;                // Schönheim's bound for the pool size and guarantee (see schoenheimBound)
  std::optional<int> provenMinimum;  // where the least size is known (proven) for this pool size and guarantee
  // M-subsets of the pool that no line meets in T numbers, counted exhaustively
  // after the search: 0 means the guarantee holds; more only under `allowed`.
  long long uncovered = 0;
  std::string reason;  // Refused: why, in Japanese
};

// Makes the wheel; the lines are verified against every M-subset of the pool before it returns.
// The same request gives the same lines: the search's length is a fixed amount of work, never
// the clock (about a second or two for pools up to 20, more for larger pools and T = 4).
Wheel makeWheel(const WheelRequest& request, const WheelControl& control = {});

// The M-subsets of `pool` that no line of `lines` meets in at least `match` numbers (exhaustive);
// -1 when `pool` is not 31 or fewer different numbers 1..31 or 1 <= match <= ifDrawn <= 5 fails.
long long uncoveredSubsets(const std::vector<int>& pool, int match, int ifDrawn, const std::vector<WheelLine>& lines);

// Schönheim's lower bound on the lines of 5 numbers over v numbers such that every
// M-subset meets some line in at least T numbers.  For M > T it is the bound through
// Turán numbers: the T-subsets that lie within a line meet every M-subset, so there
// are at least T(v, M, T) of them (Turán's theorem for T = 2; otherwise the better of
// Katona-Nemetz-Simonovits and de Caen), and a line holds C(5, T) of them.
int schoenheimBound(int v, int match, int ifDrawn);

}  // namespace km
