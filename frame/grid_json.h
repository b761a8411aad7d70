#pragma once
// JSON dump of a window and its grids, as kazumaki-tool prints it.
#include <string>
#include <vector>

#include "frame/grid.h"
#include "frame/window_def.h"

namespace km {

std::string gridToJson(const Grid& g);
std::string windowToJson(const WindowDef& w, const std::vector<const Grid*>& grids);

}  // namespace km
