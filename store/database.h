#pragma once
// The encrypted result database: opening it, reading the history query and
// writing a whole new database file.
#include <string>
#include <vector>

#include "store/history.h"

struct sqlite3;

namespace km {

inline constexpr const char* kDatabaseFileName = "Kazumaki.mdb";
inline constexpr const char* kHistoryQuery = "select * from 全データ選択クエリ order by 回数";

// What a connection needs: the database file and its password.
struct ConnectString {
  std::string path;
  std::string password;
};

// The password of the shipped database, built at run time.
std::string databasePassword();
// ConnectString for Kazumaki.mdb in the given program folder.
ConnectString makeConnectString(const std::string& programFolder);

// Result of reading the history; message is a Japanese sentence naming the file.
struct LoadResult {
  bool ok = false;
  std::string message;
  std::vector<Draw> rows;
};

// Opens the file read-only (nothing is ever written), checks the cipher and
// the key and reads the history query.  With dates, also reads each draw's
// date from the draw table where it has one.
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
// 1..32767 and unique, every number empty or 1..31.  Nothing is written.
HistoryCheck checkHistoryDatabase(const ConnectString& cs);

// Creates a new encrypted database holding exactly these draws, written to a
// temporary file beside `path` and renamed over it only when complete.
// Returns an empty string on success, else the reason.
std::string writeDatabase(const ConnectString& cs, const std::vector<Draw>& draws);

// For other connections on the same files (the entry store): true when the
// linked SQLite is SQLCipher, and keying a freshly opened connection with
// every cipher parameter fixed.
bool sqlcipherLinked(sqlite3* db);
bool keyConnection(sqlite3* db, const std::string& password);

}  // namespace km
