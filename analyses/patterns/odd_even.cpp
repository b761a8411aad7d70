#include "analyses/patterns/odd_even.h"

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 10;
constexpr int kBonusCol = 7;
constexpr int kEvenCol = 8;
constexpr int kOddCol = 9;
constexpr int kPatternCol = 10;

// The pattern letter by the odd count 0..5; its cell takes that step of the tint ladder.
constexpr const char* kPatternLetters[] = {"A", "B", "C", "D", "E", "F"};

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
  g.setColWidth(kPatternCol, 7);

  setDrawNoColumn(g, 1, 2);
  g.setBg({kBonusCol, 2, kBonusCol, -1}, kLightYellow);
  g.setColors({kEvenCol, 2, kEvenCol, -1}, kBlue, kLightCyan);
  g.setColors({kOddCol, 2, kOddCol, -1}, kBlue, kWhite);
}

void writeHeader(Grid& g) {
  // the five main-number header cells look like one
  setHeaderBand(g, 1, 2, 6, 3, "          本 数 字      ");
  g.setColors({1, 1, kCols, 1}, kBlue, kLightRed);
  g.setOverflow(Block::all(), true);
  g.setRowHeight(1, 20);
  g.setText(1, 1, "回数");
  g.setText(kBonusCol, 1, "ボ数");
  g.setText(kEvenCol, 1, "偶数");
  g.setText(kOddCol, 1, "奇数");
  g.setText(kPatternCol, 1, "パターン");
}

}  // namespace

Grid fillOddEven(const History& history) {
  Grid g;
  setUp(g, history.recordCount() + 1);
  writeHeader(g);

  int row = 2;
  for (const Draw& d : history.HistoryRs) {
    if (!d.complete()) continue;  // no line; later draws move up
    g.setText(1, row, d.no);
    int even = 0;
    for (int f = N1; f <= N5; ++f) {
      const bool isEven = d[f] % 2 == 0;
      g.setText(f + 2, row, d[f]);
      g.setBg(Block::cell(f + 2, row), isEven ? kLightCyan : kWhite);
      if (isEven) ++even;
    }
    g.setText(kBonusCol, row, d[Bonus]);  // shown, but not classified
    const int odd = 5 - even;
    g.setText(kEvenCol, row, even);
    g.setText(kOddCol, row, odd);
    g.setText(kPatternCol, row, kPatternLetters[odd]);
    g.setBg(Block::cell(kPatternCol, row), tint(odd));
    ++row;
  }
  return g;
}

}  // namespace km
