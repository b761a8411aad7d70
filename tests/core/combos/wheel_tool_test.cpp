// kazumaki-tool wheel: the CSV of a wheel whose guarantee holds and the
// summary (its refusals are rows of tool_test.cpp's table).
#include <gtest/gtest.h>

#include <sstream>

#include "analyses/combos/wheel.h"
#include "tests/core/test_process.h"

namespace km {
namespace {

std::vector<WheelLine> csvLines(const std::string& csv) {
  std::istringstream in(csv);
  std::string row;
  std::getline(in, row);
  EXPECT_EQ(row, "n1,n2,n3,n4,n5");
  std::vector<WheelLine> lines;
  while (std::getline(in, row)) {
    WheelLine l{};
    char comma;
    std::istringstream r(row);
    r >> l[0] >> comma >> l[1] >> comma >> l[2] >> comma >> l[3] >> comma >> l[4];
    EXPECT_TRUE(r && r.peek() == EOF) << row;
    lines.push_back(l);
  }
  return lines;
}

TEST(WheelTool, CsvLinesCarryTheGuaranteeAndTheSummaryItsCost) {
  // full-width digits and every separator; --if defaults to --match
  const test::ToolRun r = test::runTool("wheel --numbers \"３ 5,7、9　11，13 17 19 23 29\" --match 3 --csv", {}, "");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<WheelLine> lines = csvLines(r.out);
  const std::vector<int> pool{3, 5, 7, 9, 11, 13, 17, 19, 23, 29};
  EXPECT_EQ(uncoveredSubsets(pool, 3, 3, lines), 0);
  EXPECT_EQ(lines, makeWheel({pool, 3, 3}).lines);  // the same lines as the window's

  const test::ToolRun four = test::runTool("wheel --numbers \"1 2 3 4 5 6 7 8 9 10\" --match 2 --if 4 --csv", {}, "");
  ASSERT_EQ(four.status, 0) << four.out;
  EXPECT_EQ(uncoveredSubsets({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 2, 4, csvLines(four.out)), 0);

  // the summary: lines, cost and bounds
  const std::string said = test::runTool("wheel --numbers \"1 2 3 4 5 6 7 8 9 10 11\" --match 4").out;
  for (const char* part : {"口数：66口（13,200円）", "下限：66口", "証明された最小：66口"})
    EXPECT_NE(said.find(part), std::string::npos) << said;
}

}  // namespace
}  // namespace km
