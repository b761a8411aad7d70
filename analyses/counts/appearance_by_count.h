#pragma once
// 回数別出現分析: the numbers 1..31 grouped by how often they have come up
// over the whole history, main and bonus numbers together.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillAppearanceByCount(const History& history);

}  // namespace km
