#include "store/sqlite/database_update.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <set>

#include "store/files/replace_file.h"
#include "store/messages.h"

namespace km {

namespace fs = std::filesystem;

std::string backupPathFor(const std::string& target) { return target + ".bak"; }

namespace {

std::atomic<UpdateStepHook> stepHook{nullptr};

void step(const char* name) {
  if (const UpdateStepHook hook = stepHook.load()) hook(name);
}

// A source's draws: a list, or the rows of a database read from a scratch
// copy beside the target.  Empty `reason` when read.
struct SourceDraws {
  std::vector<Draw> draws;
  PrizeTable prizes;
  std::string reason, details;
};

SourceDraws readSource(const std::string& target, std::string_view bytes, const ReadLimits& limits) {
  SourceDraws r;
  if (bytes.empty()) {
    r.reason = says::downloadEmpty();
    return r;
  }
  if (feedForm(bytes) != FeedForm::Other) {
    Result<DrawList> feed = readFeed(bytes);
    if (!feed) {
      r.reason = feed.message();
      return r;
    }
    r.draws = std::move(feed->draws);
    r.prizes = std::move(feed->prizes);
    return r;
  }
  ReplacementFile scratch(target);  // removed when it goes, never committed
  if (!scratch.ok() || !scratch.write(bytes)) {
    r.reason = says::downloadNotWritten();
    r.details = scratch.error();
    return r;
  }
  Result<DrawList> table = readDrawTable({scratch.path(), databasePassword()}, limits);
  if (table.kind() == Fault::NotOurs) {
    r.reason = says::downloadNotHistory();
    r.details = table.cause();
  } else if (!table) {
    r.reason = says::downloadDatabaseUnusable(table.message());
    r.details = table.cause();
  } else {
    r.draws = std::move(table->draws);
    r.prizes = std::move(table->prizes);
  }
  return r;
}

using says::sourceLabel;
using says::sourceNamed;

// The prizes the usable sources give for the draws that are kept: a draw's
// stored prize is never changed, and a prize two sources give differently
// is not taken.  Each such difference is named in `notes`.
PrizeTable newPrizes(const PrizeTable& stored, const std::vector<Draw>& storedDraws, const std::vector<Draw>& taken,
                     const std::vector<SourceInput>& sources, const std::vector<SourceReport>& reports,
                     const std::vector<SourceDraws>& read, std::string& notes) {
  std::set<int> kept;
  for (const Draw& d : storedDraws) kept.insert(d.no);
  for (const Draw& d : taken) kept.insert(d.no);
  PrizeTable found;
  std::map<int, size_t> from;
  std::set<int> differ;
  int told = 0;
  auto note = [&](const std::string& line) {
    if (++told <= 3) notes.append("\n").append(line);
  };
  for (size_t i = 0; i < read.size(); ++i) {
    if (!reports[i].usable) continue;
    for (const auto& [no, prize] : read[i].prizes) {
      if (!kept.contains(no) || differ.contains(no)) continue;
      if (const auto s = stored.find(no); s != stored.end()) {
        if (s->second != prize) note(says::prizeDiffersFromStored(no, sourceNamed(sources[i].name)));
        continue;
      }
      if (const auto f = found.find(no); f != found.end()) {
        if (f->second != prize) {
          note(says::prizeSourcesDiffer(no, sourceNamed(sources[from[no]].name), sourceNamed(sources[i].name)));
          found.erase(f);
          differ.insert(no);
        }
        continue;
      }
      found[no] = prize;
      from[no] = i;
    }
  }
  if (told > 3) notes.append(says::moreNotes(told - 3));
  return found;
}

// Takes the history's write lock; a file that another writer replaced while
// this one waited is taken again, so the history read is the newest.
Result<std::unique_ptr<HistoryWriteLock>> lockHistory(const ConnectString& cs, const ReadLimits& limits) {
  for (int attempt = 0;; ++attempt) {
    auto lock = HistoryWriteLock::take(cs, limits);
    if (lock || lock.kind() != Fault::Moved || attempt == 2) return lock;
  }
}

}  // namespace

UpdateStepHook setUpdateStepHook(UpdateStepHook hook) { return stepHook.exchange(hook); }

UpdateResult updateHistory(const std::string& target, std::string_view bytes, const UpdateOptions& options) {
  return updateHistory(target, std::vector<SourceInput>{SourceInput{{}, std::string(bytes), {}, {}, false}}, options);
}

UpdateResult updateHistory(const std::string& target, const std::vector<SourceInput>& sources,
                           const UpdateOptions& options) {
  UpdateReport r;
  auto refuse = [](const std::string& why, const std::string& details = {}) {
    return Failure{Fault::Refused, why, details};
  };
  StopSignal* stop = options.limits.stop;
  auto cancelled = [] { return Failure{Fault::Cancelled, {}, {}}; };
  std::error_code ec;
  if (!fs::is_regular_file(target, ec)) return Failure{Fault::Missing, says::databaseMissing(target), {}};

  // Every source's draws, read before the history is locked.
  std::vector<SourceDraws> read(sources.size());
  r.sources.resize(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    r.sources[i].name = sources[i].name;
    if (!sources[i].error.empty()) {
      read[i].reason = sources[i].error;
      read[i].details = sources[i].details;
    } else {
      read[i] = readSource(target, sources[i].bytes, options.limits);
    }
    if (stop && stop->stopped()) return cancelled();
  }
  // Why no source could be used: each source's reason, named when there are several.
  auto noneUsable = [&] {
    if (r.sources.size() == 1) return refuse(r.sources[0].reason, r.sources[0].details);
    std::string why = says::noSourceUsable(), details;
    for (const SourceReport& s : r.sources) {
      why.append("\n").append(sourceLabel(s.name)).append(s.reason);
      if (s.details.empty()) continue;
      if (!details.empty()) details.append("\n");
      details.append(sourceLabel(s.name)).append(s.details);
    }
    return refuse(why, details);
  };
  bool anyRead = false;
  for (size_t i = 0; i < sources.size(); ++i) {
    r.sources[i].reason = read[i].reason;
    r.sources[i].details = read[i].details;
    anyRead = anyRead || read[i].reason.empty();
  }
  if (!anyRead) return noneUsable();
  step("read");

  // The user's history, held against other writers until the new file is in place.
  const ConnectString cs{target, databasePassword()};
  std::unique_ptr<HistoryWriteLock> lock;
  if (!options.compareWith) {
    auto locked = lockHistory(cs, options.limits);
    if (stop && stop->stopped()) return cancelled();
    if (!locked) {
      const Fault kind = locked.kind();
      const bool told = kind == Fault::Busy || kind == Fault::Beside || kind == Fault::Moved;
      return refuse(told ? locked.message() : says::storedUnreadable(locked.message()), locked.cause());
    }
    lock = std::move(*locked);
  }
  if (lock) step("locked");
  const std::vector<Draw>& stored = lock ? lock->draws() : *options.compareWith;
  r.drawsBefore = r.drawsAfter = static_cast<int>(stored.size());

  // Each source on its own against the history.
  std::vector<std::vector<Draw>> added(sources.size());
  for (size_t i = 0; i < sources.size(); ++i) {
    SourceReport& report = r.sources[i];
    if (!report.reason.empty()) continue;
    Result<FeedMerge> merge = mergeFeed(stored, std::move(read[i].draws), {options.today, sources[i].chosenFile});
    if (!merge) {
      report.reason = merge.message();
      continue;
    }
    report.usable = true;
    report.newest = merge->newest;
    report.newDraws = static_cast<int>(merge->added.size());
    if (!r.newest || merge->newest.no > r.newest->no) r.newest = merge->newest;
    added[i] = std::move(merge->added);
  }
  bool anyUsable = false;
  for (const SourceReport& s : r.sources) anyUsable = anyUsable || s.usable;
  if (!anyUsable) return noneUsable();
  r.sourceStale = isStale(r.newest->date, options.today.empty() ? todayDate() : options.today);

  // The new draws, one after another, as long as some source lists the next
  // one and every source that lists it agrees.
  std::vector<Draw> taken;
  for (size_t k = 0;; ++k) {
    const Draw* first = nullptr;
    size_t from = 0;
    for (size_t i = 0; i < added.size() && r.conflict.empty(); ++i) {
      if (k >= added[i].size()) continue;
      if (!first) {
        first = &added[i][k];
        from = i;
      } else if (!sameDraw(*first, added[i][k])) {
        r.conflict = says::sourcesDisagree(first->no, sourceLabel(sources[from].name), describeDraw(*first),
                                           sourceLabel(sources[i].name), describeDraw(added[i][k]));
      }
    }
    if (!first || !r.conflict.empty()) break;
    taken.push_back(*first);
  }
  if (options.compareWith) {
    r.added = std::move(taken);
    return r;
  }
  // The prizes the sources add to the stored ones.
  PrizeTable prizes = lock->prizes();
  const PrizeTable more = newPrizes(prizes, stored, taken, sources, r.sources, read, r.prizeNotes);
  r.prizesAdded = static_cast<int>(more.size());
  if (taken.empty() && more.empty()) {
    if (!r.conflict.empty()) return refuse(r.conflict + r.prizeNotes);
    return r;
  }
  prizes.insert(more.begin(), more.end());
  std::vector<Draw> all = stored;
  all.insert(all.end(), taken.begin(), taken.end());
  const Result<std::string> old = lock->fileBytes();
  if (!old || old->empty()) return refuse(says::storedUnreadable(target), old.cause());
  if (stop && !stop->beginCommit()) return cancelled();
  const Backup backup{backupPathFor(target), *old};
  if (const Done written = writeDatabase(cs, all, prizes, &backup); !written)
    return refuse(says::historyNotRewritten(), written.withCause());

  step("written");
  r.added = std::move(taken);
  r.drawsAfter = static_cast<int>(all.size());
  return r;
}

}  // namespace km
