// kazumaki-tool wheel: the CSV of a wheel whose guarantee holds, the summary,
// and bad input refused in Japanese with nothing on standard output.
#include <gtest/gtest.h>

#include <ostream>
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

TEST(WheelTool, CsvLinesCarryTheGuaranteeAndFullWidthDigitsRead) {
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
}

TEST(WheelTool, SummaryNamesLinesCostAndBounds) {
  const test::ToolRun r = test::runTool("wheel --numbers \"1 2 3 4 5 6 7 8 9 10 11\" --match 4");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("口数：66口（13,200円）"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("下限：66口"), std::string::npos);
  EXPECT_NE(r.out.find("証明された最小：66口"), std::string::npos);
}

struct BadCase {
  const char* args;
  int status;
  const char* says;  // on standard error; nothing on standard output
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.args; }

class WheelToolRefusals : public ::testing::TestWithParam<BadCase> {};

TEST_P(WheelToolRefusals, RefusedWithNothingWritten) {
  const BadCase& c = GetParam();
  const test::ToolRun out = test::runTool(std::string("wheel ") + c.args, {}, " 2>/dev/null");
  EXPECT_EQ(out.out, "");
  const test::ToolRun err = test::runTool(std::string("wheel ") + c.args, {}, " 2>&1 >/dev/null");
  EXPECT_EQ(err.status >> 8, c.status) << err.out;
  EXPECT_NE(err.out.find(c.says), std::string::npos) << err.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WheelToolRefusals,
    ::testing::Values(BadCase{"--numbers \"1 2 3 4 5\" --match 2", 1, "6〜31個"},
                      BadCase{"--numbers \"0 1 2 3 4 5\" --match 2", 1, "「0」は1〜31の数字ではありません"},
                      BadCase{"--numbers \"1 2 3 4 5 32\" --match 2", 1, "「32」は1〜31"},
                      BadCase{"--numbers \"1 2 3 4 5 x\" --match 2", 1, "「x」は1〜31"},
                      BadCase{"--numbers \"1 2 3 4 5 ５ 6\" --match 2", 1, "数字5が2回あります"},
                      BadCase{"--numbers \"\" --match 2", 1, "数字がありません"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 1", 1, "2〜4個"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 5", 1, "2〜4個"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 3 --if 2", 1, "3個）から5個"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 2 --if 6", 1, "から5個"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match two", 1, "--match の「two」は個数ではありません"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 2 --if -3", 1, "--if の「-3」"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\"", 2, "使い方"}, BadCase{"--match 2", 2, "使い方"},
                      BadCase{"--numbers \"1 2 3 4 5 6 7\" --match 2 --bogus", 2, "使い方"}));

}  // namespace
}  // namespace km
