#include "analyses/combos/wheel_plan.h"

#include <algorithm>
#include <bit>
#include <type_traits>

#include "analyses/combos/wheel.h"

namespace km {

namespace {

// The line type the search takes and gives, whatever it is named.
using SearchLine = std::remove_cvref_t<decltype(*WheelRequest{}.allowed)>::value_type;

}  // namespace

long long binomial(int n, int k) {
  if (k < 0 || k > n) return 0;
  long long r = 1;
  for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

std::string guaranteeText(int match, int ifDrawn) {
  return "当せん数字のうち" + std::to_string(ifDrawn) + "個が選んだ数字に入っていれば、少なくとも1口は" +
         std::to_string(match) + "個一致";
}

WheelPlan planWheel(const LineSpace& space, const Conditions& conditions, NumberSet chosen, int match, int ifDrawn) {
  WheelPlan p;
  p.match = match;
  p.ifDrawn = ifDrawn;
  if (std::string why = conditionsProblem(conditions); !why.empty()) {
    p.problem = why;
    return p;
  }
  const NumberSet pool = chosen ? chosen : space.figures(conditions).numbersLeft;
  for (int n = 1; n <= 31; ++n)
    if ((pool >> n) & 1) p.pool.push_back(n);
  const int size = static_cast<int>(p.pool.size());
  if (size < kMinPool || size > kMaxPool) {
    p.problem = chosen ? "保証つきの数字は" + std::to_string(kMinPool) + "〜" + std::to_string(kMaxPool) +
                             "個選びます（" + std::to_string(size) + "個）。"
                       : "条件で残る数字が" + std::to_string(size) + "個しかないため、保証つきの口は作れません（" +
                             std::to_string(kMinPool) + "個から）。";
    return p;
  }
  if (match < 2 || match > 4 || ifDrawn < match || ifDrawn > 5) {
    p.problem = "保証は、一致する数字が2〜4個で、選んだ数字に入る当せん数字の個数以下（5個まで）です。";
    return p;
  }
  if (!conditions.any()) return p;
  for (const TicketNumbers& l : space.keptLines(conditions))
    if ((numberSet(l) & ~pool) == 0) p.allowed.push_back(l);
  if (p.allowed.empty()) {
    p.problem = "条件に合う組合せのうち、選んだ数字だけでできる口がありません。";
    return p;
  }
  // conditions that keep every line of the pool do not limit the wheel
  p.limited = static_cast<long long>(p.allowed.size()) < binomial(size, 5);
  if (!p.limited) p.allowed.clear();
  return p;
}

WheelOutcome runWheel(const WheelPlan& plan, const std::atomic<bool>* stop, std::function<void(int)> progress) {
  WheelOutcome out;
  if (!plan.ok()) {
    out.reason = plan.problem;
    return out;
  }
  std::vector<SearchLine> allowed;
  if (plan.limited) {
    allowed.reserve(plan.allowed.size());
    for (const TicketNumbers& l : plan.allowed) {
      SearchLine w{};
      std::copy(l.begin(), l.end(), w.begin());
      allowed.push_back(w);
    }
  }
  WheelRequest request;
  request.pool = plan.pool;
  request.match = plan.match;
  request.ifDrawn = plan.ifDrawn;
  request.allowed = plan.limited ? &allowed : nullptr;
  WheelControl control;
  control.stop = stop;
  control.progress = std::move(progress);
  const Wheel w = makeWheel(request, control);
  out.status = w.status == Wheel::Made        ? WheelOutcome::Made
               : w.status == Wheel::Cancelled ? WheelOutcome::Cancelled
                                              : WheelOutcome::Refused;
  for (const auto& l : w.lines) {
    TicketNumbers t{};
    std::copy(l.begin(), l.end(), t.begin());
    out.lines.push_back(t);
  }
  out.lowerBound = w.lowerBound;
  out.provenMinimum = w.provenMinimum;
  out.uncovered = w.uncovered;
  out.subsets = binomial(static_cast<int>(plan.pool.size()), plan.ifDrawn);
  out.reason = w.reason;
  return out;
}

}  // namespace km
