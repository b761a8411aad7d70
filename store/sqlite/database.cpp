#include "store/sqlite/database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>

#include "store/crypto/first_page.h"
#include "store/crypto/key_derivation.h"
#include "store/files/replace_file.h"
#include "store/files/text_excerpt.h"
#include "store/messages.h"
#include "store/sqlite/schema.h"

namespace km {

namespace fs = std::filesystem;

namespace {

constexpr long kPasswordSeed = 417253;  // the shipped database's password, as a number

void logToStderr(const std::string& line) { std::cerr << "kazumaki: " << terminalSafe(line) << std::endl; }
StoreLog storeLog = logToStderr;

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DbPtr = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

StmtPtr prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return nullptr;
  }
  return StmtPtr(s);
}

bool exec(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// True when the linked SQLite is SQLCipher (a plain SQLite would write unencrypted files).
bool hasCipher(sqlite3* db) {
  StmtPtr s = prepare(db, "PRAGMA cipher_version");
  return s && sqlite3_step(s.get()) == SQLITE_ROW && sqlite3_column_text(s.get(), 0) != nullptr;
}

// Keys the connection and fixes every cipher parameter, so that later
// SQLCipher versions open the same files.
bool fixCipherSettings(sqlite3* db) {
  for (const char* setting : schema::kCipherSettings)
    if (!exec(db, setting)) return false;
  return true;
}

bool applyKey(sqlite3* db, const std::string& password) {
  for (char ch : password)
    if (ch == '\'') return false;
  return exec(db, "PRAGMA key = '" + password + "'") && fixCipherSettings(db);
}

using schema::kCipherPageSize;

// The first page of a database file, read through SQLite's own file layer:
// a descriptor of a file that a connection of this process holds a lock on
// is not closed while the lock lives (closing it would drop the lock), and
// only SQLite's layer knows of the locks.  Fewer bytes when the file is
// shorter; empty when it cannot be read.
std::string readFirstPage(const std::string& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  if (!vfs) return {};
  std::string fileMemory(static_cast<size_t>(vfs->szOsFile), '\0');
  auto* file = reinterpret_cast<sqlite3_file*>(fileMemory.data());
  int flags = 0;
  if (vfs->xOpen(vfs, path.c_str(), file, SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_READONLY, &flags) != SQLITE_OK) {
    if (file->pMethods) file->pMethods->xClose(file);
    return {};
  }
  sqlite3_int64 size = 0;
  std::string page;
  if (file->pMethods->xFileSize(file, &size) == SQLITE_OK && size > 0) {
    page.resize(static_cast<size_t>(std::min<sqlite3_int64>(size, kCipherPageSize)));
    if (file->pMethods->xRead(file, page.data(), static_cast<int>(page.size()), 0) != SQLITE_OK) page.clear();
  }
  file->pMethods->xClose(file);
  return page;
}

// A failed write as the store reports it: the sentence and the file, with
// SQLite's own account as its cause; both also go to the log.
Failure report(const std::string& what, const std::string& path, const std::string& cause = {}) {
  Failure f{Fault::WriteFailed, what + "\n" + path, cause};
  std::string line = f.withCause();
  for (char& c : line)
    if (c == '\n') c = ' ';
  storeLog(line);
  return f;
}

// SQLite's message and extended result code for the last failure on db (or
// for rc when there is no connection); empty when SQLite reported nothing.
std::string sqliteCause(sqlite3* db, int rc = SQLITE_ERROR) {
  const int code = db ? sqlite3_extended_errcode(db) : rc;
  if (code == SQLITE_OK) return {};
  const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  return says::sqliteCause(text ? text : "", code);
}

// Binds one draw to the insert statement; SQLITE_OK or the first failure.
int bindDraw(sqlite3_stmt* s, const Draw& d) {
  int rc = sqlite3_bind_int(s, 1, d.no);
  if (rc == SQLITE_OK)
    rc =
        d.date.empty() ? sqlite3_bind_null(s, 2) : sqlite3_bind_text(s, 2, d.date.text().c_str(), -1, SQLITE_TRANSIENT);
  for (int f = 0; f < kNumberFields && rc == SQLITE_OK; ++f)
    rc = d.n[f] ? sqlite3_bind_int(s, 3 + f, *d.n[f]) : sqlite3_bind_null(s, 3 + f);
  return rc;
}

// Closes the connection; on failure the handle is still released (as soon as
// SQLite can) and SQLite's account of the failure is returned.
std::string closeConnection(DbPtr& db) {
  sqlite3* handle = db.release();
  if (sqlite3_close(handle) == SQLITE_OK) return {};
  std::string cause = sqliteCause(handle);
  sqlite3_close_v2(handle);
  return cause;
}

// The history query: at most one row more than any history can hold is
// taken from the view before sorting, so a view without end stops early.
const std::string& historyQuery() {
  static const std::string query = "SELECT " + schema::numberColumns() + " FROM (SELECT " + schema::numberColumns() +
                                   " FROM " + schema::kHistoryView + " LIMIT " + std::to_string(kMaxDrawNo + 1) +
                                   ") ORDER BY " + schema::kDrawNo;
  return query;
}

// Why a stored draw number is none (empty when it is one): it is stored as
// an integer (text or a real would sort apart from the others) and is 1..32767.
std::string wrongStoredDrawNo(sqlite3_stmt* s, int col) {
  if (sqlite3_column_type(s, col) != SQLITE_INTEGER) return says::storedDrawNoNotInteger();
  const sqlite3_int64 no = sqlite3_column_int64(s, col);
  if (isDrawNo(no)) return {};
  return says::storedDrawNoOutOfRange(no);
}

std::string endlessRead(const ReadLimits& limits) { return says::readTooLong(limits.time.count()); }

// What a file beside the database holds, as far as a read must know.
enum class Beside { None, Unused, HotJournal, Foreign };

// The rollback journal beside the database: none, an unused one (empty or
// zeroed: SQLite ignores it), one left by an interrupted write of this
// program (its header bears SQLite's journal magic), or something else.
Beside journalBeside(const std::string& journal) {
  struct stat st {};
  if (::lstat(journal.c_str(), &st) != 0) return Beside::None;
  if (!S_ISREG(st.st_mode)) return Beside::Foreign;
  if (st.st_size == 0) return Beside::Unused;
  const int fd = ::open(journal.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Beside::Foreign;
  unsigned char head[8] = {};
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  static const unsigned char kMagic[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
  if (n >= 1 && head[0] == 0) return Beside::Unused;
  if (n == 8 && std::memcmp(head, kMagic, 8) == 0) return Beside::HotJournal;
  return Beside::Foreign;
}

// Rolls back the journal an interrupted write left, as SQLite does for the
// first connection that may write: the database is as before that write.
std::string rollBackJournal(const ConnectString& cs) {
  auto o = openHistory(cs, OpenMode::RollBack);
  if (!o) return o.cause().empty() ? o.message() : o.cause();
  return (*o)->close();
}

// An SQLite URI naming the file, for opening it with parameters.
std::string fileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

}  // namespace

// A database whose header asks for WAL mode (this program never writes one)
// makes even a read-only connection create -wal and -shm files beside it.
// Declared before the connection, this removes those the read created once
// the connection is closed, so that a read leaves the folder as it was.
struct HistoryConnection::SideFiles {
  explicit SideFiles(std::string path) : path_(std::move(path)) {
    std::error_code ec;
    for (size_t i = 0; i < std::size(kSuffixes); ++i) existed_[i] = fs::exists(path_ + kSuffixes[i], ec);
  }
  ~SideFiles() {
    // A -wal that is no longer empty holds another connection's writes: both stay.
    std::error_code ec;
    if (existed_[0] || existed_[1]) return;
    const auto walSize = fs::file_size(path_ + kSuffixes[0], ec);
    if (!ec && walSize != 0) return;
    for (const char* suffix : kSuffixes) fs::remove(path_ + suffix, ec);
  }
  SideFiles(const SideFiles&) = delete;
  SideFiles& operator=(const SideFiles&) = delete;

  static constexpr const char* kSuffixes[] = {"-wal", "-shm"};
  std::string path_;
  bool existed_[std::size(kSuffixes)] = {};
};

Done checkBesideFiles(const ConnectString& cs) {
  const auto beside = [](const std::string& why, const std::string& cause = {}) {
    return Failure{Fault::Beside, why, cause};
  };
  const std::string name = fs::path(cs.path).filename().string();
  const std::string wal = cs.path + "-wal";
  struct stat st {};
  if (::lstat(wal.c_str(), &st) == 0) return beside(says::foreignWal(name, wal));
  const std::string journal = cs.path + "-journal";
  switch (journalBeside(journal)) {
    case Beside::None:
    case Beside::Unused:
      return {};
    case Beside::Foreign:
      return beside(says::foreignJournal(name, journal));
    case Beside::HotJournal:
      break;
  }
  if (const std::string cause = rollBackJournal(cs); !cause.empty())
    return beside(says::rollBackFailed(journal), cause);
  if (journalBeside(journal) == Beside::HotJournal) return beside(says::rollBackLeft(journal));
  return {};
}

HistoryConnection::~HistoryConnection() {
  if (!db_) return;
  if (!sqlite3_get_autocommit(db_)) exec(db_, "ROLLBACK");
  sqlite3_close_v2(db_);
}

std::string HistoryConnection::close() {
  DbPtr db(db_);
  db_ = nullptr;
  return db ? closeConnection(db) : std::string();
}

Result<std::unique_ptr<HistoryConnection>> openHistory(const ConnectString& cs, OpenMode mode, int busyTimeoutMs) {
  auto fail = [&](Fault kind, const std::string& what, const std::string& cause = {}, const std::string& file = {}) {
    return Failure{kind, what + "\n" + (file.empty() ? cs.path : file), cause};
  };
  const bool locks = mode == OpenMode::ReadLocked || mode == OpenMode::Write;
  // the file itself, and the files beside it
  if (mode != OpenMode::RollBack) {
    struct stat st {};
    if (::stat(cs.path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return fail(Fault::Missing, says::historyMissing());
    // A pipe or a device would block the read or never end.
    if (!S_ISREG(st.st_mode)) return fail(Fault::Unreadable, says::historyNotRegular());
    if (access(cs.path.c_str(), R_OK) != 0)
      return fail(Fault::Unreadable, says::historyNoReadPermission(), std::strerror(errno));
    // An empty file would open as an empty database under any key.
    if (st.st_size == 0)
      return mode == OpenMode::Download
                 ? fail(Fault::Damaged, says::notOurDatabase(), sqliteCause(nullptr, SQLITE_NOTADB))
                 : fail(Fault::Damaged, says::historyEmptyFile());
    if (mode == OpenMode::Write) {
      // A file marked read-only stays unchanged, even for a user whom the system would let write it.
      const fs::path parent = fs::path(cs.path).parent_path();
      if ((st.st_mode & 0222) == 0 || access(cs.path.c_str(), R_OK | W_OK) != 0)
        return fail(Fault::NotWritable, says::readOnlyFile());
      if (access(parent.empty() ? "." : parent.c_str(), W_OK) != 0)
        return fail(Fault::NotWritable, says::folderNotWritable());
      if (const std::string link = foreignLinkOn(cs.path); !link.empty())
        return fail(Fault::NotWritable, says::foreignLinkNotWritable(), {}, link);
    }
    // A file from outside is read without its journal: nothing beside it is looked at.
    if (mode != OpenMode::Download)
      if (Done beside = checkBesideFiles(cs); !beside) return beside.failure();
    if (mode == OpenMode::Write) removeStaleTemporaryFiles(cs.path);
  }
  // the page size in the header, before the cipher library reads the page
  const std::string firstPage = readFirstPage(cs.path);
  const std::optional<DatabaseSalt> salt = saltOfFirstPage(firstPage);
  std::optional<DatabaseKey> key;
  if (salt) {
    key = deriveDatabaseKey(cs.password, *salt);
    if (claimsAnotherPageSize(firstPage, *key, kCipherPageSize))
      return fail(Fault::Damaged, says::firstPageDamaged(), says::anotherPageSizeCause());
  }
  std::unique_ptr<HistoryConnection> c(new HistoryConnection);
  if (mode == OpenMode::Read) c->sideFiles_ = std::make_unique<HistoryConnection::SideFiles>(cs.path);
  // The file from outside is opened immutable: no journal is consulted and
  // nothing is created beside it, not even for a file in WAL mode.
  const bool readOnly = mode == OpenMode::Read || mode == OpenMode::Download;
  const std::string name = mode == OpenMode::Download ? fileUri(cs.path) + "?immutable=1" : cs.path;
  const int flags =
      (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | (mode == OpenMode::Download ? SQLITE_OPEN_URI : 0);
  const int rc = sqlite3_open_v2(name.c_str(), &c->db_, flags, nullptr);
  sqlite3* db = c->db_;
  if (rc != SQLITE_OK) return fail(Fault::Damaged, says::historyCannotOpen(), sqliteCause(db, rc));
  guardConnection(db);
  // the cipher, the key (derived above from the file's salt; a file too short
  // to hold a salt is keyed by its password and the check below says what is
  // wrong with it), and a read that proves the key
  if (!hasCipher(db)) return fail(Fault::NoCipher, says::noCipherToOpen());
  const bool keyed = key ? exec(db, "PRAGMA key = \"" + rawKeyLiteral(*key) + "\"") && fixCipherSettings(db)
                         : applyKey(db, cs.password);
  if (!keyed) return fail(Fault::Damaged, says::historyCannotOpen(), sqliteCause(db));
  if (mode != OpenMode::Download) sqlite3_busy_timeout(db, busyTimeoutMs);
  {
    StmtPtr check = prepare(db, "SELECT count(*) FROM sqlite_master");
    const int step = check ? sqlite3_step(check.get()) : sqlite3_errcode(db);  // the schema's read may be refused
    if (step == SQLITE_BUSY || step == SQLITE_LOCKED)
      return fail(Fault::Busy, says::editingElsewhere(), sqliteCause(db));
    if (step != SQLITE_ROW) return fail(Fault::Damaged, says::keyOrDamage(), sqliteCause(db));
  }
  if (mode == OpenMode::Write && sqlite3_db_readonly(db, "main") == 1)
    return fail(Fault::NotWritable, says::readOnlyFile());
  // IMMEDIATE takes the write lock at once, waiting up to the busy timeout.
  if (locks && !exec(db, "BEGIN IMMEDIATE")) {
    const int code = sqlite3_errcode(db);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
      return fail(Fault::Busy, says::editingElsewhere(), sqliteCause(db));
    return fail(Fault::NotWritable, code == SQLITE_READONLY ? says::readOnlyFile() : says::cannotWriteDatabase(),
                sqliteCause(db));
  }
  return c;
}

std::string fieldText(sqlite3_stmt* s, int col) {
  switch (sqlite3_column_type(s, col)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(s, col));
    case SQLITE_FLOAT: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.15g", sqlite3_column_double(s, col));
      std::string t = buf;
      if (t.find_first_of(".eEn") == std::string::npos) t += ".0";  // a real stays visibly a real
      return t;
    }
    default: {
      const unsigned char* t = sqlite3_column_text(s, col);
      return t ? reinterpret_cast<const char*>(t) : std::string();
    }
  }
}

std::optional<Draw> storedDraw(sqlite3_stmt* s, int noCol, int firstNumberCol, int dateCol, std::string& wrong) {
  const std::optional<DrawNo> no = DrawNo::of(sqlite3_column_int64(s, noCol));
  if (!no || sqlite3_column_type(s, noCol) != SQLITE_INTEGER) {
    wrong = says::storedDrawNoWrong(excerpt(fieldText(s, noCol)));
    return std::nullopt;
  }
  Draw d(*no);
  for (int f = 0; f < kNumberFields; ++f) {
    // the numbers as the check of the entry window reads them
    const std::string text = fieldText(s, firstNumberCol + f);
    const CellNumber v = parseCellNumber(text);
    if (v.kind == CellNumber::Wrong) {
      wrong = says::wrongCell(false, *no, kFirstNumberColumn + f, excerpt(text));
      return std::nullopt;
    }
    if (v.kind == CellNumber::Number) d.n[f] = LotteryNumber::of(v.value);
  }
  if (dateCol >= 0 && sqlite3_column_type(s, dateCol) != SQLITE_NULL) {
    const std::string text = fieldText(s, dateCol);
    const std::optional<DrawDate> date = DrawDate::of(text);
    if (!date) {
      wrong = says::wrongStoredDate(*no, excerpt(text));
      return std::nullopt;
    }
    d.date = *date;
  }
  return d;
}

StoreLog setStoreLog(StoreLog log) {
  StoreLog previous = storeLog;
  storeLog = log ? log : logToStderr;
  return previous;
}

void writeLog(const std::string& line) { storeLog(line); }

std::string databasePassword() { return std::to_string(kPasswordSeed); }

ConnectString makeConnectString(const std::string& programFolder) {
  return ConnectString{(fs::path(programFolder) / kDatabaseFileName).string(), databasePassword()};
}

namespace {

using schema::kPrizeTable;
using schema::prizeColumns;

// What the file holds under the draw table's name: a plain table, or
// something else (a view or a virtual table, whose reading would run what the
// file defines), or nothing.
enum class TableKind { Plain, Other, Missing, Unreadable };
TableKind drawTableKind(sqlite3* db) {
  StmtPtr t = prepare(db, "SELECT type, sql FROM sqlite_master WHERE name = ?");
  if (!t) return TableKind::Unreadable;
  sqlite3_bind_text(t.get(), 1, schema::kDrawTable, -1, SQLITE_STATIC);
  const int step = sqlite3_step(t.get());
  if (step == SQLITE_DONE) return TableKind::Missing;
  if (step != SQLITE_ROW) return TableKind::Unreadable;
  const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 0));
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 1));
  std::string sql = text ? std::string(text).substr(0, 12) : std::string();
  for (char& c : sql) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return type && std::string(type) == "table" && sql == "CREATE TABLE" ? TableKind::Plain : TableKind::Other;
}

}  // namespace

std::string readPrizeTable(sqlite3* db, PrizeTable& out, std::string& cause) {
  out.clear();
  auto failed = [&](const std::string& why) {
    cause = sqliteCause(db);
    out.clear();
    return why;
  };
  {
    StmtPtr t =
        prepare(db, (std::string("SELECT type, sql FROM sqlite_master WHERE name = '") + kPrizeTable + "'").c_str());
    if (!t) return failed(says::historyDamagedUnreadable());
    const int step = sqlite3_step(t.get());
    if (step == SQLITE_DONE) return {};
    if (step != SQLITE_ROW) return failed(says::historyDamagedUnreadable());
    // only a plain table: a view would run what the file defines
    const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 0));
    const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 1));
    std::string head = sql ? std::string(sql).substr(0, 12) : std::string();
    for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!type || std::string(type) != "table" || head != "CREATE TABLE") return says::prizeTableNotOurs();
  }
  StmtPtr q = prepare(db, (std::string("SELECT ") + schema::kDrawNo + prizeColumns() + " FROM " + kPrizeTable +
                           " ORDER BY " + schema::kDrawNo + " LIMIT " + std::to_string(kMaxDrawNo + 1))
                              .c_str());
  if (!q) return failed(says::prizeTableUnreadable());
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    if (const std::string wrong = wrongStoredDrawNo(q.get(), 0); !wrong.empty())
      return says::prizeRowDrawNoWrong(out.size() + 1, wrong);
    const int no = sqlite3_column_int(q.get(), 0);
    if (out.count(no) != 0) return says::prizeDrawTwice(no);
    Prize p;
    for (int i = 0; i < 2 * kPrizeTiers; ++i) {
      const sqlite3_int64 v = sqlite3_column_int64(q.get(), i + 1);
      if (sqlite3_column_type(q.get(), i + 1) != SQLITE_INTEGER || v < 0 || v > kMaxPrizeValue)
        return says::prizeValueWrong(no, schema::kPrizeColumns[i], kMaxPrizeValue);
      (i < kPrizeTiers ? p.winners : p.yen)[i % kPrizeTiers] = v;
    }
    out[no] = p;
  }
  if (step != SQLITE_DONE) return failed(says::prizeTableUnreadable());
  return {};
}

Result<DrawList> loadHistory(const ConnectString& cs, bool withDates, const ReadLimits& limits) {
  DrawList r;
  // a message that names its file already, and one that is named here
  auto failNamed = [&](Fault kind, const std::string& message, const std::string& cause) {
    std::string line = message + (cause.empty() ? "" : " " + cause);  // the log has both
    std::replace(line.begin(), line.end(), '\n', ' ');
    storeLog(line);
    return Failure{kind, message, cause};
  };
  auto fail = [&](const std::string& what, const std::string& cause = {}) {
    return failNamed(Fault::Damaged, what + "\n" + cs.path, cause);
  };
  auto opened = openHistory(cs, OpenMode::Read);
  if (!opened) {
    Fault kind = opened.kind();
    if (kind == Fault::Busy) kind = Fault::Unreadable;  // a file another writer holds is no damaged one
    return failNamed(kind, opened.message(), opened.cause());
  }
  const std::unique_ptr<HistoryConnection> connection = std::move(*opened);
  sqlite3* db = connection->get();
  {
    StmtPtr view = prepare(db, "SELECT count(*) FROM sqlite_master WHERE name = ?");
    if (view) sqlite3_bind_text(view.get(), 1, schema::kHistoryView, -1, SQLITE_STATIC);
    if (!view || sqlite3_step(view.get()) != SQLITE_ROW) return fail(says::historyDamagedNoRead(), sqliteCause(db));
    if (sqlite3_column_int(view.get(), 0) == 0)
      return fail(says::noHistoryList(), says::tableMissingCause(schema::kHistoryView));
  }
  // Declared after the connection: the watch ends before the connection closes.
  const QueryWatch watch(db, limits.time, limits.stop);
  const auto interrupted = [&] { return watch.timedOut() ? endlessRead(limits) : says::historyReadStopped(); };
  StmtPtr q = prepare(db, historyQuery().c_str());
  if (!q) return fail(says::historyListUnreadable(), says::tableCause(schema::kHistoryView, sqliteCause(db)));
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    // Draw numbers in strictly ascending order; any other value is damage,
    // and the bound stops a query that never ends.
    const size_t row = r.draws.size() + 1;
    if (const std::string wrong = wrongStoredDrawNo(q.get(), 0); !wrong.empty())
      return fail(says::historyRowDrawNoWrong(row, wrong));
    const sqlite3_int64 no = sqlite3_column_int64(q.get(), 0);
    if (!r.draws.empty() && no <= r.draws.back().no)
      return fail(no == r.draws.back().no ? says::historyDrawNoRepeated(row, no)
                                          : says::historyDrawNoDescending(row, no));
    std::string wrong;
    std::optional<Draw> d = storedDraw(q.get(), 0, 1, -1, wrong);
    if (!d) return fail(wrong);
    r.draws.push_back(std::move(*d));
  }
  if (step == SQLITE_INTERRUPT) return fail(interrupted());
  if (step != SQLITE_DONE) return fail(says::historyDrawsUnreadable(), sqliteCause(db));
  // the dates are read straight from the draw table, as the update reads it: only from a plain table
  const TableKind dateTable = drawTableKind(db);
  if (dateTable == TableKind::Unreadable) return fail(says::historyDatesUnreadable(), sqliteCause(db));
  if (dateTable == TableKind::Other) return fail(says::drawTableNotPlainForDates(schema::kDrawTable));
  if (dateTable == TableKind::Missing && !withDates) {
    // a file of another layout: the draws without the newest one's date
  } else if (!withDates) {
    // the newest complete draw's date, for the status line; a table without it is no failure
    static const std::string dateOfDraw =
        std::string("SELECT ") + schema::kDate + " FROM " + schema::kDrawTable + " WHERE " + schema::kDrawNo + " = ?";
    const auto newest = std::find_if(r.draws.rbegin(), r.draws.rend(), [](const Draw& d) { return d.complete(); });
    StmtPtr dq = newest == r.draws.rend() ? nullptr : prepare(db, dateOfDraw.c_str());
    if (dq && sqlite3_bind_int(dq.get(), 1, newest->no) == SQLITE_OK && sqlite3_step(dq.get()) == SQLITE_ROW &&
        sqlite3_column_type(dq.get(), 0) != SQLITE_NULL) {
      const std::string text = fieldText(dq.get(), 0);
      const std::optional<DrawDate> date = DrawDate::of(text);
      if (!date) return fail(says::wrongStoredDate(newest->no, excerpt(text)));
      newest->date = *date;
    }
  } else {
    static const std::string dates = std::string("SELECT ") + schema::kDrawNo + ", " + schema::kDate + " FROM " +
                                     schema::kDrawTable + " ORDER BY " + schema::kDrawNo;
    StmtPtr dq = prepare(db, dates.c_str());
    if (!dq) return fail(says::historyDatesUnreadable(), sqliteCause(db));
    size_t i = 0, read = 0;
    while ((step = sqlite3_step(dq.get())) == SQLITE_ROW) {
      if (++read > static_cast<size_t>(kMaxDrawNo)) return fail(says::dateTableTooLong(kMaxDrawNo));
      const int no = sqlite3_column_int(dq.get(), 0);
      while (i < r.draws.size() && r.draws[i].no < no) ++i;
      if (i < r.draws.size() && r.draws[i].no == no && sqlite3_column_type(dq.get(), 1) != SQLITE_NULL) {
        const std::string text = fieldText(dq.get(), 1);
        const std::optional<DrawDate> date = DrawDate::of(text);
        if (!date) return fail(says::wrongStoredDate(no, excerpt(text)));
        r.draws[i].date = *date;
      }
    }
    if (step == SQLITE_INTERRUPT) return fail(interrupted());
    if (step != SQLITE_DONE) return fail(says::historyDatesUnreadable(), sqliteCause(db));
  }
  {
    std::string cause;
    if (const std::string why = readPrizeTable(db, r.prizes, cause); !why.empty())
      return fail(sqlite3_errcode(db) == SQLITE_INTERRUPT ? interrupted() : why, cause);
  }
  return r;
}

namespace {

// Reads the draw table on a keyed connection into `out`.  The table must be
// a plain one: reading a view or a virtual table would run what the file
// defines.  Every row comes over as it is stored, or the read is refused.
Result<DrawList> readDrawRows(sqlite3* db, const ReadLimits& limits) {
  DrawList r;
  const QueryWatch watch(db, limits.time, limits.stop);
  auto bad = [&](const std::string& why, bool withCause = false, const std::string& cause = {}) {
    const bool interrupted = sqlite3_errcode(db) == SQLITE_INTERRUPT;
    return Failure{Fault::Damaged,
                   interrupted ? (watch.timedOut() ? endlessRead(limits) : says::historyReadStopped()) : why,
                   withCause || interrupted ? sqliteCause(db) : cause};
  };
  switch (drawTableKind(db)) {
    case TableKind::Unreadable:
      return bad(says::databaseUnreadableContents(), true);
    case TableKind::Missing:
      return bad(says::noDrawTable());
    case TableKind::Other:
      return bad(says::drawTableNotPlain());
    case TableKind::Plain:
      break;
  }
  static const std::string rows =
      "SELECT " + schema::drawColumns() + " FROM " + schema::kDrawTable + " ORDER BY " + schema::kDrawNo;
  StmtPtr q = prepare(db, rows.c_str());
  if (!q) return bad(says::drawTableUnreadable(), true);
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    if (const std::string wrong = wrongStoredDrawNo(q.get(), 0); !wrong.empty())
      return bad(says::drawTableRowDrawNoWrong(r.draws.size() + 1, wrong));
    const sqlite3_int64 no = sqlite3_column_int64(q.get(), 0);
    if (!r.draws.empty() && no == r.draws.back().no) return bad(says::drawTableDrawTwice(no));
    std::string wrong;
    std::optional<Draw> d = storedDraw(q.get(), 0, 2, 1, wrong);
    if (!d) return bad(wrong);
    r.draws.push_back(std::move(*d));
  }
  if (step != SQLITE_DONE) return bad(says::databaseDamagedDraws(), true);
  std::string cause;
  if (const std::string why = readPrizeTable(db, r.prizes, cause); !why.empty()) return bad(why, false, cause);
  return r;
}

}  // namespace

Result<DrawList> readDrawTable(const ConnectString& cs, const ReadLimits& limits) {
  auto opened = openHistory(cs, OpenMode::Download);
  if (!opened) {
    const std::string what = opened.message().substr(0, opened.message().find('\n'));
    // damage of the cipher's own page is said as such; anything else that fails to open is no database of ours
    if (opened.kind() != Fault::NoCipher && what != says::firstPageDamaged())
      return Failure{Fault::NotOurs, says::notOurDatabase(), opened.cause()};
    return Failure{Fault::Damaged, what, opened.cause()};
  }
  return readDrawRows((*opened)->get(), limits);
}

Result<std::unique_ptr<HistoryWriteLock>> HistoryWriteLock::take(const ConnectString& cs, const ReadLimits& limits) {
  auto opened = openHistory(cs, OpenMode::ReadLocked);
  if (!opened) return opened.failure();
  std::unique_ptr<HistoryWriteLock> lock(new HistoryWriteLock);
  lock->connection_ = std::move(*opened);
  // A writer that waited while another replaced the file holds the lock of
  // the file that was replaced: what it read and wrote would be lost.
  int moved = 0;
  if (sqlite3_file_control(lock->connection_->get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved)
    return Failure{Fault::Moved, says::replacedByAnotherUpdate(cs.path)};
  Result<DrawList> read = readDrawRows(lock->connection_->get(), limits);
  if (!read) return Failure{read.kind(), read.message() + "\n" + cs.path, read.cause()};
  lock->draws_ = std::move(read->draws);
  lock->prizes_ = std::move(read->prizes);
  return lock;
}

HistoryWriteLock::~HistoryWriteLock() = default;

Result<std::string> HistoryWriteLock::fileBytes() const {
  sqlite3_file* file = nullptr;
  sqlite3* db = connection_->get();
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
    return Failure{Fault::Unreadable, {}, sqliteCause(db)};
  sqlite3_int64 size = 0;
  int rc = file->pMethods->xFileSize(file, &size);
  std::string bytes;
  if (rc == SQLITE_OK) {
    bytes.resize(static_cast<size_t>(size));
    rc = size > 0 ? file->pMethods->xRead(file, bytes.data(), static_cast<int>(size), 0) : SQLITE_OK;
  }
  if (rc != SQLITE_OK) return Failure{Fault::Unreadable, {}, sqliteCause(nullptr, rc)};
  return bytes;
}

Done writeDatabase(const ConnectString& cs, const std::vector<Draw>& draws, const PrizeTable& prizes,
                   const Backup* backup) {
  auto fail = [&](const std::string& what, const std::string& cause = {}) { return report(what, cs.path, cause); };
  // The temporary file is removed when `file` goes, after the connection on it is closed.
  ReplacementFile file(cs.path);
  if (!file.ok()) return fail(says::cannotCreateDatabase(), file.error());
  const std::string& tmp = file.path();
  {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(tmp.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DbPtr db(raw);
    if (rc != SQLITE_OK) return fail(says::cannotCreateDatabase(), sqliteCause(db.get(), rc));
    if (!hasCipher(db.get())) return fail(says::noCipherLibrary());
    if (!applyKey(db.get(), cs.password)) return fail(says::cannotSetCipher(), sqliteCause(db.get()));
    // One transaction: one write to disk for the whole history, not one per draw.
    if (!exec(db.get(), "BEGIN") || !exec(db.get(), schema::createDrawTable()) ||
        !exec(db.get(), schema::createHistoryView()) || !exec(db.get(), schema::createPrizeTable()))
      return fail(says::cannotCreateTables(), sqliteCause(db.get()));
    StmtPtr ins = prepare(
        db.get(), (std::string("INSERT INTO ") + schema::kDrawTable + " VALUES (?, ?, ?, ?, ?, ?, ?, ?)").c_str());
    if (!ins) return fail(says::cannotWriteDatabase(), sqliteCause(db.get()));
    for (const Draw& d : draws) {
      sqlite3_reset(ins.get());
      if (bindDraw(ins.get(), d) != SQLITE_OK || sqlite3_step(ins.get()) != SQLITE_DONE)
        return fail(says::cannotWriteDraw(d.no), sqliteCause(db.get()));
    }
    ins.reset();
    StmtPtr prize =
        prepare(db.get(), (std::string("INSERT INTO ") + kPrizeTable + " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)").c_str());
    if (!prize) return fail(says::cannotWriteDatabase(), sqliteCause(db.get()));
    for (const auto& [no, p] : prizes) {
      sqlite3_reset(prize.get());
      int rc = sqlite3_bind_int(prize.get(), 1, no);
      for (int i = 0; i < 2 * kPrizeTiers && rc == SQLITE_OK; ++i)
        rc = sqlite3_bind_int64(prize.get(), i + 2, (i < kPrizeTiers ? p.winners : p.yen)[i % kPrizeTiers]);
      if (rc != SQLITE_OK || sqlite3_step(prize.get()) != SQLITE_DONE)
        return fail(says::cannotWritePrize(no), sqliteCause(db.get()));
    }
    prize.reset();
    if (!exec(db.get(), "COMMIT")) return fail(says::cannotWriteDatabase(), sqliteCause(db.get()));
    const std::string closeFailure = closeConnection(db);
    if (!closeFailure.empty()) return fail(says::cannotCloseDatabase(), closeFailure);
  }
  const bool committed = backup ? file.commit(backup->path, backup->bytes) : file.commit();
  if (!committed) return fail(says::cannotReplaceDatabase(), file.error());
  return {};
}

bool keyConnection(sqlite3* db, const std::string& password) { return applyKey(db, password); }

}  // namespace km
