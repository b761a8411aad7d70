#include "frame/grid.h"

#include <gtest/gtest.h>

#include "frame/grid_json.h"

using namespace km;

TEST(Grid, EachCellKeepsItsLinesAndTheLaterLineOfAnEdgeIsDrawn) {
  Grid g(4, 3);
  g.setBorder(Block::all(), kAllSides, 1, RGB(1, 2, 3));
  EXPECT_EQ(g.right(1, 1), g.left(2, 1));
  EXPECT_EQ(g.bottom(1, 1).color, RGB(1, 2, 3));

  // a header block loses its inner lines and gets one frame
  g.clearBorder(Block{2, 1, 4, 1});
  g.setBorder(Block{2, 1, 4, 1}, kOutline, 1, RGB(9, 9, 9));
  EXPECT_FALSE(g.right(2, 1).visible());
  EXPECT_FALSE(g.left(3, 1).visible());
  EXPECT_FALSE(g.verticalEdge(2, 1).visible()) << "no line inside the frame";
  EXPECT_EQ(g.left(2, 1).color, RGB(9, 9, 9));
  EXPECT_EQ(g.right(4, 1).color, RGB(9, 9, 9));
  EXPECT_EQ(g.top(3, 1).color, RGB(9, 9, 9));
  EXPECT_EQ(g.bottom(3, 1).color, RGB(9, 9, 9));
  EXPECT_EQ(g.top(3, 2).color, RGB(1, 2, 3)) << "the row below keeps its own line";
  EXPECT_EQ(g.horizontalEdge(3, 1).color, RGB(9, 9, 9)) << "the frame was set later";
  EXPECT_EQ(g.right(1, 1).color, RGB(1, 2, 3)) << "the neighbour keeps its own line";
  EXPECT_EQ(g.verticalEdge(1, 1).color, RGB(9, 9, 9));

  // clearing one side leaves the neighbour's line on that edge
  g.clearBorder(Block::cell(2, 3));
  EXPECT_FALSE(g.left(2, 3).visible());
  EXPECT_TRUE(g.verticalEdge(1, 3).visible());
  EXPECT_EQ(g.verticalEdge(1, 3).color, RGB(1, 2, 3));
  g.clearBorder(Block::cell(1, 3));
  EXPECT_FALSE(g.verticalEdge(1, 3).visible());
  EXPECT_FALSE(g.verticalEdge(0, 3).visible());
}

TEST(Grid, BlocksDefaultsAndBounds) {
  Grid g(3, 2);
  EXPECT_EQ(g.cell(1, 1).bg, kWhite);
  EXPECT_EQ(g.cell(1, 1).fg, kBlack);
  g.setBg(Block{-1, 2, -1, 2}, RGB(255, 255, 200));
  EXPECT_EQ(g.cell(3, 2).bg, RGB(255, 255, 200));
  EXPECT_EQ(g.cell(3, 1).bg, kWhite);
  g.setColWidth(-1, 5);
  g.setColWidth(2, 9);
  g.setRowHeight(-1, 10);
  g.setRowHeight(1, 15);
  EXPECT_EQ(g.colWidth(1), 5);
  EXPECT_EQ(g.colWidth(2), 9);
  EXPECT_EQ(g.rowHeight(1), 15);
  EXPECT_EQ(g.rowHeight(2), 10);

  // nothing outside the grid is ever written or read
  g.setText(0, 0, "x");
  g.setText(4, 1, "x");
  g.setText(1, 3, "x");
  g.setBg(Block{3, 2, 9, 9}, RGB(1, 1, 1));
  EXPECT_EQ(g.text(4, 1), "");
  EXPECT_EQ(g.cell(3, 2).bg, RGB(1, 1, 1));

  // growing keeps what was written
  g.setText(2, 2, "22");
  g.setMaxRows(10);
  g.setMaxCols(5);
  EXPECT_EQ(g.text(2, 2), "22");
  EXPECT_EQ(g.colWidth(2), 9);
  EXPECT_EQ(g.rowHeight(5), 10);
}

TEST(GridJson, ListsCellsWithTextOrAttributes) {
  Grid g(2, 2);
  g.setVisible(2, 1);
  g.setFrozenRows(1);
  g.setText(1, 1, "回数\"");
  g.setColors(Block::cell(2, 2), RGB(255, 0, 0), RGB(0xAB, 0xCD, 0xEF));
  g.setBorder(Block::cell(2, 2), kBottom);
  const std::string json = windowToJson(WindowDef{}, {&g});
  EXPECT_NE(json.find("\"visible_rows\":1,\"frozen_rows\":1"), std::string::npos) << json;
  EXPECT_NE(json.find("{\"col\":1,\"row\":1,\"text\":\"回数\\\"\",\"bg\":\"#FFFFFF\",\"fg\":\"#000000\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"bg\":\"#ABCDEF\",\"fg\":\"#FF0000\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"borders\":{\"bottom\":{\"style\":1,\"color\":\"#000000\"}}"), std::string::npos) << json;
  EXPECT_EQ(json.find("\"col\":1,\"row\":2"), std::string::npos) << "a default cell is left out";
}
