#pragma once
// Bringing the history up to date from a source's bytes: a results feed (the
// JSON list or a CSV) or a published database.  Nothing the source carries is
// installed: its draws are read, checked and joined to the user's history by
// the rule of store/feed.h, and a new database of the program's own schema is
// written from the result through the atomic writer, the old file kept as a
// backup beside it.
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/feed.h"

namespace km {

// "当選データファイル：'PATH'が存在しません"
std::string missingDatabaseText(const std::string& path);
// The backup kept beside the database: Kazumaki.mdb.bak.
std::string backupPathFor(const std::string& target);

struct UpdateOptions {
  ReadLimits limits;  // for every read; limits.stop also ends the update before it writes
  std::string today;  // YYYY-MM-DD, for the staleness of the source; empty: today
};

struct UpdateResult {
  enum Status { Added, NothingNew, Refused, Missing, Cancelled } status = Refused;
  std::string reason;        // Refused, Missing: why, in Japanese
  std::string details;       // the technical account (SQLite's words), when there is one
  std::vector<Draw> added;   // Added: the new draws
  Draw newest;               // the source's newest draw
  bool sourceStale = false;  // that draw is more than kStaleDays days old
  int drawsBefore = 0, drawsAfter = 0;
};

// Reads `bytes` as a source and updates the database at `target` (which must
// exist) with the draws it brings.  Every refusal, a cancel and a failed write
// leave the target byte for byte as it was.
UpdateResult updateHistory(const std::string& target, std::string_view bytes, const UpdateOptions& options = {});

}  // namespace km
