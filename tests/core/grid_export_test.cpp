// Copying and exporting a grid: the exact texts the clipboard and the CSV
// files receive, and the selection model behind the views.
#include "frame/grid_export.h"

#include <gtest/gtest.h>

#include "frame/grid_selection.h"
#include "frame/grid_setup.h"

using namespace km;

namespace {

// 4 columns, 3 rows: a header row and texts that need quoting.
Grid sample() {
  Grid g = makeGrid({.cols = 4, .rows = 3});
  g.setText(1, 1, "回数");
  g.setText(2, 1, "第1数字");
  g.setText(3, 1, "a,b");
  g.setText(4, 1, "say \"hi\"");
  g.setText(1, 2, 1);
  g.setText(2, 2, "●");
  g.setText(4, 2, "tab\there");
  g.setText(1, 3, 2);
  g.setText(2, 3, "\"quoted");
  g.setText(3, 3, "two\nlines");
  g.setColors(Block{1, 1, 4, 1}, kRed, kLightYellow);
  g.setColors(Block::cell(2, 2), kBlue, RGB(255, 128, 192));
  g.setAlign(Block::cell(1, 3), HAlign::Right);
  g.setBorder(Block{1, 1, 4, 3}, kAllSides);
  return g;
}

}  // namespace

TEST(GridExport, TsvOfABlockIsExact) {
  const Grid g = sample();
  EXPECT_EQ(rangeToTsv(g, {1, 1, 2, 2}), "回数\t第1数字\n1\t●\n");
  // tabs and line breaks in a cell and a leading quote are quoted; quotes inside doubled
  EXPECT_EQ(rangeToTsv(g, {2, 2, 4, 3}), "●\t\t\"tab\there\"\n\"\"\"quoted\"\t\"two\nlines\"\t\n");
  EXPECT_EQ(rangeToTsv(g, {4, 1, 4, 1}), "say \"hi\"\n");
  // a block reaching past the grid is cut at its edge; nothing selected gives nothing
  EXPECT_EQ(rangeToTsv(g, {3, 3, 9, 9}), "\"two\nlines\"\t\n");
  EXPECT_EQ(rangeToTsv(g, {}), "");
}

TEST(GridExport, HtmlKeepsColoursAlignmentAndLines) {
  const Grid g = sample();
  const std::string html = rangeToHtml(g, {1, 1, 2, 3});
  EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
  // three rows of two cells
  size_t rows = 0, cells = 0;
  for (size_t p = 0; (p = html.find("<tr>", p)) != std::string::npos; ++p) ++rows;
  for (size_t p = 0; (p = html.find("<td ", p)) != std::string::npos; ++p) ++cells;
  EXPECT_EQ(rows, 3u);
  EXPECT_EQ(cells, 6u);
  EXPECT_NE(html.find("<td bgcolor=\"#FFFFC8\" align=\"center\" valign=\"middle\" "
                      "style=\"background-color:#FFFFC8;color:#FF0000;border-left:1px solid #000000;"
                      "border-right:1px solid #000000;border-top:1px solid #000000;border-bottom:1px solid "
                      "#000000;\"><font color=\"#FF0000\">回数</font></td>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("background-color:#FF80C0;color:#0000FF;"), std::string::npos);
  EXPECT_NE(html.find("<font color=\"#0000FF\">●</font>"), std::string::npos);
  EXPECT_NE(html.find("align=\"right\""), std::string::npos);
  // special characters are escaped
  const std::string quotes = rangeToHtml(g, {4, 1, 4, 1});
  EXPECT_NE(quotes.find(">say &quot;hi&quot;</font>"), std::string::npos) << quotes;
  EXPECT_NE(rangeToHtml(g, {3, 3, 3, 3}).find(">two<br>lines</font>"), std::string::npos);
}

TEST(GridExport, CsvFileIsExactBytes) {
  const Grid g = sample();
  EXPECT_EQ(gridsToCsvFile({&g}),
            "\xEF\xBB\xBF"
            "回数,第1数字,\"a,b\",\"say \"\"hi\"\"\"\r\n"
            "1,●,,tab\there\r\n"
            "2,\"\"\"quoted\",\"two\nlines\",\r\n");
  // several grids: one BOM, an empty line between grids
  Grid small(2, 1);
  small.setText(1, 1, "x");
  EXPECT_EQ(gridsToCsvFile({&small, &small}), "\xEF\xBB\xBFx,\r\n\r\nx,\r\n");
  EXPECT_EQ(gridsToCsvFile({}), "\xEF\xBB\xBF");
}

TEST(GridSelection, ClickShiftClickDragAndArrows) {
  GridSelection s;
  s.setBounds(5, 10);
  EXPECT_TRUE(s.empty());
  EXPECT_TRUE(s.range().empty());
  s.press(2, 3, false);
  EXPECT_EQ(s.range(), (CellRange{2, 3, 2, 3}));
  s.press(4, 1, true);  // Shift+click spans from the anchor
  EXPECT_EQ(s.range(), (CellRange{2, 1, 4, 3}));
  s.dragTo(1, 5);
  EXPECT_EQ(s.range(), (CellRange{1, 3, 2, 5}));
  s.move(1, 0, true);  // Shift+Right moves the current cell, the anchor stays
  EXPECT_EQ(s.range(), (CellRange{2, 3, 2, 5}));
  s.move(0, 1, false);  // plain arrow: one cell
  EXPECT_EQ(s.range(), (CellRange{2, 6, 2, 6}));
  s.move(-9, -9, true);  // stops at the grid's corner
  EXPECT_EQ(s.range(), (CellRange{1, 1, 2, 6}));
  s.selectAll();
  EXPECT_EQ(s.range(), (CellRange{1, 1, 5, 10}));
  s.clear();
  EXPECT_TRUE(s.range().empty());
  s.move(0, 1, false);  // the first arrow starts at the top left
  EXPECT_EQ(s.range(), (CellRange{1, 1, 1, 1}));
}

TEST(GridSelection, WholeRowsAndColumnsAndShrinkingGrid) {
  GridSelection s;
  s.setBounds(5, 10);
  s.press(3, 4, false, GridSelection::Kind::Rows);
  EXPECT_EQ(s.range(), (CellRange{1, 4, 5, 4}));
  s.dragTo(1, 6);
  EXPECT_EQ(s.range(), (CellRange{1, 4, 5, 6}));
  s.press(2, 1, false, GridSelection::Kind::Columns);
  s.press(3, 1, true);
  EXPECT_EQ(s.range(), (CellRange{2, 1, 3, 10}));
  s.setBounds(2, 4);  // the grid shrank
  EXPECT_EQ(s.range(), (CellRange{2, 1, 2, 4}));
  s.setBounds(0, 0);
  EXPECT_TRUE(s.empty());
  s.press(1, 1, false);  // nothing to select in an empty grid
  EXPECT_TRUE(s.empty());
}
