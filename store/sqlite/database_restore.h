#pragma once
// Putting the database back from the backup that the update keeps beside it
// (Kazumaki.mdb.bak), for a database that is missing or damaged.
#include <string>

#include "store/sqlite/database.h"

namespace km {

// What the backup beside the database at cs.path holds, checked as a history
// with the program's key.
struct BackupCheck {
  std::string path;  // Kazumaki.mdb.bak beside the database
  bool exists = false;
  bool usable = false;  // a sound history of at least one draw
  int draws = 0, lastDrawNo = 0;
  std::string reason;  // why not usable (Japanese, with SQLite's account where it gave one)
};
BackupCheck checkBackup(const ConnectString& cs);

// Where a damaged database is kept when the backup takes its place.
std::string damagedPathFor(const std::string& database);

// Checks the backup again, keeps the database (when there is one) as
// damagedPathFor(cs.path), replacing an older one there, and puts a copy of
// the backup in the database's place in one rename.  The backup stays.  On
// failure the database is as it was; the message says why (Japanese: what,
// then the file), the cause gives the system's words, if any.
Done restoreFromBackup(const ConnectString& cs);

}  // namespace km
