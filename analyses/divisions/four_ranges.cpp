#include "analyses/divisions/four_ranges.h"

#include <array>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 11;
constexpr int kBlockDraws = 50;

// Range 1..4 of a value; anything that is not 1..29 falls into the last range.
int rangeOf(int v) {
  if (v >= 1 && v <= 9) return 1;
  if (v >= 10 && v <= 19) return 2;
  if (v >= 20 && v <= 29) return 3;
  return 4;
}

// Ranges 1..4 take the first four steps of the tint ladder.
Rgb rangeBg(int range) { return tint(range - 1); }
constexpr std::array<const char*, 5> kRangeTitle = {"", "01～09", "10～19", "20～29", "30～31"};

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 51,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5,
                .allLines = true});
  g.setRowHeight(1, 20);
  g.setColWidth(1, 6);
  setDrawNoColumn(g, 1, 2);
  g.setBg({7, 2, 7, -1}, kLightYellow);
  for (int r = 2; r <= 4; ++r) g.setBg({7 + r, 2, 7 + r, -1}, rangeBg(r));
  g.setBorder({8, -1, 8, -1}, kLeft, 1, kRed);  // numbers | counts
  g.setOverflow(Block::all(), true);            // every text may run over, header bands' titles among them
}

void writeHeader(Grid& g, int h) {
  setHeaderBand(g, h, 2, 6, 4, "本 数 字");  // no lines between the number columns
  g.setColors({1, h, 7, h}, kBlack, kLightRed);
  g.setColors({8, h, 11, h}, kBlue, kLightBlue);
  g.setRowHeight(h, 20);
  g.setText(1, h, "回数");
  g.setText(7, h, "ボ数");
  for (int r = 1; r <= 4; ++r) g.setText(7 + r, h, kRangeTitle[r]);
}

}  // namespace

Grid fillFourRanges(const History& history) {
  const int n = history.recordCount();
  const int blocks = (n + kBlockDraws - 1) / kBlockDraws;
  const int rows = n + blocks + 1;

  Grid g;
  setUp(g, rows);
  writeHeader(g, 1);
  for (int k = 1; k < blocks; ++k) writeHeader(g, 1 + (kBlockDraws + 1) * k);
  writeHeader(g, rows);

  int shown = 0;
  for (const Draw& d : history.draws) {
    std::array<int, 5> counts{};
    if (!d.complete()) continue;
    ++shown;
    const int row = shown + 1 + (shown - 1) / kBlockDraws;
    g.setText(1, row, d.no);
    for (int f = 0; f < kNumberFields; ++f) {
      const int col = f == Bonus ? 7 : f + 2;
      const int range = rangeOf(d[f]);
      g.setText(col, row, d[f]);
      g.setBg(Block::cell(col, row), rangeBg(range));
      ++counts[range];
    }
    for (int r = 1; r <= 4; ++r) g.setText(7 + r, row, counts[r]);
  }
  return g;
}

}  // namespace km
