#pragma once
// 組合せ作成's grids: the figures of the conditions (each alone and all of
// them together, the share of the lines beside the share of the stored
// winning lines) and the lines made from them.
#include <string>
#include <vector>

#include "analyses/combos/conditions.h"
#include "analyses/combos/wheel_plan.h"
#include "frame/grid.h"

namespace km {

// The window's name and caption.
inline constexpr const char* kCombosWindow = "組合せ作成";
// The most lines 「すべて」 makes, and the grid shows.
inline constexpr int kMaxLinesShown = 10000;

// The condition's name as the grid and the window show it (直近N回 with its N).
std::string conditionLabel(Condition c, const Conditions& conditions);
// What is ticked or typed for it; "なし" when it is off.
std::string conditionValueText(Condition c, const Conditions& conditions);

// The window as it opens: the figures without any condition.
Grid fillCombos(const History& history);

// One heading row pair, a row per condition and the row of all of them.
Grid figuresGrid(const Figures& f, const Conditions& c);
// The sentence under the grid: what the two shares of all the conditions mean.
std::string sharesSentence(const Figures& f);
// "27.42%" (two decimals; "0.01%未満" for a share above 0 below that).
std::string shareText(long long part, long long whole);

// The lines, one a row after the heading row; the columns are built in one
// place (combo_grids.cpp), so that one more is a row of its table.  With a
// factor per line, the column 賞金倍率 shows it.
Grid linesGrid(const std::vector<TicketNumbers>& lines, const std::vector<double>& factors = {});

// What the window says of a wheel: lines, cost, the lower bound and the
// proven minimum, and whether the guarantee holds.
std::string wheelSummary(const WheelPlan& plan, const WheelOutcome& outcome);

}  // namespace km
