#include "prediction/core/prediction_dump.h"

#include "prediction/core/prediction_methods.h"

namespace km {

std::vector<Grid> predictionGrids(const History& history, const PredictionState& settings) {
  PredictionState state;
  state.reflect = settings.reflect;
  PredictionGrids grids;
  openPrediction(state, history, grids);
  return std::vector<Grid>(grids.begin(), grids.end());
}

}  // namespace km
