#include "analyses/counts/appearance_by_count.h"

#include <string>

#include "frame/grid_setup.h"

namespace km {

Grid fillAppearanceByCount(const History& history) {
  const Stats& s = history.stats;
  // a header row and one row per distinct hit count; none for an empty history
  const int rows = s.HitsGroupCount;
  Grid g = makeGrid({.cols = 2,
                     .rows = rows,
                     .visibleCols = 2,
                     .visibleRows = rows,
                     .scrollBars = ScrollBars::None,
                     .rowHeight = 10,
                     .colWidth = 5});
  g.setColWidth(1, 5);
  g.setColWidth(2, 20);
  g.setBorder(Block::all(), kAllSides);
  g.setBg({1, 2, 1, -1}, kLightYellow);
  g.setActiveCell(0, 0);

  g.setBg({1, 1, 2, 1}, kLightPink);
  g.setText(1, 1, "出 現");
  g.setText(2, 1, "数 字");
  g.setOverflow({1, 1, 1, -1}, true);
  g.setOverflow({2, 2, 2, -1}, true);
  g.setFg({2, 2, 2, -1}, kBlue);
  g.setAlign({2, 2, 2, -1}, HAlign::Left, VAlign::Center);

  int row = 1;
  for (int h = s.HitsMin; h <= s.HitsMax && h < static_cast<int>(s.NumbersByHits.size()); ++h) {
    if (h < 0 || s.NumbersByHits[h].empty()) continue;
    ++row;
    g.setText(1, row, std::to_string(h) + "回");
    g.setText(2, row, s.NumbersByHits[h]);
  }
  return g;
}

}  // namespace km
