#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/formats/csv.h"
#include "store/history.h"
#include "store/sqlite/database.h"
#include "tests/core/test_history.h"

namespace fs = std::filesystem;
using namespace km;

TEST(Stats, EmptyHistoryKeepsInitialValues) {
  const Stats s = computeStats({});
  EXPECT_EQ(s.LastDrawNo, 0);
  EXPECT_EQ(s.HitsMax, 0);
  EXPECT_EQ(s.HitsMin, 0);
  EXPECT_EQ(s.HitsGroupCount, 0);
  EXPECT_TRUE(s.NumbersByHits.empty());
  for (int n = 0; n <= 31; ++n) EXPECT_EQ(s.NumberHits[n], 0);
}

TEST(Stats, CountsCompleteRowsMainAndBonusAlike) {
  // number 7 is never drawn; 4 and 19 share a count; the last row lacks its bonus
  const auto rows = test::draws({{1, {1, 2, 3, 4, 5, 6}},
                                 {2, {1, 2, 3, 19, 8, 9}},
                                 {3, {10, 11, 12, 13, 14, 1}},
                                 {4, {1, 2, 3, 4, 5, std::nullopt}}});
  const Stats s = computeStats(rows);
  EXPECT_EQ(s.LastDrawNo, 3);
  EXPECT_EQ(s.NumberHits[1], 3);  // main twice, bonus once
  EXPECT_EQ(s.NumberHits[4], 1);
  EXPECT_EQ(s.NumberHits[19], 1);
  EXPECT_EQ(s.NumberHits[7], 0);
  EXPECT_EQ(s.HitsMax, 3);
  ASSERT_EQ(s.NumbersByHits.size(), 4u);
  EXPECT_EQ(s.NumbersByHits[0], "7,15,16,17,18,20,21,22,23,24,25,26,27,28,29,30,31");
  EXPECT_EQ(s.NumbersByHits[1], "4,5,6,8,9,10,11,12,13,14,19");
  EXPECT_EQ(s.NumbersByHits[2], "2,3");
  EXPECT_EQ(s.NumbersByHits[3], "1");
  EXPECT_EQ(s.HitsGroupCount, 5);  // 1 + four distinct counts
}

namespace {

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream b;
  b << in.rdbuf();
  return b.str();
}

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() /
           ("km-test-" + std::to_string(::getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(path);
  }
  ~TempDir() { fs::remove_all(path); }
};

}  // namespace

TEST(Database, WritesEncryptedFileAndReadsItBack) {
  TempDir dir;
  const ConnectString cs{(dir.path / "Kazumaki.mdb").string(), databasePassword()};
  auto rows = test::draws({{1, {1, 2, 3, 4, 5, 6}}, {3, {7, 8, 9, 10, 11, std::nullopt}}});
  rows[0].date = test::date("1999-04-13");
  ASSERT_EQ(writeDatabase(cs, rows).withCause(), "");
  EXPECT_EQ(readFile(cs.path).rfind("SQLite format 3", 0), std::string::npos) << "file must be encrypted";

  const LoadResult r = loadHistory(cs, true);
  ASSERT_TRUE(r.ok()) << r.message();
  ASSERT_EQ(r->draws.size(), 2u);
  EXPECT_EQ(r->draws[0].no, 1);
  EXPECT_EQ(r->draws[0].date, "1999-04-13");
  EXPECT_EQ(r->draws[1].no, 3);
  EXPECT_EQ(r->draws[1][N5], 11);
  EXPECT_FALSE(r->draws[1].n[Bonus].has_value());
  EXPECT_EQ(databasePassword().size(), 6u);
}

TEST(Database, FailuresAreReportedAndLeaveTheFileAlone) {
  TempDir dir;
  const fs::path good = dir.path / "Kazumaki.mdb";
  ASSERT_EQ(writeDatabase({good.string(), databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}})).withCause(), "");

  // missing
  LoadResult r = loadHistory({(dir.path / "none.mdb").string(), databasePassword()});
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("見つかりません"), std::string::npos);
  EXPECT_NE(r.message().find("none.mdb"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.path / "none.mdb"));

  // wrong key
  const std::string before = readFile(good);
  r = loadHistory({good.string(), "123456"});
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("このプログラムの当選データファイルではありません"), std::string::npos) << r.message();
  EXPECT_EQ(r.message().find("パスワード"), std::string::npos) << "no password the user never set: " << r.message();
  EXPECT_EQ(readFile(good), before);

  // damaged: garbage bytes
  const fs::path junk = dir.path / "junk.mdb";
  { std::ofstream(junk, std::ios::binary) << std::string(5000, 'x'); }
  const std::string junkBefore = readFile(junk);
  r = loadHistory({junk.string(), databasePassword()});
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("junk.mdb"), std::string::npos);
  EXPECT_EQ(readFile(junk), junkBefore);

  // truncated: the first pages of a real database only
  const fs::path cut = dir.path / "cut.mdb";
  { std::ofstream(cut, std::ios::binary) << before.substr(0, 1024 + 100); }
  r = loadHistory({cut.string(), databasePassword()});
  EXPECT_FALSE(r.ok());

  // empty file
  const fs::path empty = dir.path / "empty.mdb";
  { std::ofstream(empty, std::ios::binary); }
  r = loadHistory({empty.string(), databasePassword()});
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(fs::file_size(empty), 0u);

  // a directory in place of the file
  r = loadHistory({dir.path.string(), databasePassword()});
  EXPECT_FALSE(r.ok());
}

TEST(Csv, ParsesAndWritesBack) {
  const std::string text = "draw,date,n1,n2,n3,n4,n5,bonus\n1,1999-04-13,1,3,17,20,25,26\n2,,2,11,,21,30,28\n";
  const Result<DrawList> r = parseHistoryCsv(text);
  ASSERT_TRUE(r.ok()) << r.message();
  ASSERT_EQ(r->draws.size(), 2u);
  EXPECT_FALSE(r->draws[1].complete());
  EXPECT_EQ(historyToCsv(r->draws), text);
  // with prizes: known on the first draw, unknown on the second
  const std::string prized = std::string(kCsvPrizeHeader) +
                             "\n1,1999-04-13,1,3,17,20,25,26,29,46,2331,59593,6090500,275800,9400,900\n"
                             "2,,2,11,,21,30,28,,,,,,,,\n";
  const Result<DrawList> p = parseHistoryCsv(prized);
  ASSERT_TRUE(p.ok()) << p.message();
  ASSERT_EQ(p->prizes.size(), 1u);
  EXPECT_EQ(p->prizes.at(1).winners[3], 59593);
  EXPECT_EQ(p->prizes.at(1).yen[0], 6090500);
  EXPECT_EQ(historyToCsvWithPrizes(p->draws, p->prizes), prized);
}

TEST(Csv, RejectsBadLinesWithTheirNumber) {
  const std::string h = "draw,date,n1,n2,n3,n4,n5,bonus\n";
  const std::string ok = "1,1999-04-13,1,3,17,20,25,26\n";
  const std::string hp = std::string(kCsvPrizeHeader) + "\n";
  struct Case {
    std::string text, expect;
  } cases[] = {
      {"draw,n1\n", "1行目：見出しの行が"},
      {h + ok + "2,1999-04-27,1,2,3\n", "3行目：列が8個ではありません（5個あります）"},
      {h + ok + "2,1999-04-27,1,2,3,4,5,6,7\n", "3行目：列が8個より多くあります"},
      {hp + "1,,1,2,3,4,5,6,1,2,3,4,5,6,7\n", "2行目：列が16個ではありません（15個あります）"},
      {hp + "1,,1,2,3,4,5,6,1,2,3,4,5,6,7,8,9\n", "2行目：列が16個より多くあります"},
      {hp + "1,,1,2,3,4,5,6,1,2,3,4,5,6,7,\n", "2行目：16列目（p4）が空欄です"},
      {hp + "1,,1,2,3,4,5,6,1,2,3,-4,5,6,7,8\n", "2行目：12列目（w4）の「-4」は0以上の整数ではありません"},
      {h + ok + "1,1999-04-27,1,2,3,4,5,6\n", "3行目：回数1が2回あります"},
      {h + "5,,1,2,3,4,5,6\n3,,1,2,3,4,5,6\n", "3行目：回数3が前の行の回数より小さくなっています"},
      {h + "0,,1,2,3,4,5,6\n", "2行目：回数「0」が1〜32767の範囲外です"},
      {h + "32768,,1,2,3,4,5,6\n", "2行目：回数「32768」が1〜32767の範囲外です"},
      {h + "1,,1,2,3,4,5,32\n", "2行目：bonus（ボーナス数字）の「32」が1〜31の範囲外です"},
      {h + "1,,0,2,3,4,5,6\n", "2行目：n1（第1数字）の「0」が1〜31の範囲外です"},
      {h + "1,,a,2,3,4,5,6\n", "2行目：n1（第1数字）の「a」が整数ではありません"},
      {h + "1,13/04/1999,1,2,3,4,5,6\n", "2行目：日付「13/04/1999」が"},
      {"", "1行目：ファイルが空です"},
  };
  for (const Case& c : cases) {
    const Result<DrawList> r = parseHistoryCsv(c.text);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.message().rfind(c.expect, 0), 0u) << r.message() << " / expected " << c.expect;
    EXPECT_TRUE(!r || r->draws.empty());
  }
}
