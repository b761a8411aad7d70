#include "windows/window_table.h"

#include <gtest/gtest.h>

#include <set>

#include "analyses/pairs/pair_analysis.h"
#include "prediction/core/prediction_record.h"
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
    EXPECT_GT(w.def.width, 0);
    EXPECT_GT(w.def.height, 0);
    const bool prediction = w.kind == WindowKind::Prediction;
    EXPECT_EQ(w.menu.name == nullptr, prediction) << "the prediction window has a command of its own";
    if (!prediction) {
      EXPECT_TRUE(menuItems.insert(w.menu.name).second);
    }
    EXPECT_EQ(w.fill({h, settings}).size(), prediction ? 4u : 1u);
  }
  EXPECT_EQ(names.size(), 23u);
  for (WindowId id : {WindowId::DataEntry, WindowId::About}) {
    EXPECT_EQ(windowRow(id).id, id);
    EXPECT_EQ(findWindow(windowRow(id).def.name), nullptr) << "no grid of the history to dump";
  }
  EXPECT_EQ(findWindow("存在しない"), nullptr);
}

// A legend says which way from chance each tint lies.
TEST(WindowTable, LegendsNameTheTintsTheirGridsUse) {
  const struct {
    WindowId id;
    Rgb tint;
    const char* says;
  } cases[] = {{WindowId::Pairs, pairTint(2), "2σ以上多い"},
               {WindowId::Pairs, pairTint(1), "1σ以上多い"},
               {WindowId::Pairs, pairTint(-1), "1σ以上少ない"},
               {WindowId::Pairs, pairTint(-2), "2σ以上少ない"},
               {WindowId::PredictionRecord, kRecordAboveChance, "偶然より多い"},
               {WindowId::PredictionRecord, kRecordBelowChance, "偶然より少ない"}};
  for (const auto& c : cases) {
    int found = 0;
    for (const LegendItem& item : windowRow(c.id).def.legend)
      if (item.sampleBg == c.tint) {
        ++found;
        EXPECT_NE(item.label.find(c.says), std::string::npos) << item.label << " for " << c.says;
      }
    EXPECT_EQ(found, 1) << c.says;
  }
}
