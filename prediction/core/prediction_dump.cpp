#include "prediction/core/prediction_dump.h"

#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"

namespace km {

std::vector<Grid> predictionGrids(const History& history, const std::string& iniPath) {
  PredictionState state;
  state.ReadInitFile(iniPath);
  PredictionGrids grids;
  openPrediction(state, history, grids);
  return std::vector<Grid>(grids.begin(), grids.end());
}

}  // namespace km
