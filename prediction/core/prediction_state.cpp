#include "prediction/core/prediction_state.h"

namespace km {

void PredictionState::ReadInitFile(const std::string&) {}
bool PredictionState::WriteInitFile(const std::string&) const { return true; }

}  // namespace km
