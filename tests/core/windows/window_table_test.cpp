#include "windows/window_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "prediction/core/prediction_dump.h"
#include "tests/core/test_history.h"

using namespace km;

TEST(WindowTable, EighteenWindowsWithUniqueNamesAndSizes) {
  const auto& table = windowTable();
  EXPECT_EQ(table.size(), 18u);
  std::set<std::string> names;
  for (const WindowDef& w : table) {
    EXPECT_TRUE(names.insert(w.name).second) << w.name;
    EXPECT_GT(w.width, 0);
    EXPECT_GT(w.height, 0);
    EXPECT_EQ(findWindow(w.name), &w);
  }
  const WindowDef* interval = findWindow("出現間隔分析");
  ASSERT_NE(interval, nullptr);
  EXPECT_EQ(interval->caption, "出現間隔分析");
  EXPECT_EQ(interval->width, 8630);
  EXPECT_EQ(interval->height, 13800);
  const WindowDef* prediction = findWindow(kPredictionWindow);
  ASSERT_NE(prediction, nullptr);
  EXPECT_EQ(prediction->caption, "一発ゼノバ予想");
  EXPECT_EQ(findWindow("存在しない"), nullptr);
}

// A damaged database can hold any value: no window may index outside a table.
TEST(WindowTable, EveryWindowSurvivesValuesOutsideTheirRanges) {
  const History odd = test::historyRows({
      {-5, {1, 2, 3, 4, 5, 6}},
      {0, {0, -1, 32, 3000, 3001, INT_MIN}},
      {1, {INT_MAX, 31, 31, 31, 31, 31}},
      {2, {1, 2, 3, 4, 5, std::nullopt}},
      {999, {10, 20, 30, 1, 11, 21}},
      {5000, {1, 2, 3, 4, 5, 6}},
      {5001, {1, 2, 3, 4, 5, 6}},
      {10001, {1, 2, 3, 4, 5, 6}},
      {32767, {7, 8, 9, 10, 11, 12}},
      {40000, {7, 8, 9, 10, 11, 12}},
      {40000, {-40000, 8, 9, 10, 11, 40000}},
  });
  for (const WindowDef& w : windowTable()) {
    if (!w.fill) continue;
    const Grid g = w.fill(odd);
    EXPECT_GT(g.maxRows(), 0) << w.name;
  }
  EXPECT_EQ(predictionGrids(odd, "/nonexistent/カズマキ.ini").size(), 4u);
}

TEST(WindowTable, PredictionSurvivesExtremeValuesInRecentDraws) {
  std::vector<test::Row> rows;
  for (int no = 1; no <= 30; ++no)
    rows.push_back({no, {no % 2 ? INT_MAX : INT_MIN, 2, 3, 4, no % 3 ? 5 : INT_MAX, no % 5 ? 6 : INT_MIN}});
  std::vector<Draw> draws;
  for (const test::Row& r : rows) draws.push_back(test::draws({r})[0]);
  const std::vector<Grid> grids = predictionGrids(History::fromRows(draws), "/nonexistent/カズマキ.ini");
  ASSERT_EQ(grids.size(), 4u);
  EXPECT_FALSE(grids[1].text(2, 2).empty()) << "the elimination method still shows numbers";
}
