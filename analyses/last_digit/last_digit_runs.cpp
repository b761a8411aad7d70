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

// Background of a marked cell by the length of the run so far.
Rgb runColor(int run) {
  switch (run) {
    case 1:
      return kWhite;
    case 2:
    case 3:
      return RGB(200, 255, 255);
    case 4:
    case 5:
      return RGB(200, 255, 200);
    case 6:
    case 7:
      return RGB(255, 255, 200);
    case 8:
    case 9:
      return RGB(255, 200, 255);
    case 10:
    case 11:
      return RGB(255, 200, 200);
    case 12:
      return RGB(225, 225, 225);
    default:
      return RGB(255, 200, 200);
  }
}

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
  g.setColors({1, 1, 1, n + 3}, kRed, kLightYellow);
  g.setBorder({1, 3, 1, n + 3}, kBottom);
  g.setBorder({1, 2, kCols, n + 3}, kAllSides);
  g.setActiveCell(0, 0);
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
  const std::vector<Draw>& rows = history.HistoryRs;
  const int n = history.recordCount();

  // Every appearance of each last digit, in history order; a draw holding the
  // digit twice appears twice.  Values outside 1..31 are not lottery numbers
  // and take no part.
  std::array<std::vector<Hit>, 10> lists;
  for (int pos = 0; pos < n; ++pos) {
    const Draw& d = rows[pos];
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f)
      if (isLotteryNumber(d[f])) lists[d[f] % 10].push_back({d.no, pos});
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
      if (previous.no + 1 < current.no) {  // a draw without the digit (or a missing draw) breaks the run
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
