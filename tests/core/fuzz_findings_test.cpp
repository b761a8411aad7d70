// Inputs the fuzzers (fuzz/, scripts/fuzz.sh) found, kept as tests.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "store/database.h"
#include "store/database_update.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

struct Folder {
  fs::path dir;
  explicit Folder(const std::string& name) {
    dir = fs::temp_directory_path() / ("km-fuzz-found-" + std::to_string(::getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Folder() { fs::remove_all(dir.parent_path()); }
  std::string path(const std::string& name) const { return (dir / name).string(); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
    return out;
  }
};

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream b;
  b << in.rdbuf();
  return b.str();
}

// A sound history written by the store, then switched to WAL mode (which the
// program never uses): the header of the file says so from then on.
void writeWalModeHistory(const std::string& path, int drawCount = 2) {
  std::vector<Draw> draws(drawCount);
  for (int i = 0; i < drawCount; ++i) {
    draws[i].no = i + 1;
    for (int f = 0; f < kNumberFields; ++f) draws[i].n[f] = f + 1;
  }
  ASSERT_EQ(writeDatabase({path, databasePassword()}, draws), "");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_TRUE(keyConnection(db, databasePassword()));
  ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  ASSERT_FALSE(fs::exists(path + "-wal"));
  ASSERT_FALSE(fs::exists(path + "-shm"));
}

}  // namespace

TEST(FuzzFindings, ReadingADatabaseInWalModeLeavesNoFileBesideIt) {
  Folder f("read");
  const std::string mdb = f.path(kDatabaseFileName);
  writeWalModeHistory(mdb);
  const std::string before = slurp(mdb);
  const LoadResult r = loadHistory({mdb, databasePassword()});
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(f.names(), std::set<std::string>{kDatabaseFileName});
  EXPECT_TRUE(slurp(mdb) == before);
}

// Checking a download made a file in WAL mode create -wal and -shm files
// beside the temporary file, and they stayed in the program folder.
TEST(FuzzFindings, CheckingADownloadInWalModeLeavesNoFileBehind) {
  Folder f("update");
  const std::string mdb = f.path(kDatabaseFileName);
  ASSERT_EQ(writeDatabase({mdb, databasePassword()}, {Draw{7, {1, 2, 3, 4, 5, 6}, ""}}), "");
  const std::string old = slurp(mdb);
  const std::string download = f.path("download.mdb");

  writeWalModeHistory(download, 0);
  std::string bytes = slurp(download);
  fs::remove(download);
  ReplaceResult r = replaceHistoryDatabase(mdb, bytes);
  EXPECT_EQ(r.status, ReplaceResult::Invalid) << r.message;
  EXPECT_NE(r.message.find("1件もありません"), std::string::npos) << r.message;
  EXPECT_TRUE(slurp(mdb) == old);
  EXPECT_EQ(f.names(), std::set<std::string>{kDatabaseFileName});

  writeWalModeHistory(download, 3);
  bytes = slurp(download);
  fs::remove(download);
  r = replaceHistoryDatabase(mdb, bytes);
  EXPECT_EQ(r.status, ReplaceResult::Replaced) << r.message;
  EXPECT_EQ(r.drawsAfter, 3);
  EXPECT_TRUE(slurp(mdb) == bytes);
  EXPECT_EQ(f.names(), (std::set<std::string>{kDatabaseFileName, std::string(kDatabaseFileName) + ".bak"}));
  EXPECT_EQ(loadHistory({mdb, databasePassword()}).rows.size(), 3u);
  EXPECT_EQ(f.names(), (std::set<std::string>{kDatabaseFileName, std::string(kDatabaseFileName) + ".bak"}));
}

TEST(FuzzFindings, TheCheckOpensPathsWithUriCharactersAsTheyAre) {
  Folder f("uri");
  const std::string mdb = f.path("a ?b#c%41 カズマキ.mdb");
  ASSERT_EQ(writeDatabase({mdb, databasePassword()}, {Draw{1, {1, 2, 3, 4, 5, 6}, ""}}), "");
  const HistoryCheck check = checkHistoryDatabase({mdb, databasePassword()});
  EXPECT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.draws, 1);
  EXPECT_EQ(f.names(), std::set<std::string>{"a ?b#c%41 カズマキ.mdb"});
}
