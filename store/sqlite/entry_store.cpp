#include "store/sqlite/entry_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "store/files/text_excerpt.h"
#include "store/formats/feed.h"
#include "store/messages.h"
#include "store/sqlite/query_watch.h"
#include "store/sqlite/schema.h"

namespace km {

namespace {

using schema::kDrawNo;
using schema::kDrawTable;
// Column names of the number fields, in grid order (columns 2..7).
constexpr const auto& kFieldNames = schema::kNumbers;

// "SELECT ... FROM 当選データ ..." with the table's name put in for each %T and the draw number's for each %N.
std::string onDraws(std::string sql) {
  for (const auto& [mark, name] : {std::pair{"%T", kDrawTable}, std::pair{"%N", kDrawNo}})
    for (size_t at; (at = sql.find(mark)) != std::string::npos;) sql.replace(at, 2, name);
  return sql;
}

struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

StmtPtr prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return nullptr;
  }
  return StmtPtr(s);
}

std::string named(const std::string& what, const std::string& path) { return what + "\n" + path; }

// A prize goes with its draw's row: the prizes of draws `from`..`to` are
// deleted (by = 0) or moved by `by` along with the rows.  A file without the
// table 当選金 has nothing to move.
bool movePrizes(sqlite3* db, int from, int to, int by) {
  StmtPtr t = prepare(
      db, std::string("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '") + schema::kPrizeTable + "'");
  if (!t) return false;
  const int step = sqlite3_step(t.get());
  if (step == SQLITE_DONE) return true;
  if (step != SQLITE_ROW) return false;
  const std::string no = kDrawNo;
  const std::string range = " WHERE " + no + " BETWEEN " + std::to_string(from) + " AND " + std::to_string(to);
  // through negative numbers, so that no number is taken twice on the way
  const std::string table = schema::kPrizeTable;
  const std::string sql = by == 0
                              ? "DELETE FROM " + table + range
                              : "UPDATE " + table + " SET " + no + " = -(" + no + " + " + std::to_string(by) + ")" +
                                    range + "; UPDATE " + table + " SET " + no + " = -" + no + " WHERE " + no + " < 0";
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

std::string dateProblem(std::string_view text, const std::string& previous, const std::string& next,
                        const std::string& today, std::optional<int> typedFor) {
  if (parseWholeNumber(text).kind == CellNumber::Empty) return {};  // nothing but spaces
  const std::string d = normalizedDate(text);
  if (d.empty()) return says::entryDateWrong(excerpt(text));
  if (!previous.empty() && d <= previous) return says::entryDateNotAfter(d, previous);
  if (!next.empty() && d >= next) return says::entryDateNotBefore(d, next);
  if (typedFor) return newDrawDateProblem(*typedFor, d, today);
  if (isCalendarDate(today) && d > today) return says::entryDateFuture(d, today);
  return {};
}

std::array<int, kNumberFields> lineNumbers(const LineTexts& line) {
  std::array<int, kNumberFields> n{};
  for (int f = 0; f < kNumberFields; ++f)
    if (const CellNumber v = parseCellNumber(line[f]); v.kind == CellNumber::Number) n[f] = v.value;
  return n;
}

std::string repeatProblem(const std::array<int, kNumberFields>& numbers, int field) {
  if (!numberRepeated(numbers, field)) return {};
  int other = 0;
  while (other == field || numbers[other] != numbers[field]) ++other;
  return says::repeatedNumber(std::max(field, other) == Bonus);
}

std::string cellProblem(const LineTexts& line, int column, const std::string& previous, const std::string& today) {
  if (column == kDateColumn) return dateProblem(line[kDateField], previous, {}, today);
  if (column < kFirstNumberColumn || column > kLastNumberColumn) return {};
  const int f = column - kFirstNumberColumn;
  if (parseCellNumber(line[f]).kind == CellNumber::Wrong) return says::wrongNumberReason();
  // a repeat is the later of the two fields: the numbers after this one do not count
  std::array<int, kNumberFields> upTo = lineNumbers(line);
  for (int g = f + 1; g < kNumberFields; ++g) upTo[g] = 0;
  return numberRepeated(upTo, f) ? says::repeatedNumber(f == Bonus) : std::string();
}

std::optional<CellPosition> findWrongCell(int lineCount, const std::function<std::string(int line, int column)>& text,
                                          const std::string& today) {
  std::string previous;  // the nearest earlier date, every line above being sound
  for (int line = 1; line <= lineCount; ++line) {
    LineTexts l;
    for (int col = kFirstNumberColumn; col <= kDateColumn; ++col) l[col - kFirstNumberColumn] = text(line, col);
    for (int col = kFirstNumberColumn; col <= kDateColumn; ++col)
      if (std::string why = cellProblem(l, col, previous, today); !why.empty())
        return CellPosition{line, col, std::move(why)};
    if (std::string d = normalizedDate(l[kDateField]); !d.empty()) previous = std::move(d);
  }
  return std::nullopt;
}

std::unique_ptr<EntryStore> EntryStore::open(const ConnectString& cs, std::string& error, int busyTimeoutMs,
                                             std::string* details) {
  return openAs(cs, error, busyTimeoutMs, details, true);
}

std::unique_ptr<EntryStore> EntryStore::openToRead(const ConnectString& cs, std::string& error, std::string* details) {
  return openAs(cs, error, kDefaultBusyTimeoutMs, details, false);
}

std::unique_ptr<EntryStore> EntryStore::openAs(const ConnectString& cs, std::string& error, int busyTimeoutMs,
                                               std::string* details, bool write) {
  // Writing, the store holds the write lock from now on: the user learns
  // before typing that another writer has it, and no other writer gets it
  // while the store lives.
  auto opened = openHistory(cs, write ? OpenMode::Write : OpenMode::Read, busyTimeoutMs);
  if (!opened) {
    error = opened.message();
    if (details) *details = opened.cause();
    return nullptr;
  }
  std::unique_ptr<EntryStore> store(new EntryStore(std::move(*opened), cs.path, busyTimeoutMs));
  store->readOnly_ = !write;
  {
    StmtPtr check = prepare(store->db_, "SELECT count(*) FROM sqlite_master WHERE name IN (?, ?)");
    if (check) {
      sqlite3_bind_text(check.get(), 1, kDrawTable, -1, SQLITE_STATIC);
      sqlite3_bind_text(check.get(), 2, schema::kHistoryView, -1, SQLITE_STATIC);
    }
    if (!check || sqlite3_step(check.get()) != SQLITE_ROW) {
      error = store->failure(says::databaseUnreadable());
      if (details) *details = store->details();
      return nullptr;
    }
    if (sqlite3_column_int(check.get(), 0) != 2) {
      error = named(says::noDrawTableOrView(), cs.path);
      return nullptr;
    }
  }
  store->held_ = write;
  if (write) store->version_ = store->dataVersion();
  return store;
}

EntryStore::~EntryStore() = default;

std::string EntryStore::failure(const std::string& what) const {
  std::string msg = what;
  const int code = db_ ? sqlite3_errcode(db_) : SQLITE_CANTOPEN;
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
    msg = says::editingElsewhere();
  else if (db_ && sqlite3_extended_errcode(db_) == SQLITE_READONLY_DBMOVED)
    msg = says::movedWhileOpen();
  else if (code == SQLITE_READONLY)
    msg = says::readOnlyFile();
  else if (code == SQLITE_FULL)
    msg = says::diskFull();
  msg += "\n" + path_;
  details_.clear();
  if (db_) {
    std::string text = sqlite3_errmsg(db_);
    // the system's account of a failed read or write (a full disk, an I/O error)
    if (const int sys = sqlite3_system_errno(db_); sys != 0 && (code == SQLITE_IOERR || code == SQLITE_FULL))
      text += std::string(": ") + std::strerror(sys);
    details_ = says::sqliteCause(text, sqlite3_extended_errcode(db_));
  }
  return msg;
}

long long EntryStore::dataVersion() const {
  StmtPtr q = prepare(db_, "PRAGMA data_version");
  return q && sqlite3_step(q.get()) == SQLITE_ROW ? sqlite3_column_int64(q.get(), 0) : -1;
}

bool EntryStore::begin(std::string& error) {
  if (readOnly_) {
    error = named(says::readOnlyConnection(), path_);
    return false;
  }
  // IMMEDIATE takes the write lock at once, waiting up to the busy timeout.
  if (!held_) {
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
      error = failure(says::cannotWriteDatabase());
      return false;
    }
    held_ = true;
  }
  // The data version moves when another connection commits a change.
  if (changedElsewhere_ || dataVersion() != version_) {
    changedElsewhere_ = true;
    error = named(says::changedElsewhere(), path_);
    return false;
  }
  return true;
}

void EntryStore::relock() {
  held_ = false;
  if (readOnly_) return;
  // At once or not at all: a writer that got in meanwhile is found by the next change.
  sqlite3_busy_timeout(db_, 0);
  held_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

void EntryStore::releaseWriteLock() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  held_ = false;
}

std::string EntryStore::commit() {
  if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::string why = failure(says::cannotWriteDatabase());
    rollback();
    return why;
  }
  relock();
  return {};
}

void EntryStore::rollback() {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  relock();
}

std::string EntryStore::readAll(std::vector<EntryRow>& rows, const ReadLimits& limits) {
  details_.clear();
  rows.clear();
  const long long version = dataVersion();
  // Declared after the statement's connection and before the statement: the
  // watch ends after the statement is finalized.
  const QueryWatch watch(db_, limits.time, limits.stop);
  static const std::string all = "SELECT " + schema::numberColumns("q.") + ", t." + schema::kDate + " FROM " +
                                 schema::kHistoryView + onDraws(" q LEFT JOIN %T t ON t.%N = q.%N ORDER BY q.%N");
  StmtPtr q = prepare(db_, all);
  if (!q) return failure(says::historyViewUnreadable());
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    EntryRow r;
    r.no = sqlite3_column_int(q.get(), 0);
    for (int f = 0; f < kNumberFields; ++f) r.text[f] = fieldText(q.get(), f + 1);
    r.date = fieldText(q.get(), 7);
    rows.push_back(std::move(r));
  }
  if (step == SQLITE_INTERRUPT) {
    rows.clear();
    return named(watch.timedOut() ? says::readTooLong(limits.time.count()) : says::databaseReadStopped(), path_);
  }
  if (step != SQLITE_DONE) {
    rows.clear();
    return failure(says::databaseDamagedDraws());
  }
  q.reset();
  PrizeTable prizes;
  std::string cause;
  if (std::string why = readPrizeTable(db_, prizes, cause); !why.empty()) {
    rows.clear();
    details_ = cause;
    return named(why, path_);
  }
  for (EntryRow& r : rows)
    if (const auto p = prizes.find(r.no); p != prizes.end()) r.prize = prizeTexts(p->second);
  version_ = version;
  changedElsewhere_ = false;
  return {};
}

bool EntryStore::exists(int no, bool& found, std::string& error) {
  StmtPtr q = prepare(db_, onDraws("SELECT 1 FROM %T WHERE %N = ?"));
  if (!q) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  sqlite3_bind_int(q.get(), 1, no);
  const int step = sqlite3_step(q.get());
  if (step != SQLITE_ROW && step != SQLITE_DONE) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  found = step == SQLITE_ROW;
  return true;
}

bool EntryStore::runEnd(int from, int& end, std::string& error) {
  StmtPtr q = prepare(db_, onDraws("SELECT %N FROM %T WHERE %N >= ? ORDER BY %N"));
  if (!q) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  sqlite3_bind_int(q.get(), 1, from);
  end = from - 1;
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    if (sqlite3_column_int64(q.get(), 0) != end + 1) break;
    ++end;
  }
  if (step != SQLITE_ROW && step != SQLITE_DONE) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  return true;
}

bool EntryStore::renumber(int no, int to, std::string& error) {
  StmtPtr u = prepare(db_, onDraws("UPDATE %T SET %N = ? WHERE %N = ?"));
  if (!u) {
    error = failure(says::cannotWriteDatabase());
    return false;
  }
  sqlite3_bind_int(u.get(), 1, to);
  sqlite3_bind_int(u.get(), 2, no);
  if (sqlite3_step(u.get()) != SQLITE_DONE || sqlite3_changes(db_) != 1) {
    error = failure(says::cannotWriteDatabase());
    return false;
  }
  return true;
}

std::string EntryStore::today() const { return today_.empty() ? todayDate() : today_; }

bool EntryStore::neighbourDate(int no, bool later, std::string& date, std::string& error) {
  StmtPtr q = prepare(db_, onDraws(std::string("SELECT ") + schema::kDate + " FROM %T WHERE %N " + (later ? ">" : "<") +
                                   " ? AND " + schema::kDate + " IS NOT NULL ORDER BY %N" + (later ? "" : " DESC")));
  if (!q) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  sqlite3_bind_int(q.get(), 1, no);
  date.clear();
  int step;
  while ((step = sqlite3_step(q.get())) == SQLITE_ROW) {
    std::string d = fieldText(q.get(), 0);
    if (isCalendarDate(d)) {
      date = std::move(d);
      return true;
    }
  }
  if (step != SQLITE_DONE) {
    error = failure(says::cannotReadDatabase());
    return false;
  }
  return true;
}

std::string EntryStore::setCell(int no, int column, std::string_view text) {
  return setCells(no, {{column, std::string(text)}});
}

std::string EntryStore::setCells(int no, const std::vector<std::pair<int, std::string>>& cells) {
  details_.clear();
  for (const auto& [column, text] : cells) {
    if (column < kFirstNumberColumn || column > kDateColumn) return says::columnOutOfRange();
    if (column != kDateColumn && parseCellNumber(text).kind == CellNumber::Wrong) return says::wrongNumberReason();
  }
  std::string error;
  if (!begin(error)) return error;
  auto fail = [&](std::string why) {
    rollback();
    return why;
  };
  LineTexts line;
  {
    StmtPtr q =
        prepare(db_, onDraws("SELECT " + schema::numberColumns() + ", " + schema::kDate + " FROM %T WHERE %N = ?"));
    if (!q) return fail(failure(says::cannotReadDatabase()));
    sqlite3_bind_int(q.get(), 1, no);
    const int step = sqlite3_step(q.get());
    if (step == SQLITE_DONE) return fail(says::noSuchDraw(no));
    if (step != SQLITE_ROW) return fail(failure(says::cannotReadDatabase()));
    for (int f = 0; f < kLineFields; ++f) line[f] = fieldText(q.get(), f + 1);
  }
  std::string previous, next;
  const std::string storedDate = line[kDateField];
  for (const auto& [column, text] : cells) line[column - kFirstNumberColumn] = text;
  const std::array<int, kNumberFields> numbers = lineNumbers(line);
  for (const auto& [column, text] : cells) {
    const int f = column - kFirstNumberColumn;
    if (column == kDateColumn) {
      if (!neighbourDate(no, false, previous, error) || !neighbourDate(no, true, next, error)) return fail(error);
      // the date the line holds already is no new date
      const std::optional<int> typed = normalizedDate(text) == storedDate ? std::nullopt : std::optional<int>(no);
      if (std::string why = dateProblem(text, previous, next, today(), typed); !why.empty()) return fail(why);
      line[f] = normalizedDate(text);
    } else if (std::string why = repeatProblem(numbers, f); !why.empty()) {
      return fail(says::ofDraw(no, why));
    }
  }
  std::string sql = "UPDATE %T SET ";
  for (size_t i = 0; i < cells.size(); ++i) {
    const int column = cells[i].first;
    sql += std::string(i ? ", " : "") +
           (column == kDateColumn ? schema::kDate : kFieldNames[column - kFirstNumberColumn]) + " = ?";
  }
  StmtPtr u = prepare(db_, onDraws(sql + " WHERE %N = ?"));
  if (!u) return fail(failure(says::cannotWriteDatabase()));
  for (size_t i = 0; i < cells.size(); ++i) {
    const int column = cells[i].first, at = static_cast<int>(i) + 1;
    if (column == kDateColumn) {
      const std::string& d = line[kDateField];
      if (d.empty())
        sqlite3_bind_null(u.get(), at);
      else
        sqlite3_bind_text(u.get(), at, d.c_str(), -1, SQLITE_TRANSIENT);
    } else if (const int v = numbers[column - kFirstNumberColumn]; v != 0) {
      sqlite3_bind_int(u.get(), at, v);
    } else {
      sqlite3_bind_null(u.get(), at);
    }
  }
  sqlite3_bind_int(u.get(), static_cast<int>(cells.size()) + 1, no);
  if (sqlite3_step(u.get()) != SQLITE_DONE) {
    error = failure(says::cannotWriteDatabase());
    u.reset();
    return fail(error);
  }
  u.reset();
  return commit();
}

// The messages below name the highest draw number in full-width digits.
static_assert(kMaxDrawNo == 32767);

std::string EntryStore::insertAfter(int afterNo, int& newNo) {
  details_.clear();
  // after draw 0 (before the first) up to the draw before the highest
  if (afterNo < kMinDrawNo - 1 || afterNo >= kMaxDrawNo) return says::insertOutOfRange();
  std::string error;
  if (!begin(error)) return error;
  auto fail = [&](std::string why) {
    rollback();
    return why;
  };
  if (afterNo > 0) {
    bool found = false;
    if (!exists(afterNo, found, error)) return fail(error);
    if (!found) return fail(says::noSuchDraw(afterNo));
  }
  int end = 0;
  if (!runEnd(afterNo + 1, end, error)) return fail(error);
  if (end >= kMaxDrawNo) return fail(says::tooManyToInsert());
  for (int n = end; n > afterNo; --n)  // from the top, so that no number is taken twice
    if (!renumber(n, n + 1, error)) return fail(error);
  if (!movePrizes(db_, afterNo + 1, end, 1)) return fail(failure(says::cannotWriteDatabase()));
  // dated as the calendar dates the draw after the one before it, where that date fits
  std::string date;
  if (afterNo > 0) {
    std::string before, next;
    if (!neighbourDate(afterNo + 1, false, before, error) || !neighbourDate(afterNo + 1, true, next, error))
      return fail(error);
    StmtPtr q = prepare(db_, onDraws(std::string("SELECT ") + schema::kDate + " FROM %T WHERE %N = ?"));
    if (!q) return fail(failure(says::cannotReadDatabase()));
    sqlite3_bind_int(q.get(), 1, afterNo);
    if (sqlite3_step(q.get()) == SQLITE_ROW && fieldText(q.get(), 0) == before) date = nextDrawDate(afterNo, before);
    if (!dateProblem(date, before, next, today(), afterNo + 1).empty()) date.clear();
  }
  {
    StmtPtr ins = prepare(db_, onDraws("INSERT INTO %T (%N, ") + schema::kDate + ") VALUES (?, ?)");
    if (!ins) return fail(failure(says::cannotWriteDatabase()));
    sqlite3_bind_int(ins.get(), 1, afterNo + 1);
    if (date.empty())
      sqlite3_bind_null(ins.get(), 2);
    else
      sqlite3_bind_text(ins.get(), 2, date.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(ins.get()) != SQLITE_DONE) return fail(failure(says::cannotWriteDatabase()));
  }
  error = commit();
  if (error.empty()) newNo = afterNo + 1;
  return error;
}

std::string EntryStore::remove(int no) {
  details_.clear();
  std::string error;
  if (!begin(error)) return error;
  auto fail = [&](std::string why) {
    rollback();
    return why;
  };
  {
    StmtPtr del = prepare(db_, onDraws("DELETE FROM %T WHERE %N = ?"));
    if (!del) return fail(failure(says::cannotWriteDatabase()));
    sqlite3_bind_int(del.get(), 1, no);
    if (sqlite3_step(del.get()) != SQLITE_DONE) return fail(failure(says::cannotWriteDatabase()));
    if (sqlite3_changes(db_) != 1) return fail(says::noSuchDraw(no));
  }
  int end = 0;
  if (!runEnd(no + 1, end, error)) return fail(error);
  if (!movePrizes(db_, no, no, 0) || !movePrizes(db_, no + 1, end, -1))
    return fail(failure(says::cannotWriteDatabase()));
  for (int n = no + 1; n <= end; ++n)  // from the bottom, so that no number is taken twice
    if (!renumber(n, n - 1, error)) return fail(error);
  return commit();
}

std::string EntryStore::setPrize(int no, const PrizeTexts& texts) {
  details_.clear();
  if (std::string why = prizeProblem(texts); !why.empty()) return says::ofDraw(no, why);
  const std::optional<Prize> prize = prizeOf(texts);
  std::string error;
  if (!begin(error)) return error;
  auto fail = [&](std::string why) {
    rollback();
    return why;
  };
  bool found = false;
  if (!exists(no, found, error)) return fail(error);
  if (!found) return fail(says::noSuchDraw(no));
  {
    // the table of our own making, or none yet; anything else of that name is left alone
    StmtPtr t =
        prepare(db_, std::string("SELECT type, sql FROM sqlite_master WHERE name = '") + schema::kPrizeTable + "'");
    if (!t) return fail(failure(says::cannotReadDatabase()));
    const int step = sqlite3_step(t.get());
    if (step == SQLITE_ROW) {
      const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 0));
      const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(t.get(), 1));
      std::string head = sql ? std::string(sql).substr(0, 12) : std::string();
      for (char& c : head) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!type || std::string(type) != "table" || head != "CREATE TABLE")
        return fail(named(says::prizeTableNotOursToSave(), path_));
    } else if (step == SQLITE_DONE) {
      if (!prize) return fail({});  // nothing to remove
      if (sqlite3_exec(db_, schema::createPrizeTable().c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(failure(says::cannotWriteDatabase()));
    } else {
      return fail(failure(says::cannotReadDatabase()));
    }
  }
  {
    StmtPtr del = prepare(db_, std::string("DELETE FROM ") + schema::kPrizeTable + " WHERE " + kDrawNo + " = ?");
    if (!del) return fail(failure(says::cannotWriteDatabase()));
    sqlite3_bind_int(del.get(), 1, no);
    if (sqlite3_step(del.get()) != SQLITE_DONE) return fail(failure(says::cannotWriteDatabase()));
  }
  if (prize) {
    StmtPtr ins = prepare(db_, std::string("INSERT INTO ") + schema::kPrizeTable + " (" + kDrawNo +
                                   schema::prizeColumns() + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!ins) return fail(failure(says::cannotWriteDatabase()));
    sqlite3_bind_int(ins.get(), 1, no);
    for (int i = 0; i < 2 * kPrizeTiers; ++i)  // the table's order: the four counts, then the four amounts
      sqlite3_bind_int64(ins.get(), i + 2, (i < kPrizeTiers ? prize->winners : prize->yen)[i % kPrizeTiers]);
    if (sqlite3_step(ins.get()) != SQLITE_DONE) return fail(failure(says::cannotWriteDatabase()));
  }
  return commit();
}

std::string EntryStore::append(const std::array<std::string, kNumberFields>& texts, const std::string& date,
                               int& newNo) {
  details_.clear();
  std::array<int, kNumberFields> values{};
  for (int f = 0; f < kNumberFields; ++f) {
    const CellNumber v = parseCellNumber(texts[f]);
    if (v.kind != CellNumber::Number)
      return says::fieldValueWhy(kFieldNames[f], excerpt(texts[f]), says::wrongNumberReason());
    values[f] = v.value;
  }
  // the numbers are lottery numbers already: only a repeat keeps them from a whole draw
  if (const Result<WholeDraw> whole = WholeDraw::of(*DrawNo::of(kMinDrawNo), values); !whole) {
    const int f = WholeDraw::brokenField(values);
    return says::fieldValueWhy(kFieldNames[f], std::to_string(values[f]), whole.message());
  }
  if (!date.empty() && normalizedDate(date).empty()) return says::entryDateFormat(excerpt(date));
  // without a date: the one the calendar gives after the last draw's, when it has one
  std::string error;
  if (!begin(error)) return error;
  auto fail = [&](std::string why) {
    rollback();
    return why;
  };
  std::string day = normalizedDate(date);
  int next = 1;
  {
    StmtPtr q = prepare(db_, onDraws("SELECT coalesce(max(%N), 0) FROM %T"));
    if (!q || sqlite3_step(q.get()) != SQLITE_ROW) return fail(failure(says::cannotReadDatabase()));
    const sqlite3_int64 last = sqlite3_column_int64(q.get(), 0);
    if (last >= kMaxDrawNo) return fail(says::tooManyToAppend());
    next = static_cast<int>(last < 0 ? 0 : last) + 1;
  }
  if (day.empty() && next > 1) {
    StmtPtr q = prepare(db_, onDraws(std::string("SELECT ") + schema::kDate + " FROM %T WHERE %N = ?"));
    if (!q) return fail(failure(says::cannotReadDatabase()));
    sqlite3_bind_int(q.get(), 1, next - 1);
    if (sqlite3_step(q.get()) == SQLITE_ROW) {
      const std::string last = fieldText(q.get(), 0);
      day = nextDrawDate(next - 1, last);
      if (!day.empty())
        if (std::string why = dateProblem(day, last, {}, today(), next); !why.empty())
          return fail(says::calendarDateRefused(why));
    }
  }
  if (!day.empty()) {
    std::string previous;
    if (!neighbourDate(next, false, previous, error)) return fail(error);
    if (std::string why = dateProblem(day, previous, {}, today(), next); !why.empty()) return fail(why);
  }
  {
    StmtPtr ins =
        prepare(db_, onDraws("INSERT INTO %T (") + schema::drawColumns() + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!ins) return fail(failure(says::cannotWriteDatabase()));
    sqlite3_bind_int(ins.get(), 1, next);
    if (day.empty())
      sqlite3_bind_null(ins.get(), 2);
    else
      sqlite3_bind_text(ins.get(), 2, day.c_str(), -1, SQLITE_TRANSIENT);
    for (int f = 0; f < kNumberFields; ++f) sqlite3_bind_int(ins.get(), 3 + f, values[f]);
    if (sqlite3_step(ins.get()) != SQLITE_DONE) return fail(failure(says::cannotWriteDatabase()));
  }
  error = commit();
  if (error.empty()) newNo = next;
  return error;
}

}  // namespace km
