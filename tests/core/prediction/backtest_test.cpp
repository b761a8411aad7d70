// The record of the prediction lines: every draw's lines equal the prediction
// window's on the history cut before that draw, hits and chance are counted
// right, and the record's grid says what it found.
#include "prediction/core/backtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "prediction/core/prediction_record.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

// Draws 1..n of five distinct main numbers and a bonus; draw `gap` is incomplete.
std::vector<Draw> generated(int n, int gap) {
  std::vector<Draw> rows;
  std::uint32_t x = 7;
  for (int no = 1; no <= n; ++no) {
    Draw d = test::draw(no);
    std::uint32_t used = 0;
    for (int f = 0; f < 6; ++f) {
      int v;
      do {
        x = x * 1103515245u + 12345u;
        v = static_cast<int>((x >> 16) % 31 + 1);
      } while (used & (1u << v));
      used |= 1u << v;
      d.n[f] = test::number(v);
    }
    if (no == gap) d.n[2].reset();
    rows.push_back(d);
  }
  return rows;
}

std::array<bool, PredictionState::kSettingCount> settingsWith(int on) {
  std::array<bool, PredictionState::kSettingCount> r{};
  for (int i = 0; i < on; ++i) r[i * 2 % PredictionState::kSettingCount] = true;
  return r;
}

TEST(Backtest, EveryDrawsLinesAreTheWindowsOnTheHistoryCutBeforeIt) {
  const std::vector<Draw> rows = generated(90, 40);
  const History history = History::fromRows(rows);
  for (int on : {0, 3, 12}) {
    SCOPED_TRACE(on);
    const auto reflect = settingsWith(on);
    const Backtest b = runBacktest(history, reflect, 1);
    ASSERT_EQ(b.draws.size(), 89u) << "every complete draw";
    for (const BacktestDraw& d : b.draws) {
      const auto at = std::find_if(rows.begin(), rows.end(), [&](const Draw& r) { return r.no == d.no; });
      PredictionState state;
      state.reflect = reflect;
      PredictionGrids grids;
      openPrediction(state, History::fromRows({rows.begin(), at}), grids);
      ASSERT_EQ(d.lines, linesOf(grids)) << "draw " << d.no;
      for (int l = 0; l < kPredictionLineCount; ++l) {
        const int hits = static_cast<int>(std::count_if(d.lines[l].begin(), d.lines[l].end(), [&](int v) {
          return std::find(d.drawn.begin(), d.drawn.end(), v) != d.drawn.end();
        }));
        EXPECT_EQ(d.hits[l], hits) << "draw " << d.no << " line " << l;
      }
    }
  }
}

TEST(Backtest, StartsAtTheFiftyFirstCompleteDrawAndCountsChanceFromTheNumbersShown) {
  const History history = History::fromRows(generated(120, 30));
  const Backtest b = runBacktest(history, settingsWith(0));
  ASSERT_FALSE(b.draws.empty());
  EXPECT_EQ(b.draws.front().no, 52) << "draw 30 is incomplete";
  EXPECT_EQ(b.draws.back().no, 120);
  for (const LineRecord& r : b.lines) {
    EXPECT_EQ(r.draws, 69);
    int byHits = 0;
    for (int n : r.byHits) byHits += n;
    EXPECT_EQ(byHits, r.draws);
    EXPECT_NEAR(r.meanChance(), 5 * r.meanNumbers() / 31, 1e-12);
  }
  const Grid g = recordGrid(b, settingsWith(0));
  for (int l = 0; l < kPredictionLineCount; ++l) {
    char chance[16];
    std::snprintf(chance, sizeof chance, "%.3f", 5 * b.lines[l].meanNumbers() / 31);
    EXPECT_EQ(g.text(11, kRecordFirstLineRow + l), chance) << l;
    EXPECT_EQ(g.text(1, kRecordFirstLineRow + l), kPredictionLineLabels[l]);
  }
  EXPECT_EQ(g.text(1, 1), "第52回～第120回の69回を、それぞれその前の回までのデータで予想して評価");
  EXPECT_EQ(g.text(1, 2), "反映する：なし（0項目）");
  EXPECT_EQ(recordGrid(b, settingsWith(2)).text(1, 2), "反映する：2項目（頻度分析、出現回数分析）");
}

TEST(Backtest, ProgressCanStopTheWalk) {
  const History history = History::fromRows(generated(200, 0));
  int calls = 0;
  const Backtest b = runBacktest(history, settingsWith(0), 0, [&](int done, int total) {
    EXPECT_EQ(total, 150);
    EXPECT_LE(done, total);
    return ++calls < 2;
  });
  EXPECT_FALSE(b.complete);
  EXPECT_LT(b.draws.size(), 150u);
}

TEST(Backtest, LinesAreReadInTheOrderShownWithoutRepeatsOrStrayValues) {
  PredictionGrids g;
  buildPredictionGrids(g);
  const char* cycle7[] = {"5", "12", "5", "40", "0"};
  for (int c = 0; c < 5; ++c) g[0].setText(c + 2, 2, cycle7[c]);
  g[1].setText(2, 3, "9");  // the elimination method's second row
  g[1].setText(6, 2, "31");
  g[3].setText(2, 2, "x");
  const PredictedLines lines = linesOf(g);
  EXPECT_EQ(lines[0], (std::vector<int>{5, 12}));
  EXPECT_EQ(lines[4], (std::vector<int>{31, 9}));
  EXPECT_TRUE(lines[6].empty());
}

TEST(Backtest, VerdictFollowsTheStandardErrors) {
  struct Case {
    long long hits;
    double chance, variance;
    const char* z;
    const char* verdict;
    Rgb bg;
  } cases[] = {
      {12, 10, 1, "+2.00", kRecordLikeChance, kWhite},
      {8, 10, 1, "-2.00", kRecordLikeChance, kWhite},
      {13, 10, 1, "+3.00", "偶然より多い", kRecordAboveChance},
      {7, 10, 1, "-3.00", "偶然より少ない", kRecordBelowChance},
      {0, 0, 0, "－", "", kWhite},
  };
  for (const Case& c : cases) {
    Backtest b;
    b.lines[0] =
        LineRecord{.draws = 10, .numbers = 50, .hits = c.hits, .chanceHits = c.chance, .chanceVariance = c.variance};
    const Grid g = recordGrid(b, settingsWith(0));
    EXPECT_EQ(g.text(12, kRecordFirstLineRow), c.z);
    EXPECT_EQ(g.text(13, kRecordFirstLineRow), c.verdict);
    EXPECT_EQ(g.cell(13, kRecordFirstLineRow).bg, c.bg) << c.z;
  }
}

}  // namespace
}  // namespace km
