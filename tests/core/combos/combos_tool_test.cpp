// kazumaki-tool combos: the count beside the stored winning lines, every kept
// line, lines from a seed, lines by their 賞金倍率, and each bad value
// refused in Japanese.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "analyses/popularity/popularity_model.h"
#include "frame/grid_setup.h"
#include "store/sqlite/database.h"
#include "tests/core/analyses/popularity_made_history.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"

namespace fs = std::filesystem;

namespace km {
namespace {

struct CombosTool : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-combos-tool-" + std::to_string(::getpid()));
  std::string db = (dir / "Kazumaki.mdb").string();
  void SetUp() override {
    fs::create_directories(dir);
    // five odd numbers, five even, then 1..5
    const std::vector<Draw> rows = {test::draw(1, {1, 3, 5, 7, 9, 11}), test::draw(2, {2, 4, 6, 8, 10, 12}),
                                    test::draw(3, {5, 4, 3, 2, 1, 6})};
    ASSERT_EQ(writeDatabase({db, databasePassword()}, rows).withCause(), "");
  }
  void TearDown() override { fs::remove_all(dir); }
  test::ToolRun run(const std::string& args, const std::string& after = " 2>&1") const {
    return test::runTool("combos " + db + " " + args, {}, after);
  }
};

TEST_F(CombosTool, CountsLinesAndSamples) {
  const test::ToolRun all = run("--count");
  ASSERT_EQ(all.status, 0) << all.out;
  EXPECT_EQ(all.out, "169911,3,3\n");
  // five odd numbers: C(16,5) lines, and draw 1 of the three
  EXPECT_EQ(run("--odd 5 --count").out, "4368,1,3\n");
  // lines with none of the last draw's 1..5: C(26,5); draws 2 and 3 are judged against the draw
  // before each: draw 2 has none of draw 1's numbers, draw 3 has 2 and 4 of draw 2's
  EXPECT_EQ(run("--recent 1:0 --count").out, "65780,1,2\n");

  const test::ToolRun csv = run("--axis \"1 2 3 4\" --csv");
  ASSERT_EQ(csv.status, 0) << csv.out;
  EXPECT_EQ(csv.out.substr(0, 25), "n1,n2,n3,n4,n5\n1,2,3,4,5\n");
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 28);
  EXPECT_EQ(csv.out.substr(csv.out.size() - 11), "1,2,3,4,31\n");

  const test::ToolRun a = run("--sum 70-90 --sample 4 --seed 42"), b = run("--seed 42 --sample 4 --sum 70-90");
  ASSERT_EQ(a.status, 0) << a.out;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 5);
  // without a seed one is chosen and told, so that the lines can be made again
  const std::string told = (dir / "told.txt").string();
  const test::ToolRun chosen = run("--sample 4", " 2>" + told);
  ASSERT_EQ(chosen.status, 0);
  const std::string said = test::slurp(told);
  const size_t at = said.find("--seed ");
  ASSERT_NE(at, std::string::npos) << said;
  const std::string seed = said.substr(at + 7, said.find(' ', at + 7) - at - 7);
  EXPECT_EQ(run("--sample 4 --seed " + seed).out, chosen.out) << said;
}

TEST_F(CombosTool, BadValuesAreRefusedInJapanese) {
  const struct {
    const char* args;
    int status;
    const char* says;  // after "kazumaki-tool: " (a usage: nothing on standard output)
  } refused[] = {
      {"--axis 32 --count", 1, "--axis：「32」は1〜31の数字ではありません。"},
      {"--axis \"3 3\" --count", 1, "--axis：数字3が2回あります。"},
      {"--axis \"1 2 3 4 5\" --count", 1, "軸数字は4個までです（5個）。"},
      {"--exclude 0 --count", 1, "--exclude：「0」は1〜31の数字ではありません。"},
      {"--axis 3 --exclude \"1 3\" --count", 1, "数字3が軸数字と除外数字の両方にあります。"},
      {"--odd 6 --count", 1, "--odd：「6」は0〜5ではありません。"},
      {"--low 2,2 --count", 1, "--low：2が2回あります。"},
      {"--consecutive 5 --count", 1, "--consecutive：「5」は0〜4ではありません。"},
      {"--last-digits 0 --csv", 1, "--last-digits：「0」は1〜5ではありません。"},
      {"--sum 90-70 --count", 1, "合計の範囲が逆です（90〜70）。"},
      {"--sum 10-50 --count", 1, "合計は15〜145の範囲で指定します。"},
      {"--sum 70 --count", 1, "--sum：合計は「70-90」のように下限-上限で指定します。"},
      {"--recent 11:1 --count", 1, "--recent：直近の回数は1〜10です。"},
      {"--recent 0:1 --count", 1, "--recent：直近の回数は1〜10です。"},
      {"--recent 5 --count", 1, "--recent：「5:1,2」のように回数:個数で指定します。"},
      {"--recent 5:6 --count", 1, "--recent：「6」は0〜5ではありません。"},
      {"--sample 0", 1, "--sample：口数は1以上の整数です。"},
      {"--sample 3 --seed x", 1, "--seed：シードは0〜999999999の整数です。"},
      {"--min-factor 1,1 --csv", 1, "--min-factor：賞金倍率は0〜3.00の数です（例：1.1）。"},
      {"--min-factor 3.05 --csv", 1, "--min-factor：賞金倍率は0〜3.00の数です（例：1.1）。"},
      // three draws without prizes: no factor to sort by
      {"--sort-factor --csv", 1, "当せん金のわかる回が0回しかないため、人気度を推定できません（100回以上必要です）。"},
      {"", 2, nullptr},
      {"--count --csv", 2, nullptr},
      {"--csv --sample 3", 2, nullptr},
      {"--bogus --count", 2, nullptr},
      {"--count --count", 2, nullptr},
      {"--seed 3 --count", 2, nullptr},
      {"other.mdb --count", 2, nullptr},
      {"--axis", 2, nullptr},
      {"--sort-factor --count", 2, nullptr},
  };
  for (const auto& r : refused) {
    const test::ToolRun out = run(r.args, r.says ? " 2>&1" : " 2>/dev/null");
    EXPECT_EQ(out.status >> 8, r.status) << r.args;
    EXPECT_EQ(out.out, r.says ? std::string("kazumaki-tool: ") + r.says + "\n" : "") << r.args;
  }
}

// With prizes stored, the lines come with 人気度's factor of each (as
// 当選確認 shows it), sorted or kept at or above one; without either option
// the CSV is as it always was.
TEST_F(CombosTool, LinesByTheirPrizeFactor) {
  const test::MadeHistory m = test::madeHistory(300, 300);
  ASSERT_EQ(writeDatabase({db, databasePassword()}, m.history.draws, m.history.prizes).withCause(), "");
  const PopularityModel model = fitPopularity(m.history);
  std::vector<std::pair<double, std::string>> rows;  // the 378 lines holding 1 2 3
  for (int d = 4; d <= 30; ++d)
    for (int e = d + 1; e <= 31; ++e)
      rows.emplace_back(estimateLine(model, {1, 2, 3, d, e}).factor,
                        "1,2,3," + std::to_string(d) + "," + std::to_string(e) + ",");
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string sorted = "n1,n2,n3,n4,n5,factor\n", kept = sorted;
  for (const auto& [f, line] : rows) sorted += line + fixedText(f, 2) + "\n";
  EXPECT_EQ(run("--axis \"1 2 3\" --csv --sort-factor").out, sorted);
  const std::string above = run("--axis \"1 2 3\" --min-factor 1.05 --csv --sort-factor").out;
  for (const auto& [f, line] : rows)
    if (fixedText(f, 2) >= "1.05") kept += line + fixedText(f, 2) + "\n";
  EXPECT_EQ(above, kept);
  EXPECT_LT(kept.size(), sorted.size());
  EXPECT_EQ(run("--axis \"1 2 3\" --csv").out.substr(0, 25), "n1,n2,n3,n4,n5\n1,2,3,4,5\n");
}

}  // namespace
}  // namespace km
