#include "prediction/core/prediction_dump.h"

namespace km {

std::vector<Grid> predictionGrids(const History&, const std::string&) { return std::vector<Grid>(4); }

}  // namespace km
