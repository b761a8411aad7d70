// The catalogue of bad inputs (docs/reliability.md): each damaged, foreign or
// hostile input the program can be handed, and what the user sees.
#include <fcntl.h>
#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <thread>

#include "app/settings.h"
#include "prediction/core/prediction_state.h"
#include "store/files/replace_file.h"
#include "store/formats/csv.h"
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"

using namespace km;
using namespace km::test;

namespace {

void writeRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::vector<Draw> threeDraws() {
  return draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, 12}}, {3, {13, 14, 15, 16, 17, 18}}});
}

ConnectString at(const std::string& path) { return {path, databasePassword()}; }

using test::inChild;

// A database with its own schema, for files that the program did not write.
void makeDatabase(const std::string& path, const std::vector<std::string>& statements) {
  sqlite3* db = openKeyed(path);
  for (const std::string& sql : statements) ASSERT_EQ(execSql(db, sql.c_str()), SQLITE_OK) << sql << sqlite3_errmsg(db);
  sqlite3_close(db);
}

const char* kTable =
    "CREATE TABLE 当選データ (回数, 抽選日 TEXT, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字)";
const char* kView =
    "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字 FROM "
    "当選データ ORDER BY 回数";

using test::ToolRun;
ToolRun tool(const std::string& args) { return test::runTool(args); }

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

// ---- databases -------------------------------------------------------------

TEST(BadDatabase, MissingEmptyDamagedAndUnencryptedFilesAreNamedAndCreateNothing) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  StoreLogCapture log;
  LoadResult r = loadHistory(at(db));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("見つかりません"), std::string::npos) << r.message();

  writeRaw(db, "");
  r = loadHistory(at(db));
  EXPECT_FALSE(r.ok()) << "an empty file holds no history";
  EXPECT_EQ(r.message().substr(0, r.message().find('\n')), "当選データファイルが空です（0バイト）。") << r.message();
  EXPECT_EQ(r.kind(), Fault::Damaged) << "the backup is offered for it";

  std::string junk(8192, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  writeRaw(db, junk);
  r = loadHistory(at(db));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.cause().find("SQLite:"), std::string::npos) << "SQLite's own account goes apart: " << r.cause();
  EXPECT_EQ(r.message().find("SQLite"), std::string::npos) << r.message();
  EXPECT_EQ(r.kind(), Fault::Damaged);

  ::unlink(db.c_str());
  sqlite3* plain = nullptr;
  sqlite3_open(db.c_str(), &plain);
  execSql(plain, kTable);
  execSql(plain, kView);
  sqlite3_close(plain);
  r = loadHistory(at(db));
  EXPECT_FALSE(r.ok()) << "an unencrypted file is not the program's database";
  EXPECT_NE(r.message().find("このプログラムの当選データファイルではありません"), std::string::npos) << r.message();

  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb"})) << "a read creates no file";
}

TEST(BadDatabase, ANewerSchemaIsReadThroughItsQueryAndAQueryWithoutAFieldIsNamed) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  makeDatabase(db,
               {std::string(kTable), "ALTER TABLE 当選データ ADD COLUMN 賞金 INTEGER", "CREATE TABLE 将来の表 (x)",
                "PRAGMA user_version = 99", kView, "INSERT INTO 当選データ VALUES (1, NULL, 1, 2, 3, 4, 5, 6, 100)"});
  LoadResult r = loadHistory(at(db));
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_EQ(r->draws.size(), 1u);

  const std::string other = dir.file("other.mdb");
  makeDatabase(other, {std::string(kTable), "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字 FROM 当選データ"});
  r = loadHistory(at(other));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("当選データの一覧を読めません"), std::string::npos) << r.message();
  EXPECT_NE(r.cause().find("全データ選択クエリ"), std::string::npos) << "the query's name goes apart: " << r.cause();

  // the dates are read straight from the draw table as the update reads it, never through a view the file defines
  const std::string viewed = dir.file("viewed.mdb");
  makeDatabase(viewed, {"CREATE TABLE t (回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字)",
                        "INSERT INTO t VALUES (1, '2026-08-18', 1, 2, 3, 4, 5, 6)",
                        "CREATE VIEW 当選データ AS SELECT * FROM t", kView});
  for (const bool withDates : {false, true}) {
    r = loadHistory(at(viewed), withDates);
    EXPECT_FALSE(r.ok()) << withDates;
    EXPECT_NE(r.message().find("「当選データ」が普通の表ではないため、抽選日を読みません"), std::string::npos)
        << r.message();
  }
}

// Every read of the history takes a stored draw only as sound values: a
// number that is neither empty nor 1..31, or a date that is no day of the
// calendar, refuses the whole history, naming the draw and the column as
// kazumaki-tool check names them.
TEST(BadDatabase, AStoredDrawThatBreaksARuleIsRefusedNamingItsDrawAndColumn) {
  const std::string wrong = "結果マスタの数字に誤りがあります。";
  const struct {
    const char* what;
    const char* rows;
    std::string says;  // empty: the history is read
  } cases[] = {
      {"blanks, full-width digits and an empty bonus", "(1, '2020-01-07', ' ５', '２ ', 3, '　4', 5, NULL)", ""},
      {"0", "(1, NULL, 0, 2, 3, 4, 5, 6)", wrong + " 第1回 2列目「0」"},
      {"32", "(1, NULL, 1, 32, 3, 4, 5, 6)", wrong + " 第1回 3列目「32」"},
      {"32 as text", "(1, NULL, 1, '32', 3, 4, 5, 6)", wrong + " 第1回 3列目「32」"},
      {"a negative number", "(1, NULL, 1, 2, -5, 4, 5, 6)", wrong + " 第1回 4列目「-5」"},
      {"the end of int", "(1, NULL, 1, 2, 3, 4, 2147483647, 6)", wrong + " 第1回 6列目「2147483647」"},
      {"beyond int", "(1, NULL, 1, 2, 3, 4, 5, 4294967297)", wrong + " 第1回 7列目「4294967297」"},
      {"a bonus of 3000", "(1, NULL, 1, 2, 3, 4, 5, 3000)", wrong + " 第1回 7列目「3000」"},
      {"a real", "(1, NULL, 5.0, 2, 3, 4, 5, 6)", wrong + " 第1回 2列目「5.0」"},
      {"words", "(1, NULL, 1, 'abc', 3, 4, 5, 6)", wrong + " 第1回 3列目「abc」"},
      {"a sign", "(1, NULL, 1, 2, '+3', 4, 5, 6)", wrong + " 第1回 4列目「+3」"},
      {"an incomplete later draw", "(1, NULL, 1, 2, 3, 4, 5, 6), (2, NULL, 40, NULL, NULL, NULL, NULL, NULL)",
       wrong + " 第2回 2列目「40」"},
      {"no such day", "(1, '2021-02-29', 1, 2, 3, 4, 5, 6)",
       "結果マスタの抽選日に誤りがあります。 第1回「2021-02-29」"},
      {"a date as a number", "(1, 20210105, 1, 2, 3, 4, 5, 6)",
       "結果マスタの抽選日に誤りがあります。 第1回「20210105」"},
      {"a date of an older draw", "(1, 'yesterday', 1, 2, 3, 4, 5, 6), (2, '2021-01-05', 1, 2, 3, 4, 5, 6)",
       "結果マスタの抽選日に誤りがあります。 第1回「yesterday」"},
  };
  ScratchDir dir;
  int k = 0;
  for (const auto& c : cases) {
    const std::string db = dir.file(("d" + std::to_string(k++) + ".mdb").c_str());
    makeDatabase(db, {kTable, kView, std::string("INSERT INTO 当選データ VALUES ") + c.rows});
    const LoadResult r = loadHistory(at(db), true);
    const Result<DrawList> t = readDrawTable(at(db));
    {  // the entry window's check marks a cell exactly when a number is refused
      std::string error;
      auto store = EntryStore::open(at(db), error);
      ASSERT_TRUE(store) << error;
      std::vector<EntryRow> rows;
      ASSERT_EQ(store->readAll(rows), "") << c.what;
      bool marked = false;
      for (const EntryRow& e : rows)
        for (const std::string& text : e.text) marked |= parseCellNumber(text).kind == CellNumber::Wrong;
      EXPECT_EQ(marked, c.says.rfind(wrong, 0) == 0) << c.what;
    }
    if (c.says.empty()) {
      ASSERT_TRUE(r.ok()) << c.what << ": " << r.message();
      EXPECT_EQ(t.kind(), Fault::None) << c.what << ": " << t.message();
      EXPECT_EQ(r->draws, t->draws) << c.what;
      EXPECT_TRUE(r->draws[0][N1] == 5 && r->draws[0][N2] == 2 && r->draws[0][N4] == 4 && !r->draws[0].n[Bonus])
          << c.what;
      continue;
    }
    EXPECT_FALSE(r.ok()) << c.what;
    EXPECT_TRUE(!r || r->draws.empty()) << c.what;
    EXPECT_EQ(r.message(), c.says + "\n" + db) << c.what;
    EXPECT_EQ(t.kind(), Fault::Damaged) << c.what;
    EXPECT_TRUE(!t || t->draws.empty()) << c.what;
    EXPECT_EQ(t.message(), c.says) << c.what;
  }
}

TEST(BadDatabase, DrawNumbersOutsideTheRangeOrNotWholeNumbersAreDamageAndSaidSo) {
  struct Case {
    const char* rows;
    const char* says;
  } cases[] = {
      {"(1), (0)", "0は1〜32767の範囲外"},
      {"(1), (-3)", "-3は1〜32767の範囲外"},
      {"(1), (32768)", "32768は1〜32767の範囲外"},
      {"(2147483647)", "2147483647は1〜32767の範囲外"},
      {"(-2147483648)", "-2147483648は1〜32767の範囲外"},
      {"(1), ('2')", "2行目の「回数」が整数ではありません"},
      {"(1), (2.5)", "2行目の「回数」が整数ではありません"},
      {"(1), (NULL)", "1行目の「回数」が整数ではありません"},  // NULL sorts first
  };
  ScratchDir dir;
  int k = 0;
  for (const Case& c : cases) {
    const std::string db = dir.file(("d" + std::to_string(k++) + ".mdb").c_str());
    makeDatabase(
        db, {"CREATE TABLE 当選データ (回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字)", kView,
             std::string("INSERT INTO 当選データ (回数) VALUES ") + c.rows});
    const LoadResult r = loadHistory(at(db));
    EXPECT_FALSE(r.ok()) << c.rows;
    EXPECT_NE(r.message().find("当選データファイルが壊れています"), std::string::npos) << r.message();
    EXPECT_NE(r.message().find(c.says), std::string::npos) << c.rows << ": " << r.message();
    EXPECT_NE(readDrawTable(at(db)).kind(), Fault::None) << c.rows;
  }
}

TEST(BadDatabase, AHistoryQueryThatNeverEndsOrRunsLongIsStoppedByTheWallClock) {
  ScratchDir dir;
  const char* row = "1 AS 第1数字, 2 AS 第2数字, 3 AS 第3数字, 4 AS 第4数字, 5 AS 第5数字, 6 AS ボーナス数字";
  const std::string endless = "300ミリ秒以内に終わりません";
  const struct {
    std::string view, says;
  } cases[] = {
      // rows without end, growing, repeating or sorted: each would grow without bound
      {std::string("WITH RECURSIVE c(回数) AS (SELECT 1 UNION ALL SELECT 回数 + 1 FROM c) SELECT 回数, ") + row +
           " FROM c",
       endless},
      {std::string("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x FROM c) SELECT 1 AS 回数, ") + row + " FROM c",
       endless},
      {std::string("WITH RECURSIVE c(回数) AS (SELECT 1 UNION ALL SELECT 回数 + 1 FROM c) SELECT 回数, ") + row +
           " FROM c ORDER BY 回数 DESC",
       endless},
      // single calls that no interruption reaches, running for minutes: a
      // LIKE over a long generated text, an instr over two long texts
      {std::string("SELECT 1 AS 回数, ") + row +
           " WHERE replace(hex(zeroblob(30000)), '0', 'a') LIKE '%a%a%a%a%a%a%a%a%a%a%b'",
       "pattern too complex"},
      {std::string("SELECT 1 AS 回数, ") + row +
           " WHERE instr(replace(hex(zeroblob(499999)), '0', 'a'), replace(hex(zeroblob(249999)), '0', 'a') || 'b')",
       "too big"},
  };
  for (const auto& c : cases) {
    const std::string db = dir.file("v.mdb");
    fs::remove(db);
    makeDatabase(db, {kTable, "CREATE VIEW 全データ選択クエリ AS " + c.view});
    const LoadResult r = loadHistory(at(db), false, ReadLimits{std::chrono::milliseconds(300)});
    EXPECT_FALSE(r.ok()) << c.view;
    EXPECT_NE((r.message() + r.cause()).find(c.says), std::string::npos) << c.view << ": " << r.message();
  }
  // the data entry store (the entry window, kazumaki-tool check) by the same clock
  const std::string sorted = dir.file("sorted.mdb");
  makeDatabase(sorted, {kTable, "CREATE VIEW 全データ選択クエリ AS " + cases[2].view});
  std::string error;
  auto store = EntryStore::open(at(sorted), error);
  ASSERT_TRUE(store) << error;
  std::vector<EntryRow> rows;
  error = store->readAll(rows, ReadLimits{std::chrono::milliseconds(300)});
  EXPECT_NE(error.find("300ミリ秒以内に終わりません"), std::string::npos) << error;
  EXPECT_TRUE(rows.empty());
}

// A deadline that falls between two statements bounds the next ones too
// (an interruption alone reaches only the statements running at that moment).
TEST(BadDatabase, EveryStatementAfterTheReadsDeadlineIsInterrupted) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  {
    const QueryWatch watch(db, std::chrono::milliseconds(0));
    while (!watch.timedOut()) std::this_thread::yield();
    for (int statement = 1; statement <= 2; ++statement)
      EXPECT_EQ(sqlite3_exec(db,
                             "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000000) "
                             "SELECT count(*) FROM c",
                             nullptr, nullptr, nullptr),
                SQLITE_INTERRUPT)
          << statement;
  }
  EXPECT_EQ(sqlite3_exec(db, "SELECT 1", nullptr, nullptr, nullptr), SQLITE_OK) << "a read after the watch runs";
  sqlite3_close(db);
}

// by every reader: the start-up read, the update's, the data entry store
TEST(BadDatabase, APipeInTheDatabasesPlaceIsRefusedAtOnce) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(::mkfifo(db.c_str(), 0644), 0);
  const LoadResult r = loadHistory(at(db));  // would block for ever if it were opened
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("通常のファイルではありません"), std::string::npos) << r.message();
  EXPECT_EQ(readDrawTable(at(db)).kind(), Fault::NotOurs);
  std::string error;
  EXPECT_FALSE(EntryStore::open(at(db), error));
  EXPECT_NE(error.find("通常のファイルではありません"), std::string::npos) << error;
}

TEST(BadDatabase, ForeignFilesBesideTheDatabaseAreNamedAndTheReadCreatesNothing) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
  const std::string before = slurpFile(db);

  writeRaw(db + "-journal", "this is no journal of a database\n");
  LoadResult r = loadHistory(at(db));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find(
                "Kazumaki.mdb-journal」は、このプログラムが書き込みの途中に作る控え（ジャーナル）ではありません"),
            std::string::npos)
      << r.message();
  EXPECT_EQ(r.message().find("パスワード"), std::string::npos) << "not reported as a wrong password: " << r.message();
  EXPECT_TRUE(slurpFile(db + "-journal") == "this is no journal of a database\n") << "the foreign file is left alone";
  // every writer and reader of the tool refuses it alike
  for (const char* args : {"check", "add", "delete"}) {
    const std::string more = std::string(args) == "add" ? " 1 2 3 4 5 6" : std::string(args) == "delete" ? " 1" : "";
    const ToolRun t = tool(std::string(args) + " " + quoted(db) + more);
    EXPECT_NE(t.status, 0) << args;
    EXPECT_NE(t.out.find("書き込みの途中に作る控え（ジャーナル）ではありません"), std::string::npos)
        << args << ": " << t.out;
    EXPECT_TRUE(slurpFile(db + "-journal") == "this is no journal of a database\n") << args;
  }
  ::unlink((db + "-journal").c_str());

  writeRaw(db + "-wal", std::string(4096, 'w'));
  r = loadHistory(at(db));
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.message().find("Kazumaki.mdb-wal"), std::string::npos) << r.message();
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", "Kazumaki.mdb-wal"})) << "no -shm was made";
  ::unlink((db + "-wal").c_str());

  writeRaw(db + "-journal", "");  // an empty journal is no write in progress
  r = loadHistory(at(db));
  EXPECT_TRUE(r.ok()) << r.message();
  EXPECT_TRUE(slurpFile(db) == before);
}

TEST(BadDatabase, AJournalLeftByAnInterruptedWriteIsRolledBackAtTheNextRead) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  std::vector<Draw> many;
  for (int no = 1; no <= 400; ++no) many.push_back(test::draw(no, {1, 2, 3, 4, 5, 6}, "2001-01-01"));
  ASSERT_EQ(writeDatabase(at(db), many).withCause(), "");
  const std::string before = slurpFile(db);
  // A writer that dies in the middle of its transaction, after some of the
  // changed pages reached the file.
  const std::string child = inChild(
      [&] {
        sqlite3* c = openKeyed(db);
        execSql(c, "PRAGMA cache_size = 2");
        execSql(c, "BEGIN");
        execSql(c, "UPDATE 当選データ SET 抽選日 = '2099-12-31', 第1数字 = 31");
        ::_exit(0);  // no commit, no rollback, no close
        return std::string();
      },
      false);
  ASSERT_TRUE(fs::exists(db + "-journal")) << "the test needs a hot journal";
  ASSERT_FALSE(slurpFile(db) == before) << "the test needs changed pages in the file";
  const LoadResult r = loadHistory(at(db), true);
  ASSERT_TRUE(r.ok()) << r.message();
  ASSERT_EQ(r->draws.size(), 400u);
  for (const Draw& d : r->draws) ASSERT_TRUE(d[N1] == 1 && d.date == "2001-01-01") << d.no;
  // The pages come back re-encrypted (the cipher gives each write a fresh
  // IV), so the file holds the same history, not the same bytes.
  EXPECT_EQ(loadHistory(at(db), true)->draws.size(), 400u);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb"}));
}

// ---- settings file ---------------------------------------------------------

TEST(BadSettings, OneUndecodableByteCostsOnlyItsOwnLine) {
  ScratchDir dir;
  const std::string ini = dir.file("s.ini");
  for (const std::string& sep : {std::string("\r\n"), std::string("\n")}) {
    std::string text;
    for (int i = 0; i < PredictionState::kSettingCount; ++i) text += std::string(kSettingKeys[i]) + "=True" + sep;
    // 0x80 is neither UTF-8 alone nor a Shift_JIS lead byte; put it in line 3
    const size_t third = text.find(kSettingKeys[2]);
    text.insert(third + 3, "\x80");
    writeRaw(ini, text);
    const ReflectSettings r = Settings::read(ini).prediction();
    for (int i = 0; i < PredictionState::kSettingCount; ++i) EXPECT_EQ(r[i], i != 2) << i;
  }
  // Shift_JIS with a damaged line
  std::string sjis = "\x95\x70\x93\x78\x95\xaa\x90\xcd\x4f\x70\x74=True\r\n";  // 頻度分析Opt in CP932
  sjis += "\xff\xfe=True\r\n";
  writeRaw(ini, sjis);
  EXPECT_TRUE(Settings::read(ini).prediction()[0]);
}

TEST(BadSettings, BinaryHugeFolderPipeDeviceAndUnreadableFilesReadNothingAndNeverHang) {
  ScratchDir dir;
  const std::string ini = dir.file(kSettingsFileName);
  // binary with a valid line among the junk
  std::string bin;
  for (int i = 0; i < 4096; ++i) bin += static_cast<char>((i * 97 + 13) & 0xFF);
  bin += "\n間隔分析Opt=True\n";
  for (int i = 0; i < 4096; ++i) bin += static_cast<char>((i * 31 + 5) & 0xFF);
  writeRaw(ini, bin);
  EXPECT_TRUE(Settings::read(ini).prediction()[1]);

  // huge: the lines within the first 64 KiB count, the rest is not read
  std::string huge = "頻度分析Opt=True\r\n";
  huge += std::string(20 * 1024 * 1024, 'x');
  huge += "\r\n間隔分析Opt=True\r\n";
  writeRaw(ini, huge);
  const ReflectSettings big = Settings::read(ini).prediction();
  EXPECT_TRUE(big[0]);
  EXPECT_FALSE(big[1]);
  EXPECT_LE(readSettingsBytes(ini).size(), kSettingsFileCap);

  ::unlink(ini.c_str());
  for (int kind = 0; kind < 3; ++kind) {
    std::error_code ec;
    fs::remove_all(ini, ec);
    if (kind == 0) fs::create_directory(ini);
    if (kind == 1) {
      ASSERT_EQ(::mkfifo(ini.c_str(), 0644), 0);
    }
    if (kind == 2) fs::create_symlink("/dev/zero", ini);
    // returns at once: no block on a pipe, no endless read of a device
    EXPECT_EQ(Settings::read(ini).bytes(), Settings().bytes()) << kind;
  }
  std::error_code ec;
  fs::remove_all(ini, ec);
  writeRaw(ini, "頻度分析Opt=True\r\n");
  ::chmod(ini.c_str(), 0);
  EXPECT_EQ(inChild(
                [&] {
                  const ReflectSettings r = Settings::read(ini).prediction();
                  return std::to_string(std::count(r.begin(), r.end(), true));
                },
                true),
            "0");
}

TEST(BadSettings, ASymlinkedSettingsFileIsReadAndWrittenThroughItsLink) {
  ScratchDir dir;
  fs::create_directory(dir.path / "real");
  const std::string real = (dir.path / "real" / "k.ini").string(), link = dir.file(kSettingsFileName);
  writeRaw(real, "頻度分析Opt=True\r\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  fs::create_symlink("real/k.ini", link);
  Settings s = Settings::read(link);
  EXPECT_TRUE(s.prediction()[0]);
  s.setPrediction({true, true});
  ASSERT_TRUE(s.write(link));
  EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
  EXPECT_NE(slurpFile(real).find("間隔分析Opt=True\r\n"), std::string::npos);
  EXPECT_EQ(modeOf(real), 0640u);
  EXPECT_EQ(dir.names(), (std::set<std::string>{kSettingsFileName, "real"}));
}

// ---- CSV files -------------------------------------------------------------

TEST(BadCsv, ByteOrderMarkAndMixedLineEndsAreRead) {
  const Result<DrawList> r = parseHistoryCsv(
      "\xEF\xBB\xBF"
      "draw,date,n1,n2,n3,n4,n5,bonus\r\n1,\"1999-04-13\",1,2,3,4,5,6\n2,,1,2,3,4,5,6\r\n");
  ASSERT_TRUE(r.ok()) << r.message();
  EXPECT_EQ(r->draws.size(), 2u);
  EXPECT_EQ(r->draws[0].date, "1999-04-13");
}

TEST(BadCsv, MessagesNameTheRealCauseAndQuoteAShortEscapedExcerpt) {
  const std::string h = "draw,date,n1,n2,n3,n4,n5,bonus\n";
  struct Case {
    std::string text, starts, holds;
  } cases[] = {
      {"draw,date,n1,n2,n3,n4,n5,bonus\r1,,1,2,3,4,5,6\r", "1行目：行が CR だけで終わっています", ""},
      {h + "1,,1,2,3,4,5,6\r2,,1,2,3,4,5,6\n", "2行目：行が CR だけで終わっています", ""},
      {h + std::string("1,,1,2\0,3,4,5,6\n", 16), "2行目：NUL 文字があります", ""},
      {h + "１.0,,1,2,3,4,5,6\n", "2行目：回数「１.0」が整数ではありません（半角の0〜9で書いてください）", ""},
      {h + "1,,1,2,3,4,5,6\n1,,1,2,3,4,5,6\n", "3行目：回数1が2回あります", ""},
      {h + "2,,1,2,3,4,5,6\n1,,1,2,3,4,5,6\n", "3行目：回数1が前の行の回数より小さくなっています", ""},
      {h + "1,\x1b]0;owned\x07,1,2,3,4,5,6\n", "2行目：日付「\\x1B]0;owned\\x07」", ""},
      {h + "1,2025-02-31,1,2,3,4,5,6\n", "2行目：日付「2025-02-31」が、YYYY-MM-DD の形の暦にある日付ではありません",
       ""},
      {h + "1,0000-01-01,1,2,3,4,5,6\n", "2行目：日付「0000-01-01」が", ""},
      {h + "1,2023-02-29,1,2,3,4,5,6\n", "2行目：日付「2023-02-29」が", ""},
      {h + "1,\"1999-04-13,1,2,3,4,5,6\n", "2行目：引用符（\"）で始まる列が閉じていません", ""},
      {"", "1行目：ファイルが空です", ""},
  };
  for (const Case& c : cases) {
    const Result<DrawList> r = parseHistoryCsv(c.text);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.message().rfind(c.starts, 0), 0u) << r.message() << "\nexpected: " << c.starts;
    EXPECT_EQ(r.message().find('\x1b'), std::string::npos);
  }
  EXPECT_TRUE(parseHistoryCsv(h + "1,2024-02-29,1,2,3,4,5,6\n").ok()) << "a leap day exists";
  // a 50 MB field gives a short message
  std::string big = h + "1,";
  big += std::string(50 * 1024 * 1024, '9');
  big += ",1,2,3,4,5,6\n";
  const Result<DrawList> r = parseHistoryCsv(big);
  EXPECT_FALSE(r.ok());
  EXPECT_LT(r.message().size(), 200u) << r.message().substr(0, 300);
}

TEST(BadCsv, AMillionLinesStopAtTheFirstImpossibleDrawNumber) {
  std::string text = "draw,date,n1,n2,n3,n4,n5,bonus\n";
  text.reserve(20 * 1000000);
  for (int no = 1; no <= 1000000; ++no) text += std::to_string(no) + ",,1,2,3,4,5,6\n";
  const Result<DrawList> r = parseHistoryCsv(text);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.message(), "32769行目：回数「32768」が1〜32767の範囲外です");
}

TEST(BadCsv, A64MiBFileIsImportedIn300MiBOfAddressSpaceAndStopsAtItsFirstBadLine) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer reserves far more address space than the bound";
#endif
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), csv = dir.file("big.csv");
  ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
  const std::string before = slurpFile(db);
  const struct {
    std::string head, filler, says;
  } cases[] = {
      // the shipped history (lines 1..1401), an empty line, then draws up to 64 MiB
      {slurpFile(KM_SHIPPED_CSV) + "\n", "1401,2026-08-25,1,2,3,4,5,6,,,,,,,,\n", "：1402行目：空の行があります"},
      // one field of 64 MiB
      {std::string(kCsvHeader) + "\n1,", std::string(4096, '9'), "：2行目：1行が4 KiBを超えています"},
      // one line of 64 million commas (it once took 2 GB)
      {std::string(kCsvHeader) + "\n1", std::string(4096, ','), "：2行目：列が8個より多くあります"},
  };
  for (const auto& c : cases) {
    {
      std::ofstream out(csv, std::ios::binary | std::ios::trunc);
      out << c.head;
      for (size_t n = c.head.size(); n + c.filler.size() <= 64 << 20; n += c.filler.size()) out << c.filler;
    }
    // the program's libraries take about 90 MiB of it
    const ToolRun r = test::runTool("import-csv " + quoted(csv) + " " + quoted(db), "ulimit -v 307200 && ");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
    EXPECT_EQ(slurpFile(db), before);
  }
}

TEST(BadCsv, TheToolNamesAFolderAPipeAndRefusesToEmptyAHistoryWithoutForce) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), csv = dir.file("h.csv");
  ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
  const std::string before = slurpFile(db);
  ToolRun r = tool("import-csv " + quoted(dir.path.string()) + " " + quoted(db));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("CSV ファイルではなく、フォルダです"), std::string::npos) << r.out;
  ASSERT_EQ(::mkfifo(csv.c_str(), 0644), 0);
  r = tool("import-csv " + quoted(csv) + " " + quoted(db));
  EXPECT_NE(r.out.find("通常のファイルではありません（パイプやデバイスからは取り込めません）"), std::string::npos)
      << r.out;
  ::unlink(csv.c_str());

  writeRaw(csv, std::string(kCsvHeader) + "\n");
  r = tool("import-csv " + quoted(csv) + " " + quoted(db));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("3回分の当選データがあります"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--force"), std::string::npos) << r.out;
  EXPECT_EQ(slurpFile(db), before);
  r = tool("import-csv " + quoted(csv) + " " + quoted(db) + " --force");
  EXPECT_EQ(r.status, 0) << r.out;
  const LoadResult after = loadHistory(at(db));
  EXPECT_TRUE(after.ok() && after->draws.empty()) << after.message();
}

// ---- targets of a write -----------------------------------------------------

// Whatever a user types reaches the terminal without its control codes and
// cut short; odd but sound input gets a message, not the usage.
TEST(BadTool, TextFromTheCommandLineIsEscapedAndEveryFailureSaid) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
  const std::string stale = dir.file(".Kazumaki.mdb.tmp-AbC123");
  writeRaw(stale, "left by a killed write");
  const struct {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
      {"add DB 1 2 3 4 5 6 --date \"$(printf 'x\\033]0;T\\007')\"", 1, "抽選日「x\\x1B]0;T\\x07」"},
      {"set DB 3 2 \"$(printf '\\033[31mX')\"", 1, "「\\x1B[31mX」"},
      {"set DB 3 2 \"$(head -c 100000 /dev/zero | tr '\\0' x)\"", 1, "xxx…」"},
      {"delete DB \"$(printf '\\033c')\"", 1, "回数「\\x1Bc」は整数で"},
      {"insert DB 0000001", 0, "2"},
      {"add DB 1 2 3 4 5 6", 0, "5"},
      {"export-csv DB", 1, "標準出力へ書き込めません"},
  };
  for (const auto& c : cases) {
    std::string args = c.args;
    args.replace(args.find("DB"), 2, quoted(db));
    const ToolRun r = test::runTool(args, {}, c.args == "export-csv DB" ? " 2>&1 >/dev/full" : " 2>&1");
    EXPECT_EQ(WEXITSTATUS(r.status), c.status) << c.args << ": " << r.out;
    EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << c.args;
    EXPECT_LT(r.out.size(), 400u) << c.args;
  }
  EXPECT_FALSE(fs::exists(stale)) << "a writer removes what a killed write of it left";
}

TEST(BadTarget, AReadOnlyDatabaseIsRefusedAndKeepsItsModeAndBytes) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), csv = dir.file("h.csv");
  ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
  ASSERT_EQ(::chmod(db.c_str(), 0444), 0);
  const std::string before = slurpFile(db);
  writeRaw(csv, std::string(kCsvHeader) + "\n1,,1,2,3,4,5,6\n");
  const ToolRun r = tool("import-csv " + quoted(csv) + " " + quoted(db));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("読み取り専用"), std::string::npos) << r.out;
  EXPECT_EQ(modeOf(db), 0444u);
  EXPECT_EQ(slurpFile(db), before);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", "h.csv"}));
}

TEST(BadTarget, ASymlinkedDatabaseIsReplacedThroughTheLinkInItsTargetsFolder) {
  ScratchDir dir;
  fs::create_directory(dir.path / "data");
  const std::string real = (dir.path / "data" / "history.db").string(), link = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(real), threeDraws()).withCause(), "");
  ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
  fs::create_symlink(real, link);
  std::vector<Draw> more = threeDraws();
  more.push_back(test::draw(4, {1, 2, 3, 4, 5, 6}, ""));
  ASSERT_EQ(writeDatabase(at(link), more).withCause(), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(loadHistory(at(real))->draws.size(), 4u);
  EXPECT_EQ(modeOf(real), 0600u);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", "data"}));
}

// In a shared sticky folder another user's link never leads a write (the
// backup, the settings, the entry store) into a file of the user's, and the
// user's own link to a backup keeps the mode of the file it leads to.
TEST(BadTarget, AnotherUsersLinkIsNeverFollowedAndNoModeIsWidened) {
  if (::geteuid() != 0) GTEST_SKIP() << "planting a link as another user needs root";
  for (const bool foreign : {true, false}) {
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path.c_str(), 01777), 0);
    const std::string db = dir.file("Kazumaki.mdb"), victim = dir.file("victim"), ini = dir.file(kSettingsFileName);
    ASSERT_EQ(writeDatabase(at(db), threeDraws()).withCause(), "");
    writeRaw(victim, "secret");
    ASSERT_EQ(::chmod(victim.c_str(), 0600), 0);
    const auto plant = [&](const std::string& link) {
      return std::string(symlink(victim.c_str(), link.c_str()) == 0 ? "" : "no link");
    };
    for (const std::string& link : {db + ".bak", ini})
      ASSERT_EQ(foreign ? inChild([&] { return plant(link); }, true) : plant(link), "");
    std::vector<Draw> more = threeDraws();
    more.push_back(test::draw(4, {1, 2, 3, 4, 5, 6}, ""));
    const std::string oldBytes = slurpFile(db);
    const Backup backup{db + ".bak", oldBytes};
    const std::string written = writeDatabase(at(db), more, {}, &backup).withCause();
    const bool iniWritten = Settings().write(ini);
    EXPECT_EQ(modeOf(victim), 0600u);
    if (foreign) {
      EXPECT_NE(written.find("ほかのユーザーが作ったシンボリックリンク"), std::string::npos) << written;
      EXPECT_FALSE(iniWritten);
      EXPECT_EQ(slurpFile(victim), "secret");
      EXPECT_EQ(loadHistory(at(db))->draws.size(), 3u);
      ASSERT_EQ(inChild([&] { return plant(dir.file("link.mdb")); }, true), "");
      ::unlink(victim.c_str());
      ASSERT_EQ(writeDatabase(at(victim), threeDraws()).withCause(), "");
      std::string error;
      EXPECT_FALSE(EntryStore::open(at(dir.file("link.mdb")), error));
      EXPECT_NE(error.find("ほかのユーザー"), std::string::npos) << error;
    } else {
      EXPECT_EQ(written, "");
      EXPECT_TRUE(iniWritten);
      EXPECT_NE(slurpFile(victim), "secret");
    }
  }
}

TEST(BadTarget, AHardLinkedFileIsNotSplitAndAFolderIsNotReplaced) {
  ScratchDir dir;
  const std::string a = dir.file("a.txt"), b = dir.file("b.txt");
  writeRaw(a, "old");
  ASSERT_EQ(::link(a.c_str(), b.c_str()), 0);
  std::string why;
  EXPECT_FALSE(replaceFileContents(a, "new", &why));
  EXPECT_NE(why.find("ハードリンク"), std::string::npos) << why;
  EXPECT_EQ(slurpFile(b), "old");
  fs::create_directory(dir.path / "f");
  EXPECT_FALSE(replaceFileContents(dir.file("f"), "new", &why));
  EXPECT_NE(why.find("通常のファイルではない"), std::string::npos) << why;
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt", "b.txt", "f"}));
}

TEST(BadTarget, StaleTemporaryFilesOfOursAreRemovedAndALiveOneIsKept) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  writeRaw(db, "x");
  writeRaw(dir.file(".Kazumaki.mdb.tmp-AbC123"), "stale");
  writeRaw(dir.file(".Kazumaki.mdb.tmp-AbC123-journal"), "stale");
  writeRaw(dir.file(".Kazumaki.mdb.tmp-zzzzzz-journal"), "stale");
  writeRaw(dir.file(".Kazumaki.mdb.tmp-notours"), "someone else's");
  writeRaw(dir.file("Kazumaki.mdb.bak"), "backup");
  ReplacementFile live(db);  // a write in progress
  ASSERT_TRUE(live.ok());
  const std::string liveName = fs::path(live.path()).filename().string();
  EXPECT_EQ(dir.names(),
            (std::set<std::string>{"Kazumaki.mdb", ".Kazumaki.mdb.tmp-notours", "Kazumaki.mdb.bak", liveName}));
  // the journal of the live one (a database being written) stays with it
  writeRaw(live.path() + "-journal", "journal");
  EXPECT_EQ(removeStaleTemporaryFiles(db), 0) << "the live one is held by its writer";
  EXPECT_TRUE(fs::exists(live.path()));
  EXPECT_TRUE(fs::exists(live.path() + "-journal"));
}

TEST(BadTarget, TemporaryFilesOfEarlierVersionsGoOnceAnHourOld) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), ini = dir.file(kSettingsFileName);
  writeRaw(db, "x");
  writeRaw(ini, "x");
  const struct timespec old[2] = {{::time(nullptr) - 7200, 0}, {::time(nullptr) - 7200, 0}};
  for (const char* name : {"Kazumaki.mdb.tmp-a1B2c3", "Kazumaki.mdb.tmp-a1B2c3-journal", ".kazumaki-ini-Q9w8E7"}) {
    writeRaw(dir.file(name), "stale");
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(name).c_str(), old, 0), 0);
  }
  writeRaw(dir.file("Kazumaki.mdb.tmp-fresh1"), "maybe still being written");
  EXPECT_EQ(removeStaleTemporaryFiles(db), 2);
  EXPECT_EQ(removeStaleTemporaryFiles(ini), 1);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", kSettingsFileName, "Kazumaki.mdb.tmp-fresh1"}));
}

TEST(BadTarget, AFolderPathWithSpacesQuotesAndJapaneseWorksThroughout) {
  ScratchDir dir;
  const fs::path folder = dir.path / "my data 'x' \"y\" カズマキ フォルダ";
  fs::create_directory(folder);
  const std::string db = (folder / "Kazumaki.mdb").string(), csv = (folder / "履歴 1.csv").string();
  writeRaw(csv, std::string(kCsvHeader) + "\n1,1999-04-13,1,2,3,4,5,6\n");
  auto shellQuote = [](const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  ToolRun r = tool("import-csv " + shellQuote(csv) + " " + shellQuote(db));
  ASSERT_EQ(r.status, 0) << r.out;
  r = tool("export-csv " + shellQuote(db));
  EXPECT_EQ(r.out, std::string(kCsvHeader) + "\n1,1999-04-13,1,2,3,4,5,6\n");
  Settings s;
  s.setPrediction({false, false, false, true});
  const std::string ini = (folder / kSettingsFileName).string();
  ASSERT_TRUE(s.write(ini));
  EXPECT_TRUE(Settings::read(ini).prediction()[3]);
}

TEST(BadTarget, AReadOnlySettingsFileIsKeptAtExitAndTheReasonGiven) {
  ScratchDir dir;
  const std::string ini = dir.file(kSettingsFileName);
  writeRaw(ini, "頻度分析Opt=True\r\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
  std::string why;
  EXPECT_FALSE(Settings::read(ini).write(ini, &why));
  EXPECT_NE(why.find("読み取り専用"), std::string::npos) << why;
  EXPECT_EQ(slurpFile(ini), "頻度分析Opt=True\r\n");
  EXPECT_EQ(modeOf(ini), 0444u);
}
