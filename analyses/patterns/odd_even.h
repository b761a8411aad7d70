#pragma once
// 偶数奇数の組合せパターン分析: every complete draw with its even and odd main
// numbers counted and lettered A (five even) to F (five odd).
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillOddEven(const History& history);

}  // namespace km
