#include "analyses/combos/combo_grids.h"

#include <array>
#include <cstdio>

#include "analyses/tickets/ticket_check.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kFiguresCols = 7;
constexpr int kHeadingRows = 2;
constexpr int kAllRow = kHeadingRows + kConditionCount + 1;
constexpr Rgb kOffGrey = RGB(128, 128, 128);

}  // namespace

std::string shareText(long long part, long long whole) {
  if (whole <= 0) return "－";
  const double pct = 100.0 * static_cast<double>(part) / static_cast<double>(whole);
  if (part > 0 && pct < 0.005) return "0.01%未満";
  return fixedText(pct, 2) + "%";
}

std::string conditionLabel(Condition c, const Conditions& conditions) {
  // the grid says what "low" and "recent" stand for
  if (c == Condition::Low) return "低数字（1〜15）の個数";
  if (c == Condition::Recent) return "直近" + std::to_string(conditions.recentDraws) + "回に出た数字の個数";
  return conditionName(c);
}

std::string conditionValueText(Condition c, const Conditions& conditions) {
  if (!conditions.on(c)) return "なし";
  switch (c) {
    case Condition::Axis:
      return numberSetText(conditions.axis);
    case Condition::Excluded:
      return numberSetText(conditions.excluded);
    case Condition::Sum:
      return std::to_string(conditions.sumFrom) + "〜" + std::to_string(conditions.sumTo);
    case Condition::Odd:
      return countSetText(conditions.odd);
    case Condition::Low:
      return countSetText(conditions.low);
    case Condition::Consecutive:
      return countSetText(conditions.consecutive);
    case Condition::Recent:
      return countSetText(conditions.recent);
    case Condition::LastDigits:
      return countSetText(conditions.lastDigits);
  }
  return {};
}

Grid figuresGrid(const Figures& f, const Conditions& c) {
  Grid g = makeGrid({.cols = kFiguresCols,
                     .rows = kAllRow,
                     .visibleCols = kFiguresCols,
                     .visibleRows = kAllRow,
                     .frozenRows = kHeadingRows,
                     .scrollBars = ScrollBars::None,
                     .rowHeight = 12,
                     .colWidth = 9,
                     .allLines = true});
  constexpr std::array<double, kFiguresCols> kWidths = {24, 16, 11, 9, 10, 10, 9};
  for (int col = 1; col <= kFiguresCols; ++col) g.setColWidth(col, kWidths[col - 1]);
  g.setBg({1, 1, kFiguresCols, kHeadingRows}, kLightRed);
  g.setText(1, 1, "条件");
  g.setText(2, 1, "指定");
  g.setFrame({1, 1, 1, 2});
  g.setFrame({2, 1, 2, 2});
  setHeaderBand(g, 1, 3, 4, 3, "組合せ（" + groupedFigure(kLineCount) + "通り）");
  setHeaderBand(g, 1, 5, 7, 5, "過去の当選数字");
  const char* second[] = {"残る組合せ", "割合", "合った回", "判定した回", "割合"};
  for (int col = 3; col <= kFiguresCols; ++col) g.setText(col, 2, second[col - 3]);
  g.setAlign({1, kHeadingRows + 1, 2, kAllRow}, HAlign::Left);
  g.setAlign({3, kHeadingRows + 1, kFiguresCols, kAllRow}, HAlign::Right);

  auto write = [&](int row, const Share& s) {
    if (!s.on) {
      for (int col = 3; col <= kFiguresCols; ++col) g.setText(col, row, "－");
      g.setFg({1, row, kFiguresCols, row}, kOffGrey);
      return;
    }
    g.setText(3, row, groupedFigure(s.kept));
    g.setText(4, row, shareText(s.kept, kLineCount));
    g.setText(5, row, groupedFigure(s.hits));
    g.setText(6, row, groupedFigure(s.judged));
    g.setText(7, row, shareText(s.hits, s.judged));
  };
  for (int k = 0; k < kConditionCount; ++k) {
    const auto which = static_cast<Condition>(k);
    const int row = kHeadingRows + 1 + k;
    g.setText(1, row, conditionLabel(which, c));
    g.setText(2, row, conditionValueText(which, c));
    write(row, f.each[static_cast<size_t>(k)]);
  }
  g.setText(1, kAllRow, "すべての条件");
  g.setText(2, kAllRow, c.any() ? "" : "なし");
  write(kAllRow, f.all);
  g.setBg({1, kAllRow, kFiguresCols, kAllRow}, kLightYellow);
  if (c.recent)
    g.setToolTip(6, kHeadingRows + 1 + static_cast<int>(Condition::Recent),
                 "その前に" + std::to_string(c.recentDraws) + "回分の当選数字がある回だけを判定します");
  return g;
}

Grid fillCombos(const History& history) {
  const Conditions none;
  return figuresGrid(LineSpace(history).figures(none), none);
}

std::string sharesSentence(const Figures& f) {
  if (!f.all.on)
    return "条件を選ぶと、残る組合せの割合と、過去の当選数字がその条件に合った割合を並べて示します"
           "（2つはほぼ同じになります）。";
  if (f.all.kept == 0) return "すべての条件に合う組合せはありません。条件をゆるめてください。";
  if (f.all.judged == 0)
    return "残る組合せは全体の" + shareText(f.all.kept, kLineCount) +
           "ですが、条件を判定できる過去の当選数字がないため、当選数字の割合は示せません。";
  return "残る組合せは全体の" + shareText(f.all.kept, kLineCount) + "、過去" + groupedFigure(f.all.judged) +
         "回の当選数字で条件に合ったのは" + shareText(f.all.hits, f.all.judged) +
         "で、抽せんは偶然なので当選数字も組合せと同じ割合で条件から外れ、条件で1口の当たりやすさは変わりません" +
         (f.each[static_cast<size_t>(Condition::Recent)].on ? "（直近の回の条件は各回をその前の回の数字で判定するため、"
                                                              "ほかの条件と合わせると割合が離れることがあります）。"
                                                            : "。");
}

namespace {

// The lines grid's columns, left to right: its heading, its width in
// characters, what it shows of a line, and whether it needs the lines'
// prize factors (without them the column is left out).
struct LineRow {
  const TicketNumbers& line;
  size_t index;   // from 0
  double factor;  // 賞金倍率; read only by the column that needs it
};
struct LineColumn {
  const char* heading;
  double width;
  std::string (*text)(const LineRow& row);
  bool needsFactor = false;
};

template <size_t I>
std::string numberAt(const LineRow& row) {
  return std::to_string(row.line[I]);
}

const std::array<LineColumn, 8> kLineColumns = {{
    {"口", 7, [](const LineRow& row) { return std::to_string(row.index + 1); }},
    {"数字", 4, numberAt<0>},
    {"", 4, numberAt<1>},
    {"", 4, numberAt<2>},
    {"", 4, numberAt<3>},
    {"", 4, numberAt<4>},
    {"合計", 6, [](const LineRow& row) { return std::to_string(lineTraits(row.line).sum); }},
    {"賞金倍率", 9, [](const LineRow& row) { return fixedText(row.factor, 2) + "倍"; }, true},
}};

}  // namespace

Grid linesGrid(const std::vector<TicketNumbers>& lines, const std::vector<double>& factors) {
  const bool withFactors = !factors.empty() && factors.size() == lines.size();
  std::vector<const LineColumn*> shown;
  for (const LineColumn& c : kLineColumns)
    if (!c.needsFactor || withFactors) shown.push_back(&c);
  const int cols = static_cast<int>(shown.size());
  const int rows = 1 + static_cast<int>(lines.size());
  Grid g = makeListGrid(cols, rows - 1);
  for (int col = 1; col <= cols; ++col) {
    g.setColWidth(col, shown[static_cast<size_t>(col - 1)]->width);
    g.setText(col, 1, shown[static_cast<size_t>(col - 1)]->heading);
  }
  g.setBg({1, 1, cols, 1}, kLightRed);
  g.setFrame({2, 1, 6, 1});  // the five numbers under one heading
  if (lines.empty()) {
    g.clearBorder({1, 2, cols, 2});
    g.setFrame({1, 2, cols, 2});
    setTitle(g, 1, 2, "口はまだありません");
    return g;
  }
  setDrawNoColumn(g, 1, 2);
  for (size_t i = 0; i < lines.size(); ++i) {
    const LineRow row{lines[i], i, withFactors ? factors[i] : 0.0};
    for (int col = 1; col <= cols; ++col)
      g.setText(col, 2 + static_cast<int>(i), shown[static_cast<size_t>(col - 1)]->text(row));
  }
  if (withFactors) {
    g.setAlign({cols, 2, cols, rows}, HAlign::Right);
    g.setToolTip(cols, 1, "この口が当たったときの賞金の期待値が、平均的な買い目の何倍か（人気度からの推定）");
  }
  return g;
}

std::string wheelSummary(const WheelPlan& plan, const WheelOutcome& o) {
  switch (o.status) {
    case WheelOutcome::Cancelled:
      return "保証つきの口を作るのをキャンセルしました。";
    case WheelOutcome::Refused:
      return o.reason.empty() ? "保証つきの口を作れませんでした。" : o.reason;
    case WheelOutcome::Made:
      break;
  }
  const std::string guarantee = guaranteeText(plan.match, plan.ifDrawn);
  std::string t = std::to_string(plan.pool.size()) + "個の数字で" +
                  groupedFigure(static_cast<long long>(o.lines.size())) + "口（" +
                  yenText(static_cast<long long>(o.lines.size()) * kLinePriceYen) + "）。";
  if (o.uncovered == 0) {
    t += guarantee + "します（" + groupedFigure(o.subsets) + "通りすべてで確かめました）。";
  } else {
    t += "条件に合う組合せだけでは保証は成り立ちません：当せん数字のうち" + std::to_string(plan.ifDrawn) +
         "個が選んだ数字に入る" + groupedFigure(o.subsets) + "通りのうち" + groupedFigure(o.uncovered) +
         "通りでは、どの口も" + std::to_string(plan.match) + "個一致しません。";
  }
  t += "\nこの数字の数と保証に必要な口数の下限（シェーンハイムの限界）は" + groupedFigure(o.lowerBound) + "口";
  if (o.provenMinimum)
    t += "、最少と証明されている口数は" + groupedFigure(*o.provenMinimum) + "口です。";
  else
    t += "です（最少の口数は知られていません）。";
  if (plan.limited)
    t += "\n条件に合う組合せ" + groupedFigure(static_cast<long long>(plan.allowed.size())) + "口の中から選びました。";
  return t;
}

}  // namespace km
