// The shared set-up steps and colours of the windows' grids.
#include "frame/grid_setup.h"

#include <gtest/gtest.h>

using namespace km;

TEST(GridSetup, TheTintLadderRunsFromWhiteAndStopsAtItsLastStep) {
  const Rgb expected[] = {kWhite,
                          RGB(200, 255, 255),
                          RGB(200, 255, 200),
                          RGB(255, 255, 200),
                          RGB(255, 200, 255),
                          RGB(255, 200, 200),
                          RGB(225, 225, 225)};
  for (int step = 0; step < 7; ++step) EXPECT_EQ(tint(step), expected[step]) << step;
  EXPECT_EQ(tint(-1), kWhite);
  EXPECT_EQ(tint(7), RGB(225, 225, 225));
  EXPECT_EQ(tint(1000), RGB(225, 225, 225));
}

TEST(GridSetup, MakeGridWithAllLinesAndTheHeaderHelpers) {
  Grid g = makeGrid({.cols = 6, .rows = 4, .visibleCols = 6, .visibleRows = 4, .allLines = true});
  for (int r = 1; r <= 4; ++r)
    for (int c = 0; c <= 6; ++c) EXPECT_TRUE(g.verticalEdge(c, r).visible()) << c << "," << r;

  setDrawNoColumn(g, 1, 2);
  EXPECT_EQ(g.cell(1, 1).bg, kWhite);
  EXPECT_EQ(g.cell(1, 2).bg, RGB(255, 255, 200));
  EXPECT_EQ(g.cell(1, 4).fg, RGB(255, 0, 0));

  setHeaderBand(g, 1, 2, 5, 3, "本 数 字");
  for (int c = 2; c <= 4; ++c) EXPECT_FALSE(g.verticalEdge(c, 1).visible()) << c;
  EXPECT_TRUE(g.verticalEdge(1, 1).visible());
  EXPECT_TRUE(g.verticalEdge(5, 1).visible());
  for (int c = 2; c <= 5; ++c) EXPECT_TRUE(g.horizontalEdge(c, 0).visible() && g.horizontalEdge(c, 1).visible());
  EXPECT_EQ(g.text(3, 1), "本 数 字");
  EXPECT_EQ(g.cell(3, 1).halign, HAlign::Left);
  EXPECT_TRUE(g.cell(3, 1).overflow);
  EXPECT_FALSE(g.cell(2, 1).overflow);
}
