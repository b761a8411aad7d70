#include "prediction/core/prediction_record.h"

#include <cmath>
#include <cstdio>

#include "frame/grid_setup.h"

namespace km {

namespace {

// "頻度分析" of "■頻度分析（出現頻度分析）".
std::string settingName(int i) {
  std::string s = kSettingCaptions[i];
  if (s.rfind("■", 0) == 0) s.erase(0, std::string("■").size());
  if (const size_t open = s.find("（"); open != std::string::npos) s.erase(open);
  return s;
}

std::string drawsTitle(const Backtest& b) {
  if (!b.evaluated) return "評価できる回がありません（完全な回が51回以上あると、51回目から評価します）";
  std::string t = "第";
  t += std::to_string(b.first);
  t += "回～第";
  t += std::to_string(b.last);
  t += "回の";
  t += std::to_string(b.evaluated);
  t += "回を、それぞれその前の回までのデータで予想して評価";
  return t;
}

std::string settingsTitle(const std::array<bool, PredictionState::kSettingCount>& reflect) {
  std::string names;
  int on = 0;
  for (int i = 0; i < PredictionState::kSettingCount; ++i) {
    if (!reflect[i]) continue;
    if (on++) names += "、";
    names += settingName(i);
  }
  std::string t = "反映する：";
  if (!on) return t + "なし（0項目）";
  t += std::to_string(on);
  t += "項目（";
  t += names;
  t += "）";
  return t;
}

// The difference from chance is said in standard errors (a z-score), not in numbers of hits.
constexpr std::array<const char*, 13> kHeaders = {"予想", "評価回数", "予想数",     "平均当たり",
                                                  "0個",  "1個",      "2個",        "3個",
                                                  "4個",  "5個",      "偶然の平均", "偶然との差（標準誤差）",
                                                  "評価"};
constexpr std::array<double, 13> kWidths = {10, 7, 6, 8, 5, 5, 5, 5, 5, 5, 9, 17, 12};

}  // namespace

std::string standardErrorText(double z) {
  if (std::isnan(z)) return "－";
  std::string t = z >= 0 ? "+" : "";
  t += fixedText(z, 2);
  return t;
}

Grid recordGrid(const Backtest& b, const std::array<bool, PredictionState::kSettingCount>& reflect) {
  const int cols = static_cast<int>(kHeaders.size());
  const int rows = kRecordFirstLineRow + kPredictionLineCount - 1;
  Grid g = makeGrid({.cols = cols,
                     .rows = rows,
                     .visibleCols = cols,
                     .visibleRows = rows,
                     .scrollBars = ScrollBars::None,
                     .rowHeight = 12,
                     .colWidth = 5});
  for (int c = 1; c <= cols; ++c) g.setColWidth(c, kWidths[c - 1]);
  setTitle(g, 1, 1, drawsTitle(b));
  setTitle(g, 1, 2, settingsTitle(reflect));

  const int header = kRecordFirstLineRow - 1;
  const Block table{1, header, cols, rows};
  g.setBorder(table, kAllSides);
  g.setColors({1, header, cols, header}, kBlue, kLightRed);
  g.setBg({1, kRecordFirstLineRow, 1, rows}, kLightYellow);
  for (int c = 1; c <= cols; ++c) g.setText(c, header, kHeaders[c - 1]);

  for (int l = 0; l < kPredictionLineCount; ++l) {
    const LineRecord& r = b.lines[l];
    const int row = kRecordFirstLineRow + l;
    const bool any = r.draws > 0;
    g.setText(1, row, kPredictionLineLabels[l]);
    g.setText(2, row, r.draws);
    g.setText(3, row, any ? fixedText(r.meanNumbers(), 2) : "－");
    g.setText(4, row, any ? fixedText(r.meanHits(), 3) : "－");
    for (int h = 0; h <= 5; ++h) g.setText(5 + h, row, r.byHits[h]);
    g.setText(11, row, any ? fixedText(r.meanChance(), 3) : "－");
    const double z = r.standardErrors();
    g.setText(12, row, standardErrorText(z));
    if (std::isnan(z)) continue;
    const bool like = std::fabs(z) <= 2;
    g.setText(13, row, like ? kRecordLikeChance : z > 0 ? "偶然より多い" : "偶然より少ない");
    if (!like) g.setBg(Block::cell(13, row), z > 0 ? kRecordAboveChance : kRecordBelowChance);
  }
  return g;
}

Grid fillPredictionRecord(const History& history, const std::array<bool, PredictionState::kSettingCount>& reflect,
                          FillProgress* progress) {
  BacktestProgress report;
  if (progress)
    report = [progress](int done, int total) {
      progress->report(done, total);
      return !progress->cancelled();
    };
  const Backtest b = runBacktest(history, reflect, 0, report, false);
  if (!b.complete) return Grid();  // nobody waits for it any more
  return recordGrid(b, reflect);
}

}  // namespace km
