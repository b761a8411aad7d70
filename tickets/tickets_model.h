#pragma once
// The table behind 当選確認's upper grid: one line per ticket (開始回,
// 購入回数, five numbers, メモ, and the line's estimated prize factor, which
// is not typed) and a blank line at the end for the next one.
// A line whose every cell is sound is a ticket; the tickets are written to
// tickets.csv after every change that alters them.  A text that is not sound
// stays in the grid only, marked: the file keeps the line as it was.
#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/formats/tickets_file.h"

namespace km {

class TicketsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { From = 0, Draws = 1, FirstNumber = 2, LastNumber = 6, Note = 7, Factor = 8, ColumnCount = 9 };
  // What a line would pay if it won against the average line; none when unknown.
  using FactorOf = std::function<std::optional<double>(const TicketNumbers&)>;

  // `path`: the tickets file; `nextDraw`: the draw a new line is bought for.
  TicketsModel(std::string path, int nextDraw, QObject* parent = nullptr);

  // Reads the file.  A damaged or unreadable file leaves the grid empty and
  // locked (nothing is written over it); the result says why.
  TicketsFileRead load();
  bool locked() const { return locked_; }
  int nextDraw() const { return nextDraw_; }
  // The factors shown in the column 賞金倍率 (none: the column stays empty).
  void setFactorOf(FactorOf factorOf);
  // Sets the damaged file aside (tickets.csv.damaged) and unlocks the grid:
  // the name it now has, or empty with the reason in `failure`.
  std::string startAfresh(FileFailure* failure);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Five numbers typed into a number cell fill the line's five number cells.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The sound lines, in grid order.
  const std::vector<Ticket>& tickets() const { return tickets_; }
  // Appends lines after the last one and writes them: how many were taken
  // (the grid holds at most kMaxTickets lines), -1 when locked.
  int appendTickets(const std::vector<Ticket>& tickets);
  // Removes the lines `rows` (0-based; the blank last line is never removed).
  void removeLines(std::vector<int> rows);
  // Why a cell is refused; empty when it is sound or empty.
  QString problem(int row, int col) const;

 signals:
  // The tickets changed (after any write attempt).
  void ticketsChanged();
  void writeFailed(const QString& message, const QString& details);

 private:
  struct Line {
    std::array<QString, ColumnCount> cells;
    // The line as last written: kept in the file while a cell is not sound.
    std::optional<Ticket> written;
    QString& operator[](int col) { return cells[static_cast<size_t>(col)]; }
    const QString& operator[](int col) const { return cells[static_cast<size_t>(col)]; }
  };
  static Line lineOf(const Ticket& t);
  QVariant factorData(int row, int role) const;
  bool isBlank(const Line& l) const;
  // Recomputes the tickets and writes them when they changed.
  void commit();
  void ensureBlankLast();

  std::string path_;
  int nextDraw_ = 1;
  bool locked_ = false;
  std::vector<Line> lines_;
  std::vector<Ticket> tickets_;
  std::vector<Ticket> written_;  // what the file holds
  FactorOf factorOf_;
  mutable std::map<TicketNumbers, std::optional<double>> factors_;  // by sorted numbers
};

}  // namespace km
