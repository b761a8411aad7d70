#pragma once
// 下一桁連続出現回数分析: for every draw and every last digit 0..9, how many
// draws in a row a number with that last digit has kept coming up.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillLastDigitRuns(const History& history);

}  // namespace km
