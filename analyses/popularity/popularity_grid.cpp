#include "analyses/popularity/popularity_grid.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analyses/tickets/ticket_check.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kTier1 = 0, kTier3 = 2, kTier4 = 3;
// A share of the variance below this is nothing to speak of.
constexpr double kExplainsSomething = 0.05;

const char* tierName(int tier) {
  static const char* names[] = {"1等", "2等", "3等", "4等"};
  return names[tier];
}

// Three significant figures.
long long threeFigures(double v) {
  if (!(v > 0)) return 0;
  const double unit = std::pow(10.0, std::max(0.0, std::floor(std::log10(v)) - 2));
  return static_cast<long long>(std::llround(v / unit) * unit);
}

std::string withCommas(long long v) {
  std::string t = yenText(v);
  return t.substr(0, t.size() - std::string("円").size());
}

}  // namespace

std::string percentText(double fraction) {
  const double p = 100 * fraction;
  std::string t = fixedText(p, 1);
  if (t == "-0.0") t = "0.0";
  return (p > 0 && t != "0.0" ? "+" : "") + t + "%";
}

std::string approxYenText(double yen) {
  const long long v = threeFigures(yen);
  if (v >= 1000000) return "約" + withCommas(threeFigures(yen / 10000)) + "万円";
  return "約" + withCommas(v) + "円";
}

std::string factorText(double factor) { return fixedText(factor, 2) + "倍"; }

std::string notFittedText(const PopularityModel& m) {
  if (m.status == PopularityModel::NotSolved)
    return "当せん金の値から人気度を計算できませんでした（当せん金のわかる回" + std::to_string(m.drawsWithPrizes) +
           "回）。";
  if (m.status == PopularityModel::NoFirstPrizes)
    return "1等の当せん金のわかる回が" + std::to_string(kMinTierDraws) + "回に満たないため、人気度を推定できません。";
  return "当せん金のわかる回が" + std::to_string(m.drawsWithPrizes) + "回しかないため、人気度を推定できません（" +
         std::to_string(kMinPopularityDraws) + "回以上必要です）。";
}

std::string qualitySentence(const PopularityModel& m) {
  if (!m.fitted()) return notFittedText(m);
  std::vector<std::string> explained, nothing;
  for (int t : {kTier4, kTier3, kTier1}) {
    const HeldOut& q = m.quality[static_cast<size_t>(t)];
    if (q.explained && *q.explained >= kExplainsSomething)
      explained.push_back(std::string(tierName(t)) + "は" + std::to_string(std::lround(100 * *q.explained)) + "%");
    else
      nothing.emplace_back(tierName(t));
  }
  const std::string lead = "推定に使っていない回で確かめると、";
  if (explained.empty())
    return lead + "この推定では回ごとの当せん金の違いをほとんど説明できません。下の人気度は当てにしないでください。";
  std::string t = lead + "回ごとの当せん金の違いのうち、";
  for (size_t i = 0; i < explained.size(); ++i) t += (i ? "、" : "") + explained[i];
  t += "を、買われやすい数字かどうかで説明できます";
  if (!nothing.empty()) {
    t += "（";
    for (size_t i = 0; i < nothing.size(); ++i) t += (i ? "・" : "") + nothing[i];
    t += "はほとんど説明できません）";
  }
  return t + "。";
}

std::string lineEstimateText(const PopularityModel& m, const LineEstimate& e) {
  if (!m.fitted()) return notFittedText(m);
  std::string t;
  for (int tier : {kTier1, kTier3, kTier4}) {
    const size_t k = static_cast<size_t>(tier);
    if (!m.fit.tiers[k].known) continue;
    t += std::string(tierName(tier)) + "なら " + approxYenText(e.yen[k]) + "（平均 " + approxYenText(m.averageYen[k]) +
         "の " + factorText(e.ratio[k]) + "）\n";
  }
  return t + "当たったときの賞金の期待値は、平均的な買い目の " + factorText(e.factor) + "です。";
}

Grid popularityGrid(const PopularityModel& m) {
  constexpr int kFirstRow = 2;
  constexpr int kVisibleRows = 19;              // the rest scrolls beside the chart
  const int rows = kFirstRow + kMaxNumber + 1;  // and two lines: the draws used, the draw estimated for
  Grid g = makeGrid({.cols = kPopularityGridCols,
                     .rows = rows,
                     .visibleCols = kPopularityGridCols,
                     .visibleRows = kVisibleRows,
                     .scrollBars = ScrollBars::Vertical,
                     .rowHeight = 12,
                     .colWidth = 7});
  g.setColWidth(3, 8);
  g.setColWidth(4, 15);
  g.setColWidth(5, 8);
  g.setColWidth(6, 5);
  g.setFrozenRows(1);
  const char* headings[] = {"数字", "人気の順", "1等の賞金", "95%の範囲", "直近50回", "前回"};
  for (int c = 1; c <= kPopularityGridCols; ++c) g.setText(c, 1, headings[c - 1]);
  g.setColors({1, 1, kPopularityGridCols, 1}, kBlack, kLightRed);
  g.setToolTip(2, 1, "1 がいちばん多く買われている数字");
  g.setToolTip(3, 1, "その数字を含む買い目が1等に当たったときの賞金が、平均よりどれだけ多いか（マイナスは少ない）");
  g.setToolTip(4, 1, "推定の誤差：本当の値は95%の確からしさでこの範囲にあります");
  g.setToolTip(5, 1, "直近50回に本数字として出た回数（よく出た数字は買われやすくなります）");
  g.setToolTip(6, 1, "前回の本数字（次の回では買われにくくなります）");
  const int numbersEnd = kFirstRow + kMaxNumber - 1;
  g.setBorder({1, 1, kPopularityGridCols, numbersEnd}, kAllSides);
  setDrawNoColumn(g, 1, kFirstRow, numbersEnd);
  if (!m.fitted()) {
    // the reason in short lines, one a row: broken after each comma and before a bracket
    const std::string why = notFittedText(m);
    int row = kFirstRow;
    for (size_t from = 0; from < why.size();) {
      size_t end = std::min(why.find("、", from), why.find("（", from + 1));
      end = end == std::string::npos ? why.size() : end + (why.compare(end, 3, "、") == 0 ? 3 : 0);
      g.setFrame({2, row, kPopularityGridCols, row});  // one cell across the row: no line through the text
      setTitle(g, 2, row++, why.substr(from, end - from));
      from = end;
    }
    for (int n = kMinNumber; n <= kMaxNumber; ++n) g.setText(1, kFirstRow + n - 1, n);
    return g;
  }
  g.setAlign({3, kFirstRow, 5, numbersEnd}, HAlign::Right);
  for (const NumberPopularity& p : m.numbers) {
    const int r = kFirstRow + p.number - 1;
    g.setText(1, r, p.number);
    g.setText(2, r, p.rank);
    g.setText(3, r, percentText(p.effect));
    g.setText(4, r, percentText(p.low) + "〜" + percentText(p.high));
    g.setText(5, r, p.recentCount);
    g.setText(6, r, p.previous ? "○" : "");
    if (p.high < 0) g.setBg({2, r, 4, r}, kMoreBoughtBg);
    if (p.low > 0) g.setBg({2, r, 4, r}, kLessBoughtBg);
  }
  setTitle(g, 1, rows - 1,
           "対象：第" + std::to_string(m.firstDraw) + "回〜第" + std::to_string(m.lastDraw) + "回の当せん金（" +
               std::to_string(m.drawsWithPrizes) + "回）");
  setTitle(g, 1, rows, "第" + std::to_string(m.nextDraw) + "回に向けた推定です");
  return g;
}

Grid fillPopularity(const History& history) { return popularityGrid(fitPopularity(history)); }

}  // namespace km
