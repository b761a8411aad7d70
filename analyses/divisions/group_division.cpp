#include "analyses/divisions/group_division.h"

#include <algorithm>
#include <array>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kCols = 33;  // draw number, the numbers 1..31, draw number again
constexpr int kLastCol = kCols;
constexpr int kBlockDraws = 50;
constexpr int kBlockRows = kBlockDraws + 2;  // a two-row header, then the draws

std::string spaces(int n) { return std::string(n, ' '); }
std::string wide(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "　";
  return s;
}

// Title of the six- and ten-group windows.
const std::string kTitleSixTen = spaces(28) + wide(2) + spaces(12) + wide(2) + spaces(1) + wide(2) + spaces(2) +
                                 wide(1) + "数" + wide(2) + spaces(1) + "字" + spaces(28) + wide(2) + spaces(12) +
                                 wide(2) + spaces(1) + wide(2) + spaces(2) + wide(2);
// Title of the seven-group window.
const std::string kTitleSeven = spaces(28) + wide(2) + spaces(12) + wide(2) + spaces(3) + wide(1) + "数" + wide(2) +
                                spaces(1) + "字" + spaces(7) + wide(2) + spaces(21) + wide(2) + spaces(12) + wide(6) +
                                spaces(3) + wide(1);

int columnOf(int number) { return number + 1; }

void setUp(Grid& g, const GroupDivision& div, int rows) {
  g = makeGrid({.cols = kCols,
                .rows = rows,
                .visibleCols = kCols,
                .visibleRows = 53,
                .scrollBars = ScrollBars::Vertical,
                .rowHeight = 9,
                .colWidth = 2});
  g.setRowHeight(1, div.titleRowHeight);
  g.setRowHeight(2, div.firstLetterRowHeight);
  g.setColWidth(1, 3);
  g.setColWidth(kLastCol, 3);

  g.setBorder({1, 3, kCols, rows}, kAllSides);
  g.setBorder({2, 1, kLastCol - 1, 1}, kOutline);
  // Only the title and the group letters run into their empty neighbours: a
  // "●" a little wider than its narrow column stays centred in it.
  setTitle(g, 2, 1, div.title);
  g.setBg(Block::cell(2, 1), kLightRed);
  setDrawNoColumn(g, 1, 1, rows);
  setDrawNoColumn(g, kLastCol, 1, rows);
  for (size_t i = 1; i < div.groups.size(); i += 2)  // B, D, F, ...
    g.setBg({columnOf(div.groups[i].first), 2, columnOf(div.groups[i].last), rows}, kLightCyan);
}

// The letters row r and the numbers row r + 1.
void writeHeader(Grid& g, const GroupDivision& div, int r) {
  for (const NumberGroup& group : div.groups) {
    const int first = columnOf(group.first);
    setHeaderBand(g, r, first, columnOf(group.last), first, group.label);
  }
  g.setText(1, r + 1, "回");
  g.setText(kLastCol, r + 1, "回");
  for (int n = 1; n <= kMaxNumber; ++n) g.setText(columnOf(n), r + 1, n);
  g.setFg({2, r + 1, kLastCol - 1, r + 1}, kBlue);
}

}  // namespace

const GroupDivision kSixGroups = {
    .groups = {{1, 5, spaces(9) + "Ａ" + spaces(14)},
               {6, 10, spaces(9) + "Ｂ" + spaces(14)},
               {11, 15, spaces(9) + "Ｃ" + spaces(14)},
               {16, 20, spaces(9) + "Ｄ" + spaces(14)},
               {21, 25, spaces(9) + "Ｅ" + spaces(14)},
               {26, 31, spaces(2) + wide(1) + spaces(7) + "Ｆ" + spaces(7)}},
    .title = kTitleSixTen,
    .titleRowHeight = 15,
    .firstLetterRowHeight = 12,
};

const GroupDivision kSevenGroups = {
    .groups = {{1, 4, spaces(7) + "Ａ" + spaces(12)},
               {5, 8, spaces(7) + "Ｂ" + spaces(12)},
               {9, 12, spaces(7) + "Ｃ" + spaces(12)},
               {13, 16, spaces(7) + "Ｄ" + spaces(12)},
               {17, 20, spaces(7) + "Ｅ" + spaces(12)},
               {21, 24, spaces(7) + "Ｆ" + spaces(12)},
               {25, 31, spaces(13) + "Ｇ" + spaces(12)}},
    .title = kTitleSeven,
};

const GroupDivision kTenGroups = {
    .groups = {{1, 3, " 　　Ａ 　　 "},
               {4, 6, " 　　Ｂ  　　"},
               {7, 9, " 　　Ｃ　　  "},
               {10, 12, " 　　Ｄ  　　"},
               {13, 15, " 　　Ｅ 　　 "},
               {16, 18, " 　　Ｆ 　　 "},
               {19, 21, " 　　Ｇ　　  "},
               {22, 24, " 　　Ｈ  　　"},
               {25, 27, " 　　Ｉ　　  "},
               {28, 31, " 　　　Ｊ　  "}},
    .title = kTitleSixTen,
};

Grid fillGroupDivision(const History& history, const GroupDivision& div) {
  const int n = history.recordCount();
  const int blocks = std::max(1, (n + kBlockDraws - 1) / kBlockDraws);
  const int rows = n + 2 * blocks + 1;

  // Group index of each number 1..31; -1 for none.
  std::array<int, kMaxNumber + 1> groupOf;
  groupOf.fill(-1);
  for (size_t i = 0; i < div.groups.size(); ++i)
    for (int v = div.groups[i].first; v <= div.groups[i].last; ++v)
      if (isLotteryNumber(v)) groupOf[v] = static_cast<int>(i);

  Grid g;
  setUp(g, div, rows);
  for (int k = 0; k < blocks; ++k) writeHeader(g, div, 2 + kBlockRows * k);

  int shown = 0;
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;  // no line
    ++shown;
    const int row = shown + 3 + 2 * ((shown - 1) / kBlockDraws);
    g.setText(1, row, d.no);
    g.setText(kLastCol, row, d.no);

    std::vector<int> counts(div.groups.size(), 0);
    for (int f = 0; f < kNumberFields; ++f) {
      g.setText(columnOf(d[f]), row, "●");
      if (groupOf[d[f]] >= 0) ++counts[groupOf[d[f]]];
    }
    for (size_t i = 0; i < div.groups.size(); ++i)
      if (counts[i] == 0)
        g.setBg({columnOf(div.groups[i].first), row, columnOf(div.groups[i].last), row}, kMissedGroupGrey);
    for (int f = 0; f < kNumberFields; ++f)
      g.setFg(Block::cell(columnOf(d[f]), row), f == Bonus ? kBonusPink : kMainMarkBlue);
  }
  return g;
}

}  // namespace km
