#include "windows/window_table.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/core/test_history.h"

using namespace km;

// Each window is found by its id and by its name; the analyses are offered
// by the データ分析 menu and fill one grid, the prediction window fills four.
TEST(WindowTable, EveryWindowIsFoundByItsIdAndNameAndFillsItsGrids) {
  const History h = test::history({{1, 3, 17, 20, 25, 26}, {2, 11, 12, 21, 30, 28}});
  const PredictionState settings;
  std::set<std::string> names, menuItems;
  for (const WindowRow& w : windowTable()) {
    SCOPED_TRACE(w.def.name);
    EXPECT_TRUE(names.insert(w.def.name).second);
    EXPECT_EQ(&windowRow(w.id), &w);
    EXPECT_EQ(findWindow(w.def.name), &w);
    EXPECT_EQ(findWindow(w.def.caption), &w) << "as its title bar shows it";
    const bool prediction = w.kind == WindowKind::Prediction;
    EXPECT_EQ(w.menu.name == nullptr, prediction) << "the prediction window has a command of its own";
    if (!prediction) {
      EXPECT_TRUE(menuItems.insert(w.menu.name).second);
    }
    EXPECT_EQ(w.fill({h, settings}).size(), prediction ? 4u : 1u);
  }
  // every item of the menu opens a window of the table, the chart window besides
  for (const WindowRow* m : menuWindows()) EXPECT_TRUE(m->kind == WindowKind::Chart || names.count(m->def.name));
  for (WindowId id : {WindowId::DataEntry, WindowId::About}) {
    EXPECT_EQ(windowRow(id).id, id);
    EXPECT_EQ(findWindow(windowRow(id).def.name), nullptr) << "no grid of the history to dump";
  }
  EXPECT_EQ(findWindow("存在しない"), nullptr);
}

// A legend says what a tint of its grid means: the pair that came up in every
// draw is tinted as the legend's 「2σ以上多い」, the pair that never did as its
// 「少ない」, and a pair near chance not at all.
TEST(WindowTable, TheLegendNamesWhatTheGridsTintsMean) {
  std::vector<Draw> draws;
  for (int no = 1; no <= 93; ++no) {
    // 1 and 2 in every draw; 30 and 31 never together; the rest turn round
    const int k = 3 + (no * 3) % 25;
    draws.push_back(test::draw(no, {1, 2, k, k + 1, no % 2 ? 30 : 31, 29}));
  }
  const History h = History::fromRows(std::move(draws));
  const PredictionState settings;
  const WindowRow& pairs = windowRow(WindowId::Pairs);
  const Grid g = pairs.fill({h, settings}).at(0);
  const auto legendFor = [&](int a, int b) -> std::string {
    const Rgb bg = g.style(b + 1, a + 1).bg;
    for (const LegendItem& item : pairs.def.legend)
      if (item.sampleBg == bg) return item.label;
    return bg == kWhite ? "（色なし）" : "（凡例にない色）";
  };
  EXPECT_NE(legendFor(1, 2).find("2σ以上多い"), std::string::npos) << legendFor(1, 2);
  EXPECT_NE(legendFor(30, 31).find("少ない"), std::string::npos) << legendFor(30, 31);
  EXPECT_EQ(legendFor(2, 1), legendFor(1, 2)) << "both halves of the table alike";
}
