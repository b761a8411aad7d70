#include "analyses/statistics/randomness_tests.h"

#include <cstdio>
#include <string>

#include "analyses/statistics/distributions.h"
#include "analyses/statistics/draw_statistics.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

// Three significant figures, and "0.0001未満" below that.
std::string pText(double p) {
  if (p < 0.0001) return "0.0001未満";
  return fixedText(p, p < 0.001 ? 4 : 3);
}

constexpr int kFirstTestRow = 4;
constexpr int kTests = 5;
constexpr int kTermLines = 2;  // 自由度 and 補正前 in plain words

}  // namespace

const char* pValueReading(double p) {
  if (p < 0.01) return "偶然では100回に1回も起きない、珍しい結果です。";
  if (p < 0.05) return "偶然でも20回に1回ほど起きる、やや珍しい結果です。";
  return "偶然でふつうに起きる程度です。";
}

Grid fillRandomnessTests(const History& history) {
  // and the line of the draws counted, then the words of the table explained
  const int rows = kFirstTestRow + kTests + kTermLines;
  Grid g = makeGrid({.cols = 5,
                     .rows = rows,
                     .visibleCols = 5,
                     .visibleRows = rows,
                     .scrollBars = ScrollBars::None,
                     .rowHeight = 14,
                     .colWidth = 8});
  g.setColWidth(1, 20);
  g.setColWidth(2, 10);
  g.setColWidth(3, 7);
  g.setColWidth(5, 80);
  g.setFrozenRows(kFirstTestRow - 1);
  setTitle(g, 1, 1, "多くの検定を一度に行うと、偶然だけでもいくつかは小さなp値になります（20回に1回は0.05未満）。");
  setTitle(g, 1, 2,
           "p値が小さいほど偶然では起きにくい結果ですが、どの検定も次の回に出やすい数字を示すものではありません。");
  const char* headings[] = {"検定", "値", "自由度", "p値", "意味"};
  for (int c = 1; c <= 5; ++c) g.setText(c, 3, headings[c - 1]);
  g.setColors({1, 3, 5, 3}, kBlack, kLightRed);
  const int lastTest = kFirstTestRow + kTests - 1;
  g.setBorder({1, 3, 5, lastTest}, kAllSides);
  g.setAlign({1, kFirstTestRow, 1, lastTest}, HAlign::Left);
  g.setAlign({5, kFirstTestRow, 5, lastTest}, HAlign::Left);
  g.setAlign({2, kFirstTestRow, 4, lastTest}, HAlign::Right);

  const ChiSquare mainChi = mainNumberChiSquare(history);
  const ChiSquare bonusChi = bonusChiSquare(history);
  const RunsTest runs = oddEvenRuns(history);
  const SumMoments sums = sumMoments(history);
  const SumDistribution& exact = exactSumDistribution();

  // Below its least number of draws a test's chance distribution does not
  // hold: it says how many it needs instead of a figure.
  const std::string runsShort = runs.draws < 2 * kLeastDrawsOfEachKind
                                    ? tooFewDrawsText(2 * kLeastDrawsOfEachKind)
                                    : "データが足りないため計算できません（奇数の多い回と偶数の多い回が、それぞれ" +
                                          std::to_string(kLeastDrawsOfEachKind) + "回以上必要です）";
  struct Line {
    const char* name;
    std::string value, df;
    double p;
    bool known;
    std::string subject;
    std::string shortOf;  // why there is no figure
  };
  const Line lines[kTests] = {
      {"本数字の出現回数", fixedText(mainChi.corrected, 1), std::to_string(mainChi.df), mainChi.p, mainChi.enough(),
       "31個の数字の出現回数のばらつき（補正前 " + fixedText(mainChi.statistic, 1) + "）は、",
       tooFewDrawsText(mainChi.leastDraws)},
      {"ボーナス数字の出現回数", fixedText(bonusChi.corrected, 1), std::to_string(bonusChi.df), bonusChi.p,
       bonusChi.enough(), "ボーナス数字の出現回数のばらつきは、", tooFewDrawsText(bonusChi.leastDraws)},
      {"奇数・偶数の並び（連）", std::to_string(runs.runs), "", runs.p, runs.valid,
       "奇数の多い回・偶数の多い回の並び（連の期待値 " + fixedText(runs.expectedRuns, 1) + "）は、", runsShort},
      {"本数字の合計の平均", fixedText(sums.mean, 2), "", sums.meanP, sums.enough(),
       "合計の平均と理論値 " + fixedText(exact.mean, 1) + " とのずれは、", tooFewDrawsText(kLeastDrawsForSumMoments)},
      {"本数字の合計の分散", fixedText(sums.variance, 1), std::to_string(sums.draws - 1), sums.varianceP, sums.enough(),
       "合計の分散と理論値 " + fixedText(exact.variance, 1) + " とのずれは、",
       tooFewDrawsText(kLeastDrawsForSumMoments)},
  };
  for (int i = 0; i < kTests; ++i) {
    const Line& l = lines[i];
    const int r = kFirstTestRow + i;
    g.setText(1, r, l.name);
    if (!l.known) {
      g.setText(5, r, l.shortOf);
      continue;
    }
    g.setText(2, r, l.value);
    g.setText(3, r, l.df);
    g.setText(4, r, pText(l.p));
    g.setText(5, r, l.subject + pValueReading(l.p));
    if (l.p < 0.05) g.setBg(Block::cell(4, r), kUnusualPBg);
  }
  g.setToolTip(2, kFirstTestRow, "カイ二乗（本数字は1回に5個ちがう数字が出るため 30/26 倍に補正）");
  g.setToolTip(2, kFirstTestRow + 2, "連の数（z = " + fixedText(runs.z, 2) + "）");
  g.setToolTip(2, kFirstTestRow + 3, "z = " + fixedText(sums.meanZ, 2));
  setTitle(g, 1, lastTest + 1,
           "対象：本数字5個がそろった " + std::to_string(sums.draws) + " 回（空欄や範囲外の数字がある回は除きます）");
  setTitle(
      g, 1, lastTest + 2,
      "自由度：ばらつきを比べるカイ二乗分布の形を決める数です（31個の数字の回数なら 31−1 = 30、分散なら回数−1）。");
  setTitle(
      g, 1, lastTest + 3,
      "補正前：本数字は1回に5個の異なる数字が出るため、回数のばらつきが小さめになります。そのため、ふつうのカイ二乗値"
      "（補正前）を 30/26 倍した値で検定します。");
  return g;
}

}  // namespace km
