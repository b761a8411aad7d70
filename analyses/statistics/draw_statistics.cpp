#include "analyses/statistics/draw_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "analyses/statistics/distributions.h"

namespace km {

namespace {

constexpr int kNumbers = 31;

std::vector<std::array<int, 5>> countedMainNumbers(const History& history) {
  std::vector<std::array<int, 5>> out;
  out.reserve(history.draws.size());
  for (const Draw& d : history.draws)
    if (auto m = mainNumbers(d)) out.push_back(*m);
  return out;
}

ChiSquare chiSquareOf(const std::array<long long, kNumbers>& counts, int draws, int perDraw, double factor) {
  ChiSquare c;
  c.draws = draws;
  c.leastDraws = leastDrawsForChiSquare(perDraw);
  if (draws <= 0) return c;
  const double expected = static_cast<double>(draws) * perDraw / kNumbers;
  for (long long n : counts) c.statistic += (n - expected) * (n - expected) / expected;
  c.corrected = c.statistic * factor;
  c.p = chiSquareUpperP(c.corrected, c.df);
  return c;
}

}  // namespace

std::optional<std::array<int, 5>> mainNumbers(const Draw& d) {
  if (!d.complete()) return std::nullopt;
  std::array<int, 5> m{};
  std::uint32_t seen = 0;
  for (int f = N1; f <= N5; ++f) {
    const int v = d[f];
    if (seen & (1u << v)) return std::nullopt;
    seen |= 1u << v;
    m[static_cast<size_t>(f)] = v;
  }
  return m;
}

ChiSquare chiSquareOfMainCounts(const std::array<long long, 31>& counts, int draws) {
  return chiSquareOf(counts, draws, 5, (kNumbers - 1.0) / (kNumbers - 5.0));
}

ChiSquare mainNumberChiSquare(const History& history) {
  std::array<long long, kNumbers> counts{};
  int draws = 0;
  for (const auto& m : countedMainNumbers(history)) {
    ++draws;
    for (int v : m) ++counts[static_cast<size_t>(v - 1)];
  }
  return chiSquareOfMainCounts(counts, draws);
}

ChiSquare bonusChiSquare(const History& history) {
  std::array<long long, kNumbers> counts{};
  int draws = 0;
  for (const Draw& d : history.draws) {
    if (!mainNumbers(d)) continue;
    ++draws;
    ++counts[static_cast<size_t>(d[Bonus] - 1)];
  }
  return chiSquareOf(counts, draws, 1, 1);
}

RunsTest oddEvenRuns(const History& history) {
  RunsTest r;
  int previous = -1;
  for (const auto& m : countedMainNumbers(history)) {
    const int odd = static_cast<int>(std::count_if(m.begin(), m.end(), [](int v) { return v % 2 == 1; }));
    const int kind = odd >= 3 ? 1 : 0;
    ++r.draws;
    r.oddDraws += kind;
    if (kind != previous) ++r.runs;
    previous = kind;
  }
  const double n1 = r.oddDraws, n2 = r.draws - r.oddDraws, n = r.draws;
  if (n1 == 0 || n2 == 0) return r;
  r.expectedRuns = 2 * n1 * n2 / n + 1;
  const double variance = 2 * n1 * n2 * (2 * n1 * n2 - n) / (n * n * (n - 1));
  if (!(variance > 0)) return r;
  r.z = (r.runs - r.expectedRuns) / std::sqrt(variance);
  r.p = normalTwoSidedP(r.z);
  r.valid = n1 >= kLeastDrawsOfEachKind && n2 >= kLeastDrawsOfEachKind;
  return r;
}

SumMoments sumMoments(const History& history) {
  SumMoments s;
  double total = 0, squares = 0;
  for (const auto& m : countedMainNumbers(history)) {
    const double sum = m[0] + m[1] + m[2] + m[3] + m[4];
    ++s.draws;
    total += sum;
    squares += sum * sum;
  }
  if (s.draws < 2) return s;
  const SumDistribution& exact = exactSumDistribution();
  const double n = s.draws;
  s.mean = total / n;
  s.variance = (squares - n * s.mean * s.mean) / (n - 1);
  s.meanZ = (s.mean - exact.mean) / std::sqrt(exact.variance / n);
  s.meanP = normalTwoSidedP(s.meanZ);
  const double x = (n - 1) * s.variance / exact.variance;
  const double upper = chiSquareUpperP(x, s.draws - 1);
  s.varianceP = std::min(1.0, 2 * std::min(upper, 1 - upper));
  return s;
}

std::vector<TrendPoint> movingCounts(const History& history, int number, int window) {
  std::vector<TrendPoint> out;
  if (window < 1) return out;
  std::vector<int> drawNos, holds;
  for (const Draw& d : history.draws) {
    const auto m = mainNumbers(d);
    if (!m) continue;
    drawNos.push_back(d.no);
    holds.push_back(std::find(m->begin(), m->end(), number) != m->end() ? 1 : 0);
  }
  int count = 0;
  for (size_t i = 0; i < holds.size(); ++i) {
    count += holds[i];
    if (i >= static_cast<size_t>(window)) count -= holds[i - static_cast<size_t>(window)];
    if (i + 1 >= static_cast<size_t>(window)) out.push_back({drawNos[i], count});
  }
  return out;
}

Band movingCountBand(int window) { return {window * kMainChance, std::sqrt(window * kMainChance * (1 - kMainChance))}; }

std::vector<HistogramBin> sumHistogram(const History& history) {
  std::vector<HistogramBin> bins;
  for (int s = kMinSum; s <= kMaxSum; ++s) bins.push_back({s, 0, 0});
  long long draws = 0;
  for (const auto& m : countedMainNumbers(history)) {
    ++draws;
    ++bins[static_cast<size_t>(m[0] + m[1] + m[2] + m[3] + m[4] - kMinSum)].count;
  }
  const SumDistribution& exact = exactSumDistribution();
  for (HistogramBin& b : bins) b.expected = draws * exact.probability(b.value);
  return bins;
}

std::optional<int> latestSum(const History& history) {
  for (auto d = history.draws.rbegin(); d != history.draws.rend(); ++d)
    if (const auto m = mainNumbers(*d)) return (*m)[0] + (*m)[1] + (*m)[2] + (*m)[3] + (*m)[4];
  return std::nullopt;
}

std::vector<HistogramBin> gapHistogram(const History& history, int maxGap) {
  std::vector<HistogramBin> bins;
  if (maxGap < 1) return bins;
  for (int g = 1; g <= maxGap; ++g) bins.push_back({g, 0, 0});
  std::array<int, kNumbers + 1> last{};  // index + 1 of the number's last counted draw, 0: none yet
  int index = 0;
  long long gaps = 0;
  for (const auto& m : countedMainNumbers(history)) {
    ++index;
    for (int v : m) {
      if (last[static_cast<size_t>(v)] > 0) {
        const int gap = std::min(index - last[static_cast<size_t>(v)], maxGap);
        ++bins[static_cast<size_t>(gap - 1)].count;
        ++gaps;
      }
      last[static_cast<size_t>(v)] = index;
    }
  }
  for (HistogramBin& b : bins) {
    const double stay = std::pow(1 - kMainChance, b.value - 1);  // away for g - 1 draws
    b.expected = gaps * (b.value == maxGap ? stay : stay * kMainChance);
  }
  return bins;
}

std::string tooFewDrawsText(int least) {
  return "データが足りないため計算できません（" + std::to_string(least) + "回以上必要です）";
}

int countedDraws(const History& history) {
  int n = 0;
  for (const Draw& d : history.draws) n += mainNumbers(d) ? 1 : 0;
  return n;
}

int leastDrawsForChart(const ChartChoice& choice) {
  switch (choice.kind) {
    case ChartKind::Trend:
      return choice.window;
    case ChartKind::SumDistribution: {
      const SumDistribution& exact = exactSumDistribution();
      const long long likeliest = *std::max_element(exact.ways.begin(), exact.ways.end());
      return static_cast<int>((5 * exact.sets + likeliest - 1) / likeliest);
    }
    case ChartKind::GapDistribution: {
      // five gaps of 1 expected, at 5/31 each: 31 gaps, and N draws hold at least 5N - 31
      const int gaps = static_cast<int>(std::ceil(5 / kMainChance - 1e-9));
      return (gaps + kNumbers + 4) / 5;
    }
    case ChartKind::Prizes:
      break;
  }
  return 0;
}

std::string chartShortOfDraws(const History& history, const ChartChoice& choice) {
  const int least = leastDrawsForChart(choice), have = countedDraws(history);
  if (have >= least) return {};
  return tooFewDrawsText(least) + "。本数字5個がそろった回は" + std::to_string(have) + "回です。";
}

std::vector<PrizePoint> prizeSeries(const History& history) {
  std::vector<PrizePoint> out;
  for (const auto& [no, prize] : history.prizes) out.push_back({no, prize.yen, prize.winners[0]});
  return out;
}

}  // namespace km
