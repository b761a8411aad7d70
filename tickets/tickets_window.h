#pragma once
// 当選確認: the user's own tickets (upper grid, kept in tickets.csv) checked
// against every stored draw (lower grid), with the spend, the yen won and
// what chance alone would pay; and the field 「この数字なら」 that checks any
// line over the whole history at once.
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame/ui/entry_grid.h"
#include "frame/grid.h"
#include "frame/window_def.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"
#include "store/sqlite/database.h"
#include "store/sqlite/query_watch.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace km {

class GridView;
class TicketsModel;

// The upper grid: the entry grid's keys; a paste of lines of five numbers
// adds them as tickets, any other paste goes cell by cell.
class TicketsGrid : public EntryGrid {
  Q_OBJECT
 public:
  using EntryGrid::EntryGrid;
  std::function<bool(const QString&)> pasteLines;  // true when the text was taken as lines
  void paste() override;
};

class TicketsWindow : public QWidget {
  Q_OBJECT
 public:
  // The tickets of `path` checked against `history` (which outlives the
  // window).  The history read at start carries the newest draw's date
  // only: with `database` the dates of the other draws (and the prizes the
  // file holds now, those typed since the start with them) are read in the
  // background and shown beside the wins when they come.
  // `predictionLines` gives the prediction window's lines for the next draw
  // (「一発ゼノバ予想を入れる」; without it the button is off)
  // (the lines it leaves out, named with why, in `left`).
  using PredictionLines = std::function<std::vector<Ticket>(std::vector<std::string>* left)>;
  TicketsWindow(const WindowDef& def, const History& history, std::string path, QWidget* parent = nullptr,
                const ConnectString& database = {}, PredictionLines predictionLines = {});
  ~TicketsWindow() override;

  // Adds lines for the draws they name; with `skipKnown` (the prediction's
  // lines) a line already there for the same draws is not added again.
  // False when the file is damaged.
  bool addTickets(const std::vector<Ticket>& tickets, bool skipKnown = false);
  // 「一発ゼノバ予想を入れる」: the prediction's lines added, then a message
  // that says how many, and which lines were left out and why.
  void addPrediction();
  // Lines of five numbers as pasted text, bought for the next draw; the lines
  // that are not five numbers are told in a message box.  False when none was.
  bool pasteLines(const QString& text);

  const Grid& grid() const { return grid_; }
  TicketsModel* model() const { return model_; }
  TicketsGrid* ticketsGrid() const { return tickets_; }
  QLineEdit* lineField() const { return lineField_; }
  QLabel* lineResult() const { return lineResult_; }
  QLabel* chanceLabel() const { return chance_; }
  QLabel* totalsLabel() const { return totals_; }
  QPushButton* predictionButton() const { return prediction_; }
  QPushButton* closeButton() const { return close_; }
  // The background read of the dates has ended (or there is none).
  bool datesRead() const { return datesRead_; }
  // 壊れたファイルを残して新しく始める: asks, then sets the file aside.
  void startAfresh();

 private:
  void refresh();
  void checkLine();
  void readDates(const ConnectString& database);
  void deleteSelectedLines();

  // The history the tickets are checked against: the one read at start,
  // with the prizes the file holds now once the background read has them.
  const History& checked() const { return withPrizes_ ? *withPrizes_ : history_; }

  const History& history_;
  std::unique_ptr<History> withPrizes_;
  std::string path_;
  Grid grid_;
  TicketsModel* model_ = nullptr;
  TicketsGrid* tickets_ = nullptr;
  QLabel* damaged_ = nullptr;
  QPushButton* afresh_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* prediction_ = nullptr;
  PredictionLines predictionLines_;
  QLineEdit* lineField_ = nullptr;
  QLabel* lineResult_ = nullptr;
  GridView* view_ = nullptr;
  QLabel* chance_ = nullptr;
  QLabel* totals_ = nullptr;
  QPushButton* close_ = nullptr;
  std::map<int, std::string> dates_;  // draw number -> date, from the background read
  bool datesRead_ = true;
  StopSignal stop_;
  std::thread dateReader_;  // joined before the window goes
};

}  // namespace km
