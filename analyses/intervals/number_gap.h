#pragma once
// 数字間隔分析: every draw with its six numbers and, beside each, the signed
// difference to the number in the same position of the previous draw.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillNumberGap(const History& history);

}  // namespace km
