#include "analyses/combos/line_factors.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <thread>

#include "analyses/combos/combo_grids.h"
#include "analyses/tickets/ticket_check.h"
#include "frame/grid_setup.h"

namespace km {

std::vector<double> lineFactors(const PopularityModel& model, const std::vector<TicketNumbers>& lines,
                                const std::atomic<bool>* stop, const std::function<void(int)>& progress, int threads) {
  const size_t count = lines.size();
  std::vector<double> factors(count, 1.0);
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  // a thread is worth its start only for a few hundred lines
  threads = static_cast<int>(std::clamp<size_t>(count / 256, 1, static_cast<size_t>(threads)));
  std::atomic<size_t> done{0};
  auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
  // thread k takes lines k, k + threads, ...: every thread ends at about the same time
  auto share = [&](size_t k, bool reports) {
    int told = -1;
    for (size_t i = k; i < count; i += static_cast<size_t>(threads)) {
      if (stopped()) return;
      factors[i] = estimateLine(model, lines[i]).factor;
      const size_t now = done.fetch_add(1, std::memory_order_relaxed) + 1;
      if (reports && progress) {
        const int percent = static_cast<int>(100 * now / count);
        if (percent != told) progress(told = percent);
      }
    }
  };
  std::vector<std::thread> others;
  for (int k = 1; k < threads; ++k) others.emplace_back(share, static_cast<size_t>(k), false);
  share(0, true);
  for (std::thread& t : others) t.join();
  if (stopped()) return {};
  if (progress) progress(100);
  return factors;
}

long long factorHundredths(double factor) { return std::llround(factor * 100); }

std::string minimumText(double minimum) { return fixedText(minimum, 2); }

FactoredLines chooseByFactor(const std::vector<TicketNumbers>& lines, const std::vector<double>& factors,
                             FactorChoice choice, bool wheel) {
  FactoredLines r;
  if (factors.size() != lines.size() || factors.empty()) {
    r.lines = lines;
    return r;
  }
  std::vector<size_t> order(lines.size());
  std::iota(order.begin(), order.end(), size_t{0});
  if (choice.minimum > 0 && !wheel) {
    r.filtered = true;
    const long long least = factorHundredths(choice.minimum);
    std::erase_if(order, [&](size_t i) { return factorHundredths(factors[i]) < least; });
  }
  if (choice.sort)
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return factors[a] > factors[b]; });
  r.lines.reserve(order.size());
  r.factors.reserve(order.size());
  for (size_t i : order) {
    r.lines.push_back(lines[i]);
    r.factors.push_back(factors[i]);
  }
  return r;
}

std::string factorSentence(size_t made, const FactoredLines& kept, const std::vector<double>& madeFactors,
                           FactorChoice choice, bool wheel) {
  if (made == 0 || madeFactors.empty()) return {};
  std::string t;
  const std::string least = "賞金倍率" + minimumText(choice.minimum) + "倍以上";
  const long long n = static_cast<long long>(made), k = static_cast<long long>(kept.lines.size());
  if (choice.minimum > 0) {
    if (wheel)
      t = "保証つきの口は、減らすと保証が成り立たなくなるため、賞金倍率では減らしません（" + groupedFigure(n) +
          "口すべて）。";
    else if (k == n)
      t = least + "：作った" + groupedFigure(n) + "口すべてが残りました。";
    else if (k == 0)
      t = least + "の口はありません（作った" + groupedFigure(n) + "口の最高は" +
          fixedText(*std::max_element(madeFactors.begin(), madeFactors.end()), 2) + "倍）。";
    else
      t = least + "：作った" + groupedFigure(n) + "口のうち" + groupedFigure(k) + "口（" + yenText(k * kLinePriceYen) +
          "）が残りました。";
  }
  if (choice.sort && k > 1) t += "賞金倍率の高い順に並べています。";
  return t;
}

}  // namespace km
