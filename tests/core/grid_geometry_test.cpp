#include "frame/grid_geometry.h"

#include <gtest/gtest.h>

using namespace km;

TEST(GridGeometry, CharactersAndPointsInTwipsAtAnyDpi) {
  Grid g(3, 2);
  g.setColWidth(-1, 5);
  g.setColWidth(2, 8);
  g.setRowHeight(-1, 10);
  g.setRowHeight(1, 15);
  const GridGeometry at96 = gridGeometry(g, 96, 96);
  // 5 characters = 630 twips = 42 px; 8 = 1008 twips = 67.2 px, from the running sum
  EXPECT_EQ(at96.colX, (std::vector<int>{0, 42, 109, 151}));
  // 15 points = 357 twips = 23.8 px; 10 = 238 twips = 15.87 px
  EXPECT_EQ(at96.rowY, (std::vector<int>{0, 24, 40}));
  const GridGeometry at192 = gridGeometry(g, 192, 192);
  EXPECT_EQ(at192.colX, (std::vector<int>{0, 84, 218, 302}));
  EXPECT_EQ(at192.rowY, (std::vector<int>{0, 48, 79}));
}

TEST(GridGeometry, RoundingDoesNotAddUpAlongARow) {
  Grid g(313, 1);
  g.setColWidth(-1, 2);  // 16.8 px a column at 96 DPI
  const GridGeometry geo = gridGeometry(g, 96, 96);
  EXPECT_EQ(geo.colX.back(), 5258);  // 313 * 16.8 = 5258.4
  for (int c = 1; c <= 313; ++c) EXPECT_GE(geo.colX[c] - geo.colX[c - 1], 16);
}

TEST(GridGeometry, EveryColumnAndRowAtLeastOnePixel) {
  Grid g(2, 2);
  g.setColWidth(-1, 0);
  g.setRowHeight(-1, 0);
  const GridGeometry geo = gridGeometry(g, 96, 96);
  EXPECT_EQ(geo.colX, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(geo.rowY, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(twipsToPixels(8630, 96), 575);
  EXPECT_EQ(twipsToPixels(13800, 96), 920);
}
