// Checking a database file before it replaces the history, and the
// replacement itself: the old file survives every refusal byte for byte.
#include "store/database_update.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "store/database.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

using test::slurp;

struct Folder {
  fs::path dir;
  Folder() {
    static int n = 0;
    dir = fs::temp_directory_path() / ("km-update-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
    fs::create_directories(dir);
  }
  ~Folder() { fs::remove_all(dir); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
    return out;
  }
};

// A keyed database made of the given SQL, with the program's cipher settings.
void craft(const std::string& path, const std::string& sql, const std::string& password = databasePassword()) {
  fs::remove(path);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  for (const std::string& p :
       {"PRAGMA key = '" + password + "'", std::string("PRAGMA cipher_page_size = 1024"),
        std::string("PRAGMA kdf_iter = 64000"), std::string("PRAGMA cipher_hmac_algorithm = HMAC_SHA1"),
        std::string("PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1")})
    ASSERT_EQ(sqlite3_exec(db, p.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << p;
  char* err = nullptr;
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "") << "\n" << sql;
  sqlite3_close(db);
}

const std::string kTable =
    "CREATE TABLE 当選データ (回数, 抽選日 TEXT, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字);";
const std::string kView =
    "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字 "
    "FROM 当選データ;";

std::string rows(const std::string& values) { return kTable + kView + "INSERT INTO 当選データ VALUES " + values + ";"; }

HistoryCheck checkSql(const Folder& f, const std::string& sql) {
  const std::string p = f.path("x.mdb");
  craft(p, sql);
  return checkHistoryDatabase({p, databasePassword()});
}

}  // namespace

TEST(HistoryCheck, AcceptsAValidHistoryWithIncompleteAndBoundaryRows) {
  Folder f;
  const HistoryCheck ok = checkSql(f, rows("(1, NULL, 1, 2, 3, 4, 5, 31), (2, '2000-01-01', 31, 30, 29, 28, 27, 1),"
                                           "(32767, NULL, 7, '', NULL, ' ', 9, NULL), (3, NULL, '5', 6, 7, 8, 9, 10)"));
  ASSERT_TRUE(ok.ok) << ok.message;
  EXPECT_EQ(ok.draws, 4);
  EXPECT_EQ(ok.lastDrawNo, 32767);

  const std::string p = f.path("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase({p, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, {}}}})),
            "");
  const HistoryCheck written = checkHistoryDatabase({p, databasePassword()});
  ASSERT_TRUE(written.ok) << written.message;
  EXPECT_EQ(written.draws, 2);
}

TEST(HistoryCheck, RefusesBadValuesAndSaysWhich) {
  Folder f;
  struct Case {
    const char* values;
    const char* says;
  } cases[] = {
      {"(1, NULL, 0, 2, 3, 4, 5, 6)", "第1数字"},        // below 1
      {"(1, NULL, 1, 2, 3, 4, 5, 32)", "ボーナス数字"},  // above 31
      {"(1, NULL, 1, 2, 3, 4, -5, 6)", "第5数字"},       // negative
      {"(1, NULL, 1, 2, 'abc', 4, 5, 6)", "第3数字"},    // not a number
      {"(1, NULL, 1, 2.5, 3, 4, 5, 6)", "第2数字"},      // not whole
      {"(1, NULL, 1, 2, 3, 4, 5, 6), (1, NULL, 1, 2, 3, 4, 5, 6)", "重複"},
      {"(1, NULL, 1, 2, 3, 4, 5, 6), ('1', NULL, 1, 2, 3, 4, 5, 6)", "回数"},  // text: as at start-up
      {"(0, NULL, 1, 2, 3, 4, 5, 6)", "回数"},
      {"(-3, NULL, 1, 2, 3, 4, 5, 6)", "回数"},
      {"(32768, NULL, 1, 2, 3, 4, 5, 6)", "回数"},
      {"(NULL, NULL, 1, 2, 3, 4, 5, 6)", "回数"},
      {"('', NULL, 1, 2, 3, 4, 5, 6)", "回数"},
  };
  for (const Case& c : cases) {
    const HistoryCheck r = checkSql(f, rows(c.values));
    EXPECT_FALSE(r.ok) << c.values;
    EXPECT_NE(r.message.find(c.says), std::string::npos) << c.values << " -> " << r.message;
  }
  const HistoryCheck none = checkSql(f, kTable + kView);
  EXPECT_FALSE(none.ok);
  EXPECT_NE(none.message.find("1件もありません"), std::string::npos) << none.message;
}

TEST(HistoryCheck, RefusesAMissingTableQueryOrField) {
  Folder f;
  const std::string values = " VALUES (1, NULL, 1, 2, 3, 4, 5, 6);";
  // the query over a table of another name
  HistoryCheck r =
      checkSql(f,
               "CREATE TABLE t (回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字);"
               "CREATE VIEW 全データ選択クエリ AS SELECT * FROM t; INSERT INTO t VALUES (1, 1, 2, 3, 4, 5, 6);");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("「当選データ」の表"), std::string::npos) << r.message;
  // the table without the bonus number
  r = checkSql(f,
               "CREATE TABLE 当選データ (回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字);"
               "CREATE VIEW 全データ選択クエリ AS SELECT *, 1 AS ボーナス数字 FROM 当選データ;"
               "INSERT INTO 当選データ VALUES (1, 1, 2, 3, 4, 5);");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("ボーナス数字"), std::string::npos) << r.message;
  // no query
  r = checkSql(f, kTable + "INSERT INTO 当選データ" + values);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("全データ選択クエリ"), std::string::npos) << r.message;
  // the query as a table instead of a view
  r = checkSql(f, kTable + "CREATE TABLE 全データ選択クエリ (回数);" + "INSERT INTO 当選データ" + values);
  EXPECT_FALSE(r.ok);
  // the query without a field
  r = checkSql(f, kTable +
                      "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字 "
                      "FROM 当選データ;" +
                      "INSERT INTO 当選データ" + values);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("全データ選択クエリ"), std::string::npos) << r.message;
}

TEST(HistoryCheck, RefusesWhatIsNotOurEncryptedDatabase) {
  Folder f;
  const std::string good = f.path("good.mdb");
  craft(good, rows("(1, NULL, 1, 2, 3, 4, 5, 6)"));
  ASSERT_TRUE(checkHistoryDatabase({good, databasePassword()}).ok);

  const std::string other = f.path("other.mdb");
  craft(other, rows("(1, NULL, 1, 2, 3, 4, 5, 6)"), "123456");
  HistoryCheck r = checkHistoryDatabase({other, databasePassword()});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("パスワード"), std::string::npos) << r.message;

  const std::string bytes = slurp(good);
  const std::string cut = f.path("cut.mdb");
  for (size_t keep : {size_t(100), bytes.size() / 2, bytes.size() - 1024}) {
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << bytes.substr(0, keep);
    EXPECT_FALSE(checkHistoryDatabase({cut, databasePassword()}).ok) << keep;
  }
  std::string flipped = bytes;
  flipped[flipped.size() - 512] ^= 0x55;  // damage inside the last page
  std::ofstream(cut, std::ios::binary | std::ios::trunc) << flipped;
  EXPECT_FALSE(checkHistoryDatabase({cut, databasePassword()}).ok);

  // damage in a page that the history query never reads
  const std::string extra = f.path("extra.mdb");
  craft(extra, rows("(1, NULL, 1, 2, 3, 4, 5, 6)") + "CREATE TABLE メモ (t BLOB);" +
                   "INSERT INTO メモ VALUES (zeroblob(3000)), (zeroblob(3000));");
  ASSERT_TRUE(checkHistoryDatabase({extra, databasePassword()}).ok);
  std::string damaged = slurp(extra);
  damaged[damaged.size() - 512] ^= 0x55;
  std::ofstream(cut, std::ios::binary | std::ios::trunc) << damaged;
  r = checkHistoryDatabase({cut, databasePassword()});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("壊れています"), std::string::npos) << r.message;

  std::ofstream(cut, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
  EXPECT_FALSE(checkHistoryDatabase({cut, databasePassword()}).ok);
  std::ofstream(cut, std::ios::binary | std::ios::trunc);
  r = checkHistoryDatabase({cut, databasePassword()});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("空"), std::string::npos);
  EXPECT_FALSE(checkHistoryDatabase({f.path("none.mdb"), databasePassword()}).ok);
  EXPECT_FALSE(fs::exists(f.path("none.mdb")));
}

TEST(ReplaceHistory, ReplacesAtomicallyAndKeepsTheOldFileAsBackup) {
  Folder f;
  const std::string target = f.path("Kazumaki.mdb");
  ASSERT_EQ(
      writeDatabase({target, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, 12}}})),
      "");
  ::chmod(target.c_str(), 0600);
  const std::string old = slurp(target);
  const std::string src = f.path("src.mdb");
  ASSERT_EQ(
      writeDatabase({src, databasePassword()},
                    test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, 12}}, {3, {13, 14, 15, 16, 17, 18}}})),
      "");
  const std::string fresh = slurp(src);
  fs::remove(src);

  ReplaceResult r = replaceHistoryDatabase(target, fresh);
  ASSERT_EQ(r.status, ReplaceResult::Replaced) << r.message;
  EXPECT_EQ(slurp(target), fresh);
  EXPECT_EQ(slurp(f.path("Kazumaki.mdb.bak")), old);
  EXPECT_EQ(backupPathFor(target), f.path("Kazumaki.mdb.bak"));
  EXPECT_EQ(r.drawsBefore, 2);
  EXPECT_EQ(r.drawsAfter, 3);
  EXPECT_EQ(r.lastDrawNo, 3);
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(f.path("Kazumaki.mdb.bak")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(f.names(), (std::set<std::string>{"Kazumaki.mdb", "Kazumaki.mdb.bak"}));
  EXPECT_TRUE(loadHistory({target, databasePassword()}).ok);

  // the next update keeps the file it replaces
  r = replaceHistoryDatabase(target, old);
  ASSERT_EQ(r.status, ReplaceResult::Replaced) << r.message;
  EXPECT_EQ(slurp(target), old);
  EXPECT_EQ(slurp(f.path("Kazumaki.mdb.bak")), fresh);
}

TEST(ReplaceHistory, EveryRefusalLeavesTheDatabaseByteForByte) {
  Folder f;
  const std::string target = f.path("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase({target, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}})), "");
  const std::string old = slurp(target);
  const std::string other = f.path("other.mdb");
  ASSERT_EQ(writeDatabase({other, "123456"}, test::draws({{1, {1, 2, 3, 4, 5, 6}}})), "");
  const std::string wrongKey = slurp(other);
  ASSERT_EQ(writeDatabase({other, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 32}}})), "");
  const std::string outOfRange = slurp(other);
  fs::remove(other);

  for (const std::string& bytes :
       {std::string(), std::string("<html>not found</html>"), old.substr(0, old.size() / 2), wrongKey, outOfRange}) {
    const ReplaceResult r = replaceHistoryDatabase(target, bytes);
    EXPECT_EQ(r.status, ReplaceResult::Invalid) << bytes.size();
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(slurp(target), old);
    EXPECT_EQ(f.names(), std::set<std::string>{"Kazumaki.mdb"}) << "no backup and no temporary file is left";
  }
}

TEST(ReplaceHistory, MissingTargetAndFailedWrite) {
  Folder f;
  const std::string target = f.path("Kazumaki.mdb");
  const std::string src = f.path("src.mdb");
  ASSERT_EQ(writeDatabase({src, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}})), "");
  const std::string fresh = slurp(src);
  fs::remove(src);

  ReplaceResult r = replaceHistoryDatabase(target, fresh);
  EXPECT_EQ(r.status, ReplaceResult::Missing);
  EXPECT_EQ(r.message, "当選データファイル：'" + target + "'が存在しません");
  EXPECT_EQ(missingDatabaseText("/a/b"), "当選データファイル：'/a/b'が存在しません");
  EXPECT_TRUE(f.names().empty());

  // the backup cannot be written: the database stays as it was
  ASSERT_EQ(
      writeDatabase({target, databasePassword()}, test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {1, 2, 3, 4, 5, 6}}})), "");
  const std::string old = slurp(target);
  fs::create_directories(f.dir / "Kazumaki.mdb.bak" / "in-the-way");
  r = replaceHistoryDatabase(target, fresh);
  EXPECT_EQ(r.status, ReplaceResult::WriteFailed);
  EXPECT_NE(r.message.find("控え"), std::string::npos) << r.message;
  EXPECT_EQ(slurp(target), old);
  EXPECT_EQ(f.names(), (std::set<std::string>{"Kazumaki.mdb", "Kazumaki.mdb.bak"}));
}
