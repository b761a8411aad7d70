#pragma once
// 低数字高数字の組合せパターン分析: every complete draw with its low (1..15) and
// high (16..31) main numbers counted and lettered A (no low number) to F
// (five low numbers).
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillLowHigh(const History& history);

}  // namespace km
