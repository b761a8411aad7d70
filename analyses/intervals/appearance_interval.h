#pragma once
// 出現間隔分析: every draw with its six numbers and, beside each, how many
// draws ago that number last came up (as a main or a bonus number).
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillAppearanceInterval(const History& history);

}  // namespace km
