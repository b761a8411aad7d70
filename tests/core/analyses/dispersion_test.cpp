#include "analyses/number_sets/dispersion.h"

#include <gtest/gtest.h>

#include <climits>

#include "../test_history.h"
#include "windows/window_table.h"

namespace km {
namespace {

constexpr Rgb kMain = RGB(62, 158, 255);
constexpr Rgb kBonus = RGB(255, 128, 192);
constexpr Rgb kLine = RGB(136, 196, 255);
constexpr Rgb kDrawNoBg = RGB(255, 255, 200);

// Dots of columns 2..32 of a row: . none, m main number, b bonus number.
std::string dots(const Grid& g, int row) {
  std::string s;
  for (int c = 2; c <= 32; ++c) {
    const Cell& cell = g.cell(c, row);
    s += cell.text.empty() ? '.' : cell.text != "●" ? '?' : cell.fg == kMain ? 'm' : cell.fg == kBonus ? 'b' : '!';
  }
  return s;
}

void expectLabelRow(const Grid& g, int row) {
  EXPECT_EQ(g.text(1, row), "回");
  EXPECT_EQ(g.text(33, row), "回");
  for (int k = 1; k <= 31; ++k) {
    EXPECT_EQ(g.text(k + 1, row), std::to_string(k));
    EXPECT_EQ(g.cell(k + 1, row).fg, RGB(0, 0, 255));
    EXPECT_EQ(g.cell(k + 1, row).bg, RGB(200, 255, 255));
  }
}

TEST(Dispersion, GridTitleAndLabelRows) {
  const Grid g = fillDispersion(test::history({{1, 2, 3, 4, 5, 31}}));
  ASSERT_EQ(g.maxCols(), 33);
  ASSERT_EQ(g.maxRows(), 4);
  EXPECT_EQ(g.visibleCols(), 33);
  EXPECT_EQ(g.visibleRows(), 47);
  EXPECT_EQ(g.frozenRows(), 2);
  EXPECT_EQ(g.scrollBars(), ScrollBars::Both);
  EXPECT_EQ(g.colWidth(1), 5);
  EXPECT_EQ(g.colWidth(2), 2);
  EXPECT_EQ(g.colWidth(32), 2);
  EXPECT_EQ(g.colWidth(33), 5);
  EXPECT_EQ(g.rowHeight(1), 15);
  EXPECT_EQ(g.rowHeight(2), 15);
  EXPECT_EQ(g.rowHeight(3), 10);

  EXPECT_EQ(g.text(16, 1), "数　　　　　　　字");
  EXPECT_EQ(g.cell(16, 1).fg, RGB(0, 0, 255));
  EXPECT_EQ(g.cell(16, 1).halign, HAlign::Center);
  EXPECT_TRUE(g.cell(16, 1).overflow);
  for (int c : {2, 16, 32}) EXPECT_EQ(g.cell(c, 1).bg, RGB(222, 254, 253)) << c;
  // the title band is one frame; column 1 has a line on its right only
  EXPECT_FALSE(g.verticalEdge(10, 1).visible());
  EXPECT_EQ(g.verticalEdge(1, 1).color, kLine);
  EXPECT_EQ(g.verticalEdge(32, 1).color, kLine);
  EXPECT_EQ(g.horizontalEdge(10, 0).color, kLine);
  EXPECT_FALSE(g.horizontalEdge(1, 0).visible());
  EXPECT_FALSE(g.verticalEdge(0, 1).visible());

  expectLabelRow(g, 2);
  expectLabelRow(g, 4);
  for (int row = 1; row <= 4; ++row) {
    for (int c : {1, 33}) {
      EXPECT_EQ(g.cell(c, row).fg, RGB(255, 0, 0)) << c << "," << row;
      EXPECT_EQ(g.cell(c, row).bg, kDrawNoBg) << c << "," << row;
    }
  }
  // every cell below the title row lined in the chart's blue
  for (int row = 2; row <= 4; ++row)
    for (int c = 0; c <= 33; ++c) EXPECT_EQ(g.verticalEdge(c, row).color, kLine) << c << "," << row;
  EXPECT_TRUE(g.horizontalEdge(20, 4).visible());
}

TEST(Dispersion, MainDotsBlueBonusDotPink) {
  const Grid g = fillDispersion(test::history({{1, 2, 3, 4, 5, 31}, {10, 20, 30, 11, 21, 20}}));
  EXPECT_EQ(g.text(1, 3), "1");
  EXPECT_EQ(g.text(33, 3), "1");
  EXPECT_EQ(dots(g, 3), "mmmmm.........................b");
  // a bonus equal to a main number: one dot, in the bonus colour
  EXPECT_EQ(dots(g, 4), ".........mm........bm........m.");
  EXPECT_EQ(g.cell(2, 3).bg, kWhite);
  // a dot never runs into an empty neighbour, which would put it between two numbers
  EXPECT_FALSE(g.cell(2, 3).overflow);
  EXPECT_FALSE(g.cell(32, 4).overflow);
  EXPECT_TRUE(g.cell(1, 3).overflow);
}

TEST(Dispersion, IncompleteDrawTakesNoRowAndTheRowAboveTheBottomLabelsStaysEmpty) {
  const Grid g = fillDispersion(test::historyRows({
      {1, {1, 2, 3, 4, 5, std::nullopt}},
      {2, {6, 7, 8, 9, 10, 11}},
  }));
  ASSERT_EQ(g.maxRows(), 5);
  EXPECT_EQ(g.text(1, 3), "2");
  EXPECT_EQ(dots(g, 3), ".....mmmmmb....................");
  EXPECT_EQ(g.text(1, 4), "");
  EXPECT_EQ(dots(g, 4), "...............................");
  expectLabelRow(g, 5);
}

TEST(Dispersion, EmptyHistoryShowsTheLabelsAlone) {
  const Grid g = fillDispersion(test::history({}));
  ASSERT_EQ(g.maxRows(), 3);
  expectLabelRow(g, 2);
  expectLabelRow(g, 3);
}

TEST(Dispersion, LegendShowsBothDotColours) {
  const WindowRow* row = findWindow("バラツキ分析");
  ASSERT_NE(row, nullptr);
  const WindowDef* w = &row->def;
  ASSERT_EQ(w->legend.size(), 2u);
  EXPECT_EQ(w->legend[0].sample, "●");
  EXPECT_EQ(w->legend[0].sampleFg, kMain);
  EXPECT_EQ(w->legend[0].label, "：本数字");
  EXPECT_EQ(w->legend[1].sampleFg, kBonus);
  EXPECT_EQ(w->legend[1].label, "：ボーナス数字");
}

}  // namespace
}  // namespace km
