#include "analyses/last_digit/last_digit_trend.h"

#include <array>
#include <string>

#include "analyses/last_digit/digit_header.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 11;
constexpr int kFirstDrawRow = 3;

// Background of a digit cell by how many numbers of the draw end in the digit.
Rgb shareColor(int numbers) {
  if (numbers <= 1) return kWhite;
  if (numbers == 2) return kLightCyan;
  if (numbers == 3) return kLightGreen;
  return kLightRed;
}

void setUp(Grid& g, int n) {
  g = makeGrid({.cols = kCols,
                .rows = n + 4,
                .visibleCols = kCols,
                .visibleRows = 52,
                .frozenRows = 2,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5});
  setDrawNoColumn(g, 1, -1);
  g.setBorder({1, 2, kCols, -1}, kAllSides);
}

// The header from `start`; column 1 of its title row is framed.
void writeHeader(Grid& g, int start, bool bottom) {
  const DigitHeaderRows rows = writeDigitHeader(g, start, bottom);
  g.setBorder(Block::cell(1, rows.title), kOutline);
}

}  // namespace

Grid fillLastDigitTrend(const History& history) {
  const int n = history.recordCount();
  Grid g;
  setUp(g, n);
  writeHeader(g, 1, false);
  writeHeader(g, n + 3, true);

  int row = kFirstDrawRow;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no line; an empty row stays above the bottom header
    g.setText(1, row, d.no);
    // The digit is written once per number ending in it.
    std::array<int, 10> numbers{};
    for (int f = 0; f < kNumberFields; ++f) ++numbers[d[f] % 10];
    for (int j = 0; j <= 9; ++j) {
      g.setText(j + 2, row, std::string(numbers[j], static_cast<char>('0' + j)));
      g.setBg(Block::cell(j + 2, row), shareColor(numbers[j]));
    }
    ++row;
  }
  return g;
}

}  // namespace km
