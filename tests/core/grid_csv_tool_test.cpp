// kazumaki-tool grid DB WINDOW --csv: the window's grids as a CSV file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "store/sqlite/database.h"
#include "tests/core/test_history.h"
#include "windows/window_table.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

std::string runTool(const std::string& args, int* status) {
  const std::string cmd = std::string(KM_TOOL) + " " + args + " 2>/dev/null";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *status = pclose(p);
  return out;
}

// Records of a CSV text (after its BOM): quoted fields may hold commas, quotes
// and line breaks; every record ends with CR LF.
std::vector<std::vector<std::string>> parseCsv(const std::string& text, bool* wellFormed) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  *wellFormed = true;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && !(text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))) {
        if (text[i] == '"') ++i;
        field += text[i++];
      }
      ++i;  // closing quote
    }
    if (i >= text.size()) {
      *wellFormed = false;
      break;
    }
    if (text[i] == ',') {
      record.push_back(field);
      field.clear();
      ++i;
    } else if (text.compare(i, 2, "\r\n") == 0) {
      record.push_back(field);
      field.clear();
      records.push_back(record);
      record.clear();
      i += 2;
    } else if (text[i] == '\r' || text[i] == '\n') {
      *wellFormed = false;  // a bare line break outside quotes
      break;
    } else {
      field += text[i++];
    }
  }
  if (!field.empty() || !record.empty()) *wellFormed = false;
  return records;
}

struct GridCsvTool : ::testing::Test {
  fs::path dir;
  std::string db;
  History history;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("km-csv-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    db = (dir / "Kazumaki.mdb").string();
    const std::vector<Draw> draws = test::draws({{1, {1, 3, 17, 20, 25, 26}},
                                                 {2, {2, 11, 12, 21, 30, 28}},
                                                 {3, {1, 8, 10, 24, 30, 28}},
                                                 {4, {5, 9, 14, 22, 31, 7}},
                                                 {5, {3, 4, 5, 18, 19, 1}}});
    ASSERT_EQ(writeDatabase({db, databasePassword()}, draws), "");
    history = History::fromRows(draws);
  }
  void TearDown() override { fs::remove_all(dir); }
};

// Compares the records of `grids` one after another, an empty record between grids.
void expectRecords(const std::vector<std::vector<std::string>>& records, const std::vector<const Grid*>& grids) {
  size_t at = 0;
  for (size_t k = 0; k < grids.size(); ++k) {
    const Grid& g = *grids[k];
    if (k > 0) {
      ASSERT_LT(at, records.size());
      EXPECT_EQ(records[at], std::vector<std::string>{""}) << "separator before grid " << k;
      ++at;
    }
    for (int r = 1; r <= g.maxRows(); ++r, ++at) {
      ASSERT_LT(at, records.size()) << "grid " << k << " row " << r;
      ASSERT_EQ(records[at].size(), static_cast<size_t>(g.maxCols())) << "grid " << k << " row " << r;
      for (int c = 1; c <= g.maxCols(); ++c) EXPECT_EQ(records[at][c - 1], g.text(c, r)) << c << "," << r;
    }
  }
  EXPECT_EQ(at, records.size());
}

}  // namespace

TEST_F(GridCsvTool, EveryAnalysisWindowEqualsItsGridTexts) {
  const PredictionState settings;
  for (const WindowRow& w : windowTable()) {
    if (w.kind != WindowKind::Analysis) continue;
    SCOPED_TRACE(w.def.name);
    int status = 0;
    const std::string out = runTool("grid " + db + " " + w.def.name + " --csv", &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(out.rfind("\xEF\xBB\xBF", 0), 0u);
    bool ok = false;
    const auto records = parseCsv(out.substr(3), &ok);
    EXPECT_TRUE(ok);
    const std::vector<Grid> g = w.fill({history, settings});
    ASSERT_EQ(g.size(), 1u);
    expectRecords(records, {&g[0]});
  }
}

TEST_F(GridCsvTool, PredictionWindowGivesItsFourGridsSeparatedByEmptyLines) {
  const std::string ini = (dir / "empty.ini").string();
  std::ofstream{ini};
  int status = 0;
  const std::string out =
      runTool("grid " + db + " " + windowRow(WindowId::Prediction).def.name + " --ini " + ini + " --csv", &status);
  ASSERT_EQ(status, 0);
  ASSERT_EQ(out.rfind("\xEF\xBB\xBF", 0), 0u);
  bool ok = false;
  const auto records = parseCsv(out.substr(3), &ok);
  EXPECT_TRUE(ok);
  PredictionState settings;
  settings.reflect = Settings::read(ini).prediction();
  const std::vector<Grid> grids = windowRow(WindowId::Prediction).fill({history, settings});
  ASSERT_EQ(grids.size(), 4u);
  expectRecords(records, {&grids[0], &grids[1], &grids[2], &grids[3]});
  // the options may come in either order; a stray word is refused
  EXPECT_EQ(runTool("grid " + db + " " + windowRow(WindowId::Prediction).def.name + " --csv --ini " + ini, &status),
            out);
  runTool("grid " + db + " 出現間隔分析 --cvs", &status);
  EXPECT_NE(status, 0);
}
