// Last-digit runs: the background of every run length.
#include <gtest/gtest.h>

#include "analyses/last_digit/last_digit_runs.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

TEST(LastDigitRunColours, EveryRunLengthHasItsTint) {
  // 3 in every one of 16 draws: draw k+1 carries a run of length k
  std::vector<Draw> rows;
  for (int no = 1; no <= 16; ++no) rows.push_back(test::draw(no, {3, 4, 5, 6, 7, 8}, ""));
  const Grid g = fillLastDigitRuns(History::fromRows(std::move(rows)));
  const Rgb cyan = RGB(200, 255, 255), green = RGB(200, 255, 200), yellow = RGB(255, 255, 200),
            pink = RGB(255, 200, 255), rose = RGB(255, 200, 200), grey = RGB(225, 225, 225);
  const Rgb byLength[] = {kWhite, kWhite, cyan, cyan, green, green, yellow, yellow,
                          pink,   pink,   rose, rose, grey,  rose,  rose,   rose};
  const int col = 3 + 2;
  EXPECT_EQ(g.text(col, 3), "") << "the first draw starts no run";
  for (int length = 1; length <= 15; ++length) {
    const int row = length + 3;  // record position `length`, two header rows above
    EXPECT_EQ(g.text(col, row), std::to_string(length));
    EXPECT_EQ(g.cell(col, row).bg, byLength[length]) << "run of " << length;
  }
}

}  // namespace
}  // namespace km
