// Inputs the fuzzers (fuzz/, scripts/fuzz.sh) found, kept as tests.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "store/crypto/key_derivation.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_restore.h"
#include "store/sqlite/database_update.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"
#include "tests/core/test_results.h"

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
void writeWalModeHistory(const std::string& path, const std::vector<Draw>& draws = test::feedDraws(2)) {
  ASSERT_EQ(writeDatabase({path, databasePassword()}, draws).withCause(), "");
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
  EXPECT_TRUE(r.ok()) << r.message();
  EXPECT_EQ(r->draws.size(), 2u);
  EXPECT_EQ(f.names(), std::set<std::string>{kDatabaseFileName});
  EXPECT_TRUE(slurp(mdb) == before);
}

// Checking a download made a file in WAL mode create -wal and -shm files
// beside the temporary file, and they stayed in the program folder.  Now its
// draws are read as the file stands and a new file of the program's own is
// written: nothing of the download's mode comes over.
TEST(FuzzFindings, ADownloadInWalModeLeavesNoFileBehindAndIsNotInstalled) {
  Folder f("update");
  const std::string mdb = f.path(kDatabaseFileName);
  ASSERT_EQ(writeDatabase({mdb, databasePassword()}, test::feedDraws(1)).withCause(), "");
  const std::string old = slurp(mdb);
  const std::string download = f.path("download.mdb");

  writeWalModeHistory(download, {});
  std::string bytes = slurp(download);
  fs::remove(download);
  UpdateResult r = updateHistory(mdb, bytes);
  EXPECT_EQ(test::ended(r), test::Ended::Refused) << r.message();
  EXPECT_NE(r.message().find("1件もありません"), std::string::npos) << r.message();
  EXPECT_TRUE(slurp(mdb) == old);
  EXPECT_EQ(f.names(), std::set<std::string>{kDatabaseFileName});

  writeWalModeHistory(download, test::feedDraws(3));
  bytes = slurp(download);
  fs::remove(download);
  r = updateHistory(mdb, bytes);
  EXPECT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(r->drawsAfter, 3);
  EXPECT_FALSE(slurp(mdb) == bytes);
  EXPECT_EQ(f.names(), (std::set<std::string>{kDatabaseFileName, std::string(kDatabaseFileName) + ".bak"}));
  EXPECT_EQ(loadHistory({mdb, databasePassword()})->draws.size(), 3u);
  EXPECT_EQ(f.names(), (std::set<std::string>{kDatabaseFileName, std::string(kDatabaseFileName) + ".bak"}));

  // a history in WAL mode (an earlier version installed downloads as they were) is rebuilt in the program's own
  fs::remove(mdb);
  writeWalModeHistory(mdb, test::feedDraws(3));
  writeWalModeHistory(download, test::feedDraws(4));
  r = updateHistory(mdb, slurp(download));
  fs::remove(download);
  EXPECT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(f.names(), (std::set<std::string>{kDatabaseFileName, std::string(kDatabaseFileName) + ".bak"}));
  EXPECT_EQ(loadHistory({mdb, databasePassword()})->draws.size(), 4u);
}

TEST(FuzzFindings, TheCheckOpensPathsWithUriCharactersAsTheyAre) {
  Folder f("uri");
  const std::string mdb = f.path("a ?b#c%41 カズマキ.mdb");
  ASSERT_EQ(writeDatabase({mdb, databasePassword()}, {test::draw(1, {1, 2, 3, 4, 5, 6}, "")}).withCause(), "");
  const Result<DrawList> read = readDrawTable({mdb, databasePassword()});
  EXPECT_EQ(read.kind(), Fault::None) << read.message();
  EXPECT_EQ(read->draws.size(), 1u);
  EXPECT_EQ(f.names(), std::set<std::string>{"a ?b#c%41 カズマキ.mdb"});
}

// Rewrites the page size in the header of an encrypted database keyed with
// `password`, as a file made by another program (or by hand) would hold it:
// page 1 is decrypted, changed, encrypted again and authenticated, so the
// cipher library accepts it.
void claimPageSize(const std::string& path, const std::string& password, int pageSize) {
  std::string file = slurp(path);
  ASSERT_GE(file.size(), 1024u);
  auto* page = reinterpret_cast<unsigned char*>(file.data());
  DatabaseSalt salt;
  std::memcpy(salt.data(), page, 16);
  const DatabaseKey key = deriveDatabaseKey(password, salt);
  unsigned char macSalt[16], macKey[32];
  for (int i = 0; i < 16; ++i) macSalt[i] = page[i] ^ 0x3a;
  ASSERT_EQ(PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char*>(key.data()), 32, macSalt, 16, 2, 32, macKey), 1);
  constexpr int kSize = 1024 - 16 - 48;
  unsigned char* data = page + 16;
  unsigned char* iv = data + kSize;
  unsigned char plain[kSize];
  auto crypt = [&](bool encrypt, const unsigned char* in, unsigned char* out) {
    EVP_CIPHER_CTX* c = EVP_CIPHER_CTX_new();
    int n = 0;
    EVP_CipherInit_ex(c, EVP_aes_256_cbc(), nullptr, key.data(), iv, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(c, 0);
    EVP_CipherUpdate(c, out, &n, in, kSize);
    EVP_CIPHER_CTX_free(c);
  };
  crypt(false, data, plain);
  plain[0] = static_cast<unsigned char>(pageSize >> 8);
  plain[1] = static_cast<unsigned char>(pageSize & 0xff);
  crypt(true, plain, data);
  const unsigned char pageNo[4] = {1, 0, 0, 0};
  std::string signedPart(reinterpret_cast<const char*>(data), kSize + 16);
  signedPart.append(reinterpret_cast<const char*>(pageNo), 4);
  unsigned int macLen = 0;
  HMAC(EVP_sha1(), macKey, 32, reinterpret_cast<const unsigned char*>(signedPart.data()), signedPart.size(), iv + 16,
       &macLen);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
}

// A file keyed with the program's key whose header claims a page size other
// than the cipher's made the cipher library read past its page buffer (found
// by the fuzzers; the input is kept in fuzz/known).  Both reads refuse it
// before the library reads the page, and leave it as it was.
TEST(FuzzFindings, AKeyedFileClaimingAnotherPageSizeIsRefusedBeforeItIsRead) {
  Folder f("page-size");
  const std::string db = f.path("Kazumaki.mdb");
  const ConnectString cs{db, databasePassword()};
  ASSERT_EQ(writeDatabase(cs, {}).withCause(), "");
  ASSERT_TRUE(loadHistory(cs).ok());
  claimPageSize(db, cs.password, 1024);
  ASSERT_TRUE(loadHistory(cs).ok()) << "the rewrite itself keeps the file sound";
  for (int claimed : {512, 4096, 1}) {
    claimPageSize(db, cs.password, claimed);
    const std::string before = slurp(db);
    const LoadResult read = loadHistory(cs);
    EXPECT_FALSE(read.ok()) << claimed;
    EXPECT_NE(read.message().find("壊れています"), std::string::npos) << read.message();
    EXPECT_NE(read.cause().find("ページの大きさ"), std::string::npos)
        << "the technical account apart: " << read.cause();
    const Result<DrawList> check = readDrawTable(cs);
    EXPECT_NE(check.kind(), Fault::None) << claimed;
    EXPECT_NE(check.cause().find("ページの大きさ"), std::string::npos) << check.cause();
    EXPECT_EQ(slurp(db), before);
    EXPECT_EQ(f.names(), std::set<std::string>{"Kazumaki.mdb"});
  }
  // a wrongly keyed read is not taken for it
  const LoadResult wrongKey = loadHistory({db, "000000"});
  EXPECT_FALSE(wrongKey.ok());
  EXPECT_EQ(wrongKey.cause().find("ページの大きさ"), std::string::npos) << wrongKey.cause();
}

// Every reader and writer goes into the history the same one way: a damaged
// file (the crafted page size above made the entry store's own opening, and
// with it `check` and `set`, end in a segmentation fault) is refused by each
// with the same message, and left as it was.
TEST(FuzzFindings, EveryWayIntoTheHistoryRefusesADamagedFileAlike) {
  const std::string pw = databasePassword();
  struct Damage {
    const char* name;
    void (*make)(const std::string& db);
    const char* says;
  };
  const Damage damages[] = {
      {"a header claiming 512-byte pages",
       [](const std::string& db) {
         ASSERT_EQ(writeDatabase({db, databasePassword()}, test::feedDraws(2)).withCause(), "");
         claimPageSize(db, databasePassword(), 512);
       },
       "当選データファイルが壊れています（ファイルの先頭が正しくありません）。"},
      {"bytes of no database",
       [](const std::string& db) { std::ofstream(db, std::ios::binary) << std::string(4096, 'x'); },
       "当選データファイルが壊れているか、このプログラムの当選データファイルではありません。"},
      {"a foreign journal beside it",
       [](const std::string& db) {
         ASSERT_EQ(writeDatabase({db, databasePassword()}, test::feedDraws(2)).withCause(), "");
         std::ofstream(db + "-journal", std::ios::binary) << "not a journal";
       },
       "控え（ジャーナル）ではありません"},
  };
  // What each said, or "opened" when it took the file.
  struct Entry {
    const char* name;
    const char* file;  // the file it opens
    std::function<std::string(const std::string& db)> open;
  };
  const auto toolSays = [](const std::string& args) {
    const test::ToolRun t = test::runTool(args);
    return WIFEXITED(t.status) && WEXITSTATUS(t.status) == 1 ? t.out : "ended otherwise: " + t.out;
  };
  const Entry entries[] = {
      {"start-up read", "Kazumaki.mdb",
       [&](const std::string& db) {
         const LoadResult r = loadHistory({db, pw});
         return r.ok() ? std::string("opened") : r.message();
       }},
      {"kazumaki-tool check", "Kazumaki.mdb", [&](const std::string& db) { return toolSays("check '" + db + "'"); }},
      {"kazumaki-tool set", "Kazumaki.mdb", [&](const std::string& db) { return toolSays("set '" + db + "' 1 2 5"); }},
      {"kazumaki-tool add", "Kazumaki.mdb",
       [&](const std::string& db) { return toolSays("add '" + db + "' 1 2 3 4 5 6"); }},
      {"the entry store", "Kazumaki.mdb",
       [&](const std::string& db) {
         std::string error;
         return EntryStore::open({db, pw}, error) ? std::string("opened") : error;
       }},
      {"the update's lock", "Kazumaki.mdb",
       [&](const std::string& db) {
         const auto lock = HistoryWriteLock::take({db, pw}, {});
         return lock ? std::string("opened") : lock.message();
       }},
      {"the backup put back", "Kazumaki.mdb.bak",
       [&](const std::string& bak) {
         const Done r = restoreFromBackup({bak.substr(0, bak.size() - 4), pw});
         return r.ok() ? std::string("opened") : r.cause();
       }},
  };
  for (const Damage& d : damages) {
    for (const Entry& e : entries) {
      SCOPED_TRACE(std::string(d.name) + ", " + e.name);
      Folder f("one-way");
      const std::string db = f.path(e.file);
      d.make(db);
      const std::set<std::string> names = f.names();
      const std::string before = slurp(db);
      const std::string said = e.open(db);
      EXPECT_NE(said.find(d.says), std::string::npos) << said;
      EXPECT_EQ(slurp(db), before);
      EXPECT_EQ(f.names(), names);
    }
  }
}
