#pragma once
// バラツキ分析: a dot chart of the history, one row per draw and one column
// per number, a dot wherever the number was drawn.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

// Dot colour of the main numbers (the bonus number's is kBonusMarkPink).
inline constexpr Rgb kMainDot = RGB(62, 158, 255);

Grid fillDispersion(const History& history);

}  // namespace km
