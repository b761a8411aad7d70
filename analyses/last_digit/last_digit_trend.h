#pragma once
// 下一桁出現傾向分析: for every complete draw and every last digit 0..9, the
// digit written once per number of the draw (bonus included) that ends in it,
// coloured by how many do.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillLastDigitTrend(const History& history);

}  // namespace km
