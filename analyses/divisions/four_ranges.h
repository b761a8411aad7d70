#pragma once
// 分割4傾向分析: every draw's six numbers sorted into the ranges 1-9, 10-19,
// 20-29 and 30-31, with the header repeated before every block of 50 draws.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillFourRanges(const History& history);

}  // namespace km
