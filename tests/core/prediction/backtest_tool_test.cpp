// kazumaki-tool backtest: the record as the window shows it, and one line per
// draw and prediction line that anyone can check.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "prediction/core/backtest.h"
#include "store/sqlite/database.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"

namespace fs = std::filesystem;

namespace km {
namespace {

struct BacktestTool : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-backtest-" + std::to_string(::getpid()));
  std::string db = (dir / "Kazumaki.mdb").string();
  std::string ini = (dir / "empty.ini").string();  // no settings: every one off
  History history;
  void SetUp() override {
    fs::create_directories(dir);
    std::ofstream{ini};
    std::vector<Draw> rows;
    for (int no = 1; no <= 70; ++no) {
      Draw d = test::draw(no);
      for (int f = 0; f < 6; ++f) d.n[f] = test::number((no * 7 + f * 5) % 31 + 1);
      if (no == 20) d.n[5].reset();
      rows.push_back(d);
    }
    ASSERT_EQ(writeDatabase({db, databasePassword()}, rows).withCause(), "");
    history = History::fromRows(rows);
  }
  void TearDown() override { fs::remove_all(dir); }
  test::ToolRun run(const std::string& args) const { return test::runTool("backtest " + db + " --ini " + ini + args); }
};

std::string joined(const std::vector<int>& v) {
  std::string s;
  for (int n : v) s += (s.empty() ? "" : " ") + std::to_string(n);
  return s;
}

TEST_F(BacktestTool, DrawLinesAreTheRecordsOwn) {
  for (int from : {0, 60}) {
    const test::ToolRun out = run(from ? " --draws --from " + std::to_string(from) : " --draws");
    ASSERT_EQ(out.status, 0) << out.out;
    const Backtest b = runBacktest(history, {}, from);
    std::ostringstream want;
    want << "draw,line,predicted,drawn,hits\n";
    for (const BacktestDraw& d : b.draws)
      for (int l = 0; l < kPredictionLineCount; ++l)
        want << d.no << ',' << kPredictionLineLabels[l] << ',' << joined(d.lines[l]) << ','
             << joined({d.drawn.begin(), d.drawn.end()}) << ',' << d.hits[l] << '\n';
    EXPECT_EQ(out.out, want.str());
    EXPECT_EQ(b.draws.front().no, from ? 60 : 52);
  }
}

TEST_F(BacktestTool, TableEqualsTheWindowsGridAndBadArgumentsAreRefused) {
  const test::ToolRun csv = run(" --csv");
  ASSERT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out, test::runTool("grid " + db + " 予想の成績 --csv --ini " + ini).out);
  const test::ToolRun json = run("");
  EXPECT_EQ(json.out.rfind("{\"window\":\"予想の成績\",\"caption\":\"予想の成績\"", 0), 0u) << json.out.substr(0, 200);
  EXPECT_NE(json.out.find("\"text\":\"１発予想\""), std::string::npos);
  for (const char* bad : {" --from 0", " --from x", " --bogus", " extra"}) EXPECT_EQ(run(bad).status >> 8, 2) << bad;
  EXPECT_EQ(test::runTool("backtest " + (dir / "missing.mdb").string()).status >> 8, 1);

  // a settings file named with --ini that cannot be read is said, not stood in for by the defaults
  const fs::path fifo = dir / "fifo.ini", loop = dir / "loop.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  fs::create_symlink(loop.filename(), loop);
  const std::pair<fs::path, const char*> unreadable[] = {
      {dir / "missing.ini", "設定ファイルがありません"},
      {dir, "設定ファイルが通常のファイルではありません（フォルダ）"},
      {fifo, "設定ファイルが通常のファイルではありません（名前付きパイプ（FIFO））"},
      {loop, "設定ファイルが通常のファイルではありません（循環しているシンボリックリンク）"}};
  for (const auto& [path, says] : unreadable)
    for (const std::string& command : {"backtest " + db, "grid " + db + " 予想の成績"}) {
      const test::ToolRun r = test::runTool(command + " --ini " + path.string());
      EXPECT_EQ(r.status >> 8, 1) << command << " " << path;
      EXPECT_EQ(r.out.rfind(std::string("kazumaki-tool: --ini：") + says, 0), 0u) << r.out.substr(0, 200);
    }
}

}  // namespace
}  // namespace km
