// kazumaki-tool popularity: the lines' estimated prizes and the numbers'
// effects as the window computes them, and a history with too few prizes,
// a bad line or a wrong command refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "analyses/popularity/popularity_model.h"
#include "frame/grid_setup.h"
#include "store/sqlite/database.h"
#include "tests/core/analyses/popularity_made_history.h"
#include "tests/core/test_process.h"

namespace fs = std::filesystem;

namespace km {
namespace {

struct PopularityTool : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-popularity-tool-" + std::to_string(::getpid()));
  std::string db = (dir / "Kazumaki.mdb").string();
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  History write(int draws, int withPrizes) const {
    const test::MadeHistory m = test::madeHistory(draws, withPrizes);
    EXPECT_EQ(writeDatabase({db, databasePassword()}, m.history.draws, m.history.prizes), "");
    return m.history;
  }
};

TEST_F(PopularityTool, LinesAndNumbersAreTheModelsOwn) {
  const PopularityModel model = fitPopularity(write(400, 380));
  ASSERT_TRUE(model.fitted());

  const test::ToolRun lines =
      test::runTool("popularity " + db + " --line \"31 20 12 7 3\" --line \"１ 2 3 4 5\" --csv");
  ASSERT_EQ(lines.status, 0) << lines.out;
  std::ostringstream want;
  want << "n1,n2,n3,n4,n5,prize1,prize3,prize4\n";
  for (const TicketNumbers& line : {TicketNumbers{3, 7, 12, 20, 31}, TicketNumbers{1, 2, 3, 4, 5}}) {
    const LineEstimate e = estimateLine(model, line);
    for (int n : line) want << n << ',';
    want << std::llround(e.yen[0]) << ',' << std::llround(e.yen[2]) << ',' << std::llround(e.yen[3]) << '\n';
  }
  EXPECT_EQ(lines.out, want.str());

  const test::ToolRun numbers = test::runTool("popularity " + db + " --numbers --csv");
  ASSERT_EQ(numbers.status, 0) << numbers.out;
  std::ostringstream table;
  table << "number,effect,low,high\n";
  for (const NumberPopularity& p : model.numbers)
    table << p.number << ',' << fixedText(100 * p.effect, 1) << ',' << fixedText(100 * p.low, 1) << ','
          << fixedText(100 * p.high, 1) << '\n';
  EXPECT_EQ(numbers.out, table.str());

  const test::ToolRun text = test::runTool("popularity " + db + " --line \"3 7 12 20 31\"");
  ASSERT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("1等なら 約"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("平均的な買い目の"), std::string::npos) << text.out;
}

TEST_F(PopularityTool, TooFewPrizesBadLinesAndWrongCommandsAreRefused) {
  write(400, 99);
  const struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"--numbers --csv", 1, "当せん金のわかる回が99回しかないため、人気度を推定できません（100回以上必要です）"},
      {"--line \"1 2 3 4 5\"", 1, "当せん金のわかる回が99回しかない"},
      {"--line \"1 2 3 4\"", 1, "--line："},
      {"--line \"1 2 3 4 32\"", 1, "--line："},
      {"", 2, "使い方"},
      {"--numbers --line \"1 2 3 4 5\"", 2, "使い方"},
      {"--numbers --bogus", 2, "使い方"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const test::ToolRun r = test::runTool("popularity " + db + " " + c.args);
    EXPECT_EQ(r.status >> 8, c.status);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    EXPECT_EQ(test::runTool("popularity " + db + " " + c.args, {}, " 2>/dev/null").out, "") << "nothing on stdout";
  }
}

}  // namespace
}  // namespace km
