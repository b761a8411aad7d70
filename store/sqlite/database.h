#pragma once
// The encrypted result database: opening it, reading the history query and
// writing a whole new database file.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/files/program_folder.h"
#include "store/history.h"
#include "store/result.h"
#include "store/sqlite/query_watch.h"

struct sqlite3;
struct sqlite3_stmt;

namespace km {

// What a connection needs: the database file and its password.
struct ConnectString {
  std::string path;
  std::string password;
};

// The password of the shipped database, a constant of the program.
std::string databasePassword();
// ConnectString for Kazumaki.mdb in the given program folder.
ConnectString makeConnectString(const std::string& programFolder);

// Every failure of the store is also written as one line to its log, which
// is standard error unless replaced; setStoreLog returns the previous log.
using StoreLog = void (*)(const std::string& line);
StoreLog setStoreLog(StoreLog log);
// Writes one line to that log (the program's other failures use it too).
void writeLog(const std::string& line);

// Columns of a stored row as the entry window's grid shows them: 1 is the
// draw number, 2..7 the numbers.
inline constexpr int kFirstNumberColumn = 2;
inline constexpr int kLastNumberColumn = 7;

// Bounds on a read: its queries are interrupted when `time` has passed, or
// when `stop` (if given) is told to stop.
struct ReadLimits {
  std::chrono::milliseconds time = kReadTimeLimit;
  StopSignal* stop = nullptr;
};

// Opens the file read-only (nothing is ever written), checks the cipher and
// the key and reads the history query, and the prizes from the table 当選金
// where the file has one (a file without it has no prizes; a row that is not
// a draw number and eight whole numbers 0..kMaxPrizeValue fails the load).
// A stored number that is neither empty nor a lottery number, or a date that
// is no day of the calendar, fails the load, named by says::wrongCell
// (says::wrongStoredDate) as kazumaki-tool check names it.  With dates, also reads each draw's
// date from the draw table where it has one; a failed read of the dates
// fails the whole load.  Without, only the date of the newest complete draw
// is read, where the draw table has it.
//
// On failure the message is Japanese: what is wrong, on its first line, and
// the file on the next; the cause is the technical account (SQLite's own
// message and extended result code, the system's error text), empty when
// there is none.  Both go to the log.  The kinds: Missing (no file of that
// name), Unreadable (not a regular file, no permission to read it, or another
// writer holds it), Beside, NoCipher, and Damaged (the file itself: not a
// database of this program, or damaged).
using LoadResult = Result<DrawList>;
LoadResult loadHistory(const ConnectString& cs, bool withDates = false, const ReadLimits& limits = {});

// How long a writer waits for another's write lock before it gives up.  The
// other writers (a change of the entry store, the update's write) hold it for
// well under a second; only the data entry window holds it for longer: for as
// long as it is open.
inline constexpr int kBusyTimeoutMs = 5000;

// How a connection on a history file is opened.
enum class OpenMode {
  Read,        // read-only, no lock: the start-up read, the backup check, kazumaki-tool check
  ReadLocked,  // read under the write lock, waiting up to the busy time for it: the update's replacement
  Write,       // the entry store: like ReadLocked, and refused when the file or its folder cannot be written
  Download,    // a file from outside, read as it stands: no journal, nothing created beside it
  RollBack,    // the rolling back of an interrupted write's journal: nothing checked beside the file
};

class HistoryConnection;

// A connection, or why there is none: the message is Japanese (what, then
// the file), the cause the library's or system's words.  The kinds: Missing
// (no file of that name), Unreadable (not a regular file, or no permission to
// read it), NotWritable (a writer's file or folder is read-only, or the file
// is another user's link), Beside, NoCipher, Busy (another writer holds the
// write lock), and Damaged (not a database of this program under this key,
// or damaged).

// The one way into a history file.  In this order: the file and the files
// beside it (checkBesideFiles; a writer's file and folder must be writable),
// the page size in the header of page 1, the cipher library, the key, and a
// read that proves the key; ReadLocked and Write then take the write lock.
Result<std::unique_ptr<HistoryConnection>> openHistory(const ConnectString& cs, OpenMode mode,
                                                       int busyTimeoutMs = kBusyTimeoutMs);

// An open connection; it closes when it goes (rolling back what was not
// committed), and a read removes the side files it made.
class HistoryConnection {
 public:
  ~HistoryConnection();
  HistoryConnection(const HistoryConnection&) = delete;
  HistoryConnection& operator=(const HistoryConnection&) = delete;
  sqlite3* get() const { return db_; }
  // Closes it now: empty, or SQLite's account of why it could not.
  std::string close();

 private:
  friend Result<std::unique_ptr<HistoryConnection>> openHistory(const ConnectString&, OpenMode, int);
  HistoryConnection() = default;
  struct SideFiles;
  std::unique_ptr<SideFiles> sideFiles_;  // set before db_ is opened, gone after it is closed
  sqlite3* db_ = nullptr;
};

// Reads the rows of the draw table 当選データ straight from the table, never
// through a view or anything else the file defines, and the table 当選金 as
// loadHistory reads it, from a file this program did not write (a downloaded
// database) as it stands: without a journal and creating nothing beside it.
// Fails NotOurs when it is no database encrypted with the key of `cs`;
// Damaged when the table is
// missing or no plain table, or holds a draw number that is not a whole
// number 1..32767, or twice, a number that is neither empty nor a lottery
// number, or a date that is neither empty nor a day of the calendar.
Result<DrawList> readDrawTable(const ConnectString& cs, const ReadLimits& limits = {});

// The history database held for its replacement by a new file: while the
// lock lives no other connection can write to it (they wait, or report the
// file busy), so nothing written between the read and the replacement is
// lost.  The draws are read as readDrawTable reads them.
class HistoryWriteLock {
 public:
  // The lock, or why the file cannot be locked or read: Busy (another writer
  // holds the lock), Beside (a file beside the database is none of ours),
  // Moved (another writer replaced the file while this one waited for its
  // lock; taking it again reads the new file), or another kind (a missing,
  // foreign or damaged file, one that cannot be written).
  static Result<std::unique_ptr<HistoryWriteLock>> take(const ConnectString& cs, const ReadLimits& limits);
  ~HistoryWriteLock();
  HistoryWriteLock(const HistoryWriteLock&) = delete;
  HistoryWriteLock& operator=(const HistoryWriteLock&) = delete;
  const std::vector<Draw>& draws() const { return draws_; }
  const PrizeTable& prizes() const { return prizes_; }
  // The file's bytes as they stand, read through the held connection (a
  // descriptor of its own, closed, would drop the lock): the backup kept
  // before the replacement; or SQLite's account (the cause) of why they
  // cannot be read.
  Result<std::string> fileBytes() const;

 private:
  HistoryWriteLock() = default;
  std::unique_ptr<HistoryConnection> connection_;
  std::vector<Draw> draws_;
  PrizeTable prizes_;
};

// Creates a new encrypted database holding exactly these draws (and these
// prizes, in the table 当選金 of their own), written to a
// temporary file beside `path` and renamed over it only when complete.
// On failure (WriteFailed: what, then the file; the cause SQLite's message
// and extended result code, or the system's words) the old file is left as
// it was and no temporary file remains; the failure goes to the log.  With a backup, the old
// file's bytes (HistoryWriteLock::fileBytes) are first written to its path.
struct Backup {
  std::string path;
  std::string_view bytes;
};
Done writeDatabase(const ConnectString& cs, const std::vector<Draw>& draws, const PrizeTable& prizes = {},
                   const Backup* backup = nullptr);

// Looks at the files SQLite would take up beside the database before a
// connection opens it: a journal of an interrupted write is rolled back; a
// write-ahead log (this program never makes one) or a journal that is none of
// ours is named and the connection refused, since opening would take them in,
// delete them or create further files.  Done when the connection may go on;
// else Beside: the reason (what, then the file), with SQLite's account as
// the cause where it gave one.  Every reader and writer of the database runs
// it first.
Done checkBesideFiles(const ConnectString& cs);

// A stored field's text as the entry window shows it: empty for NULL, an
// integer in digits, a real visibly a real ("5.0"), text as it stands.
std::string fieldText(sqlite3_stmt* s, int col);
// Reads the table 当選金 of an open file into `out` (a file without it has
// none): a plain table of a draw number and eight whole numbers
// 0..kMaxPrizeValue a row.  Empty on success, else why (naming the draw),
// with SQLite's account in `cause`.
std::string readPrizeTable(sqlite3* db, PrizeTable& out, std::string& cause);
// The draw of a stored row: the draw number in column noCol, the six numbers
// from firstNumberCol on, read by their text as the check of the entry window
// reads them (NULL and blanks are empty, "５" is 5), and the date in dateCol
// (none when negative).  A value that breaks its rule gives nullopt, and in
// `wrong` the draw and the column named as says::wrongCell names them.

std::optional<Draw> storedDraw(sqlite3_stmt* s, int noCol, int firstNumberCol, int dateCol, std::string& wrong);

// Keys a freshly opened connection with every cipher parameter fixed (for
// files made by hand; every reader and writer goes through openHistory).
bool keyConnection(sqlite3* db, const std::string& password);

}  // namespace km
