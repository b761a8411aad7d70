#include "analyses/patterns/odd_even.h"

#include <optional>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 10;
constexpr int kBonusCol = 7;
constexpr int kEvenCol = 8;
constexpr int kOddCol = 9;
constexpr int kPatternCol = 10;

constexpr Rgb kYellow = RGB(255, 255, 200);
constexpr Rgb kCyan = RGB(200, 255, 255);
constexpr Rgb kHeaderBg = RGB(255, 200, 200);
constexpr Rgb kEvenBg = kCyan;

struct Pattern {
  const char* letter;
  std::optional<Rgb> bg;  // none: the cell keeps its background
};
// indexed by the odd count 0..5
constexpr Pattern kPatterns[] = {
    {"A", std::nullopt},       {"B", RGB(200, 255, 255)}, {"C", RGB(200, 255, 200)},
    {"D", RGB(255, 255, 200)}, {"E", RGB(255, 200, 255)}, {"F", RGB(255, 200, 200)},
};

void setUp(Grid& g, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 51,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 10,
                .colWidth = 5});
  g.setRowHeight(1, 20);
  g.setColWidth(1, 6);
  g.setColWidth(kPatternCol, 7);

  g.setColors({1, 2, 1, -1}, kRed, kYellow);
  g.setBg({kBonusCol, 2, kBonusCol, -1}, kYellow);
  g.setColors({kEvenCol, 2, kEvenCol, -1}, kBlue, kCyan);
  g.setColors({kOddCol, 2, kOddCol, -1}, kBlue, kWhite);
  g.setBorder(Block::all(), kAllSides);
  g.setActiveCell(0, 0);
}

void writeHeader(Grid& g) {
  // the five main-number header cells look like one
  g.setFrame({2, 1, 6, 1});
  g.setColors({1, 1, kCols, 1}, kBlue, kHeaderBg);
  g.setOverflow(Block::all(), true);
  g.setAlign(Block::cell(3, 1), HAlign::Left, VAlign::Center);
  g.setText(3, 1, "          本 数 字      ");
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
      g.setBg(Block::cell(f + 2, row), isEven ? kEvenBg : kWhite);
      if (isEven) ++even;
    }
    g.setText(kBonusCol, row, d[Bonus]);  // shown, but not classified
    const int odd = 5 - even;
    g.setText(kEvenCol, row, even);
    g.setText(kOddCol, row, odd);
    g.setText(kPatternCol, row, kPatterns[odd].letter);
    if (kPatterns[odd].bg) g.setBg(Block::cell(kPatternCol, row), *kPatterns[odd].bg);
    ++row;
  }
  return g;
}

}  // namespace km
