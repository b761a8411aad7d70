#include "analyses/number_sets/consecutive.h"

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 12;

void setUp(Grid& g, int n) {
  g = makeGrid({.cols = kCols,
                .rows = n + 1,
                .visibleCols = kCols,
                .visibleRows = 51,
                .frozenRows = 1,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 4,
                .allLines = true});
  setDrawNoColumn(g, 1, -1);
  setDrawNoColumn(g, 7, -1);
}

// One group title over a run of header cells framed as a single box.
void writeGroup(Grid& g, int firstCol, int lastCol, int titleCol, const char* title, Rgb bg) {
  g.setBg({firstCol, 1, lastCol, 1}, bg);
  setHeaderBand(g, 1, firstCol, lastCol, titleCol, title);
}

void writeHeader(Grid& g) {
  g.setOverflow(Block::all(), true);
  g.setText(1, 1, "回数");
  writeGroup(g, 2, 6, 3, "　　連番(本数字)", kLightMagenta);
  g.setText(7, 1, "回数");
  writeGroup(g, 8, 12, 9, "　飛び石(本数字)", kLightRed);
}

// Writes the draw number and the five main numbers starting at column
// `noCol` and colours every neighbouring pair whose difference is `step`.
// Returns how many pairs were found.
int writeSide(Grid& g, int row, int noCol, const Draw& d, int step, Rgb pairBg) {
  g.setText(noCol, row, d.no);
  for (int k = 0; k < 5; ++k) g.setText(noCol + 1 + k, row, d[k]);
  int pairs = 0;
  for (int k = 0; k < 4; ++k) {
    if (d[k] + step == d[k + 1]) {
      ++pairs;
      g.setBg({noCol + 1 + k, row, noCol + 2 + k, row}, pairBg);
    }
  }
  if (pairs == 0) g.setBg(Block::cell(noCol, row), kLightGrey);
  return pairs;
}

}  // namespace

Grid fillConsecutive(const History& history) {
  Grid g;
  setUp(g, history.recordCount());
  writeHeader(g);

  int row = 2;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;              // incomplete draws take no row
    writeSide(g, row, 1, d, 1, kLightCyan);   // consecutive pairs
    writeSide(g, row, 7, d, 2, kLightGreen);  // stepping-stone pairs
    ++row;
  }
  return g;
}

}  // namespace km
