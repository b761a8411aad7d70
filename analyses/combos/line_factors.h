#pragma once
// 組合せ作成's 賞金倍率: each line's estimated prize factor (what it would pay
// if it won against the average line, as 当選確認 shows it: estimateLine of
// 人気度), and the lines sorted by it or kept at or above a factor.  The
// factor changes no line's chance of winning, only how many others would
// share its prize.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "analyses/popularity/popularity_model.h"
#include "store/formats/tickets_file.h"

namespace km {

// The least factor one can ask for, above 0 (0 keeps every line), the most,
// and the step of the window's box.
inline constexpr double kMinFactorStep = 0.05;
inline constexpr double kMaxMinFactor = 3.0;

// The factor of each line from a fitted model, in the lines' order, worked
// out on `threads` threads (0: one per processor).  `stop` ends it early
// (then the result is empty); `progress` gets 0..100 on the caller's thread.
std::vector<double> lineFactors(const PopularityModel& model, const std::vector<TicketNumbers>& lines,
                                const std::atomic<bool>* stop = nullptr, const std::function<void(int)>& progress = {},
                                int threads = 0);

// What is asked of the lines made: sorted by the factor, highest first, and
// kept at or above `minimum` (0: every line kept).
struct FactorChoice {
  bool sort = false;
  double minimum = 0;
  bool operator==(const FactorChoice&) const = default;
};

// The factor to two decimals, as the grid shows it: a line shown as 1.10倍
// is kept by a minimum of 1.10.
long long factorHundredths(double factor);

struct FactoredLines {
  std::vector<TicketNumbers> lines;
  std::vector<double> factors;  // one per line; empty when the lines have none
  bool filtered = false;        // the minimum was applied
};
// The lines `choice` keeps, in its order (lines of equal factor stay in
// the order they were made).  A wheel's lines are never dropped: keeping
// only some of them would break its guarantee; they are sorted only.
FactoredLines chooseByFactor(const std::vector<TicketNumbers>& lines, const std::vector<double>& factors,
                             FactorChoice choice, bool wheel);

// What the window says of it (empty when nothing is asked): how many of the
// lines made the minimum kept, and the order.
std::string factorSentence(size_t made, const FactoredLines& kept, const std::vector<double>& madeFactors,
                           FactorChoice choice, bool wheel);

// "1.10" (the minimum as typed).
std::string minimumText(double minimum);

}  // namespace km
