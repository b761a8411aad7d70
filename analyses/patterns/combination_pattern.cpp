#include "analyses/patterns/combination_pattern.h"

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 10;
constexpr int kBonusCol = 7;
constexpr int kFirstCountCol = 8;
constexpr int kSecondCountCol = 9;
constexpr int kPatternCol = 10;
constexpr Rgb kFirstClassBg = kLightCyan;

// The letter of a count 0..5; its cell takes that step of the tint ladder (A stays white).
constexpr PatternLetter kLetters[] = {
    {"A", std::nullopt}, {"B", tint(1)}, {"C", tint(2)}, {"D", tint(3)}, {"E", tint(4)}, {"F", tint(5)},
};

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
  g.setColors({kFirstCountCol, 2, kFirstCountCol, -1}, kBlue, kLightCyan);
  g.setColors({kSecondCountCol, 2, kSecondCountCol, -1}, kBlue, kWhite);
}

void writeHeader(Grid& g, const PatternKind& kind) {
  // the five main-number header cells look like one
  setHeaderBand(g, 1, 2, 6, 3, kind.numbersHeader);
  g.setColors({1, 1, kCols, 1}, kBlue, kLightRed);
  g.setOverflow(Block::all(), true);
  g.setRowHeight(1, 20);
  g.setText(1, 1, "回数");
  g.setText(kBonusCol, 1, "ボ数");
  g.setText(kFirstCountCol, 1, kind.firstHeader);
  g.setText(kSecondCountCol, 1, kind.secondHeader);
  g.setText(kPatternCol, 1, "パターン");
}

}  // namespace

const PatternLetter& patternLetter(int count) { return kLetters[count < 0 ? 0 : count > 5 ? 5 : count]; }

Grid fillCombinationPattern(const History& history, const PatternKind& kind) {
  Grid g;
  setUp(g, history.recordCount() + 1);
  writeHeader(g, kind);

  int row = 2;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no line; later draws move up
    g.setText(1, row, d.no);
    int first = 0;
    for (int f = N1; f <= N5; ++f) {
      const bool isFirst = kind.isFirstClass(d[f]);
      g.setText(f + 2, row, d[f]);
      g.setBg(Block::cell(f + 2, row), isFirst ? kFirstClassBg : kWhite);
      if (isFirst) ++first;
    }
    g.setText(kBonusCol, row, d[Bonus]);  // shown, but never counted
    if (kind.tintBonus && kind.isFirstClass(d[Bonus])) g.setBg(Block::cell(kBonusCol, row), kFirstClassBg);
    const int second = 5 - first;
    g.setText(kFirstCountCol, row, first);
    g.setText(kSecondCountCol, row, second);
    const PatternLetter& p = patternLetter(kind.letterByFirstCount ? first : second);
    g.setText(kPatternCol, row, p.letter);
    if (p.bg) g.setBg(Block::cell(kPatternCol, row), *p.bg);
    ++row;
  }
  return g;
}

}  // namespace km
