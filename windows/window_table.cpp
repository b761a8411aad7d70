#include "windows/window_table.h"

#include "analyses/counts/appearance_by_count.h"
#include "analyses/counts/appearance_count.h"
#include "analyses/divisions/four_ranges.h"
#include "analyses/divisions/group_division.h"
#include "analyses/frequency/appearance_frequency.h"
#include "analyses/frequency/carry_over.h"
#include "analyses/intervals/appearance_interval.h"
#include "analyses/intervals/number_gap.h"
#include "analyses/last_digit/last_digit_runs.h"
#include "analyses/last_digit/last_digit_trend.h"
#include "analyses/number_sets/consecutive.h"
#include "analyses/number_sets/dispersion.h"
#include "analyses/number_sets/number_sum.h"
#include "analyses/patterns/low_high.h"
#include "analyses/patterns/odd_even.h"
#include "frame/grid_setup.h"

namespace km {

const std::vector<WindowDef>& windowTable() {
  // The group division windows: main-number and bonus markers, and a group that the draw missed.
  const std::vector<LegendItem> kGroupLegend = {{"●", kMainMarkBlue, kWhite, "：本数字"},
                                                {"●", kBonusPink, kWhite, "：ボーナス数字"},
                                                {"", kBlack, kMissedGroupGrey, ":該当なし"}};
  static const std::vector<WindowDef> table = {
      {"出現頻度分析",
       "出現頻度分析",
       "過去の当選番号の出現回数を数字別に分析します",
       13750,
       9530,
       fillAppearanceFrequency,
       {{"●", kBlack, kWhite, "：本数字"}, {"●", kBonusPink, kWhite, "：ボーナス数字"}}},
      {"回数別出現分析",
       "回数別頻度分析",
       "過去の当選番号から出現回数別の数字を分析します",
       3405,
       7355,
       fillAppearanceByCount,
       {}},
      {"出現間隔分析",
       "出現間隔分析",
       "過去の当選数字が何回前に出現しているか分析します",
       8630,
       13800,
       fillAppearanceInterval,
       {}},
      {"数字間隔分析",
       "数字間隔分析",
       "当選数字を第１数字～第５数字別に前回数字との数字の間隔を分析します",
       8630,
       13820,
       fillNumberGap,
       {}},
      {"出現回数分析",
       "出現回数分析",
       "過去の当選数字が何回出現したか分析します",
       8590,
       13850,
       fillAppearanceCount,
       {}},
      {"バラツキ分析",
       "バラツキ分析",
       "過去の当選番号のバラツキを数字別に分析します",
       9750,
       12650,
       fillDispersion,
       {{"●", kMainDot, kWhite, "：本数字"}, {"●", kBonusPink, kWhite, "：ボーナス数字"}}},
      {"引っ張り分析",
       "引っ張り分析",
       "過去の当選数字に前回の数字が入っているか分析します",
       6850,
       13500,
       fillCarryOver,
       {{"", kBlack, kLightCyan, ":前回の数字"}}},
      {"連番飛び石分析",
       "連番・飛び石分析",
       "過去の当選番号の連続数字と一つ飛び数字の傾向を分析します",
       6550,
       13400,
       fillConsecutive,
       {}},
      {"数字合計分析",
       "数字合計分析",
       "過去の当選番号の本数字＋ボーナス数字合計を分析します",
       7350,
       13680,
       fillNumberSum,
       {}},
      {"低数字高数字の組合せパターン分析",
       "低数字・高数字の組合せパターン分析",
       "過去の当選番号を低数字（０１～１５）と高数字（１６～３１）に分けて組合せパターンを分析します（ボーナス数字は入"
       "れていません",
       7130,
       13600,
       fillLowHigh,
       {}},
      {"偶数奇数の組合せパターン分析",
       "偶数・奇数の組合せパターン分析",
       "過去の当選番号を偶数と奇数に分類して分析します",
       7130,
       13600,
       fillOddEven,
       {}},
      {"分割4傾向分析",
       "4分割傾向分析",
       "過去の当選番号の４グループに分類して分析します",
       7500,
       13600,
       fillFourRanges,
       {}},
      {"分割6データ分析", "6分割データ分析", "過去の当選番号の６グループに分類して分析します", 9250, 12400,
       fillSixGroups, kGroupLegend},
      {"分割7データ分析", "7分割データ分析", "過去の当選番号の７グループに分類して分析します", 9250, 12200,
       fillSevenGroups, kGroupLegend},
      {"分割10データ分析", "10分割データ分析", "過去の当選番号の１０グループに分類して分析します", 9250, 12200,
       fillTenGroups, kGroupLegend},
      {"下一桁出現傾向分析",
       "下一桁出現傾向分析",
       "過去の当選番号の下一桁の数字の出現傾向を分析します",
       7370,
       13980,
       fillLastDigitTrend,
       {}},
      {"下一桁連続出現回数分析",
       "下一桁連続出現回数分析",
       "過去の当選番号の下一桁数字が何回続けて出現しているか分析します",
       7370,
       13935,
       fillLastDigitRuns,
       {}},
      {std::string(kPredictionWindow), "一発ゼノバ予想", "", 9360, 8244, nullptr, {}},
  };
  return table;
}

const WindowDef* findWindow(std::string_view name) {
  for (const WindowDef& w : windowTable())
    if (w.name == name) return &w;
  return nullptr;
}

}  // namespace km
