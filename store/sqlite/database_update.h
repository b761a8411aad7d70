#pragma once
// Bringing the history up to date from a source's bytes: a results feed (the
// JSON list or a CSV) or a published database.  Nothing the source carries is
// installed: its draws are read, checked and joined to the user's history by
// the rule of store/formats/feed.h, and a new database of the program's own schema is
// written from the result through the atomic writer, the old file kept as a
// backup beside it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/formats/feed.h"
#include "store/sqlite/database.h"

namespace km {

// The backup kept beside the database: Kazumaki.mdb.bak.
std::string backupPathFor(const std::string& target);

struct UpdateOptions {
  ReadLimits limits;  // for every read; limits.stop also ends the update before it writes
  std::string today;  // YYYY-MM-DD, for the staleness of the source; empty: today
  // A look at the sources only: they are compared with these draws (the
  // history the program read at start) instead of the file, which is neither
  // locked nor written; Added then lists the draws the sources have beyond them.
  const std::vector<Draw>* compareWith = nullptr;
};

// One source as it arrived: its bytes, or why nothing arrived.
struct SourceInput {
  std::string name;            // the address or the file, as the user named it
  std::string bytes;           // what arrived, when `error` is empty
  std::string error, details;  // why nothing arrived (Japanese), and the library's words
  bool chosenFile = false;     // a file the user chose: it may start right after the last stored draw
};

// What became of one source.
struct SourceReport {
  std::string name;
  bool usable = false;          // read, and every draw it shares with the history agrees
  std::string reason, details;  // when not usable: why (Japanese), and the library's words
  std::optional<Draw> newest;   // when usable: its newest draw
  int newDraws = 0;             // when usable: how many draws after the last stored one it lists
};

// What an update did: the draws it added (none: there was nothing new, though
// prizes may have been added) and what each source said.
struct UpdateReport {
  std::vector<Draw> added;     // the new draws
  std::optional<Draw> newest;  // the sources' newest draw
  bool sourceStale = false;    // that draw is more than kStaleDays days old
  int drawsBefore = 0, drawsAfter = 0;
  std::vector<SourceReport> sources;  // in the order asked
  // Two sources that report a new draw differently: that draw and the later
  // ones were not taken (Japanese, naming the draw and both sources).
  std::string conflict;
  // Prizes the sources gave for stored or added draws that had none (written
  // even when no draw is new), and the differences that were not taken.
  int prizesAdded = 0;
  std::string prizeNotes;
};
// The report, or why nothing was written: Missing (no database at the
// target: its message names it), Cancelled (told to stop), or Refused (why,
// in Japanese; the cause the technical account, SQLite's words, when there is
// one).
using UpdateResult = Result<UpdateReport>;

// Reads `bytes` as a source and updates the database at `target` (which must
// exist) with the draws it brings.  Every refusal, a cancel and a failed write
// leave the target byte for byte as it was.
UpdateResult updateHistory(const std::string& target, std::string_view bytes, const UpdateOptions& options = {});

// The same from several sources, asked in order.  Every source that arrived
// is read and joined to the history on its own (a source that cannot be
// read, or that differs from a stored draw, is named with its reason and left
// out); the new draws are then those that the usable sources list after the
// last stored draw, where every source that lists a draw reports it alike.
// From the first draw two sources report differently, nothing is taken.
UpdateResult updateHistory(const std::string& target, const std::vector<SourceInput>& sources,
                           const UpdateOptions& options = {});

// Test hook: when set, called on the update's thread at the steps where
// another writer may meet the update: "read" (the sources read, the history
// not yet locked), "locked" (the history locked and read) and "written" (the
// new file in place, the old one still locked).  The steps of the write in
// between are those of store/files/replace_file.h.
using UpdateStepHook = void (*)(const char* step);
UpdateStepHook setUpdateStepHook(UpdateStepHook hook);

}  // namespace km
