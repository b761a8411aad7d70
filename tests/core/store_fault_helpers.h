#pragma once
// Helpers for tests that make file writes fail or watch how SQLite writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "store/sqlite/database.h"

namespace km::test {

namespace fs = std::filesystem;

// A fresh folder of its own, removed with everything in it.
struct ScratchDir {
  fs::path path;
  ScratchDir() {
    std::string tmpl = (fs::temp_directory_path() / "km-store-XXXXXX").string();
    if (::mkdtemp(tmpl.data())) path = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string file(const char* name) const { return (path / name).string(); }
  // The names in the folder: a temporary file left behind shows up here.
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(path)) out.insert(e.path().filename().string());
    return out;
  }
};

inline std::string slurpFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream b;
  b << in.rdbuf();
  return b.str();
}

// While alive, no file of this process can grow beyond `bytes`: writes past
// the limit fail with EFBIG (the signal that would end the process is
// ignored), as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &oldAction_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::sigaction(SIGXFSZ, &oldAction_, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  struct sigaction oldAction_ {};
};

// While alive, SQLite's default file system counts the rollback journals it
// opens: one per transaction that writes.
class JournalCounter {
 public:
  JournalCounter() {
    base_ = sqlite3_vfs_find(nullptr);
    vfs_ = *base_;
    vfs_.zName = "km-journal-counter";
    vfs_.xOpen = &JournalCounter::open;
    sqlite3_vfs_register(&vfs_, 1);
    count_ = 0;
  }
  ~JournalCounter() { sqlite3_vfs_unregister(&vfs_); }
  JournalCounter(const JournalCounter&) = delete;
  JournalCounter& operator=(const JournalCounter&) = delete;
  int journals() const { return count_; }

 private:
  static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    if (flags & SQLITE_OPEN_MAIN_JOURNAL) ++count_;
    return base_->xOpen(base_, name, file, flags, outFlags);
  }
  static inline sqlite3_vfs* base_ = nullptr;
  static inline int count_ = 0;
  sqlite3_vfs vfs_{};
};

// Opens a database written by writeDatabase as the program opens it, for
// tests that change what it holds.
inline sqlite3* openKeyed(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return db;
  const std::string key = "PRAGMA key = '" + databasePassword() + "'";
  for (const std::string& sql :
       {key, std::string("PRAGMA cipher_page_size = 1024"), std::string("PRAGMA kdf_iter = 64000"),
        std::string("PRAGMA cipher_hmac_algorithm = HMAC_SHA1"),
        std::string("PRAGMA cipher_kdf_algorithm = PBKDF2_HMAC_SHA1")})
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  return db;
}

inline int execSql(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// Collects what the store writes to its log while alive.
class StoreLogCapture {
 public:
  StoreLogCapture() {
    lines().clear();
    previous_ = setStoreLog([](const std::string& line) { lines().push_back(line); });
  }
  ~StoreLogCapture() { setStoreLog(previous_); }
  static std::vector<std::string>& lines() {
    static std::vector<std::string> l;
    return l;
  }
  std::string all() const {
    std::string s;
    for (const std::string& l : lines()) s += l + "\n";
    return s;
  }

 private:
  StoreLog previous_;
};

}  // namespace km::test
