#include "store/sqlite/database_restore.h"

#include <algorithm>
#include <filesystem>

#include "store/files/replace_file.h"
#include "store/messages.h"
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
  const Result<DrawList> read = loadHistory(ConnectString{b.path, cs.password});
  const std::vector<Draw> none;
  const std::vector<Draw>& rows = read ? read->draws : none;
  b.usable = read && !rows.empty();
  b.draws = static_cast<int>(rows.size());
  for (const Draw& d : rows) b.lastDrawNo = std::max<int>(b.lastDrawNo, d.no);
  b.reason = !read ? read.withCause() : rows.empty() ? says::noBackupDraws() : std::string();
  return b;
}

std::string damagedPathFor(const std::string& database) { return database + ".damaged"; }

Done restoreFromBackup(const ConnectString& cs) {
  const BackupCheck b = checkBackup(cs);
  if (!b.usable) return Failure{Fault::Damaged, says::backupUnusable(b.path), b.reason};
  const Result<std::string> backup = readRegularFile(b.path, kMaxBackupBytes);
  if (!backup) return Failure{backup.kind(), says::backupUnreadable(b.path), backup.cause()};
  // the damaged file is copied aside (itself atomically) before the rename
  std::error_code ec;
  ReplacementFile file(cs.path);
  if (!file.write(*backup) || !file.commit(fs::exists(cs.path, ec) ? damagedPathFor(cs.path) : std::string()))
    return Failure{Fault::WriteFailed, says::backupNotRestored(file.failure().message), file.failure().cause};

  return {};
}

}  // namespace km
