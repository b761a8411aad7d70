#pragma once
// JSON dump of a window and its grids, as kazumaki-tool prints it.
#include <string>
#include <vector>

#include "frame/grid.h"
#include "frame/window_def.h"

namespace km {

// Where a window lays out a grid, in pixels at the window's DPI.
struct GridPlacement {
  std::string fontFamily;  // the face the grid draws with
  double pointSize = 0;
  std::vector<int> colPx;  // width of every column
  std::vector<int> rowPx;  // height of every row
  int x = 0, y = 0;        // the grid's outer edge from the window's top left
  int framePx = 0;         // the grid's frame round its cells
};
struct WindowPlacement {
  int widthPx = 0, heightPx = 0;
  std::vector<GridPlacement> grids;  // one per grid, in the same order
};

std::string windowToJson(const WindowDef& w, const std::vector<const Grid*>& grids,
                         const WindowPlacement* placement = nullptr);

// The same text as windowToJson, written to `os` as it is made: the whole
// text of a large window is never held at once.
void writeWindowJson(std::ostream& os, const WindowDef& w, const std::vector<const Grid*>& grids,
                     const WindowPlacement* placement = nullptr);

}  // namespace km
