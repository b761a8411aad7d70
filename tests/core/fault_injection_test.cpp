// Faults on every writer: the import's database write, the data entry's
// transaction, the update's replace and the settings file at exit.  A full
// disk, a failing step, a read-only folder, a folder that vanishes and a
// process killed at a random moment of the write: afterwards the file is
// the old one or the new one, never a mix, and the writer says what happened.
//
// The kill tests run KM_KILL_REPEATS kills per writer (25 by default, so the
// four writers make 100 kills in a few seconds of CI; set 100 or more for a
// longer run, as docs/reliability.md records).
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <random>

#include "app/settings.h"
#include "prediction/core/prediction_state.h"
#include "store/files/replace_file.h"
#include "store/formats/csv.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_update.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"

using namespace km;
using namespace km::test;

namespace {

ConnectString at(const std::string& path) { return {path, databasePassword()}; }

std::vector<Draw> history(int n, const char* date = "2001-01-01") {
  std::vector<Draw> out;
  for (int no = 1; no <= n; ++no)
    out.push_back(test::draw(no, {no % 31 + 1, 2, 3, 4, 5, (no * 7) % 31 + 1}, no % 2 ? date : ""));
  return out;
}

std::string settingsText(bool on) {
  std::string t;
  for (const char* key : kSettingKeys) t += std::string(key) + (on ? "=True\r\n" : "=False\r\n");
  return t;
}

// Counts the steps of a write (every write, truncation, sync and deletion
// SQLite makes, every step of a ReplacementFile) and, once armed, kills the
// process with SIGKILL at the chosen step: nothing is flushed or cleaned up.
class KillSwitch {
 public:
  static void install() {
    if (installed_) return;
    base_ = sqlite3_vfs_find(nullptr);
    vfs_ = *base_;
    vfs_.zName = "km-kill-switch";
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + base_->szOsFile;
    vfs_.xOpen = &KillSwitch::open;
    vfs_.xDelete = [](sqlite3_vfs*, const char* name, int syncDir) {
      step();
      return base_->xDelete(base_, name, syncDir);
    };
    methods_.iVersion = 1;
    methods_.xClose = [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); };
    methods_.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
      return real(f)->pMethods->xRead(real(f), b, n, o);
    };
    methods_.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
      step();
      return real(f)->pMethods->xWrite(real(f), b, n, o);
    };
    methods_.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
      step();
      return real(f)->pMethods->xTruncate(real(f), size);
    };
    methods_.xSync = [](sqlite3_file* f, int flags) {
      step();
      return real(f)->pMethods->xSync(real(f), flags);
    };
    methods_.xFileSize = [](sqlite3_file* f, sqlite3_int64* s) { return real(f)->pMethods->xFileSize(real(f), s); };
    methods_.xLock = [](sqlite3_file* f, int l) { return real(f)->pMethods->xLock(real(f), l); };
    methods_.xUnlock = [](sqlite3_file* f, int l) { return real(f)->pMethods->xUnlock(real(f), l); };
    methods_.xCheckReservedLock = [](sqlite3_file* f, int* r) {
      return real(f)->pMethods->xCheckReservedLock(real(f), r);
    };
    methods_.xFileControl = [](sqlite3_file* f, int op, void* a) {
      return real(f)->pMethods->xFileControl(real(f), op, a);
    };
    methods_.xSectorSize = [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); };
    methods_.xDeviceCharacteristics = [](sqlite3_file* f) {
      return real(f)->pMethods->xDeviceCharacteristics(real(f));
    };
    sqlite3_vfs_register(&vfs_, 1);
    setReplacementStepHook([](const char*) {
      step();
      return true;
    });
    installed_ = true;
  }
  static void uninstall() {
    if (!installed_) return;
    sqlite3_vfs_unregister(&vfs_);
    setReplacementStepHook(nullptr);
    installed_ = false;
  }
  static void count() {
    steps_ = 0;
    killAt_ = -1;
  }
  static void killAt(long n) {
    steps_ = 0;
    killAt_ = n;
  }
  static long steps() { return steps_; }

 private:
  struct File {
    sqlite3_file base;
  };
  static sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<sqlite3_file*>(reinterpret_cast<File*>(f) + 1); }
  static void step() {
    ++steps_;
    if (killAt_ >= 0 && steps_ >= killAt_) ::raise(SIGKILL);
  }
  static int open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* outFlags) {
    sqlite3_file* r = real(f);
    r->pMethods = nullptr;
    const int rc = base_->xOpen(base_, name, r, flags, outFlags);
    if (rc != SQLITE_OK) {
      if (r->pMethods) r->pMethods->xClose(r);
      f->pMethods = nullptr;
      return rc;
    }
    f->pMethods = r->pMethods ? &methods_ : nullptr;
    return rc;
  }
  static inline sqlite3_vfs* base_ = nullptr;
  static inline sqlite3_vfs vfs_{};
  static inline sqlite3_io_methods methods_{};
  static inline long steps_ = 0, killAt_ = -1;
  static inline bool installed_ = false;
};

int killRepeats() {
  const char* env = std::getenv("KM_KILL_REPEATS");
  const int n = env ? std::atoi(env) : 0;
  return n > 0 ? n : 25;
}

// Runs `write` in a child process that is killed at step `killAt` (or runs to
// its end when the write has fewer steps); true when the child was killed.
bool writeKilledAt(long killAt, const std::function<void()>& write) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    KillSwitch::install();
    KillSwitch::killAt(killAt);
    write();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The number of steps of one run of `write` (run here, on the files it is given).
long stepsOf(const std::function<void()>& write) {
  KillSwitch::install();
  KillSwitch::count();
  write();
  const long n = KillSwitch::steps();
  KillSwitch::uninstall();
  return n;
}

// Runs `body` as the unprivileged user in a child process.
std::string asNobody(const std::function<std::string()>& body) { return test::inChild(body, true); }

// A folder of `dir` that the unprivileged user may read but not write.
fs::path readOnlyFolder(const ScratchDir& dir) {
  fs::path f = dir.path / "ro";
  fs::create_directory(f);
  ::chmod(dir.path.c_str(), 0755);
  return f;
}

void finishReadOnly(const fs::path& f) {
  for (const auto& e : fs::directory_iterator(f)) ::chmod(e.path().c_str(), 0644);
  ::chmod(f.c_str(), 0555);
}

bool sameRows(const std::vector<Draw>& a, const std::vector<Draw>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].no != b[i].no || a[i].n != b[i].n) return false;
  return true;
}

}  // namespace

// ---- a disk that fills up or fails part-way ---------------------------------

TEST(FaultInjection, EveryStepOfTheReplaceThatFailsLeavesTheOldFileAndSaysWhy) {
  ScratchDir dir;
  const std::string f = dir.file("target.bin");
  const std::string old(200 * 1024, 'o'), fresh(300 * 1024, 'n');
  for (const char* failing : {"write", "sync", "backup", "rename"}) {
    std::ofstream(f, std::ios::binary | std::ios::trunc) << old;
    static std::string which;
    which = failing;
    static int writes = 0;
    writes = 0;
    setReplacementStepHook([](const char* step) {
      // the second chunk of the write fails: part of the file is written
      if (which == "write") return !(std::string(step) == "write" && ++writes == 2);
      return which != step;
    });
    std::string why;
    const bool ok = replaceFileContents(f, fresh, &why, f + ".bak");
    setReplacementStepHook(nullptr);
    EXPECT_FALSE(ok) << failing;
    EXPECT_NE(why.find("Input/output error"), std::string::npos) << failing << ": " << why;
    EXPECT_TRUE(slurpFile(f) == old) << failing;
    std::set<std::string> names = dir.names();
    names.erase("target.bin.bak");  // a backup of the old file, when made, is the old file
    EXPECT_EQ(names, (std::set<std::string>{"target.bin"})) << failing;
    if (fs::exists(f + ".bak")) {
      EXPECT_TRUE(slurpFile(f + ".bak") == old);
    }
    fs::remove(f + ".bak");
  }
}

TEST(FaultInjection, AFullDiskDuringTheUpdateOrTheSettingsWriteLeavesTheOldFile) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), ini = dir.file(kSettingsFileName);
  ASSERT_EQ(writeDatabase(at(db), test::feedDraws(30)), "");
  const std::string old = slurpFile(db), feed = historyToCsv(test::feedDraws(1200));
  std::ofstream(ini, std::ios::binary) << settingsText(true);
  {
    FileSizeLimit limit(old.size() * 2);
    const UpdateResult r = updateHistory(db, feed);
    EXPECT_EQ(r.status, UpdateResult::Refused);
    EXPECT_NE(r.details.find("disk I/O error"), std::string::npos) << r.details;
    FileSizeLimit tiny(40);
    EXPECT_FALSE(Settings().write(ini));
  }
  EXPECT_TRUE(slurpFile(db) == old);
  EXPECT_EQ(slurpFile(ini), settingsText(true));
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", kSettingsFileName}));
}

TEST(FaultInjection, AFullDiskDuringAnEntryTransactionLeavesTheOldHistory) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), history(400)), "");
  const auto size = fs::file_size(db);
  std::string error;
  auto store = EntryStore::open(at(db), error);
  ASSERT_TRUE(store) << error;
  int newNo = 0;
  {
    FileSizeLimit limit(2048);  // the journal cannot take the changed pages
    error = store->insertAfter(1, newNo);
  }
  EXPECT_FALSE(error.empty());
  EXPECT_NE(store->details().find("File too large"), std::string::npos) << store->details();
  store.reset();
  EXPECT_EQ(fs::file_size(db), size);
  const LoadResult r = loadHistory(at(db));
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_TRUE(sameRows(r.rows, history(400)));
  EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb"}));
}

// ---- a read-only folder -----------------------------------------------------

TEST(FaultInjection, AReadOnlyFolderRefusesEveryWriterWithAMessageAndKeepsTheFiles) {
  ScratchDir dir;
  const fs::path ro = readOnlyFolder(dir);
  const std::string db = (ro / "Kazumaki.mdb").string(), ini = (ro / kSettingsFileName).string();
  ASSERT_EQ(writeDatabase(at(db), history(20)), "");
  std::ofstream(ini, std::ios::binary) << settingsText(true);
  finishReadOnly(ro);
  const std::string old = slurpFile(db);
  const std::string feed = historyToCsv(test::feedDraws(40));
  const std::string out = asNobody([&] {
    std::string o;
    o += "import:" + writeDatabase(at(db), history(30)) + "\n";
    const UpdateResult u = updateHistory(db, feed);
    o += "update:" + u.reason + " " + u.details + "\n";
    o += std::string("settings:") + (Settings().write(ini) ? "written" : "refused") + "\n";
    std::string error;
    auto store = EntryStore::open(at(db), error);
    o += "entry:" + (store ? std::string("opened") : error) + "\n";
    return o;
  });
  EXPECT_NE(out.find("import:データベースを作成できません。"), std::string::npos) << out;
  EXPECT_NE(out.find("Permission denied"), std::string::npos) << out;
  EXPECT_NE(out.find("update:手元の当選データファイルを読めません。\nデータベースファイルが読み取り専用"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("settings:refused"), std::string::npos) << out;
  EXPECT_EQ(out.find("entry:opened"), std::string::npos) << out;
  EXPECT_TRUE(slurpFile(db) == old);
  EXPECT_EQ(slurpFile(ini), settingsText(true));
  ::chmod(ro.c_str(), 0755);
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(ro)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"Kazumaki.mdb", kSettingsFileName}));
}

// ---- a folder that vanishes ---------------------------------------------------

TEST(FaultInjection, AFolderThatVanishesDuringTheWriteIsReported) {
  ScratchDir dir;
  const fs::path gone = dir.path / "gone";
  fs::create_directory(gone);
  const std::string f = (gone / "a.txt").string();
  {
    ReplacementFile file(f);
    ASSERT_TRUE(file.ok());
    ASSERT_TRUE(file.write("new"));
    fs::remove_all(gone);
    EXPECT_FALSE(file.commit());
    EXPECT_NE(file.error().find("No such file or directory"), std::string::npos) << file.error();
  }
  EXPECT_NE(writeDatabase(at(f), history(3)).find("No such file or directory"), std::string::npos);
  EXPECT_FALSE(Settings().write((gone / kSettingsFileName).string()));
  const UpdateResult r = updateHistory((gone / "Kazumaki.mdb").string(), "x");
  EXPECT_EQ(r.status, UpdateResult::Missing);
  EXPECT_NE(r.reason.find("存在しません"), std::string::npos) << r.reason;

  // the data entry store's folder goes while it is open
  fs::create_directory(gone);
  const std::string db = (gone / "Kazumaki.mdb").string();
  ASSERT_EQ(writeDatabase(at(db), history(5)), "");
  std::string error;
  auto store = EntryStore::open(at(db), error);
  ASSERT_TRUE(store) << error;
  fs::remove_all(gone);
  int no = 0;
  error = store->append({"1", "2", "3", "4", "5", "6"}, "", no);
  EXPECT_FALSE(error.empty()) << "the write cannot have reached a file";
  EXPECT_NE(error.find("移動または削除された"), std::string::npos) << error;
}

// ---- a process killed at a random moment of the write ------------------------

TEST(FaultInjection, KilledImportsLeaveTheOldOrTheNewDatabase) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), history(50)), "");
  const std::string old = slurpFile(db);
  const std::vector<Draw> fresh = history(120, "2002-02-02");
  const auto write = [&] { writeDatabase(at(db), fresh); };
  const long steps = stepsOf(write);
  ASSERT_GT(steps, 5);
  std::ofstream(db, std::ios::binary | std::ios::trunc) << old;
  std::mt19937 rng(15);
  int killed = 0, olds = 0, news = 0;
  for (int i = 0; i < killRepeats(); ++i) {
    // the first kill comes at the last step, after the new file is in place
    const long at_ = i == 0 ? steps : std::uniform_int_distribution<long>(1, steps)(rng);
    killed += writeKilledAt(at_, write);
    const std::string now = slurpFile(db);
    if (now == old) {
      ++olds;
    } else {
      const LoadResult r = loadHistory(at(db));
      ASSERT_TRUE(r.ok && sameRows(r.rows, fresh)) << "step " << at_ << " of " << steps << ": " << r.message;
      ++news;
      std::ofstream(db, std::ios::binary | std::ios::trunc) << old;
    }
    // what the killed write left behind goes at the next write
    removeStaleTemporaryFiles(db);
    ASSERT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb"})) << "step " << at_;
  }
  EXPECT_EQ(killed, killRepeats());
  EXPECT_GT(olds, 0);
  EXPECT_GT(news, 0) << "a kill after the rename leaves the new file";
}

TEST(FaultInjection, KilledEntryTransactionsAreRolledBackAtTheNextStart) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), pristine = dir.file("pristine");
  ASSERT_EQ(writeDatabase(at(db), history(300)), "");
  fs::copy_file(db, pristine);
  const auto write = [&] {
    std::string error;
    auto store = EntryStore::open(at(db), error);
    int no = 0;
    if (store) store->insertAfter(1, no);  // renumbers every later draw: many pages
  };
  const long steps = stepsOf(write);
  ASSERT_GT(steps, 5);
  std::vector<Draw> after = history(300);
  after.insert(after.begin() + 1, test::draw(2, {}, ""));
  for (size_t i = 2; i < after.size(); ++i) after[i].no = DrawNo::of(after[i].no + 1).value();
  std::mt19937 rng(1515);
  int killed = 0, olds = 0, news = 0;
  for (int i = 0; i < killRepeats(); ++i) {
    fs::copy_file(pristine, db, fs::copy_options::overwrite_existing);
    // the first kill comes at the last step, after the new file is in place
    const long at_ = i == 0 ? steps : std::uniform_int_distribution<long>(1, steps)(rng);
    killed += writeKilledAt(at_, write);
    const LoadResult r = loadHistory(at(db));  // rolls back a journal the kill left
    ASSERT_TRUE(r.ok) << "step " << at_ << ": " << r.message;
    if (sameRows(r.rows, history(300))) {
      ++olds;
    } else {
      ASSERT_TRUE(sameRows(r.rows, after)) << "step " << at_ << " of " << steps << ": a mix";
      ++news;
    }
    std::set<std::string> names = dir.names();
    // A kill before the journal holds anything leaves an empty or zeroed
    // journal, which is no interrupted write: SQLite ignores it and the next
    // write reuses it.
    if (names.erase("Kazumaki.mdb-journal")) {
      const std::string j = slurpFile(db + "-journal");
      ASSERT_TRUE(j.empty() || j[0] == '\0') << "step " << at_ << ": a journal that was not rolled back";
    }
    ASSERT_EQ(names, (std::set<std::string>{"Kazumaki.mdb", "pristine"})) << "step " << at_;
  }
  EXPECT_EQ(killed, killRepeats());
  EXPECT_GT(olds, 0);
}

TEST(FaultInjection, KilledUpdatesAndSettingsWritesLeaveTheOldOrTheNewFile) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb"), ini = dir.file(kSettingsFileName);
  ASSERT_EQ(writeDatabase(at(db), test::feedDraws(40)), "");
  const std::string old = slurpFile(db), feed = historyToCsv(test::feedDraws(900));
  const auto update = [&] { updateHistory(db, feed); };
  Settings on;
  on.setPrediction(ReflectSettings{true, true, true, true, true, true, true, true, true, true, true, true});
  const auto settings = [&] { on.write(ini); };
  std::ofstream(ini, std::ios::binary) << settingsText(false);
  const long updateSteps = stepsOf(update), settingsSteps = stepsOf(settings);
  ASSERT_GT(updateSteps, 3);
  ASSERT_GT(settingsSteps, 2);
  std::mt19937 rng(151515);
  int killed = 0, newUpdates = 0, newSettings = 0;
  for (int i = 0; i < killRepeats(); ++i) {
    std::ofstream(db, std::ios::binary | std::ios::trunc) << old;
    std::ofstream(ini, std::ios::binary | std::ios::trunc) << settingsText(false);
    fs::remove(db + ".bak");
    const long u = i == 0 ? updateSteps : std::uniform_int_distribution<long>(1, updateSteps)(rng);
    const long s = i == 0 ? settingsSteps : std::uniform_int_distribution<long>(1, settingsSteps)(rng);
    killed += writeKilledAt(u, update);
    killed += writeKilledAt(s, settings);
    const std::string nowDb = slurpFile(db), nowIni = slurpFile(ini);
    if (nowDb != old) {
      const LoadResult r = loadHistory(at(db));
      ASSERT_TRUE(r.ok && sameRows(r.rows, test::feedDraws(900)))
          << "update killed at step " << u << " of " << updateSteps << ": " << r.message;
      ++newUpdates;
    }
    ASSERT_TRUE(nowIni == settingsText(false) || nowIni == settingsText(true))
        << "settings killed at step " << s << " of " << settingsSteps;
    newSettings += nowIni == settingsText(true);
    if (fs::exists(db + ".bak")) {
      ASSERT_TRUE(slurpFile(db + ".bak") == old) << "the backup is whole";
    }
    removeStaleTemporaryFiles(db);
    removeStaleTemporaryFiles(db + ".bak");
    removeStaleTemporaryFiles(ini);
    std::set<std::string> names = dir.names();
    names.erase("Kazumaki.mdb.bak");
    ASSERT_EQ(names, (std::set<std::string>{"Kazumaki.mdb", kSettingsFileName})) << u << " " << s;
  }
  EXPECT_EQ(killed, 2 * killRepeats());
  EXPECT_GT(newUpdates, 0);
  EXPECT_GT(newSettings, 0);
}
