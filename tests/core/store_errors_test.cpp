// The result database: what it says when something goes wrong, and what a
// failed write leaves behind.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "store/formats/csv.h"
#include "store/messages.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_update.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"
#include "tests/core/test_history.h"

using namespace km;
using namespace km::test;

namespace {

// n complete draws numbered 1..n.
std::vector<Draw> manyDraws(int n) {
  std::vector<Draw> out;
  for (int no = 1; no <= n; ++no) {
    Draw d = test::draw(no);
    d.date = test::date("2001-02-03");
    for (int f = 0; f < kNumberFields; ++f) d.n[f] = test::number(1 + (no + 5 * f) % 31);
    out.push_back(d);
  }
  return out;
}

ConnectString at(const std::string& path) { return {path, databasePassword()}; }

}  // namespace

TEST(DatabaseWrite, TheWholeHistoryIsWrittenInOneTransaction) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  JournalCounter counter;
  ASSERT_EQ(writeDatabase(at(db), manyDraws(300)).withCause(), "");
  // one journal for the one transaction; a write per draw would open 300
  EXPECT_LE(counter.journals(), 2);
  const LoadResult r = loadHistory(at(db));
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_EQ(r->draws.size(), 300u);
}

// A write that fails part-way (the same draw number twice, so that the
// insert of the 41st row fails; a disk that fills up after a few pages)
// leaves the old file and no temporary file, and says SQLite's words and code.
TEST(DatabaseWrite, AWriteFailingPartWayLeavesTheOldFileAndNoTemporaryFile) {
  std::vector<Draw> twice = manyDraws(50);
  twice[40].no = twice[6].no;
  const struct {
    std::vector<Draw> draws;
    rlim_t limit;  // 0: none
    const char* cause;
  } cases[] = {{twice, 0, "（コード 1555）"},  // SQLITE_CONSTRAINT_PRIMARYKEY
               {manyDraws(2000), 8 * 1024, "（コード "}};
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string db = dir.file("Kazumaki.mdb");
    ASSERT_EQ(writeDatabase(at(db), manyDraws(3)).withCause(), "");
    const std::string before = slurpFile(db);
    const auto names = dir.names();
    std::string err;
    {
      StoreLogCapture log;
      std::optional<FileSizeLimit> limit;
      if (c.limit) limit.emplace(c.limit);
      err = writeDatabase(at(db), c.draws).withCause();
      ASSERT_EQ(log.lines().size(), 1u) << log.all();
    }
    EXPECT_NE(err.find("データベースへ書き込めません"), std::string::npos) << err;
    EXPECT_NE(err.find(db), std::string::npos) << err;
    EXPECT_NE(err.find("SQLite: "), std::string::npos) << err;
    EXPECT_NE(err.find(c.cause), std::string::npos) << err;
    EXPECT_EQ(slurpFile(db), before);
    EXPECT_EQ(dir.names(), names);
    EXPECT_EQ(loadHistory(at(db))->draws.size(), 3u);
  }
}

TEST(DatabaseWrite, NoFolderToWriteInIsReported) {
  ScratchDir dir;
  StoreLogCapture log;
  const std::string err = writeDatabase(at(dir.file("missing/Kazumaki.mdb")), manyDraws(1)).withCause();
  EXPECT_NE(err.find("データベースを作成できません"), std::string::npos) << err;
  EXPECT_NE(err.find("No such file or directory"), std::string::npos) << err;
  EXPECT_EQ(log.lines().size(), 1u);
}

TEST(DatabaseRead, AWrongKeyCarriesSQLitesMessageAndCode) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), manyDraws(2)).withCause(), "");
  StoreLogCapture log;
  const LoadResult r = loadHistory({db, "999999"});
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("このプログラムの当選データファイルではありません"), std::string::npos) << r.message();
  EXPECT_EQ(r.cause(), "SQLite: file is encrypted or is not a database（コード 26）");
  EXPECT_EQ(r.message().find("SQLite"), std::string::npos) << "Japanese alone: " << r.message();
  EXPECT_EQ(r.message().find("パスワード"), std::string::npos) << "the user never set one: " << r.message();
  ASSERT_EQ(log.lines().size(), 1u);
  EXPECT_NE(log.lines()[0].find(db), std::string::npos);
  EXPECT_NE(log.lines()[0].find("（コード 26）"), std::string::npos);
}

// The draws come from a table of their own and their dates cannot be read
// (no date table, or its last page damaged): a dated read says so, never
// gives the draws without their dates.
TEST(DatabaseRead, AFailedReadOfTheDatesIsReportedNotSkipped) {
  for (const bool damaged : {false, true}) {
    ScratchDir dir;
    const std::string db = dir.file("Kazumaki.mdb");
    sqlite3* h = openKeyed(db);
    ASSERT_EQ(execSql(h,
                      "CREATE TABLE 結果 (回数 INTEGER, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字);"
                      "INSERT INTO 結果 VALUES (1, 1, 2, 3, 4, 5, 6);"
                      "CREATE VIEW 全データ選択クエリ AS SELECT * FROM 結果"),
              SQLITE_OK);
    if (damaged) {
      ASSERT_EQ(execSql(h,
                        "CREATE TABLE 当選データ (回数 INTEGER PRIMARY KEY, 抽選日 TEXT, 備考 TEXT);"
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                        "INSERT INTO 当選データ SELECT i, '2001-02-03', printf('%040d', i) FROM n"),
                SQLITE_OK);
    }
    sqlite3_close(h);
    if (damaged) {
      // flip every bit of one byte: a plain write could match the encrypted byte by chance
      std::fstream f(db, std::ios::in | std::ios::out | std::ios::binary);
      f.seekg(-300, std::ios::end);
      const char c = static_cast<char>(f.get());
      f.seekp(-300, std::ios::end);
      f.put(static_cast<char>(~c));
    }
    ASSERT_TRUE(loadHistory(at(db)).ok()) << "the draws themselves are whole";
    StoreLogCapture log;
    const LoadResult dated = loadHistory(at(db), true);
    EXPECT_FALSE(dated.ok()) << damaged;
    EXPECT_TRUE(!dated || dated->draws.empty());
    EXPECT_NE(dated.message().find("抽選日を読めません"), std::string::npos) << dated.message();
    EXPECT_NE(dated.cause().find(damaged ? "SQLite: " : "no such table: 当選データ"), std::string::npos)
        << dated.cause();
    EXPECT_EQ(log.lines().size(), 1u);
  }
}

TEST(DatabaseRead, EmptyOrBlankTextInANumberFieldIsEmptyNotZero) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), manyDraws(4)).withCause(), "");
  sqlite3* h = openKeyed(db);
  ASSERT_EQ(execSql(h, "UPDATE 当選データ SET 第3数字 = '' WHERE 回数 = 2"), SQLITE_OK);
  ASSERT_EQ(execSql(h, "UPDATE 当選データ SET ボーナス数字 = '  ' WHERE 回数 = 3"), SQLITE_OK);
  ASSERT_EQ(execSql(h, "UPDATE 当選データ SET 第1数字 = ' 7' WHERE 回数 = 4"), SQLITE_OK);
  sqlite3_close(h);

  const LoadResult r = loadHistory(at(db));
  ASSERT_TRUE(r.ok()) << r.message();
  ASSERT_EQ(r->draws.size(), 4u);
  EXPECT_TRUE(r->draws[0].complete());
  EXPECT_FALSE(r->draws[1].n[N3].has_value());
  EXPECT_FALSE(r->draws[1].complete()) << "an empty text makes the draw incomplete";
  EXPECT_FALSE(r->draws[2].n[Bonus].has_value());
  EXPECT_FALSE(r->draws[2].complete());
  EXPECT_EQ(r->draws[3].n[N1], 7);
  const Stats s = computeStats(r->draws);
  EXPECT_EQ(s.NumberHits[0], 0) << "no zero is ever counted";
  EXPECT_EQ(s.LastDrawNo, 4);
}

TEST(DatabaseRead, TheHighestDrawNumberIsImportedAndReadBack) {
  const std::string h = "draw,date,n1,n2,n3,n4,n5,bonus\n";
  const Result<DrawList> csv =
      parseHistoryCsv(h + "1,,1,2,3,4,5,6\n32766,,1,2,3,4,5,6\n32767,2025-09-23,7,8,9,10,11,12\n");
  ASSERT_TRUE(csv.ok()) << csv.message();
  ASSERT_EQ(csv->draws.size(), 3u);
  EXPECT_EQ(csv->draws[2].no, 32767);
  EXPECT_FALSE(parseHistoryCsv(h + "32768,,1,2,3,4,5,6\n").ok());

  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), csv->draws).withCause(), "");
  const LoadResult r = loadHistory(at(db), true);
  ASSERT_TRUE(r.ok()) << r.message();
  ASSERT_EQ(r->draws.size(), 3u);
  EXPECT_EQ(r->draws[2].no, 32767);
  EXPECT_EQ(r->draws[2].date, "2025-09-23");
  EXPECT_EQ(computeStats(r->draws).LastDrawNo, 32767);
}

TEST(DatabaseRead, ThePrizeTableIsReadWhereItIsAndEveryRowMustBeEightWholeNumbers) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  const Prize prize{{1, 2, 3, 4}, {5000000, 60000, 700, 0}};
  const struct {
    std::string sql;   // run on a file holding draws 1..3 and the prize of draw 2
    std::string says;  // empty: read, with the prize of draw 2 when the table is there
  } cases[] = {
      {"", ""},
      {"DROP TABLE 当選金", ""},  // every file written before the table was
      {"UPDATE 当選金 SET \"3等賞金\" = -1", "「当選金」の第2回の「3等賞金」が0〜999999999の整数ではありません"},
      {"UPDATE 当選金 SET \"1等口数\" = 'abc'", "第2回の「1等口数」"},
      {"UPDATE 当選金 SET \"4等口数\" = NULL", "第2回の「4等口数」"},
      {"UPDATE 当選金 SET \"1等賞金\" = 1000000000", "第2回の「1等賞金」"},
      {"INSERT INTO 当選金 VALUES (40000, 0, 0, 0, 0, 0, 0, 0, 0)",
       "「当選金」の2行目の「回数」40000は1〜32767の範囲外です"},
      {"DROP TABLE 当選金; CREATE VIEW 当選金 AS SELECT 1",
       "「当選金」（当選口数と当選金額）が、このプログラムの作る表ではありません"},
  };
  for (const auto& c : cases) {
    fs::remove(db);
    ASSERT_EQ(writeDatabase(at(db), manyDraws(3), {{2, prize}}).withCause(), "");
    if (!c.sql.empty()) {
      sqlite3* h = openKeyed(db);
      ASSERT_EQ(execSql(h, c.sql.c_str()), SQLITE_OK) << c.sql;
      sqlite3_close(h);
    }
    StoreLogCapture log;
    const LoadResult r = loadHistory(at(db));
    const auto lock = HistoryWriteLock::take(at(db), {});
    const std::string& error = lock.message();
    if (c.says.empty()) {
      ASSERT_TRUE(r.ok()) << c.sql << ": " << r.message();
      const PrizeTable expected = c.sql.empty() ? PrizeTable{{2, prize}} : PrizeTable{};
      EXPECT_EQ(r->prizes, expected) << c.sql;
      ASSERT_TRUE(lock) << error;
      EXPECT_EQ((*lock)->prizes(), expected) << c.sql;
    } else {
      EXPECT_FALSE(r.ok()) << c.sql;
      EXPECT_NE(r.message().find(c.says), std::string::npos) << c.sql << ": " << r.message();
      EXPECT_FALSE(lock) << c.sql;
      EXPECT_NE(error.find(c.says), std::string::npos) << c.sql << ": " << error;
    }
  }
}

namespace km {
namespace {

// The kinds the callers branch on: the start-up offers the backup only for a
// missing or damaged file, never for one another writer holds; the update
// names a held file as such, not as one it cannot read.  The library's words
// go to the cause, never into the sentence.
TEST(StoreErrors, AFailureCarriesTheKindItsCallersBranchOnAndTheLibrarysWordsApart) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  EXPECT_EQ(loadHistory(at(dir.file("none.mdb"))).kind(), Fault::Missing);
  {
    std::ofstream(dir.file("junk.mdb")) << std::string(4096, 'x');
    const LoadResult junk = loadHistory(at(dir.file("junk.mdb")));
    EXPECT_EQ(junk.kind(), Fault::Damaged);
    EXPECT_EQ(junk.message().find("SQLite"), std::string::npos) << junk.message();
    EXPECT_NE(junk.cause().find("SQLite"), std::string::npos) << junk.cause();
    EXPECT_EQ(junk.withCause(), junk.message() + "\n" + junk.cause());
  }
  ASSERT_TRUE(writeDatabase(at(db), manyDraws(3)).ok());
  std::string error;
  const auto holder = EntryStore::open(at(db), error);
  ASSERT_TRUE(holder) << error;
  const UpdateResult update = updateHistory(db, historyToCsv(manyDraws(4)));
  EXPECT_EQ(update.kind(), Fault::Refused);
  EXPECT_EQ(update.message().rfind(says::editingElsewhere(), 0), 0u) << update.message();
}

}  // namespace
}  // namespace km
