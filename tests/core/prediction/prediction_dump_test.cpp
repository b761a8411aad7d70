// The four grids as the companion tool dumps them: settings file read, grids
// built, history scanned, display sequence run.
#include "prediction/core/prediction_dump.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "prediction/core/prediction_methods.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

namespace fs = std::filesystem;

std::vector<Grid> gridsWithSettingsFile(const History& h, const std::string& ini) {
  PredictionState settings;
  settings.reflect = Settings::read(ini).prediction();
  return predictionGrids(h, settings);
}

TEST(PredictionDump, FollowsTheSettingsFile) {
  std::string tmpl = (fs::temp_directory_path() / "km-dump-XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const fs::path dir = tmpl;
  const std::string ini = (dir / kSettingsFileName).string();

  // Three draws; see the elimination tests for the arithmetic.
  const History h = test::history({{2, 3, 5, 6, 4, 20}, {1, 1, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14}});

  std::vector<Grid> g = gridsWithSettingsFile(h, (dir / "missing.ini").string());
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[1].text(2, 2), "11");
  EXPECT_EQ(g[1].text(6, 2), "12");
  EXPECT_EQ(g[0].text(1, 5), "12回周期法");
  EXPECT_EQ(g[3].maxRows(), 2);

  std::ofstream(ini, std::ios::binary) << "分割データ分析Opt=True\r\n";
  g = gridsWithSettingsFile(h, ini);
  EXPECT_EQ(g[1].text(2, 2), "12");
  EXPECT_EQ(g[1].text(4, 2), "31");

  // Same as opening the window on a state that read that file.
  PredictionState s;
  s.reflect = Settings::read(ini).prediction();
  PredictionGrids w;
  openPrediction(s, h, w);
  for (int i = 0; i < 4; ++i)
    for (int r = 1; r <= w[i].maxRows(); ++r)
      for (int c = 1; c <= 6; ++c) EXPECT_EQ(g[i].text(c, r), w[i].text(c, r));
  fs::remove_all(dir);
}

TEST(PredictionDump, EmptyHistoryShowsHeadersOnly) {
  const std::vector<Grid> g = predictionGrids(History{}, PredictionState());
  ASSERT_EQ(g.size(), 4u);
  for (const Grid& x : g)
    for (int r = 2; r <= x.maxRows(); ++r)
      for (int c = 2; c <= 6; ++c) EXPECT_EQ(x.text(c, r), "");
  EXPECT_EQ(g[2].text(1, 2), "連発予想");
}

}  // namespace
}  // namespace km
