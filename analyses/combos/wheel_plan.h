#pragma once
// 組合せ作成's 保証つき: the wheel the window asks for (its pool, its
// guarantee, and under conditions the kept lines it may use), the search run
// on a worker thread, and what the window says of the result.  The search
// itself is analyses/combos/wheel.h; this header does not include it.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analyses/combos/conditions.h"

namespace km {

inline constexpr int kMinPool = 6;
inline constexpr int kMaxPool = 31;

struct WheelPlan {
  std::vector<int> pool;  // ascending
  int match = 3;          // T
  int ifDrawn = 3;        // M
  // Conditions are on and keep only part of the pool's lines: the wheel uses these alone.
  bool limited = false;
  std::vector<TicketNumbers> allowed;
  std::string problem;  // why no wheel can be asked for (Japanese); empty when it can
  bool ok() const { return problem.empty(); }
};

// The pool is `chosen`, or with none chosen the numbers of the kept lines (the
// numbers no condition excludes).  2 <= T <= M <= 5, T <= 4; 6 to 31 numbers.
WheelPlan planWheel(const LineSpace& space, const Conditions& conditions, NumberSet chosen, int match, int ifDrawn);

struct WheelOutcome {
  enum Status { Made, Cancelled, Refused } status = Refused;
  std::vector<TicketNumbers> lines;
  int lowerBound = 0;
  std::optional<int> provenMinimum;
  long long uncovered = 0;  // M-subsets of the pool no line meets in T numbers
  long long subsets = 0;    // all M-subsets of the pool
  std::string reason;       // Refused: why
};

// Runs the search (on the caller's thread); `stop` ends it, `progress` gets 0..100.
WheelOutcome runWheel(const WheelPlan& plan, const std::atomic<bool>* stop = nullptr,
                      std::function<void(int)> progress = {});

// 「当せん数字のうちM個が選んだ数字に入っていれば、少なくとも1口はT個一致」
std::string guaranteeText(int match, int ifDrawn);

long long binomial(int n, int k);

}  // namespace km
