#pragma once
// 出現頻度分析: for every number 1..31 a bar of "●" marks, one per complete
// draw that held it; marks of bonus numbers are pink.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillAppearanceFrequency(const History& history);

}  // namespace km
