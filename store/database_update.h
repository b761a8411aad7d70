#pragma once
// Replacing the history database with a complete new copy (a download): the
// bytes are checked before anything is written, the old file is kept as a
// backup beside it and the new one takes its place in one rename.
#include <string>
#include <string_view>

namespace km {

struct ReplaceResult {
  enum Status { Replaced, Missing, Invalid, WriteFailed };
  Status status = WriteFailed;
  std::string message;   // the reason when not replaced
  int drawsBefore = -1;  // draws of the old file, -1 when it could not be read
  int drawsAfter = 0;
  int lastDrawNo = 0;
};

// "当選データファイル：'PATH'が存在しません"
std::string missingDatabaseText(const std::string& path);
// The backup kept beside the database: Kazumaki.mdb.bak.
std::string backupPathFor(const std::string& target);

// Replaces the database at `target` (which must exist) with `bytes` when they
// are a valid history encrypted with the program's key; the previous file is
// kept at backupPathFor(target).  Otherwise the target is left byte for byte
// as it was.
ReplaceResult replaceHistoryDatabase(const std::string& target, std::string_view bytes);

}  // namespace km
