// Writes the database seeds of the fuzzers (fuzz/corpus/database): databases
// made by the store from the shipped history, and damaged, wrongly keyed,
// unencrypted and wrong-schema variants of them.
//   fuzz_seeds <shipped CSV> <corpus folder>
#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/cipher_pages.h"
#include "fuzz/fuzz_files.h"
#include "store/formats/csv.h"
#include "store/sqlite/database.h"

namespace fs = std::filesystem;

namespace {

fs::path out;
const std::string password = km::databasePassword();

void seed(const std::string& name, char mode, const std::string& bytes) {
  kmfuzz::writeFile(out / name, std::string(1, mode) + bytes);
  std::printf("%-28s %7zu bytes\n", name.c_str(), bytes.size() + 1);
}

// A database of these draws, changed by `sql` (run on the keyed connection).
std::string database(const std::vector<km::Draw>& draws, const std::string& sql = {}) {
  const auto path = kmfuzz::workFolder() / "seed.mdb";
  fs::remove(path);
  if (!km::writeDatabase({path.string(), password}, draws).ok()) std::abort();
  if (!sql.empty()) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        !km::keyConnection(db, password))
      std::abort();
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::fprintf(stderr, "%s: %s\n", sql.c_str(), err);
      std::abort();
    }
    sqlite3_close(db);
  }
  return kmfuzz::readFile(path);
}

std::string plain(const std::string& file) {
  std::string p;
  if (!kmfuzz::decryptPages(file, password, p)) std::abort();
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: fuzz_seeds <shipped CSV> <corpus folder>\n");
    return 2;
  }
  out = argv[2];
  fs::create_directories(out);
  const km::Result<km::DrawList> csv = km::parseHistoryCsv(kmfuzz::readFile(argv[1]));
  if (!csv.ok()) return 1;
  const std::vector<km::Draw> all = csv->draws;
  const std::vector<km::Draw> few(all.begin(), all.begin() + 12);

  const std::string shipped = database(all);
  const std::string small = database(few);
  // Check the page encryption against the cipher library before using it.
  if (kmfuzz::encryptPages(plain(small), password, small.substr(0, 16)).size() != small.size()) return 1;

  seed("shipped-encrypted", 0, shipped);
  seed("shipped-plain", 1, plain(shipped));
  seed("small-encrypted", 0, small);
  seed("small-plain", 1, plain(small));
  seed("small-unencrypted", 0, plain(small));
  seed("small-wrong-key", 2, plain(small));
  seed("small-truncated", 0, small.substr(0, kmfuzz::kPageSize + 500));
  seed("small-cut-page", 0, small.substr(0, small.size() - 100));
  seed("no-view", 1, plain(database(few, "DROP VIEW 全データ選択クエリ")));
  seed("no-tables", 1, plain(database(few, "DROP VIEW 全データ選択クエリ; DROP TABLE 当選データ")));
  seed("view-missing-column", 1,
       plain(database(few,
                      "DROP VIEW 全データ選択クエリ; CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字 "
                      "FROM 当選データ")));
  seed("numbers-out-of-range", 1,
       plain(database(few,
                      "UPDATE 当選データ SET 第1数字 = 0 WHERE 回数 = 1; UPDATE 当選データ SET 第2数字 = 32 "
                      "WHERE 回数 = 2; UPDATE 当選データ SET ボーナス数字 = -2147483648 WHERE 回数 = 3; "
                      "UPDATE 当選データ SET 第5数字 = 9223372036854775807 WHERE 回数 = 4")));
  seed("draw-numbers-extreme", 1,
       plain(database(few,
                      "UPDATE 当選データ SET 回数 = 2147483647 WHERE 回数 = 12; UPDATE 当選データ SET 回数 = 0 "
                      "WHERE 回数 = 1; UPDATE 当選データ SET 回数 = -2147483648 WHERE 回数 = 2")));
  seed("values-text-float", 1,
       plain(database(few,
                      "CREATE TABLE t AS SELECT * FROM 当選データ; DROP VIEW 全データ選択クエリ; "
                      "DROP TABLE 当選データ; CREATE TABLE 当選データ (回数, 抽選日, 第1数字, 第2数字, 第3数字, "
                      "第4数字, 第5数字, ボーナス数字); INSERT INTO 当選データ SELECT * FROM t; DROP TABLE t; "
                      "UPDATE 当選データ SET 回数 = '3' WHERE 回数 = 4; UPDATE 当選データ SET 第1数字 = 2.5, "
                      "第2数字 = ' 7 ', 第3数字 = '', 抽選日 = x'00ff' WHERE 回数 = 5; "
                      "INSERT INTO 当選データ VALUES (5.0, NULL, 1, 2, 3, 4, 5, 6); "
                      "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, "
                      "第5数字, ボーナス数字 FROM 当選データ ORDER BY 回数")));
  seed("empty-history", 1, plain(database({})));
  seed("wal-mode", 1, plain(database(few, "PRAGMA journal_mode = WAL")));
  std::printf("slow key derivations: %ld\n", kmfuzz::slowKeyDerivations());
  return 0;
}
