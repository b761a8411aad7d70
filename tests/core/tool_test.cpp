// kazumaki-tool run as a user runs it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "store/sqlite/database.h"
#include "tests/core/test_files.h"
#include "tests/core/test_process.h"

namespace fs = std::filesystem;

namespace {

using km::test::ToolRun;
ToolRun run(const std::string& args) { return km::test::runTool(args); }

using km::test::slurp;

struct ToolTest : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("km-tool-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string path(const char* name) const { return (dir / name).string(); }
  void write(const char* name, const std::string& text) const { std::ofstream(dir / name, std::ios::binary) << text; }
};

}  // namespace

TEST_F(ToolTest, ShippedHistoryRoundTripsByteForByteWithItsPrizes) {
  const std::string db = path("Kazumaki.mdb");
  ASSERT_EQ(run("import-csv " KM_SHIPPED_CSV " " + db).status, 0);
  const std::string shipped = slurp(KM_SHIPPED_CSV);
  ToolRun out = run("export-csv " + db + " --prizes");
  ASSERT_EQ(out.status, 0);
  EXPECT_EQ(out.out, shipped);
  // without --prizes: the eight columns of each line
  std::string eight;
  for (size_t at = 0, end; at < shipped.size(); at = end + 1) {
    end = shipped.find('\n', at);
    const std::string line = shipped.substr(at, end - at);
    size_t cut = 0;
    for (int commas = 0; commas < 8 && cut != std::string::npos; ++commas) cut = line.find(',', cut + (commas > 0));
    eight += line.substr(0, cut) + "\n";
  }
  out = run("export-csv " + db);
  EXPECT_EQ(out.out, eight);
  EXPECT_EQ(slurp(db).rfind("SQLite format 3", 0), std::string::npos);
  const km::LoadResult r = km::loadHistory({db, km::databasePassword()});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r->draws.size(), 1400u);
  EXPECT_EQ(r->draws.back().no, 1400);
  ASSERT_EQ(r->prizes.size(), 1353u);
  EXPECT_EQ(r->prizes.rbegin()->first, 1353);
}

TEST_F(ToolTest, RejectedImportLeavesTheDatabaseUntouched) {
  const std::string db = path("Kazumaki.mdb");
  write("good.csv", "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,6\n");
  ASSERT_EQ(run("import-csv " + path("good.csv") + " " + db).status, 0);
  const std::string before = slurp(db);
  const char* bad[] = {
      "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,6\n1,,1,2,3,4,5,6\n",  // duplicate
      "draw,date,n1,n2,n3,n4,n5,bonus\n2,,1,2,3,4,5,6\n1,,1,2,3,4,5,6\n",  // not ascending
      "draw,date,n1,n2,n3,n4,n5,bonus\n40000,,1,2,3,4,5,6\n",              // draw out of range
      "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,99\n",                 // number out of range
      "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3\n",                        // malformed
  };
  for (const char* text : bad) {
    write("bad.csv", text);
    const ToolRun r = run("import-csv " + path("bad.csv") + " " + db);
    EXPECT_NE(r.status, 0) << text;
    EXPECT_NE(r.out.find("行目："), std::string::npos) << r.out;
    EXPECT_EQ(slurp(db), before);
  }
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << "no temporary file is left";
}

TEST_F(ToolTest, ErrorsNeverCrash) {
  EXPECT_EQ(run("").status >> 8, 2);
  EXPECT_NE(run("export-csv " + path("missing.mdb")).status, 0);
  EXPECT_NE(run("import-csv " + path("missing.csv") + " " + path("x.mdb")).status, 0);
  write("junk.mdb", std::string(3000, '\x01'));
  const ToolRun junk = run("grid " + path("junk.mdb") + " 出現間隔分析");
  EXPECT_NE(junk.status, 0);
  EXPECT_NE(junk.out.find("junk.mdb"), std::string::npos);
  write("good.csv", "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,6\n");
  ASSERT_EQ(run("import-csv " + path("good.csv") + " " + path("k.mdb")).status, 0);
  const ToolRun none = run("grid " + path("k.mdb") + " 存在しない窓");
  EXPECT_NE(none.status, 0);
  EXPECT_NE(
      none.out.find("「存在しない窓」というウィンドウはありません。指定できるのは次のウィンドウです：出現頻度分析、"),
      std::string::npos)
      << none.out;
  const ToolRun caption = run("grid " + path("k.mdb") + " 4分割傾向分析");  // as its title bar shows it
  EXPECT_EQ(caption.out.rfind("{\"window\":\"分割4傾向分析\"", 0), 0u) << caption.out.substr(0, 200);
  const ToolRun ok = run("grid " + path("k.mdb") + " 出現間隔分析");
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out.rfind("{\"window\":\"出現間隔分析\",\"caption\":\"出現間隔分析\"", 0), 0u) << ok.out.substr(0, 200);
}

TEST_F(ToolTest, DatabaseWithoutTheQueryOrWithoutEncryptionIsRefused) {
  // keyed correctly, but no view
  const std::string noView = path("noview.mdb");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(noView.c_str(), &db), SQLITE_OK);
  const std::string key = "PRAGMA key = '" + km::databasePassword() + "'";
  sqlite3_exec(db, key.c_str(), nullptr, nullptr, nullptr);
  for (const char* pragma : {"PRAGMA cipher_page_size = 1024", "PRAGMA kdf_iter = 64000"})
    sqlite3_exec(db, pragma, nullptr, nullptr, nullptr);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t (x INTEGER)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  km::LoadResult r = km::loadHistory({noView, km::databasePassword()});
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("当選データの一覧がありません"), std::string::npos) << r.message();
  EXPECT_NE(r.cause().find("全データ選択クエリ"), std::string::npos) << r.cause();

  // a plain, unencrypted database
  const std::string plain = path("plain.mdb");
  ASSERT_EQ(sqlite3_open(plain.c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "CREATE TABLE t (x INTEGER)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const std::string before = slurp(plain);
  r = km::loadHistory({plain, km::databasePassword()});
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(slurp(plain), before);
}

// What the tool says, it says in Japanese (option names aside), each line
// once: the store's own log does not repeat a failure the tool tells.
struct ToolSays {
  const char* args;  // DIR stands for the scratch folder
  int status;
  const char* says;
};

class ToolSaysItInJapanese : public ToolTest, public ::testing::WithParamInterface<ToolSays> {};

TEST_P(ToolSaysItInJapanese, OnceAndWithoutEnglish) {
  const ToolSays& c = GetParam();
  std::string args = c.args;
  write("bad.csv", "draw,date,n1,n2,n3,n4,n5,bonus\n1,,1,2,3,4,5,99\n");
  write("empty.mdb", "");
  if (args.find(".mdb") != std::string::npos) {
    ASSERT_EQ(run("import-csv " KM_SHIPPED_CSV " " + path("good.mdb")).status, 0);
    write("cut.mdb", slurp(path("good.mdb")).substr(0, 2048));
  }
  for (size_t at; (at = args.find("DIR")) != std::string::npos;) args.replace(at, 3, dir.string());
  const ToolRun r = run(args);
  EXPECT_EQ(r.status >> 8, c.status) << r.out;
  EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
  if (c.status != 0) {
    EXPECT_EQ(km::test::runTool(args, {}, " 2>/dev/null").out, "") << "a refusal writes nothing on standard output";
  }
  std::set<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(lines.insert(line).second) << "said twice: " << line;
    if (line.rfind("  ", 0) == 0) continue;  // the library's or the system's own account
    for (const char* english : {"line ", "usage", "draws", "no chart", "expected", "found", "holds", "kazumaki: "})
      EXPECT_EQ(line.find(english), std::string::npos) << english << " in " << line;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolSaysItInJapanese,
    ::testing::Values(
        ToolSays{"", 2, "使い方："}, ToolSays{"status DIR/empty.mdb", 1, "当選データファイルが空です（0バイト）。"},
        ToolSays{"export-csv DIR/cut.mdb", 1, "このプログラムの当選データファイルではありません"},
        ToolSays{"status DIR/none.mdb", 1, "当選データファイルが見つかりません。"},
        ToolSays{"import-csv DIR/bad.csv DIR/new.mdb", 1, "2行目：bonus（ボーナス数字）の「99」が1〜31の範囲外です"},
        ToolSays{"import-csv DIR DIR/new.mdb", 1, "CSV ファイルではなく、フォルダです"},
        ToolSays{"import-csv DIR/none.csv DIR/new.mdb", 1, "ファイルがありません"},
        ToolSays{"chart DIR/good.mdb 何か --png DIR/a.png", 1, "「何か」というグラフはありません"},
        ToolSays{"chart DIR/good.mdb 出現の推移 --numbers 40 --png DIR/a.png", 2, "--numbers には"},
        ToolSays{"chart DIR/good.mdb 出現の推移 --size 10x10 --png DIR/a.png", 2, "--size には"},
        ToolSays{"chart DIR/good.mdb 出現の推移 --png DIR/a.png --time", 0, "1400回分のグラフを作り"},
        // the wheel's own reading of its options (its pool and counts are makeWheel's, in wheel_test)
        ToolSays{"wheel --numbers \"0 1 2 3 4 5\" --match 2", 1, "「0」は1〜31の数字ではありません"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 32\" --match 2", 1, "「32」は1〜31"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 x\" --match 2", 1, "「x」は1〜31"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 ５ 6\" --match 2", 1, "数字5が2回あります"},
        ToolSays{"wheel --numbers \"\" --match 2", 1, "数字がありません"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 6 7\" --match 3 --if 2", 1, "3個）から5個"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 6 7\" --match two", 1, "--match の「two」は個数ではありません"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 6 7\" --match 2 --if -3", 1, "--if の「-3」"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 6 7\"", 2, "使い方"}, ToolSays{"wheel --match 2", 2, "使い方"},
        ToolSays{"wheel --numbers \"1 2 3 4 5 6 7\" --match 2 --bogus", 2, "使い方"}));
