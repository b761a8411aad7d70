#pragma once
// The prediction window's four grids for a history and a settings file, as
// the window shows them right after it opens.
#include <string>
#include <vector>

#include "frame/grid.h"
#include "store/history.h"

namespace km {

std::vector<Grid> predictionGrids(const History& history, const std::string& iniPath);

}  // namespace km
