#include "windows/window_table.h"

#include <cstdlib>

#include "analyses/combos/combo_grids.h"
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
#include "analyses/pairs/pair_analysis.h"
#include "analyses/patterns/low_high.h"
#include "analyses/patterns/odd_even.h"
#include "analyses/popularity/popularity_grid.h"
#include "analyses/statistics/randomness_tests.h"
#include "analyses/tickets/ticket_check.h"
#include "frame/grid_setup.h"
#include "prediction/core/prediction_dump.h"
#include "prediction/core/prediction_record.h"

namespace km {

namespace {

// What stays in view of a window's grid while the rest scrolls, and stands
// on every printed page: its coloured heading rows at the top (and the label
// column at the left, column 1 in every window).  Each window's row says how
// many heading rows it has, once.
struct Frozen {
  int headingRows;
};

Grid frozen(Grid g, Frozen f) {
  g.setFrozenRows(f.headingRows);
  return g;
}

// An analysis window shows the one grid its analysis makes of the history.
template <Grid (*Analysis)(const History&), Frozen kFrozen>
std::vector<Grid> oneGrid(const WindowInputs& in) {
  std::vector<Grid> grids;
  grids.push_back(frozen(Analysis(in.history), kFrozen));
  return grids;
}

std::vector<Grid> fillPrediction(const WindowInputs& in) { return predictionGrids(in.history, in.prediction); }

// the two title lines and the coloured heading row above the prediction lines
std::vector<Grid> fillRecord(const WindowInputs& in) {
  std::vector<Grid> grids;
  grids.push_back(
      frozen(fillPredictionRecord(in.history, in.prediction.reflect, in.progress), {kRecordFirstLineRow - 1}));
  return grids;
}

// 当選確認's lower grid: the wins of the user's tickets.
std::vector<Grid> fillTickets(const WindowInputs& in) {
  static const std::vector<Ticket> none;
  const std::vector<Ticket>& tickets = in.tickets ? *in.tickets : none;
  std::vector<Grid> grids;
  grids.push_back(frozen(ticketsGrid(checkTickets(in.history, tickets), tickets), {1}));
  return grids;
}

constexpr Submenu kFrequencyMenu{"menuFrequency", "頻度分析"};
constexpr Submenu kIntervalMenu{"menuIntervals", "間隔分析"};
constexpr Submenu kPatternMenu{"menuPatterns", "組合せパターン分析"};
constexpr Submenu kDivisionMenu{"menuDivisions", "分割データ分析"};

// The group division windows: main-number and bonus markers, and a group that the draw missed.
const std::vector<LegendItem> kGroupLegend = {{"●", kMainMarkBlue, kWhite, "：本数字"},
                                              {"●", kBonusPink, kWhite, "：ボーナス数字"},
                                              {"", kBlack, kMissedGroupGrey, ":該当なし"}};

struct Rows {
  std::vector<WindowRow> table;   // windowTable()
  std::vector<WindowRow> others;  // windows that show no grid of the history
};

const Rows& rows() {
  static const Rows r{
      {
          {WindowId::AppearanceFrequency,
           WindowKind::Analysis,
           {"出現頻度分析",
            "出現頻度分析",
            "過去の当選番号の出現回数を数字別に分析します",
            13750,
            9530,
            {{"●", kBlack, kWhite, "：本数字"}, {"●", kBonusPink, kWhite, "：ボーナス数字"}}},
           {"actionAppearanceFrequency", "出現頻度分析", &kFrequencyMenu},
           oneGrid<fillAppearanceFrequency, Frozen{2}>},
          {WindowId::AppearanceByCount,
           WindowKind::Analysis,
           {"回数別出現分析", "回数別頻度分析", "過去の当選番号から出現回数別の数字を分析します", 3405, 7355, {}},
           {"actionAppearanceByCount", "回数別出現分析", &kFrequencyMenu},
           oneGrid<fillAppearanceByCount, Frozen{1}>},
          {WindowId::AppearanceInterval,
           WindowKind::Analysis,
           {"出現間隔分析", "出現間隔分析", "過去の当選数字が何回前に出現しているか分析します", 8630, 13800, {}},
           {"actionAppearanceInterval", "出現間隔分析", &kIntervalMenu},
           oneGrid<fillAppearanceInterval, Frozen{2}>},
          {WindowId::NumberGap,
           WindowKind::Analysis,
           {"数字間隔分析",
            "数字間隔分析",
            "当選数字を第１数字～第５数字別に前回数字との数字の間隔を分析します",
            8630,
            13820,
            {}},
           {"actionNumberGap", "数字間隔分析", &kIntervalMenu},
           oneGrid<fillNumberGap, Frozen{2}>},
          {WindowId::AppearanceCount,
           WindowKind::Analysis,
           {"出現回数分析", "出現回数分析", "過去の当選数字が何回出現したか分析します", 8590, 13850, {}},
           {"actionAppearanceCount", "出現回数分析"},
           oneGrid<fillAppearanceCount, Frozen{2}>},
          {WindowId::Dispersion,
           WindowKind::Analysis,
           {"バラツキ分析",
            "バラツキ分析",
            "過去の当選番号のバラツキを数字別に分析します",
            9750,
            12650,
            {{"●", kMainDot, kWhite, "：本数字"}, {"●", kBonusPink, kWhite, "：ボーナス数字"}}},
           {"actionDispersion", "バラツキ分析"},
           oneGrid<fillDispersion, Frozen{2}>},
          {WindowId::CarryOver,
           WindowKind::Analysis,
           {"引っ張り分析",
            "引っ張り分析",
            "過去の当選数字に前回の数字が入っているか分析します",
            6850,
            13500,
            {{"", kBlack, kLightCyan, ":前回の数字"}}},
           {"actionCarryOver", "引っ張り分析"},
           oneGrid<fillCarryOver, Frozen{1}>},
          {WindowId::Consecutive,
           WindowKind::Analysis,
           {"連番飛び石分析",
            "連番・飛び石分析",
            "過去の当選番号の連続数字と一つ飛び数字の傾向を分析します",
            6550,
            13400,
            {}},
           {"actionConsecutive", "連番・飛び石分析"},
           oneGrid<fillConsecutive, Frozen{1}>},
          {WindowId::NumberSum,
           WindowKind::Analysis,
           {"数字合計分析", "数字合計分析", "過去の当選番号の本数字＋ボーナス数字合計を分析します", 7350, 13680, {}},
           {"actionNumberSum", "数字合計分析"},
           oneGrid<fillNumberSum, Frozen{1}>},
          {WindowId::LowHigh,
           WindowKind::Analysis,
           {"低数字高数字の組合せパターン分析",
            "低数字・高数字の組合せパターン分析",
            "過去の当選番号を低数字（０１～１５）と高数字（１６～３１）に分けて組合せパターンを分析します（ボーナス"
            "数字は入れていません",
            7130,
            13600,
            {}},
           {"actionLowHigh", "低数字・高数字の組合せパターン分析", &kPatternMenu},
           oneGrid<fillLowHigh, Frozen{1}>},
          {WindowId::OddEven,
           WindowKind::Analysis,
           {"偶数奇数の組合せパターン分析",
            "偶数・奇数の組合せパターン分析",
            "過去の当選番号を偶数と奇数に分類して分析します",
            7130,
            13600,
            {}},
           {"actionOddEven", "偶数・奇数の組合せパターン分析", &kPatternMenu},
           oneGrid<fillOddEven, Frozen{1}>},
          {WindowId::FourRanges,
           WindowKind::Analysis,
           {"分割4傾向分析", "4分割傾向分析", "過去の当選番号の４グループに分類して分析します", 7500, 13600, {}},
           {"actionFourRanges", "4分割傾向分析"},
           oneGrid<fillFourRanges, Frozen{1}>},
          {WindowId::SixGroups,
           WindowKind::Analysis,
           {"分割6データ分析", "6分割データ分析", "過去の当選番号の６グループに分類して分析します", 9250, 12400,
            kGroupLegend},
           {"actionSixGroups", "6分割データ分析", &kDivisionMenu},
           oneGrid<fillSixGroups, Frozen{3}>},
          {WindowId::SevenGroups,
           WindowKind::Analysis,
           {"分割7データ分析", "7分割データ分析", "過去の当選番号の７グループに分類して分析します", 9250, 12200,
            kGroupLegend},
           {"actionSevenGroups", "7分割データ分析", &kDivisionMenu},
           oneGrid<fillSevenGroups, Frozen{3}>},
          {WindowId::TenGroups,
           WindowKind::Analysis,
           {"分割10データ分析", "10分割データ分析", "過去の当選番号の１０グループに分類して分析します", 9250, 12200,
            kGroupLegend},
           {"actionTenGroups", "10分割データ分析", &kDivisionMenu},
           oneGrid<fillTenGroups, Frozen{3}>},
          {WindowId::LastDigitTrend,
           WindowKind::Analysis,
           {"下一桁出現傾向分析",
            "下一桁出現傾向分析",
            "過去の当選番号の下一桁の数字の出現傾向を分析します",
            7370,
            13980,
            {}},
           {"actionLastDigitTrend", "下一桁出現傾向分析"},
           oneGrid<fillLastDigitTrend, Frozen{2}>},
          {WindowId::LastDigitRuns,
           WindowKind::Analysis,
           {"下一桁連続出現回数分析",
            "下一桁連続出現回数分析",
            "過去の当選番号の下一桁数字が何回続けて出現しているか分析します",
            7370,
            13935,
            {}},
           {"actionLastDigitRuns", "下一桁連続出現回数分析"},
           oneGrid<fillLastDigitRuns, Frozen{2}>},
          // beyond the menu's own analyses, after its separator
          {WindowId::Pairs,
           WindowKind::Analysis,
           {"相性分析",
            "相性分析",
            "本数字どうしが同じ回に出現した回数を分析します（σ：偶然だけで生じるばらつきの大きさ＝標準偏差）",
            12600,
            8900,
            {{"", kBlack, pairTint(2), "：偶然より2σ以上多い"},
             {"", kBlack, pairTint(1), "：1σ以上多い"},
             {"", kBlack, pairTint(-1), "：1σ以上少ない"},
             {"", kBlack, pairTint(-2), "：2σ以上少ない"},
             {"", kBlack, kPairOwnCountBg, "：その数字の出現回数"}}},
           {"actionPairs", "相性分析", nullptr, true},
           oneGrid<fillPairs, Frozen{1}>},
          {WindowId::PredictionRecord,
           WindowKind::Analysis,
           {kPredictionRecordWindow,
            kPredictionRecordWindow,
            "過去の各回について、その前の回までのデータで予想した数字が何個当たったかを集計します",
            12800,
            4100,
            {{"", kBlack, kRecordAboveChance, "：偶然より多い"}, {"", kBlack, kRecordBelowChance, "：偶然より少ない"}}},
           {"actionPredictionRecord", "予想の成績"},
           fillRecord,
           true},
          {WindowId::RandomnessTests,
           WindowKind::Analysis,
           {"検定",
            "検定",
            "当選数字が偶然の抽選らしく出ているかを、いくつかの検定で確かめます",
            16400,
            4875,
            {{"", kBlack, kUnusualPBg, "：p値が0.05未満"}}},
           {"actionRandomnessTests", "検定"},
           oneGrid<fillRandomnessTests, Frozen{3}>},
          {WindowId::Tickets,
           WindowKind::Tickets,
           {kTicketsWindow,
            kTicketsWindow,
            "購入した数字を、保存されている各回の当選数字と払戻金に照らして、当せんと購入金額を集計します",
            10400,
            9900,
            {{"", kWhite, kTicketMainHit, "：当たった本数字"}, {"", kWhite, kTicketBonusHit, "：2等のボーナス数字"}}},
           {"actionTickets", "当選確認"},
           fillTickets},
          {WindowId::Combos,
           WindowKind::Combos,
           {kCombosWindow,
            kCombosWindow,
            "条件で組合せを絞り、残る割合を過去の当選数字が同じ条件に合った割合と並べて示します。残った組合せから買う口"
            "を作れます",
            15400,
            11200,
            {}},
           {"actionCombos", "組合せ作成"},
           oneGrid<fillCombos, Frozen{2}>},
          {WindowId::Popularity,
           WindowKind::Popularity,
           {kPopularityWindow,
            kPopularityWindow,
            "ほかの人がよく買う数字を、過去の当せん金から推定します（当たったときの金額が変わるだけで、出やすい数字は"
            "わかりません）",
            14200,
            9800,
            {{"", kBlack, kMoreBoughtBg, "：よく買われている（当たっても賞金が少ない）"},
             {"", kBlack, kLessBoughtBg, "：あまり買われていない（賞金が多い）"}}},
           {"actionPopularity", "人気度"},
           oneGrid<fillPopularity, Frozen{1}>},
          // opened by the menu bar's own command 一発ゼノバ予想(&D)
          {WindowId::Prediction,
           WindowKind::Prediction,
           {"一発ゼノバ", "一発ゼノバ予想", "", 9360, 8244, {}},
           {},
           fillPrediction},
      },
      {
          {WindowId::DataEntry,
           WindowKind::DataEntry,
           {"当選データ入力",
            "当選データ入力",
            "当選数字を開催回数毎に入力します（分析対象データとなります）",
            17300,  // with the date and the eight prize columns
            13900,
            {}}},
          {WindowId::About, WindowKind::About, {"バージョン情報", "バージョン情報", "", 5700, 2700, {}}},
          {WindowId::Charts,
           WindowKind::Chart,
           {"グラフ", "グラフ", "当選数字の推移と分布を、偶然で期待される範囲と並べて描きます", 12000, 9000, {}},
           {"actionCharts", "グラフ"}},
      }};
  return r;
}

}  // namespace

std::span<const WindowRow> windowTable() { return rows().table; }

const WindowRow& windowRow(WindowId id) {
  for (const auto* list : {&rows().table, &rows().others})
    for (const WindowRow& w : *list)
      if (w.id == id) return w;
  std::abort();  // every id has its row (the table test walks them all)
}

const WindowRow* findWindow(std::string_view name) {
  for (const WindowRow& w : windowTable())
    if (w.def.name == name || w.def.caption == name) return &w;
  return nullptr;
}

std::vector<const WindowRow*> menuWindows() {
  std::vector<const WindowRow*> menu;
  for (const WindowRow& w : windowTable()) {
    if (!w.menu.name) continue;
    if (w.id == WindowId::RandomnessTests) menu.push_back(&windowRow(WindowId::Charts));
    menu.push_back(&w);
  }
  return menu;
}

}  // namespace km
