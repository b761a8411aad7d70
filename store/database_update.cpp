#include "store/database_update.h"

#include <filesystem>

#include "store/database.h"
#include "store/replace_file.h"

namespace km {

namespace fs = std::filesystem;

std::string missingDatabaseText(const std::string& path) { return "当選データファイル：'" + path + "'が存在しません"; }

std::string backupPathFor(const std::string& target) { return target + ".bak"; }

ReplaceResult replaceHistoryDatabase(const std::string& target, std::string_view bytes) {
  ReplaceResult r;
  std::error_code ec;
  if (!fs::is_regular_file(target, ec)) {
    r.status = ReplaceResult::Missing;
    r.message = missingDatabaseText(target);
    return r;
  }
  if (bytes.empty()) {
    r.status = ReplaceResult::Invalid;
    r.message = "ファイルが空です。";
    return r;
  }
  // The bytes are checked where they will stay: in the temporary file that
  // the rename turns into the database.
  ReplacementFile file(target);
  if (!file.write(bytes)) {
    r.message = file.error();
    return r;
  }
  const HistoryCheck check = checkHistoryDatabase({file.path(), databasePassword()});
  if (!check.ok) {
    r.status = ReplaceResult::Invalid;
    r.message = check.message;
    return r;
  }
  const LoadResult before = loadHistory({target, databasePassword()});
  if (before.ok) r.drawsBefore = static_cast<int>(before.rows.size());
  if (!file.commit(backupPathFor(target))) {
    r.message = file.error();
    return r;
  }
  r.status = ReplaceResult::Replaced;
  r.drawsAfter = check.draws;
  r.lastDrawNo = check.lastDrawNo;
  return r;
}

}  // namespace km
