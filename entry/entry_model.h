#pragma once
// The table behind the data entry grid: one line per stored draw, sixteen
// columns (回数, 第1数字..第5数字, ボーナス数字, 抽選日, then per tier 1..4
// its 口数 and 当せん金).  Every accepted edit,
// inserted line and deleted line is written through the entry store at once.
// A text the store would refuse (no number 1..31, a number the draw already
// holds, a date out of order) stays in the grid only, marked, and is never
// written; the grid then shows it instead of the stored value, and writes it
// as soon as an edit of its line makes it sound.  A stored value that breaks
// the same rules is marked too.
#include <QAbstractTableModel>
#include <QColor>
#include <memory>
#include <optional>
#include <vector>

#include "store/sqlite/entry_store.h"

namespace km {

class EntryModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Colours of the grid (text on background).
  static QColor drawNoText() { return QColor(255, 0, 0); }
  static QColor drawNoBack() { return QColor(255, 255, 200); }
  static QColor bonusText() { return QColor(0, 0, 255); }
  static QColor bonusBack() { return QColor(197, 255, 255); }

  // Without a store the grid is empty and nothing can be edited.
  explicit EntryModel(std::unique_ptr<EntryStore> store, QObject* parent = nullptr);
  ~EntryModel() override;

  // Reads every line from the database; an empty string or the reason.
  QString load();
  // Takes the store opened meanwhile and reads every line through it.
  QString load(std::unique_ptr<EntryStore> store);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A sound text is written at once (writeFailed on a database error, and
  // the cell keeps the stored value); any other text is kept, marked.  The
  // line's other kept texts are written with it when they have become sound.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  bool writable() const { return store_ != nullptr; }
  EntryStore* store() const { return store_.get(); }
  // The text shown in grid column `col` (1..16) of line `line` (1..rowCount).
  std::string cellText(int line, int col) const;
  // How many texts are kept in the grid only.
  int unsavedCount() const;
  // The first cell (lines first, then columns) whose text is kept in the grid only.
  std::optional<CellPosition> firstUnsaved() const;
  // Forgets the texts kept in the grid only: the grid shows what the file holds.
  void dropUnsaved();
  // Why the cell is marked; empty when it is not.
  QString problem(int line, int col) const;
  // The day the date rules count from.
  const std::string& today() const { return today_; }

  // A blank line after line `row` (0-based; -1 before the first line), written at once.  The following
  // lines of its run of draw numbers move up by one.  Empty or the reason.
  QString insertLineAfter(int row);
  // Deletes line `row`; the following lines of its run move down by one.
  QString deleteLine(int row);
  // SQLite's own account of the last reason, for the message's details.
  QString details() const;

 signals:
  void writeFailed(const QString& message, const QString& details);

 private:
  struct Line {
    int no = 0;
    LineTexts stored;
    std::array<std::optional<std::string>, kLineFields> unsaved;
    PrizeTexts storedPrize;
    std::array<std::optional<std::string>, kPrizeFields> unsavedPrize;
    LineTexts shown() const;
    PrizeTexts shownPrize() const;
    bool prizeUnsaved() const;
  };
  // Writes the line's prize when its eight shown texts have become a prize
  // (or all empty); false after a write failure.
  bool writePrize(int row, int editedField);
  QString prizeCellProblem(int line, int field) const;
  // Writes the kept texts of line `row` that have become sound, together;
  // false after a write failure (told through writeFailed).
  bool writeSound(int row, int editedField);
  // The stored date the store checks a new date against.
  std::string storedDate(int row, int step) const;
  void datesChanged();
  // Re-reads the lines after a change of the line structure; `shift` maps
  // old unsaved texts to their new lines (the inserted or deleted position).
  QString reload(int at, int delta);
  void reloadIfChangedElsewhere();

  std::unique_ptr<EntryStore> store_;
  std::vector<Line> lines_;
  std::string today_;
  // per line, the nearest sound date shown above it (kept for painting)
  std::vector<std::string> dateAbove_;
};

}  // namespace km
