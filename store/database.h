#pragma once
// The encrypted result database: opening it, reading the history query and
// writing a whole new database file.
#include <string>
#include <vector>

#include "store/history.h"

struct sqlite3;
struct sqlite3_stmt;

namespace km {

inline constexpr const char* kDatabaseFileName = "Kazumaki.mdb";

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

// What kept a read of the history from succeeding.
enum class LoadFailure {
  None,
  Missing,     // no file of that name
  Unreadable,  // not a regular file, or no permission to read it
  Beside,      // a file beside it that is none of ours, or a write that cannot be undone
  NoCipher,    // the program's own encryption library is missing
  Damaged,     // the file itself: not a database of this program, or damaged
};

// Result of reading the history.  message is Japanese: what is wrong, on its
// first line, and the file on the next; details is the technical account
// (SQLite's own message and extended result code, the system's error text),
// empty when there is none.  Both go to the log.
struct LoadResult {
  bool ok = false;
  LoadFailure failure = LoadFailure::None;
  std::string message;
  std::string details;
  std::vector<Draw> rows;
};

// Opens the file read-only (nothing is ever written), checks the cipher and
// the key and reads the history query.  With dates, also reads each draw's
// date from the draw table where it has one; a failed read of the dates
// fails the whole load.
LoadResult loadHistory(const ConnectString& cs, bool withDates = false);

// What a check of a database file found: ok, or the reason why the file
// cannot serve as the history.
struct HistoryCheck {
  bool ok = false;
  std::string message;
  int draws = 0;       // rows of the history query
  int lastDrawNo = 0;  // the highest draw number
};

// Opens the file read-only with the key of `cs` and checks that it can serve
// as the history: encrypted with that key and intact, the draw table and the
// history query with all their fields, at least one draw, every draw number
// as the start-up read takes it (an integer 1..32767) and unique, every
// number field empty or a lottery number (storedNumber).  Nothing is written.
HistoryCheck checkHistoryDatabase(const ConnectString& cs);

// Creates a new encrypted database holding exactly these draws, written to a
// temporary file beside `path` and renamed over it only when complete.
// Returns an empty string on success, else the reason (with SQLite's message
// and extended result code where SQLite failed); on failure the old file is
// left as it was and no temporary file remains.
std::string writeDatabase(const ConnectString& cs, const std::vector<Draw>& draws);

// A bound on the work of the queries run on one connection, so that a view
// that never ends (or sorts rows without end) stops with SQLITE_INTERRUPT
// instead of growing without bound.  Reading the largest possible history
// takes a small part of it.  The budget must outlive the queries.
struct QueryBudget {
  long calls = 0;
};
void limitQueryWork(sqlite3* db, QueryBudget& budget);
void unlimitQueryWork(sqlite3* db);

// A stored field's text as the entry window shows it: empty for NULL, an
// integer in digits, a real visibly a real ("5.0"), text as it stands.
std::string fieldText(sqlite3_stmt* s, int col);
// A stored number field: an integer is a Number of its value (as the file
// holds it, any value), text is read by parseWholeNumber (NULL and blanks are
// Empty, "５" is 5, "abc" and "+5" are Wrong), a real or a blob is Wrong (the
// entry window shows "5.0").  Whether the Number is a lottery number is the
// reader's to ask.
CellNumber storedNumber(sqlite3_stmt* s, int col);

// For other connections on the same files (the entry store): true when the
// linked SQLite is SQLCipher, and keying a freshly opened connection with
// every cipher parameter fixed.
bool sqlcipherLinked(sqlite3* db);
bool keyConnection(sqlite3* db, const std::string& password);

}  // namespace km
