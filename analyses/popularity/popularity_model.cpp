#include "analyses/popularity/popularity_model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <numeric>

#include "analyses/tickets/ticket_check.h"

namespace km {

namespace {

constexpr int kTier1 = 0, kTier2 = 1, kTier4 = 3;
constexpr double kZ95 = 1.959964;
constexpr int kNumbers = kMaxNumber;    // 31
constexpr double kPairsOfOthers = 435;  // C(30, 2)
constexpr double kAllPairs = 465;       // C(31, 2)

// The numbers a line leaves out, in order.
std::vector<int> othersThan(const TicketNumbers& line) {
  std::vector<int> others;
  for (int n = kMinNumber; n <= kMaxNumber; ++n)
    if (std::find(line.begin(), line.end(), n) == line.end()) others.push_back(n);
  return others;
}

std::vector<double> penalties() {
  std::vector<double> p(kFeatureCount, 0.0);
  for (int c = kFirstNumberCol; c < kFirstDistanceCol + kDistances; ++c) p[static_cast<size_t>(c)] = kPopularityRidge;
  return p;
}

// The score of draw D in the model's next setting.
double scoreOf(const PopularityModel& m, const TicketNumbers& d) {
  double s = 0;
  for (int i = 0; i < 5; ++i) {
    s += m.numberTerm[static_cast<size_t>(d[i])];
    for (int j = i + 1; j < 5; ++j) s += m.distanceTerm[static_cast<size_t>(std::abs(d[i] - d[j]))];
  }
  return s;
}

double yenOf(const TierFit& t, double score, double bonusTerm = 0) {
  return std::exp(t.level + t.scale * score + t.bonusScale * bonusTerm) * t.smear;
}

// Each tier's mean yen over every possible draw (for the 2等, over every
// bonus the draw leaves out): the line a player picks at random.  The yen
// of a draw is a product of a factor per number and per pair, built up
// loop by loop.
std::array<double, kPrizeTiers> averageOverEveryDraw(const PopularityModel& m) {
  using PerTier = std::array<double, kPrizeTiers>;
  std::array<PerTier, kMaxNumber + 1> number{};
  std::array<PerTier, kDistances + 1> pair{};
  std::array<double, kMaxNumber + 1> bonus{};  // the 2等's factor of a bonus number
  double bonusTotal = 0;
  for (int t = 0; t < kPrizeTiers; ++t) {
    const TierFit& tier = m.fit.tiers[static_cast<size_t>(t)];
    for (int n = kMinNumber; n <= kMaxNumber; ++n)
      number[static_cast<size_t>(n)][static_cast<size_t>(t)] =
          std::exp(tier.scale * m.numberTerm[static_cast<size_t>(n)]);
    for (int k = 1; k <= kDistances; ++k)
      pair[static_cast<size_t>(k)][static_cast<size_t>(t)] =
          std::exp(tier.scale * m.distanceTerm[static_cast<size_t>(k)]);
  }
  for (int n = kMinNumber; n <= kMaxNumber; ++n)
    bonusTotal += bonus[static_cast<size_t>(n)] =
        std::exp(m.fit.tiers[kTier2].bonusScale * m.numberTerm[static_cast<size_t>(n)]);
  auto with = [&](const PerTier& partial, int n, std::initializer_list<int> before) {
    PerTier p = partial;
    for (size_t t = 0; t < kPrizeTiers; ++t) {
      p[t] *= number[static_cast<size_t>(n)][t];
      for (int b : before) p[t] *= pair[static_cast<size_t>(n - b)][t];
    }
    return p;
  };
  PerTier sums{};
  const PerTier one = {1, 1, 1, 1};
  for (int a = 1; a <= kMaxNumber - 4; ++a) {
    const PerTier pa = with(one, a, {});
    for (int b = a + 1; b <= kMaxNumber - 3; ++b) {
      const PerTier pb = with(pa, b, {a});
      for (int c = b + 1; c <= kMaxNumber - 2; ++c) {
        const PerTier pc = with(pb, c, {a, b});
        for (int d = c + 1; d <= kMaxNumber - 1; ++d) {
          const PerTier pd = with(pc, d, {a, b, c});
          for (int e = d + 1; e <= kMaxNumber; ++e) {
            const PerTier pe = with(pd, e, {a, b, c, d});
            const double left = bonusTotal - bonus[static_cast<size_t>(a)] - bonus[static_cast<size_t>(b)] -
                                bonus[static_cast<size_t>(c)] - bonus[static_cast<size_t>(d)] -
                                bonus[static_cast<size_t>(e)];
            for (size_t t = 0; t < kPrizeTiers; ++t) sums[t] += pe[t] * (t == kTier2 ? left / (kNumbers - 5) : 1);
          }
        }
      }
    }
  }
  PerTier average{};
  for (size_t t = 0; t < kPrizeTiers; ++t) {
    const TierFit& tier = m.fit.tiers[t];
    if (tier.known) average[t] = std::exp(tier.level) * tier.smear * sums[t] / kAllLines;
  }
  return average;
}

}  // namespace

std::vector<DrawSetting> drawSettings(const History& history) {
  std::vector<TicketNumbers> mains;
  for (const Draw& d : history.draws)
    if (d.complete()) mains.push_back({d[N1], d[N2], d[N3], d[N4], d[N5]});
  std::vector<DrawSetting> settings;
  settings.reserve(mains.size() + 1);
  std::array<int, kMaxNumber + 1> counts{};
  for (size_t k = 0; k <= mains.size(); ++k) {
    DrawSetting s;
    if (k > 0)
      for (int n : mains[k - 1]) s.previous[static_cast<size_t>(n)] = true;
    const size_t window = std::min<size_t>(k, kRecentDraws);
    s.recentCount = counts;
    const double even = 5.0 * static_cast<double>(window) / kNumbers;
    for (int n = kMinNumber; n <= kMaxNumber; ++n)
      s.recent[static_cast<size_t>(n)] = counts[static_cast<size_t>(n)] - even;
    settings.push_back(s);
    if (k == mains.size()) break;
    // the window moves on past draw k
    for (int n : mains[k]) ++counts[static_cast<size_t>(n)];
    if (k >= static_cast<size_t>(kRecentDraws))
      for (int n : mains[k - kRecentDraws]) --counts[static_cast<size_t>(n)];
  }
  return settings;
}

SparseRow drawFeatures(const TicketNumbers& numbers, const DrawSetting& setting) {
  SparseRow x;
  x.reserve(18);
  x.emplace_back(kLevelCol, 1.0);
  double previous = 0, recent = 0;
  for (int i = 0; i < 5; ++i) {
    const int n = numbers[i];
    x.emplace_back(kFirstNumberCol + n - 1, 1.0);
    previous += setting.previous[static_cast<size_t>(n)] ? 1 : 0;
    recent += setting.recent[static_cast<size_t>(n)];
    for (int j = i + 1; j < 5; ++j) x.emplace_back(kFirstDistanceCol + std::abs(n - numbers[j]) - 1, 1.0);
  }
  x.emplace_back(kPreviousCol, previous);
  x.emplace_back(kRecentCol, recent);
  return x;
}

SparseRow bonusFeatures(int bonus, const DrawSetting& setting) {
  return {{kFirstNumberCol + bonus - 1, 1.0},
          {kPreviousCol, setting.previous[static_cast<size_t>(bonus)] ? 1.0 : 0.0},
          {kRecentCol, setting.recent[static_cast<size_t>(bonus)]}};
}

std::vector<PrizeSample> prizeSamples(const History& history) {
  const std::vector<DrawSetting> settings = drawSettings(history);
  std::vector<PrizeSample> samples;
  size_t k = 0;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;
    const DrawSetting& setting = settings[k++];
    auto prize = history.prizes.find(d.no);
    if (prize == history.prizes.end()) continue;
    const Prize& p = prize->second;
    if (p.yen[kTier4] <= 0 || p.winners[kTier4] <= 0) continue;  // the score's own tier
    PrizeSample s;
    s.draw = d.no;
    s.x = drawFeatures({d[N1], d[N2], d[N3], d[N4], d[N5]}, setting);
    s.bonus = bonusFeatures(d[Bonus], setting);
    for (int t = 0; t < kPrizeTiers; ++t)
      if (p.yen[t] > 0 && p.winners[t] > 0) s.logYen[t] = std::log(static_cast<double>(p.yen[t]));
    samples.push_back(std::move(s));
  }
  return samples;
}

std::optional<double> TierModel::logYen(int tier, const SparseRow& x, const SparseRow& b) const {
  const TierFit& t = tiers[static_cast<size_t>(tier)];
  if (!ok || !t.known) return std::nullopt;
  const double score = predict(x, this->score.coef) - this->score.coef[kLevelCol];
  return t.level + t.scale * score + t.bonusScale * predict(b, this->score.coef);
}

TierModel fitTiers(const std::vector<PrizeSample>& samples, const std::vector<int>& use, bool withCovariance) {
  TierModel m;
  std::vector<const SparseRow*> x;
  std::vector<double> y;
  for (int i : use) {
    x.push_back(&samples[static_cast<size_t>(i)].x);
    y.push_back(*samples[static_cast<size_t>(i)].logYen[kTier4]);
  }
  m.score = fitRidge(x, y, penalties(), withCovariance);
  if (!m.score.ok) return m;
  m.ok = true;
  const std::vector<double>& coef = m.score.coef;
  for (int t = 0; t < kPrizeTiers; ++t) {
    TierFit& tier = m.tiers[static_cast<size_t>(t)];
    std::vector<SparseRow> design;
    std::vector<double> target;
    for (int i : use) {
      const PrizeSample& s = samples[static_cast<size_t>(i)];
      if (!s.logYen[t]) continue;
      SparseRow row{{0, 1.0}, {1, predict(s.x, coef) - coef[kLevelCol]}};
      if (t == kTier2) row.emplace_back(2, predict(s.bonus, coef));
      design.push_back(std::move(row));
      target.push_back(*s.logYen[t]);
    }
    tier.draws = static_cast<int>(design.size());
    if (tier.draws < kMinTierDraws) continue;
    if (t == kTier4) {
      tier.level = coef[kLevelCol];
    } else {
      // least squares of the tier's log prize on the score (and the bonus's term)
      const RidgeFit f = fitRidge(design, target, std::vector<double>(t == kTier2 ? 3 : 2, 0.0), withCovariance);
      if (!f.ok) continue;
      tier.level = f.coef[0];
      tier.scale = f.coef[1];
      if (withCovariance) tier.scaleVariance = f.cov[1][1];
      if (t == kTier2) tier.bonusScale = f.coef[2];
    }
    double smear = 0;
    for (size_t r = 0; r < design.size(); ++r) {
      const SparseRow& d = design[r];
      const double fitted = tier.level + tier.scale * d[1].second + (d.size() > 2 ? tier.bonusScale * d[2].second : 0);
      smear += std::exp(target[r] - fitted);
    }
    tier.smear = smear / static_cast<double>(design.size());
    tier.known = true;
  }
  return m;
}

std::vector<Fold> blockFolds(int samples, int blocks) {
  std::vector<Fold> folds;
  blocks = std::min(blocks, samples);
  for (int b = 0; b < blocks; ++b) {
    const int first = samples * b / blocks, end = samples * (b + 1) / blocks;
    Fold f;
    for (int i = 0; i < samples; ++i) (i >= first && i < end ? f.judged : f.fitted).push_back(i);
    folds.push_back(std::move(f));
  }
  return folds;
}

std::array<HeldOut, kPrizeTiers> heldOutQuality(const std::vector<PrizeSample>& samples,
                                                const std::vector<Fold>& folds) {
  std::array<std::vector<std::pair<double, double>>, kPrizeTiers> judged;  // (actual, predicted)
  for (const Fold& f : folds) {
    const TierModel m = fitTiers(samples, f.fitted, false);
    for (int i : f.judged) {
      const PrizeSample& s = samples[static_cast<size_t>(i)];
      for (int t = 0; t < kPrizeTiers; ++t) {
        const std::optional<double> p = m.logYen(t, s.x, s.bonus);
        if (s.logYen[t] && p) judged[static_cast<size_t>(t)].emplace_back(*s.logYen[t], *p);
      }
    }
  }
  std::array<HeldOut, kPrizeTiers> q{};
  for (int t = 0; t < kPrizeTiers; ++t) {
    const auto& pairs = judged[static_cast<size_t>(t)];
    q[static_cast<size_t>(t)].draws = static_cast<int>(pairs.size());
    if (pairs.size() < static_cast<size_t>(kMinTierDraws)) continue;
    double mean = 0;
    for (const auto& [a, p] : pairs) mean += a;
    mean /= static_cast<double>(pairs.size());
    double residual = 0, total = 0;
    for (const auto& [a, p] : pairs) {
      residual += (a - p) * (a - p);
      total += (a - mean) * (a - mean);
    }
    if (total > 0) q[static_cast<size_t>(t)].explained = 1 - residual / total;
  }
  return q;
}

PopularityModel fitPopularity(const History& history) {
  PopularityModel m;
  const std::vector<PrizeSample> samples = prizeSamples(history);
  m.drawsWithPrizes = static_cast<int>(samples.size());
  const std::vector<DrawSetting> settings = drawSettings(history);
  m.nextDraw = history.stats.LastDrawNo + 1;
  if (samples.empty()) return m;
  m.firstDraw = samples.front().draw;
  m.lastDraw = samples.back().draw;
  if (m.drawsWithPrizes < kMinPopularityDraws) return m;
  std::vector<int> all(samples.size());
  std::iota(all.begin(), all.end(), 0);
  m.fit = fitTiers(samples, all);
  if (!m.fit.ok) {
    m.status = PopularityModel::NotSolved;
    return m;
  }
  if (!m.fit.tiers[kTier1].known) {
    m.status = PopularityModel::NoFirstPrizes;
    return m;
  }
  m.status = PopularityModel::Fitted;
  m.quality = heldOutQuality(samples, blockFolds(m.drawsWithPrizes, kQualityBlocks));

  // the score's parts in the setting of the draw to come
  const DrawSetting& next = settings.back();
  const std::vector<double>& coef = m.fit.score.coef;
  for (int n = kMinNumber; n <= kMaxNumber; ++n)
    m.numberTerm[static_cast<size_t>(n)] = predict(bonusFeatures(n, next), coef);
  for (int k = 1; k <= kDistances; ++k)
    m.distanceTerm[static_cast<size_t>(k)] = coef[static_cast<size_t>(kFirstDistanceCol + k - 1)];

  m.averageYen = averageOverEveryDraw(m);

  // Each number: the mean features of the lines holding it less those of
  // every line, read on the 1等's scale.
  const TierFit& first = m.fit.tiers[kTier1];
  double previousAll = 0, recentAll = 0;
  for (int n = kMinNumber; n <= kMaxNumber; ++n) {
    previousAll += next.previous[static_cast<size_t>(n)] ? 1 : 0;
    recentAll += next.recent[static_cast<size_t>(n)];
  }
  for (int i = kMinNumber; i <= kMaxNumber; ++i) {
    std::vector<double> g(kFeatureCount, 0.0);
    for (int j = kMinNumber; j <= kMaxNumber; ++j)
      g[static_cast<size_t>(kFirstNumberCol + j - 1)] = (j == i ? 1.0 : 4.0 / 30) - 5.0 / kNumbers;
    for (int k = 1; k <= kDistances; ++k) {
      const int near = (i - k >= kMinNumber ? 1 : 0) + (i + k <= kMaxNumber ? 1 : 0);  // pairs of i k apart
      g[static_cast<size_t>(kFirstDistanceCol + k - 1)] =
          4.0 * near / 30 + 6.0 * (kMaxNumber - k - near) / kPairsOfOthers - 10.0 * (kMaxNumber - k) / kAllPairs;
    }
    const double prev = next.previous[static_cast<size_t>(i)] ? 1 : 0;
    const double rec = next.recent[static_cast<size_t>(i)];
    g[kPreviousCol] = prev + 4.0 * (previousAll - prev) / 30 - 5.0 * previousAll / kNumbers;
    g[kRecentCol] = rec + 4.0 * (recentAll - rec) / 30 - 5.0 * recentAll / kNumbers;
    const double part = std::inner_product(g.begin(), g.end(), coef.begin(), 0.0);
    const double effect = first.scale * part;
    const double variance =
        first.scale * first.scale * quadraticForm(g, m.fit.score.cov) + part * part * first.scaleVariance;
    const double sd = std::sqrt(std::max(0.0, variance));
    NumberPopularity& p = m.numbers[static_cast<size_t>(i - 1)];
    p.number = i;
    p.effect = std::expm1(effect);
    p.low = std::expm1(effect - kZ95 * sd);
    p.high = std::expm1(effect + kZ95 * sd);
    p.recentCount = next.recentCount[static_cast<size_t>(i)];
    p.previous = next.previous[static_cast<size_t>(i)];
  }
  std::array<int, kMaxNumber> order{};
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return m.numbers[static_cast<size_t>(a)].effect < m.numbers[static_cast<size_t>(b)].effect;
  });
  for (int r = 0; r < kMaxNumber; ++r) m.numbers[static_cast<size_t>(order[static_cast<size_t>(r)])].rank = r + 1;
  return m;
}

std::optional<double> drawYen(const PopularityModel& m, int tier, const TicketNumbers& drawn, int bonus) {
  if (!m.fitted() || tier < 0 || tier >= kPrizeTiers) return std::nullopt;
  const TierFit& t = m.fit.tiers[static_cast<size_t>(tier)];
  if (!t.known) return std::nullopt;
  return yenOf(t, scoreOf(m, drawn), m.numberTerm[static_cast<size_t>(std::clamp(bonus, 0, kMaxNumber))]);
}

LineEstimate estimateLine(const PopularityModel& m, const TicketNumbers& numbers) {
  LineEstimate e;
  if (!m.fitted()) return e;
  TicketNumbers line = numbers;
  std::sort(line.begin(), line.end());
  const std::vector<int> others = othersThan(line);
  const auto& tiers = m.fit.tiers;
  std::array<double, kPrizeTiers> sums{};
  std::array<int, kPrizeTiers> draws{};
  auto add = [&](int tier, const TicketNumbers& d, double bonusTerm = 0) {
    const TierFit& t = tiers[static_cast<size_t>(tier)];
    if (!t.known) return;
    sums[static_cast<size_t>(tier)] += yenOf(t, scoreOf(m, d), bonusTerm);
    ++draws[static_cast<size_t>(tier)];
  };
  // 1等: the line itself is drawn
  add(0, line);
  // 2等 and 3等: four of its numbers and another; for the 2等 the bonus is its fifth
  for (int missing = 0; missing < 5; ++missing)
    for (int o : others) {
      TicketNumbers d = line;
      d[static_cast<size_t>(missing)] = o;
      add(1, d, m.numberTerm[static_cast<size_t>(line[static_cast<size_t>(missing)])]);
      add(2, d);
    }
  // 4等: three of its numbers and two others
  for (int a = 0; a < 5; ++a)
    for (int b = a + 1; b < 5; ++b)
      for (int c = b + 1; c < 5; ++c)
        for (size_t p = 0; p < others.size(); ++p)
          for (size_t q = p + 1; q < others.size(); ++q)
            add(3, {line[static_cast<size_t>(a)], line[static_cast<size_t>(b)], line[static_cast<size_t>(c)], others[p],
                    others[q]});
  double expected = 0, average = 0;
  for (int t = 0; t < kPrizeTiers; ++t) {
    const size_t k = static_cast<size_t>(t);
    if (!tiers[k].known || draws[k] == 0) continue;
    e.yen[k] = sums[k] / draws[k];
    e.ratio[k] = e.yen[k] / m.averageYen[k];
    expected += static_cast<double>(kTierLines[k]) * e.yen[k];
    average += static_cast<double>(kTierLines[k]) * m.averageYen[k];
  }
  if (average > 0) e.factor = expected / average;
  return e;
}

}  // namespace km
