#pragma once
// 連番飛び石分析: consecutive (difference 1) and stepping-stone (difference 2)
// neighbouring main numbers of every draw.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

Grid fillConsecutive(const History& history);

}  // namespace km
