#pragma once
// 組合せ作成: conditions that narrow the 169,911 lines, their figures beside
// the stored winning lines (updated at each change), the lines made from what
// they keep (all of them, some at random from a seed, or a wheel with a
// proven guarantee, searched on a worker thread), each line's 賞金倍率 (worked
// out on a worker thread) to sort the lines by or keep them at or above, and
// 「当選確認に入れる」, which adds the lines as tickets for the next draw.
#include <QFutureWatcher>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "analyses/combos/combo_grids.h"
#include "analyses/combos/conditions.h"
#include "analyses/combos/line_factors.h"
#include "analyses/combos/wheel_plan.h"
#include "frame/grid.h"
#include "frame/window_def.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

class QCheckBox;
class QDoubleSpinBox;
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
  // The lines shown (those the factor keeps, in its order) and their factors
  // (empty without a fitted 人気度).
  const std::vector<TicketNumbers>& lines() const { return lines_; }
  const std::vector<double>& lineFactors() const { return factors_; }
  // How many lines were made before the factor kept some.
  // The model 賞金倍率 comes from, fitted once when the window opens.
  const PopularityModel& popularity() const { return *popularity_; }
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
  QCheckBox* sortByFactorBox() const { return sortByFactor_; }
  QDoubleSpinBox* minFactorBox() const { return minFactor_; }
  QLabel* factorNoteLabel() const { return factorNote_; }
  QPushButton* handOffButton() const { return handOff_; }
  QPushButton* closeButton() const { return close_; }
  // A wheel is searched or the factors worked out in the background.
  bool busy() const { return watcher_ != nullptr || factorWatcher_ != nullptr; }

  // 作成: the lines of the chosen way from the conditions now (a wheel is
  // searched and the factors worked out in the background; linesShown()
  // tells when the lines are there).
  void makeLines();
  // 当選確認に入れる: asks, then adds the lines as tickets for the next draw.
  void handOff();

 signals:
  // Lines, or why there are none, are shown.
  void linesShown();

 private:
  void readConditions();
  void showFigures();
  // Lines made (with what the window says of them and the tickets' note):
  // their factors are worked out first when there is a model.
  void offerLines(std::vector<TicketNumbers> lines, const QString& result, const QString& note, bool wheel);
  void showLines(std::vector<TicketNumbers> lines, const QString& result, const QString& note,
                 std::vector<double> factors = {}, bool wheel = false);
  // Shows what the factor keeps of the lines made, in its order.
  void showMade();
  FactorChoice factorChoice() const;
  void modeChanged();
  void startWheel(WheelPlan plan);
  void wheelEnded();
  void startFactors();
  void factorsEnded();
  void startProgress(const QString& format);
  void updateButtons();
  QString staleNote() const;

  const History& history_;
  std::string ticketsPath_;
  LineSpace space_;
  Conditions conditions_;
  QStringList problems_;
  Figures figures_;
  Grid figuresGrid_, linesGrid_;
  // The lines as made, before the factor keeps some, and what is said of them.
  struct Made {
    std::vector<TicketNumbers> lines;
    std::vector<double> factors;  // one per line, or none
    QString result;               // what the result label says of them
    QString note;                 // the tickets' note
    bool wheel = false;
  } made_;
  std::vector<TicketNumbers> lines_;  // shown
  std::vector<double> factors_;
  QString linesResult_;       // what the result label says of the lines shown
  QString linesNote_;         // the tickets' note
  Conditions linesMadeWith_;  // the conditions the lines were made from
  std::shared_ptr<const PopularityModel> popularity_;

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
  QCheckBox* sortByFactor_ = nullptr;
  QDoubleSpinBox* minFactor_ = nullptr;
  QLabel* factorNote_ = nullptr;
  QPushButton* handOff_ = nullptr;
  QPushButton* close_ = nullptr;

  // The wheel being searched: its plan, the flag that stops it and its result.
  std::shared_ptr<const WheelPlan> wheelPlan_;
  std::shared_ptr<std::atomic<bool>> stop_;
  QFutureWatcher<WheelOutcome>* watcher_ = nullptr;
  // The factors being worked out for made_'s lines (the same stop flag).
  QFutureWatcher<std::vector<double>>* factorWatcher_ = nullptr;
};

}  // namespace km
