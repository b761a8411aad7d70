#pragma once
// 引っ張り分析: every complete draw with its six numbers; a number that also
// came up in the draw listed just before it is marked.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillCarryOver(const History& history);

}  // namespace km
