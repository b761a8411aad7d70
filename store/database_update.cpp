#include "store/database_update.h"

#include <filesystem>

#include "store/replace_file.h"

namespace km {

namespace fs = std::filesystem;

std::string missingDatabaseText(const std::string& path) { return "当選データファイル：'" + path + "'が存在しません"; }

std::string backupPathFor(const std::string& target) { return target + ".bak"; }

UpdateResult updateHistory(const std::string& target, std::string_view bytes, const UpdateOptions& options) {
  UpdateResult r;
  auto refuse = [&r](const std::string& why, const std::string& details = {}) {
    r.status = UpdateResult::Refused;
    r.reason = why;
    r.details = details;
    r.added.clear();
    return r;
  };
  StopSignal* stop = options.limits.stop;
  auto cancelled = [&] {
    r.status = UpdateResult::Cancelled;
    r.added.clear();
    return r;
  };
  std::error_code ec;
  if (!fs::is_regular_file(target, ec)) {
    r.status = UpdateResult::Missing;
    r.reason = missingDatabaseText(target);
    return r;
  }
  if (bytes.empty()) return refuse("取得先から届いたデータが空です。");

  // The source's draws: a list, or the rows of a database read from a scratch copy.
  std::vector<Draw> source;
  if (feedForm(bytes) != FeedForm::Other) {
    FeedRead feed = readFeed(bytes);
    if (!feed.ok) return refuse(feed.error);
    source = std::move(feed.draws);
  } else {
    ReplacementFile scratch(target);  // removed when it goes, never committed
    if (!scratch.ok() || !scratch.write(bytes))
      return refuse("ダウンロードしたデータを一時ファイルに書けません。", scratch.error());
    TableRead table = readDrawTable({scratch.path(), databasePassword()}, options.limits);
    if (stop && stop->stopped()) return cancelled();
    if (table.status == TableRead::NotOurs)
      return refuse("取得先のデータは、当選データの一覧（JSON・CSV）でも、このプログラムのデータベースでもありません。",
                    table.cause);
    if (table.status != TableRead::Read)
      return refuse("取得先のデータベースを使えません：" + table.message, table.cause);
    source = std::move(table.rows);
  }
  if (stop && stop->stopped()) return cancelled();

  // The user's history, held against other writers until the new file is in place.
  std::string error, cause;
  const ConnectString cs{target, databasePassword()};
  HistoryWriteLock::Refusal refusal{};
  const std::unique_ptr<HistoryWriteLock> lock = HistoryWriteLock::take(cs, options.limits, error, cause, &refusal);
  if (stop && stop->stopped()) return cancelled();
  if (!lock)
    return refuse(
        refusal == HistoryWriteLock::Refusal::Other ? "手元の当選データファイルを読めません。\n" + error : error,
        cause);
  const std::vector<Draw>& stored = lock->draws();
  FeedMerge merge = mergeFeed(stored, std::move(source));
  r.newest = merge.newest;
  r.drawsBefore = r.drawsAfter = static_cast<int>(stored.size());
  r.sourceStale = isStale(merge.newest.date, options.today.empty() ? todayDate() : options.today);
  switch (merge.status) {
    case FeedMerge::Refused:
      return refuse(merge.reason);
    case FeedMerge::NothingNew:
      r.status = UpdateResult::NothingNew;
      return r;
    case FeedMerge::Append:
      break;
  }
  std::vector<Draw> all = stored;
  all.insert(all.end(), merge.added.begin(), merge.added.end());
  if (stop && !stop->beginCommit()) return cancelled();
  if (const std::string why = writeDatabase(cs, all, lock->prizes(), backupPathFor(target)); !why.empty())
    return refuse("当選データファイルを書き換えられませんでした。", why);
  r.status = UpdateResult::Added;
  r.added = std::move(merge.added);
  r.drawsAfter = static_cast<int>(all.size());
  return r;
}

}  // namespace km
