#include "store/sqlite/database_restore.h"

#include <algorithm>
#include <filesystem>

#include "store/files/replace_file.h"
#include "store/sqlite/database_update.h"

namespace km {

namespace fs = std::filesystem;

namespace {

// A backup larger than this is no history of this program.
constexpr std::uintmax_t kMaxBackupBytes = 64ull * 1024 * 1024;

}  // namespace

BackupCheck checkBackup(const ConnectString& cs) {
  BackupCheck b;
  b.path = backupPathFor(cs.path);
  std::error_code ec;
  b.exists = fs::is_regular_file(b.path, ec);
  if (!b.exists) return b;
  // usable when the start-up read takes it, with at least one draw
  const LoadResult read = loadHistory(ConnectString{b.path, cs.password});
  b.usable = read.ok && !read.rows.empty();
  b.draws = static_cast<int>(read.rows.size());
  for (const Draw& d : read.rows) b.lastDrawNo = std::max<int>(b.lastDrawNo, d.no);
  b.reason = !read.ok            ? read.message + (read.details.empty() ? "" : "\n" + read.details)
             : read.rows.empty() ? std::string("当選データが1件もありません。")
                                 : std::string();
  return b;
}

std::string damagedPathFor(const std::string& database) { return database + ".damaged"; }

RestoreResult restoreFromBackup(const ConnectString& cs) {
  RestoreResult r;
  const BackupCheck b = checkBackup(cs);
  if (!b.usable) {
    r.message = "バックアップから戻せません。バックアップが使えるものではありません。\n" + b.path;
    r.details = b.reason;
    return r;
  }
  const FileRead backup = readRegularFile(b.path, kMaxBackupBytes);
  if (backup.status != FileRead::Read) {
    r.message = "バックアップを読めません。\n" + b.path;
    r.details = backup.cause;
    return r;
  }
  // the damaged file is copied aside (itself atomically) before the rename
  std::error_code ec;
  ReplacementFile file(cs.path);
  if (!file.write(backup.bytes) || !file.commit(fs::exists(cs.path, ec) ? damagedPathFor(cs.path) : std::string())) {
    r.message = "バックアップから戻せません。" + file.failure().text;
    r.details = file.failure().cause;
    return r;
  }
  r.ok = true;
  return r;
}

}  // namespace km
