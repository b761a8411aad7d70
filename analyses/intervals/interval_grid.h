#pragma once
// The grid both interval windows share: 13 columns, one row per record
// between two header pairs (group row over label row on top, mirrored at the
// bottom).  Each number stands in its own column with its value to the right.
#include <string_view>

#include "frame/grid.h"

namespace km {

inline constexpr int kIntervalFirstDataRow = 3;

// Column of a field's number (第1数字..第5数字, ボーナス数字); its value stands in the next column.
int intervalNumberCol(int field);

// A grid for n records with both headers written.  `mainGroup` is the group
// title over the main numbers, `valueLabel` the label of every value column.
Grid makeIntervalGrid(int n, std::string_view mainGroup, std::string_view valueLabel);

}  // namespace km
