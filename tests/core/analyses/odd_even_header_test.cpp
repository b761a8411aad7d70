// Odd/even pattern: the lines of the header row.
#include <gtest/gtest.h>

#include "analyses/patterns/odd_even.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

TEST(OddEvenHeader, TheMainNumberBandIsOneFrameWithoutInnerLines) {
  for (const History& h : {test::history({}), test::history({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}})}) {
    const Grid g = fillOddEven(h);
    for (int c = 2; c <= 5; ++c) EXPECT_FALSE(g.verticalEdge(c, 1).visible()) << "line right of column " << c;
    for (int c = 1; c <= 10; ++c) {
      if (c >= 2 && c <= 6) continue;
      EXPECT_TRUE(g.verticalEdge(c, 1).visible()) << "line right of column " << c;
    }
    EXPECT_TRUE(g.verticalEdge(1, 1).visible()) << "the band's left side";
    EXPECT_TRUE(g.verticalEdge(6, 1).visible()) << "the band's right side";
    for (int c = 1; c <= 10; ++c) {
      EXPECT_TRUE(g.horizontalEdge(c, 0).visible()) << c;
      EXPECT_TRUE(g.horizontalEdge(c, 1).visible()) << c;
    }
    // below the header every cell keeps all four lines
    for (int r = 2; r <= g.maxRows(); ++r)
      for (int c = 1; c <= 9; ++c) EXPECT_TRUE(g.verticalEdge(c, r).visible()) << c << "," << r;
  }
}

}  // namespace
}  // namespace km
