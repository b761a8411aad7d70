#include "analyses/counts/appearance_count.h"

#include <algorithm>
#include <array>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 13;
constexpr int kFirstDataRow = 3;
constexpr int kFirstCountCol = 8;
constexpr Rgb kCountHeaderBg = RGB(200, 255, 200);

// One row per draw number up to the last complete draw, so that gaps in the
// draw numbers leave empty rows at the bottom; there are always enough rows
// for every complete draw.
int dataRows(const History& history) {
  const int complete = static_cast<int>(
      std::count_if(history.draws.begin(), history.draws.end(), [](const Draw& d) { return d.complete(); }));
  const int last = history.stats.LastDrawNo;
  return std::max(complete, last);
}

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 52,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5,
                .allLines = true});
  g.setRowHeight(1, 15);
  g.setRowHeight(2, 12);
  setDrawNoColumn(g, 1, -1);
}

void writeHeader(Grid& g) {
  g.setColors({2, 1, 7, 2}, kBlue, kLightCyan);
  g.setColors({kFirstCountCol, 1, kCols, 2}, kRed, kCountHeaderBg);
  g.setRowHeight(1, 20);
  // each group's heading row reads as one cell
  setHeaderBand(g, 1, 2, 7, 4, "  当 選 数 字");
  g.setFrame({kFirstCountCol, 1, kCols, 1});
  g.setOverflow({1, 1, kCols, 1}, true);
  g.setText(11, 1, "前回までの出現回数合計(回)");

  static const char* const kLabels[] = {"第1数字", "第2数字", "第3数字", "第4数字", "第5数字", "ボ数字"};
  g.setText(1, 2, "回数");
  for (int f = 0; f < kNumberFields; ++f) {
    g.setText(2 + f, 2, kLabels[f]);
    g.setText(kFirstCountCol + f, 2, kLabels[f]);
  }
}

}  // namespace

Grid fillAppearanceCount(const History& history) {
  Grid g;
  setUp(g, dataRows(history) + 2);
  writeHeader(g);

  // priorHits[n]: how often n came up in the complete draws already shown
  std::array<int, kMaxNumber + 1> priorHits{};
  int row = kFirstDataRow;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no row: the following draws move up
    g.setText(1, row, d.no);
    for (int f = 0; f < kNumberFields; ++f) {
      g.setText(2 + f, row, d[f]);
      g.setText(kFirstCountCol + f, row, priorHits[d[f]]);
    }
    for (int f = 0; f < kNumberFields; ++f) ++priorHits[d[f]];
    ++row;
  }
  return g;
}

}  // namespace km
