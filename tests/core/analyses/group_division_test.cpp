#include "analyses/divisions/group_division.h"

#include <gtest/gtest.h>

#include "../test_history.h"
#include "windows/window_table.h"

namespace km {
namespace {

constexpr Rgb kGrey = RGB(210, 210, 210);
constexpr Rgb kShade = RGB(200, 255, 255);
constexpr Rgb kYellow = RGB(255, 255, 200);
constexpr Rgb kMain = RGB(62, 158, 255);
constexpr Rgb kBonus = RGB(255, 128, 192);

std::string sp(int n) { return std::string(n, ' '); }
std::string fw(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "　";
  return s;
}

History draws(int n) {
  std::vector<Draw> rows;
  for (int i = 0; i < n; ++i) rows.push_back(test::draw(i + 1, {1, 2, 3, 4, 5, 6}));
  return History::fromRows(std::move(rows));
}

// One character per number 1..31 of a row: 'g' for a grey cell, 's' for a
// shaded one, '.' for white.
std::string backgrounds(const Grid& g, int row) {
  std::string s;
  for (int v = 1; v <= 31; ++v) {
    const Rgb bg = g.cell(v + 1, row).bg;
    s += bg == kGrey ? 'g' : bg == kShade ? 's' : bg == kWhite ? '.' : '?';
  }
  return s;
}

// Markers of a row: the numbers under a "●", each followed by m (main) or b (bonus).
std::string markers(const Grid& g, int row) {
  std::string s;
  for (int v = 1; v <= 31; ++v)
    if (g.text(v + 1, row) == "●") s += std::to_string(v) + (g.cell(v + 1, row).fg == kBonus ? "b " : "m ");
  return s;
}

// The expected backgrounds of a row, one character per group ('.', 's' or 'g')
// spread over the group's numbers.
const std::vector<int> k6 = {5, 5, 5, 5, 5, 6}, k7 = {4, 4, 4, 4, 4, 4, 7}, k10 = {3, 3, 3, 3, 3, 3, 3, 3, 3, 4};
std::string line(const std::vector<int>& sizes, const std::string& perGroup) {
  std::string s;
  for (size_t i = 0; i < sizes.size(); ++i) s += std::string(sizes[i], perGroup.at(i));
  return s;
}

bool isHeader(const Grid& g, int r) {
  bool ok = g.text(1, r + 1) == "回" && g.text(33, r + 1) == "回" && g.cell(2, r + 1).fg == RGB(0, 0, 255) &&
            g.cell(32, r + 1).fg == RGB(0, 0, 255) && g.cell(33, r + 1).fg == RGB(255, 0, 0) && !g.text(2, r).empty();
  for (int v = 1; v <= 31; ++v) ok = ok && g.text(v + 1, r + 1) == std::to_string(v);
  return ok;
}

const std::string kT6 = sp(28) + fw(2) + sp(12) + fw(2) + sp(1) + fw(2) + sp(2) + fw(1) + "数" + fw(2) + sp(1) + "字" +
                        sp(28) + fw(2) + sp(12) + fw(2) + sp(1) + fw(2) + sp(2) + fw(2);
const std::string kT7 = sp(28) + fw(2) + sp(12) + fw(2) + sp(3) + fw(1) + "数" + fw(2) + sp(1) + "字" + sp(7) + fw(2) +
                        sp(21) + fw(2) + sp(12) + fw(6) + sp(3) + fw(1);

TEST(GroupDivision, NoDrawsShowTitleAndOneHeader) {
  const Grid g = fillSixGroups(draws(0));
  ASSERT_EQ(g.maxRows(), 3);
  EXPECT_EQ(g.maxCols(), 33);
  EXPECT_TRUE(g.visibleCols() == 33 && g.visibleRows() == 53 && g.scrollBars() == ScrollBars::Vertical);
  EXPECT_TRUE(g.colWidth(1) == 3 && g.colWidth(33) == 3 && g.colWidth(2) == 2 && g.colWidth(32) == 2);
  EXPECT_TRUE(g.rowHeight(1) == 15 && g.rowHeight(2) == 12 && g.rowHeight(3) == 9);
  EXPECT_EQ(g.text(2, 1), kT6);
  EXPECT_TRUE(g.cell(2, 1).halign == HAlign::Left && g.cell(2, 1).overflow);
  EXPECT_TRUE(g.cell(2, 1).bg == RGB(255, 200, 200) && g.cell(3, 1).bg == kWhite);
  // the title row is one frame over columns 2..32
  EXPECT_TRUE(g.left(2, 1).visible() && g.right(32, 1).visible() && g.top(17, 1).visible());
  EXPECT_FALSE(g.verticalEdge(2, 1).visible());
  EXPECT_TRUE(isHeader(g, 2));
  // columns 1 and 33 red on yellow from the title down
  for (int r = 1; r <= 3; ++r)
    for (int c : {1, 33}) EXPECT_TRUE(g.cell(c, r).fg == RGB(255, 0, 0) && g.cell(c, r).bg == kYellow) << c << r;
  EXPECT_TRUE(g.bottom(17, 3).visible() && g.left(1, 3).visible());

  const Grid g7 = fillSevenGroups(draws(0)), g10 = fillTenGroups(draws(0));
  EXPECT_EQ(g7.text(2, 1), kT7);
  EXPECT_EQ(g10.text(2, 1), kT6);
  for (const Grid* x : {&g7, &g10}) {
    EXPECT_EQ(x->maxRows(), 3);
    EXPECT_TRUE(x->rowHeight(1) == 9 && x->rowHeight(2) == 9 && x->rowHeight(3) == 9);
    EXPECT_TRUE(isHeader(*x, 2));
  }
}

TEST(GroupDivision, HeaderBeforeEveryFiftyDraws) {
  const Grid g20 = fillSixGroups(draws(20));
  EXPECT_EQ(g20.maxRows(), 23);
  EXPECT_TRUE(g20.text(1, 4) == "1" && g20.text(1, 23) == "20" && g20.text(33, 23) == "20");

  const Grid g50 = fillSevenGroups(draws(50));
  EXPECT_EQ(g50.maxRows(), 53);
  EXPECT_TRUE(isHeader(g50, 2) && g50.text(1, 53) == "50");

  const Grid g51 = fillSevenGroups(draws(51));
  EXPECT_EQ(g51.maxRows(), 56);
  EXPECT_TRUE(isHeader(g51, 54) && g51.text(1, 56) == "51" && g51.text(1, 53) == "50");
  EXPECT_EQ(g51.rowHeight(54), 9);

  const Grid g100 = fillTenGroups(draws(100)), g101 = fillTenGroups(draws(101));
  EXPECT_EQ(g100.maxRows(), 105);
  EXPECT_EQ(g100.text(1, 105), "100");
  EXPECT_EQ(g101.maxRows(), 108);
  for (int r : {2, 54, 106}) EXPECT_TRUE(isHeader(g101, r)) << r;
  EXPECT_EQ(g101.text(1, 105) + " " + g101.text(1, 108) + " " + g101.text(33, 108), "100 101 101");
  // a later header's letters row: groups framed, shading kept, lines all round its neighbours
  EXPECT_EQ(g101.text(29, 106), " 　　　Ｊ　  ");
  EXPECT_FALSE(g101.verticalEdge(29, 106).visible());  // inside J
  EXPECT_TRUE(g101.verticalEdge(28, 106).visible());   // between I and J
  EXPECT_EQ(g101.cell(29, 106).bg, kShade);
  EXPECT_TRUE(g101.bottom(1, 105).visible() && g101.bottom(17, 107).visible());
}

TEST(GroupDivision, ThreeGroupTables) {
  const History h = test::history({{1, 2, 3, 4, 5, 5}});
  // shading of every second group, seen in the numbers row of the header
  EXPECT_EQ(backgrounds(fillSixGroups(h), 3), line(k6, ".s.s.s"));
  EXPECT_EQ(backgrounds(fillSevenGroups(h), 3), line(k7, ".s.s.s."));
  EXPECT_EQ(backgrounds(fillTenGroups(h), 3), line(k10, ".s.s.s.s.s"));
  EXPECT_EQ(backgrounds(fillTenGroups(h), 3), "...sss...sss...sss...sss...ssss");

  // letter labels over each group's first column, left-aligned
  const Grid g6 = fillSixGroups(h), g7 = fillSevenGroups(h), g10 = fillTenGroups(h);
  EXPECT_EQ(g6.text(2, 2), sp(9) + "Ａ" + sp(14));
  EXPECT_EQ(g6.text(22, 2), sp(9) + "Ｅ" + sp(14));
  EXPECT_EQ(g6.text(27, 2), sp(2) + fw(1) + sp(7) + "Ｆ" + sp(7));
  EXPECT_EQ(g6.text(3, 2), "");
  EXPECT_TRUE(g6.cell(7, 2).halign == HAlign::Left && g6.cell(7, 2).overflow && g6.cell(27, 2).overflow);
  EXPECT_EQ(g7.text(22, 2), sp(7) + "Ｆ" + sp(12));
  EXPECT_EQ(g7.text(26, 2), sp(13) + "Ｇ" + sp(12));
  EXPECT_EQ(g10.text(2, 2), " 　　Ａ 　　 ");
  EXPECT_EQ(g10.text(5, 2), " 　　Ｂ  　　");
  EXPECT_EQ(g10.text(26, 2), " 　　Ｉ　　  ");
  int labels = 0;
  for (int c = 2; c <= 32; ++c) labels += !g10.text(c, 2).empty();
  EXPECT_EQ(labels, 10);
  // the letters row of the first header: one frame per group, no lines in column 1
  EXPECT_FALSE(g6.verticalEdge(2, 2).visible());
  EXPECT_TRUE(g6.verticalEdge(6, 2).visible());
  EXPECT_TRUE(g6.left(2, 2).visible() && g6.top(4, 2).visible() && g6.bottom(4, 2).visible());
  EXPECT_FALSE(g6.left(1, 2).visible());

  // boundaries: each draw holds one number (five times) and a bonus of its own
  const History b = test::history({
      {5, 5, 5, 5, 5, 6},        // 6: A, B; 7: B; 10: B
      {26, 26, 26, 26, 26, 31},  // 6: F; 7: G; 10: I, J
      {24, 24, 24, 24, 24, 25},  // 6: E; 7: F, G; 10: H, I
      {27, 27, 27, 27, 27, 28},  // 6: F; 7: G; 10: I, J
  });
  const Grid s = fillSixGroups(b), v = fillSevenGroups(b), t = fillTenGroups(b);
  EXPECT_EQ(backgrounds(s, 4), line(k6, ".sgggg"));
  EXPECT_EQ(backgrounds(s, 5), line(k6, "gggggs"));
  EXPECT_EQ(backgrounds(s, 6), line(k6, "gggg.g"));
  EXPECT_EQ(backgrounds(s, 7), line(k6, "gggggs"));
  EXPECT_EQ(backgrounds(v, 4), line(k7, "gsggggg"));
  EXPECT_EQ(backgrounds(v, 5), line(k7, "gggggg."));
  EXPECT_EQ(backgrounds(v, 6), line(k7, "gggggs."));
  EXPECT_EQ(backgrounds(t, 4), line(k10, "gsgggggggg"));
  EXPECT_EQ(backgrounds(t, 5), line(k10, "gggggggg.s"));
  EXPECT_EQ(backgrounds(t, 6), line(k10, "gggggggs.g"));
  EXPECT_EQ(backgrounds(t, 7), line(k10, "gggggggg.s"));
}

TEST(GroupDivision, MarkersGreyGroupsAndSkippedDraws) {
  const Grid g = fillSixGroups(test::historyRows({
      {1, {1, 2, 16, 17, 18, 30}},
      {2, {1, 2, 3, 4, std::nullopt, 6}},
      {4, {7, 8, 9, 10, 11, 11}},  // the bonus shares the main number's column
  }));
  ASSERT_EQ(g.maxRows(), 6);
  // draw 1: A, D, F hold numbers, the bonus alone keeps F
  EXPECT_EQ(g.text(1, 4) + " " + g.text(33, 4), "1 1");
  EXPECT_EQ(markers(g, 4), "1m 2m 16m 17m 18m 30b ");
  EXPECT_FALSE(g.cell(2, 4).overflow);  // a marker stays centred in its own column
  EXPECT_EQ(backgrounds(g, 4), line(k6, ".ggsgs"));
  // draw 2 is skipped: draw 4 follows on the next row, the last row stays empty
  EXPECT_EQ(g.text(1, 5), "4");
  EXPECT_EQ(markers(g, 5), "7m 8m 9m 10m 11b ");
  EXPECT_EQ(backgrounds(g, 5), line(k6, "gs.ggg"));
  EXPECT_EQ(g.text(1, 6), "");
  EXPECT_EQ(backgrounds(g, 6), line(k6, ".s.s.s"));
  EXPECT_TRUE(g.bottom(1, 6).visible() && g.right(33, 6).visible());
}

TEST(GroupDivision, WindowsShowTheMarkerLegend) {
  for (const char* name : {"分割6データ分析", "分割7データ分析", "分割10データ分析"}) {
    const WindowRow* row = findWindow(name);
    ASSERT_NE(row, nullptr) << name;
    const WindowDef* w = &row->def;
    ASSERT_EQ(w->legend.size(), 3u) << name;
    EXPECT_TRUE(w->legend[0].sample == "●" && w->legend[0].sampleFg == kMain && w->legend[0].label == "：本数字");
    EXPECT_TRUE(w->legend[1].sample == "●" && w->legend[1].sampleFg == kBonus &&
                w->legend[1].label == "：ボーナス数字");
    EXPECT_TRUE(w->legend[2].sampleBg == kGrey && w->legend[2].label == ":該当なし");
  }
}

}  // namespace
}  // namespace km
