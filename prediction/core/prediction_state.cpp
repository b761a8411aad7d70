#include "prediction/core/prediction_state.h"

#include <algorithm>

namespace km {

PredictionState::PredictionState() : history(kLastTableDrawNo + 1) {
  for (auto& row : history) row.fill(0);
}

int PredictionState::reflectCount() const { return static_cast<int>(std::count(reflect.begin(), reflect.end(), true)); }

}  // namespace km
