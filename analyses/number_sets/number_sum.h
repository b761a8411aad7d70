#pragma once
// 数字合計分析: every draw with the sum of its five main numbers and the sum
// of the main numbers and the bonus number.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillNumberSum(const History& history);

}  // namespace km
