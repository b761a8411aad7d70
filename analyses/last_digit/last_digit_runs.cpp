#include "analyses/last_digit/last_digit_runs.h"

#include <array>
#include <vector>

#include "analyses/last_digit/digit_header.h"
#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 11;

// One appearance of a last digit: the draw's number and its record position.
struct Hit {
  int no;
  int pos;
};

// Background of a marked cell by the length of the run so far: one step of
// the tint ladder per two draws (1: white, 2-3, 4-5, ... 12), and from 13 on
// the step of 10-11 again.
Rgb runColor(int run) { return run >= 13 ? tint(5) : tint(run / 2); }

// The grid row of the record at position `pos` (0-based) of the history.
int rowOf(int pos) { return pos + 3; }

void setUp(Grid& g, int n) {
  g = makeGrid({.cols = kCols,
                .rows = n + 4,
                .visibleCols = kCols,
                .visibleRows = 52,
                .frozenRows = 2,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5});
  setDrawNoColumn(g, 1, 1, n + 3);
  g.setBorder({1, 3, 1, n + 3}, kBottom);
  g.setBorder({1, 2, kCols, n + 3}, kAllSides);
}

// The header from `start`, with a frame round the digit row and round
// column 1 of the start row.
void writeHeader(Grid& g, int start, bool mirrored) {
  const DigitHeaderRows rows = writeDigitHeader(g, start, mirrored);
  g.setBorder({2, rows.digits, kCols, rows.digits}, kOutline);
  g.setBorder(Block::cell(1, start), kOutline);
}

}  // namespace

Grid fillLastDigitRuns(const History& history) {
  const std::vector<Draw>& rows = history.draws;
  const int n = history.recordCount();

  // Every appearance of each last digit, in history order; a draw holding the
  // digit twice appears twice.
  std::array<std::vector<Hit>, 10> lists;
  for (int pos = 0; pos < n; ++pos) {
    const Draw& d = rows[pos];
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f) lists[d[f] % 10].push_back({d.no, pos});
  }

  Grid g;
  setUp(g, n);
  writeHeader(g, 1, false);
  writeHeader(g, n + 3, true);
  for (int pos = 0; pos < n; ++pos) g.setText(1, rowOf(pos), rows[pos].no);

  for (int digit = 0; digit <= 9; ++digit) {
    const std::vector<Hit>& list = lists[digit];
    int run = 0;
    for (size_t i = 1; i < list.size(); ++i) {
      const Hit& previous = list[i - 1];
      const Hit& current = list[i];
      // a draw without the digit (or a missing draw) breaks the run
      if (previous.no + 1 < current.no) {
        run = 0;
        continue;
      }
      ++run;
      const int col = digit + 2, row = rowOf(current.pos);
      g.setText(col, row, run);
      g.setBorder(Block::cell(col, row), kBottom);
      g.setBg(Block::cell(col, row), runColor(run));
    }
  }
  return g;
}

}  // namespace km
