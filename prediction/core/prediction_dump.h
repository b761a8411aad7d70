#pragma once
// The prediction window's four grids for a history and the reflect settings,
// as the window shows them right after it opens.
#include <vector>

#include "frame/grid.h"
#include "prediction/core/prediction_state.h"
#include "store/history.h"

namespace km {

// Only the reflect settings of `settings` are read; its tables are left alone.
std::vector<Grid> predictionGrids(const History& history, const PredictionState& settings);

}  // namespace km
