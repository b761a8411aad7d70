#pragma once
// 組合せ作成: conditions that narrow the 169,911 lines, their figures beside
// the stored winning lines (updated at each change), the lines made from what
// they keep (all of them, some at random from a seed, or a wheel with a
// proven guarantee, searched on a worker thread), and 「当選確認に入れる」,
// which adds the lines as tickets for the next draw.
#include <QFutureWatcher>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "analyses/combos/combo_grids.h"
#include "analyses/combos/conditions.h"
#include "analyses/combos/wheel_plan.h"
#include "frame/grid.h"
#include "frame/window_def.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace km {

class GridView;
class TicketsWindow;

// The open 当選確認 in the same area as `from`; none when it is closed.
TicketsWindow* openTicketsWindow(const QWidget* from);

// Adds `tickets` to the tickets file at `path` (the 当選確認 window being
// closed): the file is read, and written whole, atomically, with the lines
// after its own.  A damaged or unreadable file is left as it is and nothing
// is added; nor when the file would hold more than kMaxTickets lines.  Empty
// when added, else why (Japanese) and the system's words.
struct TicketsAdd {
  std::string message, cause;
  bool ok() const { return message.empty(); }
};
TicketsAdd addTicketsToFile(const std::string& path, const std::vector<Ticket>& tickets);

class CombosWindow : public QWidget {
  Q_OBJECT
 public:
  enum class Mode { All, Random, Wheel };

  // `history` outlives the window; `ticketsPath` is 当選確認's tickets.csv.
  CombosWindow(const WindowDef& def, const History& history, std::string ticketsPath, QWidget* parent = nullptr);
  ~CombosWindow() override;

  // The conditions the controls give now (a condition whose value is wrong is off).
  const Conditions& conditions() const { return conditions_; }
  // Why a condition is left out; empty when every value is sound.
  QString problem() const;
  const Figures& figures() const { return figures_; }
  const Grid& figuresGrid() const { return figuresGrid_; }
  const Grid& linesGrid() const { return linesGrid_; }
  const std::vector<TicketNumbers>& lines() const { return lines_; }
  GridView* figuresView() const { return figuresView_; }
  GridView* linesView() const { return linesView_; }

  QLineEdit* axisField() const { return axis_; }
  QLineEdit* excludedField() const { return excluded_; }
  QCheckBox* sumBox() const { return sum_; }
  QSpinBox* sumFromBox() const { return sumFrom_; }
  QSpinBox* sumToBox() const { return sumTo_; }
  // The box of the count `value` of a counted condition (odd, low, consecutive, recent, last digits).
  QCheckBox* countBox(Condition c, int value) const;
  QSpinBox* recentDrawsBox() const { return recentDraws_; }
  QPushButton* clearButton() const { return clear_; }
  QLabel* sentenceLabel() const { return sentence_; }
  QLabel* problemLabel() const { return problem_; }

  QRadioButton* modeButton(Mode m) const { return modes_[static_cast<size_t>(m)]; }
  QSpinBox* randomCountBox() const { return randomCount_; }
  QLineEdit* seedField() const { return seed_; }
  QPushButton* newSeedButton() const { return newSeed_; }
  QLineEdit* poolField() const { return pool_; }
  QSpinBox* matchBox() const { return match_; }
  QSpinBox* ifDrawnBox() const { return ifDrawn_; }
  QPushButton* makeButton() const { return make_; }
  QPushButton* cancelButton() const { return cancel_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* resultLabel() const { return result_; }
  QPushButton* handOffButton() const { return handOff_; }
  QPushButton* closeButton() const { return close_; }
  bool wheelRunning() const { return watcher_ != nullptr; }

  // 作成: the lines of the chosen way from the conditions now (a wheel is
  // searched in the background; linesShown() tells when it is there).
  void makeLines();
  // 当選確認に入れる: asks, then adds the lines as tickets for the next draw.
  void handOff();

 signals:
  // Lines, or why there are none, are shown.
  void linesShown();

 private:
  void readConditions();
  void showFigures();
  void showLines(std::vector<TicketNumbers> lines, const QString& result, const QString& note);
  void modeChanged();
  void startWheel(WheelPlan plan);
  void wheelEnded();
  void updateButtons();
  QString staleNote() const;

  const History& history_;
  std::string ticketsPath_;
  LineSpace space_;
  Conditions conditions_;
  QStringList problems_;
  Figures figures_;
  Grid figuresGrid_, linesGrid_;
  std::vector<TicketNumbers> lines_;
  QString linesResult_;       // what the result label says of the lines shown
  QString linesNote_;         // the tickets' note
  Conditions linesMadeWith_;  // the conditions the lines were made from

  QLineEdit* axis_ = nullptr;
  QLineEdit* excluded_ = nullptr;
  QCheckBox* sum_ = nullptr;
  QSpinBox* sumFrom_ = nullptr;
  QSpinBox* sumTo_ = nullptr;
  std::array<std::array<QCheckBox*, 6>, kConditionCount> counts_{};
  QSpinBox* recentDraws_ = nullptr;
  QPushButton* clear_ = nullptr;
  QLabel* problem_ = nullptr;
  GridView* figuresView_ = nullptr;
  QLabel* sentence_ = nullptr;

  std::array<QRadioButton*, 3> modes_{};
  QSpinBox* randomCount_ = nullptr;
  QLineEdit* seed_ = nullptr;
  QPushButton* newSeed_ = nullptr;
  QLineEdit* pool_ = nullptr;
  QSpinBox* match_ = nullptr;
  QSpinBox* ifDrawn_ = nullptr;
  QLabel* guarantee_ = nullptr;
  QPushButton* make_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* result_ = nullptr;
  GridView* linesView_ = nullptr;
  QPushButton* handOff_ = nullptr;
  QPushButton* close_ = nullptr;

  // The wheel being searched: its plan, the flag that stops it and its result.
  std::shared_ptr<const WheelPlan> wheelPlan_;
  std::shared_ptr<std::atomic<bool>> stop_;
  QFutureWatcher<WheelOutcome>* watcher_ = nullptr;
};

}  // namespace km
