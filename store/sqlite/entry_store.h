#pragma once
// Result entry: the one read-write connection on the result database.  The
// data entry window and kazumaki-tool's entry commands both change the
// history through it.  Every change is one transaction: an edited cell, an
// inserted line, a deleted line.  Only sound values are ever written: an
// empty cell or a whole number 1..31.
//
// The store holds the database's write lock from the moment it opens until it
// goes, taking it again right after each change: while the data entry window
// is open, every other writer (another store, the update, kazumaki-tool) is
// told says::editingElsewhere(), and nothing changes the lines the window shows.
// Should another writer get in all the same (between a change and the taking
// of the lock again, or after releaseWriteLock), the next change finds it
// through SQLite's data version and is refused with says::changedElsewhere(), never
// written into a line that moved.
//
// Draw numbers behave like line numbers within a run of consecutive draws:
// a line inserted after draw d becomes draw d + 1 and the following draws of
// that run move up by one; deleting a draw moves the following draws of its
// run down by one.  A gap in the numbers ends a run.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/domain_values.h"
#include "store/sqlite/database.h"

struct sqlite3;

namespace km {

// Grid columns of the entry window: 1 is the draw number, 2..7 the numbers
// (kFirstNumberColumn..kLastNumberColumn), 8 the date (抽選日).
inline constexpr int kDateColumn = 8;
// The texts of one line from column 2 on: the six numbers, then the date.
inline constexpr int kLineFields = kNumberFields + 1;
inline constexpr int kDateField = kNumberFields;
using LineTexts = std::array<std::string, kLineFields>;

// Why a date cannot be the date of a draw: no calendar date, not after
// `previous` (the date of the nearest earlier draw that has one), not before
// `next` (of the nearest later one), or after `today` (the date in Japan);
// empty when it can (an empty text can).  `previous` and `next` may be empty.
// A date typed for draw `typedFor` is new to the history and must also be one
// the draws' calendar allows (newDrawDateProblem: a Tuesday outside the
// year-end break); a stored date (typedFor empty) is held to the rules it was
// written under, so that a history kept before the calendar rule still reads.
std::string dateProblem(std::string_view text, const std::string& previous, const std::string& next,
                        const std::string& today, std::optional<int> typedFor = std::nullopt);
// Why the text of grid column `column` (2..8) of a line is wrong, as the
// check on closing and kazumaki-tool check see it: a number that is no
// lottery number or that an earlier column of the line already holds, or a
// date refused by dateProblem as a stored one (without a later draw); empty
// when sound.
std::string cellProblem(const LineTexts& line, int column, const std::string& previous, const std::string& today);
// Why field `field` (0..5) cannot hold its number, another field holding it
// ("本数字に同じ数があります。", or the bonus's reason when the bonus is one of
// the two); empty when no other field holds it.
std::string repeatProblem(const std::array<int, kNumberFields>& numbers, int field);
// The numbers of a line as numbers, 0 where a text is none.
std::array<int, kNumberFields> lineNumbers(const LineTexts& line);

// The check on closing: lines from the top, within a line the columns 2..8
// from the left; the first wrong cell (cellProblem), each date checked
// against the nearest earlier sound date.  `text` gives a cell's text by
// line (1-based) and grid column.
struct CellPosition {
  int line = 0;
  int column = 0;
  std::string reason;
};
std::optional<CellPosition> findWrongCell(int lineCount, const std::function<std::string(int line, int column)>& text,
                                          const std::string& today);

// The prize columns of the entry window: kFirstPrizeColumn..kLastPrizeColumn
// (9..16) hold the texts of a draw's PrizeTexts (store/history.h).
inline constexpr int kFirstPrizeColumn = kDateColumn + 1;
inline constexpr int kLastPrizeColumn = kFirstPrizeColumn + kPrizeFields - 1;

// One stored line: the draw number and the six number fields as text (empty
// for NULL; a damaged file may hold any text, which is shown as it stands),
// the date and the prize.
struct EntryRow {
  int no = 0;
  std::array<std::string, kNumberFields> text;
  std::string date;
  PrizeTexts prize;  // all empty when the draw has none
  LineTexts line() const {
    LineTexts l;
    for (int f = 0; f < kNumberFields; ++f) l[f] = text[f];
    l[kDateField] = date;
    return l;
  }
};

class EntryStore {
 public:
  static constexpr int kDefaultBusyTimeoutMs = kBusyTimeoutMs;

  // Opens the database for writing and takes its write lock, after the check
  // of the files beside it that the start-up read makes, and removes the
  // temporary files a killed write of it left.  A missing, read-only, locked
  // or foreign file gives nullptr and a Japanese reason in `error` (what is
  // wrong, then the file), and SQLite's account in `details` where it gave one.
  static std::unique_ptr<EntryStore> open(const ConnectString& cs, std::string& error,
                                          int busyTimeoutMs = kDefaultBusyTimeoutMs, std::string* details = nullptr);
  // Opens the database for reading only (kazumaki-tool check), after the
  // same check of the files beside it; takes no lock and removes nothing, and
  // every change is refused.
  static std::unique_ptr<EntryStore> openToRead(const ConnectString& cs, std::string& error,
                                                std::string* details = nullptr);
  ~EntryStore();
  EntryStore(const EntryStore&) = delete;
  EntryStore& operator=(const EntryStore&) = delete;

  // Every draw in draw-number order, read within the time of `limits`.
  // Returns an empty string or the reason.  What is read is what the next
  // change is checked against.
  std::string readAll(std::vector<EntryRow>& rows, const ReadLimits& limits = {});

  // Lets other writers in until the next change, which takes the lock again
  // and is refused when they changed the file.
  void releaseWriteLock();
  // The last change was refused with says::changedElsewhere(); the lines must be
  // read again (readAll) before the next.
  bool changedElsewhere() const { return changedElsewhere_; }

  // Each of these is one transaction; they return an empty string when the
  // change is committed, else the reason, and then nothing has changed.
  // A reason is Japanese (what is wrong, then the file); SQLite's own account
  // of the failure is details() until the next failure.
  //
  // Writes the text a user typed into grid column 2..8 of draw `no`.  A
  // number another field of the draw holds, and a date refused by
  // dateProblem against the draw's stored neighbours, are refused.
  std::string setCell(int no, int column, std::string_view text);
  // Writes several columns of draw `no` at once (so that two numbers can
  // change places), on the same conditions.
  std::string setCells(int no, const std::vector<std::pair<int, std::string>>& cells);
  // A blank draw after draw `afterNo` (0: before the first draw), dated as
  // the draws' calendar dates the draw after draw `afterNo` (nextDrawDate)
  // when dateProblem accepts that date for a typed one.
  std::string insertAfter(int afterNo, int& newNo);
  std::string remove(int no);
  // Writes the prize of draw `no` (the table 当選金, made when the file has
  // none): the eight texts in grid order, or all empty to remove it.  Texts
  // that are no prize (prizeProblem) are refused, naming the field.
  std::string setPrize(int no, const PrizeTexts& texts);
  // The next draw (last draw number + 1) with all six numbers, written only
  // when all six are sound and different; `date` is a date dateProblem
  // accepts for it as a typed one after the last dated draw.  Without a date
  // the draw is dated as the calendar dates the draw after the last one
  // (nextDrawDate), which must be accepted in the same way; a last draw
  // without a date leaves the new one without a date too.
  std::string append(const std::array<std::string, kNumberFields>& texts, const std::string& date, int& newNo);

  const std::string& path() const { return path_; }
  // The day the date rules count from; today unless set (for tests).
  void setToday(std::string today) { today_ = std::move(today); }
  std::string today() const;
  // SQLite's account of the last failure (its message, the system's error
  // text for a failed read or write, the extended result code); empty when
  // the last reason came from the program's own checks.
  const std::string& details() const { return details_; }

 private:
  EntryStore(std::unique_ptr<HistoryConnection> connection, std::string path, int busyTimeoutMs)
      : connection_(std::move(connection)),
        db_(connection_->get()),
        path_(std::move(path)),
        busyTimeoutMs_(busyTimeoutMs) {}
  static std::unique_ptr<EntryStore> openAs(const ConnectString& cs, std::string& error, int busyTimeoutMs,
                                            std::string* details, bool write);
  std::string failure(const std::string& what) const;
  // Makes sure the store holds the write lock and that nobody changed the
  // file since it was read; false with the reason otherwise.
  bool begin(std::string& error);
  std::string commit();
  void rollback();
  // Takes the write lock again at once, if nobody else holds it.
  void relock();
  long long dataVersion() const;
  // The last draw number of the run that starts at `from` (from - 1 when
  // `from` is not stored), or an error.
  bool runEnd(int from, int& end, std::string& error);
  bool renumber(int no, int to, std::string& error);
  bool exists(int no, bool& found, std::string& error);
  // The date of the nearest draw before (`later` false) or after draw `no`
  // that has a calendar date; empty when none.
  bool neighbourDate(int no, bool later, std::string& date, std::string& error);

  std::unique_ptr<HistoryConnection> connection_;  // rolls back what was not committed, and closes
  sqlite3* db_;
  std::string path_;
  std::string today_;
  mutable std::string details_;
  int busyTimeoutMs_;
  bool readOnly_ = false;
  bool held_ = false;       // in the transaction that holds the write lock
  long long version_ = -1;  // SQLite's data version when the lines were read
  bool changedElsewhere_ = false;
};

}  // namespace km
