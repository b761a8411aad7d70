#pragma once
// Result entry: the one read-write connection on the result database.  The
// data entry window and kazumaki-tool's entry commands both change the
// history through it.  Every change is one transaction: an edited cell, an
// inserted line, a deleted line.  Only sound values are ever written: an
// empty cell or a whole number 1..31.
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

#include "store/database.h"
#include "store/domain_values.h"

struct sqlite3;

namespace km {

// Grid columns of the entry window: 1 is the draw number, 2..7 the numbers.
inline constexpr int kFirstNumberColumn = 2;
inline constexpr int kLastNumberColumn = 7;

// The message of the check on closing.
inline constexpr const char* kWrongNumberMessage = "結果マスタの数字に誤りがあります。";

// The check on closing: lines from the top, within a line the columns 2..7
// from the left; the first cell whose text is Wrong.  `text` gives a cell's
// text by line (1-based) and grid column.
struct CellPosition {
  int line = 0;
  int column = 0;
};
std::optional<CellPosition> findWrongCell(int lineCount, const std::function<std::string(int line, int column)>& text);

// One stored line: the draw number and the six number fields as text (empty
// for NULL; a damaged file may hold any text, which is shown as it stands).
struct EntryRow {
  int no = 0;
  std::array<std::string, kNumberFields> text;
  std::string date;
};

class EntryStore {
 public:
  static constexpr int kDefaultBusyTimeoutMs = 5000;

  // Opens the database for writing.  A missing, read-only, locked or foreign
  // file gives nullptr and a Japanese reason in `error` (what is wrong, then
  // the file), and SQLite's account in `details` where it gave one.
  static std::unique_ptr<EntryStore> open(const ConnectString& cs, std::string& error,
                                          int busyTimeoutMs = kDefaultBusyTimeoutMs, std::string* details = nullptr);
  ~EntryStore();
  EntryStore(const EntryStore&) = delete;
  EntryStore& operator=(const EntryStore&) = delete;

  // Every draw in draw-number order.  Returns an empty string or the reason.
  std::string readAll(std::vector<EntryRow>& rows);

  // Each of these is one transaction; they return an empty string when the
  // change is committed, else the reason, and then nothing has changed.
  // A reason is Japanese (what is wrong, then the file); SQLite's own account
  // of the failure is details() until the next failure.
  //
  // Writes the text a user typed into grid column 2..7 of draw `no`.
  std::string setCell(int no, int column, std::string_view text);
  // A blank draw after draw `afterNo` (0: before the first draw).
  std::string insertAfter(int afterNo, int& newNo);
  std::string remove(int no);
  // The next draw (last draw number + 1) with all six numbers, written only
  // when all six are sound; `date` is empty or YYYY-MM-DD.
  std::string append(const std::array<std::string, kNumberFields>& texts, const std::string& date, int& newNo);

  const std::string& path() const { return path_; }
  // SQLite's account of the last failure (its message, the system's error
  // text for a failed read or write, the extended result code); empty when
  // the last reason came from the program's own checks.
  const std::string& details() const { return details_; }

 private:
  EntryStore(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
  std::string failure(const char* what) const;
  bool begin(std::string& error);
  std::string commit();
  void rollback();
  // The last draw number of the run that starts at `from` (from - 1 when
  // `from` is not stored), or an error.
  bool runEnd(int from, int& end, std::string& error);
  bool renumber(int no, int to, std::string& error);
  bool exists(int no, bool& found, std::string& error);

  sqlite3* db_;
  std::string path_;
  mutable std::string details_;
};

}  // namespace km
