// The prediction methods on small hand-made histories, read back from the grids.
#include "prediction/core/prediction_methods.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/test_history.h"

namespace km {
namespace {

using Texts = std::vector<std::string>;

// Columns 2 to 6 of one grid row.
Texts numbers(const Grid& g, int row) {
  Texts t;
  for (int c = 2; c <= 6; ++c) t.push_back(g.text(c, row));
  return t;
}

struct Opened {
  PredictionState state;
  PredictionGrids grids;
  explicit Opened(const History& h, int reflectOn = 0) {
    for (int i = 0; i < reflectOn; ++i) state.reflect[i] = true;
    openPrediction(state, h, grids);
  }
};

// Draw i's first number is its own planted number; the other five are the
// same every draw, so each of them last came up one draw before (gap 1).
std::array<int, 6> planted(int n) { return {n, 26, 27, 28, 29, 30}; }

// ---- grid layout --------------------------------------------------------

TEST(PredictionGrids, SizesLabelsAndHeader) {
  PredictionGrids g;
  buildPredictionGrids(g);
  const int rows[4] = {5, 4, 3, 2};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(g[i].maxCols(), 6);
    EXPECT_EQ(g[i].maxRows(), rows[i]);
    EXPECT_EQ(g[i].visibleCols(), 6);
    EXPECT_EQ(g[i].visibleRows(), rows[i]);
    EXPECT_EQ(g[i].scrollBars(), ScrollBars::None);
    EXPECT_EQ(g[i].colWidth(1), 8);
    for (int c = 2; c <= 6; ++c) EXPECT_EQ(g[i].colWidth(c), 5);
    for (int r = 1; r <= rows[i]; ++r) EXPECT_EQ(g[i].rowHeight(r), 10);

    const Cell& h = g[i].cell(2, 1);
    EXPECT_EQ(h.text, std::string(19, ' ') + "本 数 字" + std::string(26, ' '));
    EXPECT_EQ(h.halign, HAlign::Left);
    EXPECT_TRUE(h.overflow);
    for (int c = 1; c <= 6; ++c) {
      EXPECT_EQ(g[i].cell(c, 1).fg, RGB(0, 0, 255));
      EXPECT_EQ(g[i].cell(c, 1).bg, RGB(255, 200, 200));
    }
    EXPECT_EQ(g[i].cell(1, 2).bg, kWhite);
    EXPECT_EQ(g[i].cell(4, rows[i]).halign, HAlign::Center);
    EXPECT_EQ(g[i].cell(4, rows[i]).valign, VAlign::Center);
    EXPECT_FALSE(g[i].cell(3, 1).overflow);
  }
  EXPECT_EQ(g[0].text(1, 2), " 7回周期法");
  EXPECT_EQ(g[0].text(1, 3), " 9回周期法");
  EXPECT_EQ(g[0].text(1, 4), "11回周期法");
  EXPECT_EQ(g[0].text(1, 5), "12回周期法");
  EXPECT_EQ(g[1].text(1, 2), "");
  EXPECT_EQ(g[1].text(1, 3), "消去法");
  EXPECT_EQ(g[2].text(1, 2), "連発予想");
  EXPECT_EQ(g[3].text(1, 2), "１発予想");
}

TEST(PredictionGrids, Borders) {
  PredictionGrids g;
  buildPredictionGrids(g);
  // Grid 0: top and bottom lines, a right line on column 1, no left or inner vertical lines.
  for (int r = 2; r <= 5; ++r)
    for (int c = 1; c <= 6; ++c) {
      EXPECT_TRUE(g[0].top(c, r).visible() && g[0].bottom(c, r).visible()) << c << "," << r;
      EXPECT_FALSE(g[0].left(c, r).visible()) << c << "," << r;
      EXPECT_EQ(g[0].right(c, r).visible(), c == 1) << c << "," << r;
      EXPECT_EQ(g[0].verticalEdge(c - 1, r).visible(), c == 2) << c << "," << r;
    }
  EXPECT_TRUE(g[0].right(1, 1).visible() && g[0].top(1, 1).visible() && g[0].bottom(1, 1).visible());
  EXPECT_FALSE(g[0].left(1, 1).visible());

  for (int i = 1; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Grid& x = g[i];
    const int last = x.maxRows();
    // Number cells: all four sides, solid black.
    for (int r = 2; r <= last; ++r)
      for (int c = 2; c <= 6; ++c) {
        EXPECT_TRUE(x.left(c, r).visible() && x.right(c, r).visible() && x.top(c, r).visible() &&
                    x.bottom(c, r).visible())
            << c << "," << r;
        EXPECT_EQ(x.top(c, r).style, 1);
        EXPECT_EQ(x.top(c, r).color, kBlack);
      }
    // Column 1 below the header is one box: its outline, no line inside.
    EXPECT_TRUE(x.horizontalEdge(1, 1).visible());
    EXPECT_TRUE(x.horizontalEdge(1, last).visible());
    for (int r = 2; r <= last; ++r) EXPECT_TRUE(x.verticalEdge(0, r).visible() && x.verticalEdge(1, r).visible());
    for (int r = 2; r < last; ++r) EXPECT_FALSE(x.horizontalEdge(1, r).visible()) << r;
    // The header cell of column 1 is boxed.
    EXPECT_TRUE(x.left(1, 1).visible() && x.top(1, 1).visible() && x.right(1, 1).visible() && x.bottom(1, 1).visible());
  }
  // Header cells over the numbers: no lines of their own; what is drawn
  // around them belongs to column 1 and to the first number row.
  for (int i = 0; i < 4; ++i)
    for (int c = 2; c <= 6; ++c) {
      SCOPED_TRACE(std::to_string(i) + "," + std::to_string(c));
      const Cell& h = g[i].cell(c, 1);
      EXPECT_FALSE(h.left.visible() || h.right.visible() || h.top.visible() || h.bottom.visible());
      EXPECT_FALSE(g[i].horizontalEdge(c, 0).visible());
      EXPECT_TRUE(g[i].horizontalEdge(c, 1).visible());
      EXPECT_EQ(g[i].verticalEdge(c - 1, 1).visible(), c == 2);
    }
}

// ---- cycle method (grid 0) ------------------------------------------------

TEST(CycleMethod, GapsSevenNineElevenTwelveByPosition) {
  // Draw 13 = 1 2 3 4 5 + 6: 1 last came up in draw 1 (gap 12), 2 in draw 2
  // (gap 11), 3 in draw 4 (gap 9), 4 in draw 6 (gap 7); 5 and 6 never.
  const History h = test::history({planted(1),
                                   planted(2),
                                   planted(10),
                                   planted(3),
                                   planted(11),
                                   planted(4),
                                   planted(12),
                                   planted(13),
                                   planted(14),
                                   planted(15),
                                   planted(16),
                                   planted(17),
                                   {1, 2, 3, 4, 5, 6}});
  Opened o(h);
  EXPECT_EQ(numbers(o.grids[0], 2), (Texts{"", "", "", "4", ""}));
  EXPECT_EQ(numbers(o.grids[0], 3), (Texts{"", "", "3", "", ""}));
  EXPECT_EQ(numbers(o.grids[0], 4), (Texts{"", "2", "", "", ""}));
  EXPECT_EQ(numbers(o.grids[0], 5), (Texts{"1", "", "", "", ""}));
  EXPECT_EQ(o.state.cycle[0][4], "4");
  EXPECT_EQ(o.state.cycle[0][6], "");
}

TEST(CycleMethod, BonusCountsGapOneStopsAndLaterDrawsOverwrite) {
  // Draw 8 = 2 6 7 4 9 + 3.  2 and 3 were main numbers of draw 1, 6 its bonus:
  // gap 7 each.  4 was in draw 1 too, but also in draw 7 (gap 1): nothing.
  // Draw 9 puts 10 first, last seen in draw 2 (gap 7): it replaces the 2.
  const History h = test::history({{1, 2, 3, 4, 5, 6},
                                   {10, 11, 12, 13, 14, 15},
                                   {21, 22, 23, 24, 25, 26},
                                   {27, 28, 29, 30, 31, 11},
                                   {11, 12, 13, 14, 15, 16},
                                   {17, 18, 19, 20, 21, 22},
                                   {4, 16, 17, 18, 19, 20},
                                   {2, 6, 7, 4, 9, 3}});
  Opened o(h);
  EXPECT_EQ(numbers(o.grids[0], 2), (Texts{"2", "6", "", "", ""}));
  EXPECT_EQ(o.state.cycle[0][6], "3");  // bonus position: kept, not shown
  for (int r = 3; r <= 5; ++r) EXPECT_EQ(numbers(o.grids[0], r), Texts(5, "")) << r;

  std::vector<Draw> rows = h.draws;
  Draw d9 = test::draw(9);
  d9.n = test::numbers({10, 24, 25, 30, 31, 1});
  rows.push_back(d9);
  Opened later(History::fromRows(rows));
  EXPECT_EQ(numbers(later.grids[0], 2), (Texts{"10", "6", "", "", ""}));
}

TEST(CycleMethod, IncompleteAndOutOfRangeDrawsAreLeftOut) {
  // Draw 1 misses its bonus: it is neither stored nor searched, so draw 8's
  // 1 finds nothing.  Draw 5001 does not fit the history table.
  const History h = test::historyRows({{1, {1, 2, 3, 4, 5, std::nullopt}},
                                       {2, {20, 21, 22, 23, 24, 25}},
                                       {3, {20, 21, 22, 23, 24, 25}},
                                       {4, {20, 21, 22, 23, 24, 25}},
                                       {5, {20, 21, 22, 23, 24, 25}},
                                       {6, {20, 21, 22, 23, 24, 25}},
                                       {7, {20, 21, 22, 23, 24, 25}},
                                       {8, {1, 2, 3, 4, 5, 6}},
                                       {5001, {20, 21, 22, 23, 24, 25}}});
  Opened o(h);
  EXPECT_EQ(numbers(o.grids[0], 2), Texts(5, ""));
  EXPECT_EQ(o.state.history[1][1], 0);
  EXPECT_EQ(o.state.history[8][6], 6);
  EXPECT_EQ(o.state.history.size(), 5001u);
}

// ---- elimination method (grid 1) ---------------------------------------------

TEST(EliminationMethod, FoldAndDuplicatesOnAShortHistory) {
  // Two draws: rules 0 and 1 read draw 1, rules 2 to 4 read row 0 (zeros),
  // the rest would read below row 0 and are skipped.
  //   rule 0: 21 + 10 = 31 stays;  rule 1: 14 + 18 = 32 -> 1;
  //   rule 2: 0 -> 31 (already shown);  rule 3: -7 -> 24;  rule 4: 0 + 8 = 8.
  const History h = test::history({{21, 14, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}});
  Opened o(h);
  EXPECT_EQ(numbers(o.grids[1], 2), (Texts{"31", "1", "24", "8", ""}));
  EXPECT_EQ(numbers(o.grids[1], 3), Texts(5, ""));
  EXPECT_EQ(o.state.elimination[2], "31");  // stored, though not shown again
  EXPECT_EQ(o.state.elimination[5], "");
  EXPECT_EQ(foldNumber(0), 31);
  EXPECT_EQ(foldNumber(-7), 24);
  EXPECT_EQ(foldNumber(31), 31);
  EXPECT_EQ(foldNumber(32), 1);
  EXPECT_EQ(foldNumber(50), 19);
}

TEST(EliminationMethod, AllFifteenRules) {
  // Ten draws; the rules read draws 9, 8, 4, 3, 2 and 1.
  const History h = test::history({{1, 5, 8, 31, 9, 11},     // 1: 1+4=5, 5+1=6, 31+19=50 -> 19
                                   {3, 12, 13, 14, 30, 10},  // 2: 3+7=10, 30+16=46 -> 15 (dup), 10-9=1
                                   {4, 12, 13, 14, 20, 17},  // 3: 4+3=7, 20+11=31, 17+14=31 (dup)
                                   {2, 1, 12, 13, 14, 15},   // 4: 1-5=-4 -> 27
                                   {12, 13, 14, 15, 16, 17},
                                   {12, 13, 14, 15, 16, 17},
                                   {12, 13, 14, 15, 16, 17},
                                   {2, 12, 13, 14, 20, 1},  // 8: 2, 1-7=-6 -> 25, 20+8=28
                                   {5, 3, 12, 13, 14, 15},  // 9: 5+10=15, 3+18=21
                                   {12, 13, 14, 15, 16, 17}});
  Opened o(h);
  EXPECT_EQ(numbers(o.grids[1], 2), (Texts{"15", "21", "2", "25", "28"}));
  EXPECT_EQ(numbers(o.grids[1], 3), (Texts{"27", "7", "31", "10", "1"}));
  EXPECT_EQ(numbers(o.grids[1], 4), (Texts{"5", "6", "19", "", ""}));
}

TEST(EliminationMethod, EachSettingOnMovesEveryRuleBackAndOldNumbersAreCleared) {
  // Three draws.  Draw 2 = 1 1 ...: draw 1 = 2 3 . . 4 + 20.
  const History h = test::history({{2, 3, 5, 6, 4, 20}, {1, 1, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14}});
  Opened o(h);
  // Nothing on: rules 0, 1 read draw 2, rules 2 to 4 draw 1.
  EXPECT_EQ(numbers(o.grids[1], 2), (Texts{"11", "19", "2", "13", "12"}));

  // One on (whichever): one draw further back; rules 2 to 4 read row 0.
  o.state.reflect[7] = true;
  runDisplaySequence(o.state, h.recordCount(), o.grids);
  EXPECT_EQ(numbers(o.grids[1], 2), (Texts{"12", "21", "31", "24", "8"}));

  // Two on: rules 0 and 1 read row 0, rules 2 to 4 fall below row 0; the
  // numbers of the previous run do not stay behind.
  o.state.reflect[11] = true;
  runDisplaySequence(o.state, h.recordCount(), o.grids);
  EXPECT_EQ(numbers(o.grids[1], 2), (Texts{"10", "18", "", "", ""}));

  // Every setting on: no rule fits a history of three draws.
  o.state.reflect.fill(true);
  runDisplaySequence(o.state, h.recordCount(), o.grids);
  EXPECT_EQ(numbers(o.grids[1], 2), Texts(5, ""));
  EXPECT_EQ(numbers(o.grids[2], 2), Texts(5, ""));
}

// ---- run and single-shot predictions (grids 2 and 3) --------------------------

// A state whose elimination list comes out as 15 20 31 24 8 (draw count 2,
// draw 1 = 5 2 ...) and whose cycle table is set by hand.
struct HandMade {
  PredictionState state;
  PredictionGrids grids;
  HandMade() {
    buildPredictionGrids(grids);
    state.history[1] = {0, 5, 2, 0, 0, 0, 0};
  }
  void show() { runDisplaySequence(state, 2, grids); }
};

TEST(NearPredictions, WindowsEmptyEntriesAndDuplicates) {
  HandMade x;
  // 7-draw cycle: 12 18, then an empty entry that hides the 8 behind it.
  x.state.cycle[0] = {"", "12", "18", "", "8", "", ""};
  // 11-draw cycle: 28 22.  12-draw cycle: 9.  9-draw cycle: empty.
  x.state.cycle[2] = {"", "28", "22", "", "", "", ""};
  x.state.cycle[3] = {"", "9", "", "", "", "", ""};
  x.show();
  EXPECT_EQ(numbers(x.grids[1], 2), (Texts{"15", "20", "31", "24", "8"}));
  EXPECT_EQ(numbers(x.grids[0], 2), (Texts{"12", "18", "", "8", ""}));
  EXPECT_EQ(numbers(x.grids[0], 3), Texts(5, ""));
  // +-3: 15 takes 12 and 18; 20 takes 22 (18 again is not repeated); 31
  // takes 28; 24 only 22 again; 8 takes 9.  The hidden 8 is never looked at.
  EXPECT_EQ(numbers(x.grids[2], 2), (Texts{"12", "18", "22", "28", "9"}));
  EXPECT_EQ(numbers(x.grids[2], 3), Texts(5, ""));
  // +-2: 20 takes 18 and 22; 24 takes 22 again (once only); 8 takes 9.
  EXPECT_EQ(numbers(x.grids[3], 2), (Texts{"18", "22", "9", "", ""}));
}

TEST(NearPredictions, CapsOfTenAndFive) {
  HandMade x;
  for (int m = 0; m < 4; ++m)
    for (int p = 1; p <= 6; ++p) x.state.cycle[m][p] = std::to_string(m * 6 + p);  // 1..24
  x.show();
  // +-3 around 15: 12 (9-draw cycle), then 13..18 (11-draw cycle); around 20:
  // 17 and 18 are shown already, 19 20 21 fill the tenth cell; 22 23 are dropped.
  EXPECT_EQ(numbers(x.grids[2], 2), (Texts{"12", "13", "14", "15", "16"}));
  EXPECT_EQ(numbers(x.grids[2], 3), (Texts{"17", "18", "19", "20", "21"}));
  // +-2 around 15: 13..17, and the method stops at five.
  EXPECT_EQ(numbers(x.grids[3], 2), (Texts{"13", "14", "15", "16", "17"}));
}

TEST(NearPredictions, EmptyCycleTableGivesNothing) {
  HandMade x;
  x.show();
  EXPECT_EQ(numbers(x.grids[1], 2), (Texts{"15", "20", "31", "24", "8"}));
  EXPECT_EQ(numbers(x.grids[2], 2), Texts(5, ""));
  EXPECT_EQ(numbers(x.grids[3], 2), Texts(5, ""));
  for (int r = 2; r <= 5; ++r) EXPECT_EQ(numbers(x.grids[0], r), Texts(5, ""));
}

TEST(NearPredictions, StaleNumbersDoNotBlockARerun) {
  HandMade x;
  x.state.cycle[0] = {"", "18", "12", "", "", "", ""};
  x.show();
  // 15 takes 18 and 12 in that order.
  EXPECT_EQ(numbers(x.grids[2], 2), (Texts{"18", "12", "", "", ""}));
  EXPECT_EQ(numbers(x.grids[3], 2), (Texts{"18", "", "", "", ""}));
  // One setting on: the rules read row 0 and give 10 18 only.  10 takes 12
  // first, 18 then 18: the numbers left from the first run are not in the way.
  x.state.reflect[0] = true;
  x.show();
  EXPECT_EQ(numbers(x.grids[1], 2), (Texts{"10", "18", "", "", ""}));
  EXPECT_EQ(numbers(x.grids[2], 2), (Texts{"12", "18", "", "", ""}));
  EXPECT_EQ(numbers(x.grids[3], 2), (Texts{"12", "18", "", "", ""}));
}

}  // namespace
}  // namespace km
