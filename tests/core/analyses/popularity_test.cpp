// 人気度: the model finds known effects in a made history, judges each draw
// only by a model that never saw it, says when it explains nothing or has
// too few draws, and beats the plain per-number model on the shipped history.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "analyses/popularity/popularity_grid.h"
#include "analyses/popularity/popularity_model.h"
#include "store/formats/csv.h"
#include "tests/core/analyses/popularity_made_history.h"

namespace km {
namespace {

// Every line of five numbers.
template <class F>
void forEveryLine(F f) {
  TicketNumbers d{};
  for (d[0] = 1; d[0] <= 27; ++d[0])
    for (d[1] = d[0] + 1; d[1] <= 28; ++d[1])
      for (d[2] = d[1] + 1; d[2] <= 29; ++d[2])
        for (d[3] = d[2] + 1; d[3] <= 30; ++d[3])
          for (d[4] = d[3] + 1; d[4] <= 31; ++d[4]) f(d);
}

int common(const TicketNumbers& a, const TicketNumbers& b) {
  int n = 0;
  for (int x : a)
    for (int y : b) n += x == y;
  return n;
}

const test::MadeHistory& made() {
  static const test::MadeHistory m = test::madeHistory(1200, 1200);
  return m;
}

const PopularityModel& madeModel() {
  static const PopularityModel m = fitPopularity(made().history);
  return m;
}

TEST(Popularity, KnownNumberEffectsComeBackWithinTheirUncertainty) {
  const test::MadeHistory& h = made();
  const PopularityModel& m = madeModel();
  ASSERT_TRUE(m.fitted());
  EXPECT_EQ(m.drawsWithPrizes, 1200);
  // A line holding number i holds it and four of the other thirty: its
  // effects sum to 26/30 of i's own above the mean, on the 1等's scale.
  int covered = 0;
  for (const NumberPopularity& p : m.numbers) {
    const double truth = std::expm1(h.scale[0] * 26.0 / 30 * h.effect[static_cast<size_t>(p.number)]);
    const double sd = (std::log1p(p.high) - std::log1p(p.low)) / (2 * 1.96);
    EXPECT_LT(std::abs(std::log1p(p.effect) - std::log1p(truth)), 4 * sd) << p.number;
    covered += p.low <= truth && truth <= p.high;
  }
  EXPECT_GE(covered, 27) << "the 95% intervals hold the truth for most numbers";
  // The tiers' scales are in units of the fitted score (shrunk a little by
  // the ridge): their ratios to the 1等's are the made ones.
  const TierFit& first = m.fit.tiers[0];
  for (int t : {2, 3}) {
    const TierFit& tier = m.fit.tiers[static_cast<size_t>(t)];
    const double ratio = tier.scale / first.scale;
    const double sd = ratio * std::sqrt(tier.scaleVariance / (tier.scale * tier.scale) +
                                        first.scaleVariance / (first.scale * first.scale));
    EXPECT_LT(std::abs(ratio - h.scale[static_cast<size_t>(t)] / h.scale[0]), 4 * sd) << t;
  }
  EXPECT_NEAR(m.fit.tiers[1].bonusScale / first.scale, h.bonusScale / h.scale[0], 0.1) << "the 2等 follows its bonus";
  const auto most = std::min_element(m.numbers.begin(), m.numbers.end(),
                                     [](const auto& a, const auto& b) { return a.effect < b.effect; });
  EXPECT_EQ(most->rank, 1) << "the number whose lines pay least is the most bought";
  // a line of the five most bought numbers would pay less than the average line, one of the five least more
  TicketNumbers mostBought{}, leastBought{};
  for (const NumberPopularity& p : m.numbers) {
    if (p.rank <= 5) mostBought[static_cast<size_t>(p.rank - 1)] = p.number;
    if (p.rank > kMaxNumber - 5) leastBought[static_cast<size_t>(kMaxNumber - p.rank)] = p.number;
  }
  EXPECT_LT(estimateLine(m, mostBought).factor, 0.9);
  EXPECT_GT(estimateLine(m, leastBought).factor, 1.1);
  // what is explained on judged draws: nearly all the 4等, little of the noisy 1等
  ASSERT_TRUE(m.quality[3].explained && m.quality[0].explained);
  EXPECT_GT(*m.quality[3].explained, 0.8);
  EXPECT_GT(*m.quality[3].explained, *m.quality[0].explained);
}

// Each number's effect is the mean log 1等 prize of the lines holding it
// less that of every line.
TEST(Popularity, NumberEffectsAreTheLinesHoldingTheNumberAgainstEveryLine) {
  const PopularityModel& m = madeModel();
  std::array<double, kMaxNumber + 1> holding{};
  double all = 0;
  forEveryLine([&](const TicketNumbers& d) {
    const double log = std::log(*drawYen(m, 0, d, 0));
    all += log;
    for (int n : d) holding[static_cast<size_t>(n)] += log;
  });
  for (const NumberPopularity& p : m.numbers)
    EXPECT_NEAR(std::log1p(p.effect), holding[static_cast<size_t>(p.number)] / 27405 - all / 169911, 1e-9) << p.number;
}

// A line's prize in a tier is the mean over the draws in which it wins it.
TEST(Popularity, LineEstimatesAreTheMeansOverTheDrawsInWhichTheLineWins) {
  const PopularityModel& m = madeModel();
  for (const TicketNumbers line : {TicketNumbers{3, 7, 12, 20, 31}, TicketNumbers{27, 1, 14, 2, 30}}) {
    std::array<double, kPrizeTiers> sum{}, average{};
    std::array<int, kPrizeTiers> count{};
    forEveryLine([&](const TicketNumbers& d) {
      const int k = common(line, d);
      for (int t = 0; t < kPrizeTiers; ++t) {
        if (t != 1) average[static_cast<size_t>(t)] += *drawYen(m, t, d, 0) / 169911;
      }
      const int tier = k == 5 ? 0 : k == 4 ? 2 : k == 3 ? 3 : -1;
      if (tier >= 0) {
        sum[static_cast<size_t>(tier)] += *drawYen(m, tier, d, 0);
        ++count[static_cast<size_t>(tier)];
      }
      if (k == 4) {  // the 2等: the line's number left out is the bonus
        for (int n : line)
          if (std::find(d.begin(), d.end(), n) == d.end()) sum[1] += *drawYen(m, 1, d, n);
        ++count[1];
      }
    });
    EXPECT_EQ(count[3], 3250);
    const LineEstimate e = estimateLine(m, line);
    for (size_t t = 0; t < kPrizeTiers; ++t) {
      EXPECT_NEAR(e.yen[t], sum[t] / count[t], 1e-6 * e.yen[t]) << t;
      if (t != 1) {
        EXPECT_NEAR(m.averageYen[t], average[t], 1e-6 * average[t]) << t;
      }
    }
  }
}

// The folds judge every draw once, by a fit on the other blocks alone.
TEST(Popularity, BlockFoldsNeverFitADrawTheyJudge) {
  for (const auto& [samples, blocks] : {std::pair{1340, 10}, std::pair{105, 10}, std::pair{7, 10}, std::pair{1, 10}}) {
    SCOPED_TRACE(std::to_string(samples) + " samples");
    const std::vector<Fold> folds = blockFolds(samples, blocks);
    EXPECT_EQ(folds.size(), static_cast<size_t>(std::min(samples, blocks)));
    std::vector<int> judgedTimes(static_cast<size_t>(samples), 0);
    for (const Fold& f : folds) {
      ASSERT_FALSE(f.judged.empty());
      for (size_t i = 1; i < f.judged.size(); ++i) EXPECT_EQ(f.judged[i], f.judged[i - 1] + 1) << "one block";
      std::set<int> fitted(f.fitted.begin(), f.fitted.end());
      for (int j : f.judged) {
        EXPECT_EQ(fitted.count(j), 0u) << j;
        ++judgedTimes[static_cast<size_t>(j)];
      }
      EXPECT_EQ(f.fitted.size() + f.judged.size(), static_cast<size_t>(samples)) << "every other draw fits";
    }
    for (int t : judgedTimes) EXPECT_EQ(t, 1);
  }
}

// Prizes that follow nothing: the model fits its own draws a little, but
// explains nothing of the draws it never saw, and says so.
TEST(Popularity, AModelOfNoiseExplainsNothingAndSaysSo) {
  test::MadeHistory h = test::madeHistory(300, 300, 11);
  test::Generator g(5);
  for (auto& [no, p] : h.history.prizes)
    for (int t = 0; t < kPrizeTiers; ++t)
      p.yen[static_cast<size_t>(t)] = std::llround(std::exp(h.level[static_cast<size_t>(t)] + 0.1 * g.normal()));
  const PopularityModel m = fitPopularity(h.history);
  ASSERT_TRUE(m.fitted());
  const std::vector<PrizeSample> samples = prizeSamples(h.history);
  std::vector<int> all(samples.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
  // judged by the model that saw them, the draws look explained
  const std::array<HeldOut, kPrizeTiers> seen = heldOutQuality(samples, {Fold{all, all}});
  EXPECT_GT(*seen[3].explained, 0.05);
  for (int t = 0; t < kPrizeTiers; ++t) {
    ASSERT_TRUE(m.quality[static_cast<size_t>(t)].explained) << t;
    EXPECT_LT(*m.quality[static_cast<size_t>(t)].explained, 0.05) << t;
  }
  EXPECT_NE(qualitySentence(m).find("ほとんど説明できません。下の人気度は当てにしないでください"), std::string::npos)
      << qualitySentence(m);
}

TEST(Popularity, TooFewDrawsWithPrizesAreSaid) {
  const struct {
    int draws, withPrizes;
    bool zeroFirst;  // nobody won the 1等
    PopularityModel::Status status;
    const char* says;
  } cases[] = {{300, 0, false, PopularityModel::TooFewDraws, "当せん金のわかる回が0回しかない"},
               {300, 99, false, PopularityModel::TooFewDraws, "当せん金のわかる回が99回しかない"},
               {300, 100, false, PopularityModel::Fitted, "推定に使っていない回で確かめると"},
               {300, 150, true, PopularityModel::NoFirstPrizes, "1等の当せん金のわかる回が30回に満たない"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    test::MadeHistory h = test::madeHistory(c.draws, c.withPrizes);
    if (c.zeroFirst)
      for (auto& [no, p] : h.history.prizes) p.winners[0] = p.yen[0] = 0;
    const PopularityModel m = fitPopularity(h.history);
    EXPECT_EQ(m.status, c.status);
    EXPECT_NE(qualitySentence(m).find(c.says), std::string::npos) << qualitySentence(m);
    if (!m.fitted()) {  // the grid says why, in short lines
      EXPECT_NE(popularityGrid(m).text(2, 2).find("当せん金"), std::string::npos);
      EXPECT_LT(popularityGrid(m).text(2, 2).size(), 70u);
    }
  }
}

TEST(Popularity, TextsOfPercentsYenAndFactors) {
  const struct {
    std::string got, want;
  } cases[] = {{percentText(0.1234), "+12.3%"},      {percentText(-0.04), "-4.0%"},
               {percentText(-0.0004), "0.0%"},       {approxYenText(15312345), "約1,530万円"},
               {approxYenText(11249), "約11,200円"}, {approxYenText(894.4), "約894円"},
               {factorText(1.184), "1.18倍"}};
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

// On the shipped history, fitted on draws 14-1000 and judged on 1001-1353,
// where the plain per-number model explained 46% of the 4等, and on ten blocks.
TEST(Popularity, ShippedHistoryBeatsThePlainPerNumberModel) {
  const Result<DrawList> csv = readHistoryCsvFile(KM_SHIPPED_CSV);
  ASSERT_TRUE(csv.ok()) << csv.message();
  const History h = History::fromRows(csv->draws, csv->prizes);
  const std::vector<PrizeSample> samples = prizeSamples(h);
  Fold split;
  for (size_t i = 0; i < samples.size(); ++i)
    if (samples[i].draw >= 14) (samples[i].draw <= 1000 ? split.fitted : split.judged).push_back(static_cast<int>(i));
  const std::array<HeldOut, kPrizeTiers> ours = heldOutQuality(samples, {split});
  ASSERT_TRUE(ours[3].explained && ours[2].explained && ours[0].explained);
  EXPECT_GT(*ours[3].explained, 0.46 + 0.1);
  EXPECT_GT(*ours[2].explained, 0.45);
  EXPECT_GT(*ours[0].explained, 0.15);

  const PopularityModel m = fitPopularity(h);
  ASSERT_TRUE(m.fitted());
  EXPECT_GT(*m.quality[3].explained, 0.55);
  EXPECT_GT(*m.quality[2].explained, 0.40);
  EXPECT_GT(*m.quality[0].explained, 0.12);
}

}  // namespace
}  // namespace km
