#pragma once
// Where a laid-out child window has put its grids, in pixels: what
// kazumaki-tool reports of the window next to the grids' contents.
#include "frame/grid_json.h"

class QWidget;

namespace km {

// `window` is the child window (its title bar and frame included); its grid
// views are reported in the order they were made.
WindowPlacement measureWindow(const QWidget* window);

}  // namespace km
