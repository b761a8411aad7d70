#pragma once
// 出現回数分析: every draw with its six numbers and, beside each, how many
// times that number had come up (as a main or a bonus number) before the draw.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillAppearanceCount(const History& history);

}  // namespace km
