#pragma once
// The prediction window's content: the four prediction grids, the twelve
// reflect settings as pairs of option buttons, and the close button.  The
// settings and the tables live in PredictionState, which outlives the window;
// the grids are the window's own and are rebuilt at every opening.
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"
#include "store/history.h"
#include "store/tickets_file.h"

class QButtonGroup;
class QPushButton;
class QRadioButton;

namespace km {

class GridView;

class PredictionWindow : public QWidget {
  Q_OBJECT
 public:
  // Sets the option buttons from the settings, builds the grids, scans the
  // history and shows the predictions.
  // `toTickets` takes the lines of 「当選確認に入れる」 (without it the button is off).
  using TicketsSink = std::function<void(const std::vector<Ticket>&)>;
  PredictionWindow(PredictionState& state, const History& history, QWidget* parent = nullptr,
                   TicketsSink toTickets = {});

  // The lines shown, those of five numbers, as tickets for the next draw
  // noted with their method ("１発予想").
  std::vector<Ticket> ticketsForNextDraw() const;

  const Grid& grid(int index) const { return grids_[index]; }
  GridView* gridView(int index) const { return fpSpread1[index]; }
  QRadioButton* reflectOnButton(int index) const { return Opt反映する[index]; }
  QRadioButton* reflectOffButton(int index) const { return Opt反映しない[index]; }
  QPushButton* closeButton() const { return Cmd閉じる; }
  QPushButton* ticketsButton() const { return Cmd当選確認; }

 private:
  void Opt反映する_Click(int index);
  void Opt反映しない_Click(int index);
  void redisplay();

  PredictionState& state_;
  const History& history_;
  PredictionGrids grids_;
  std::array<GridView*, kPredictionGridCount> fpSpread1{};
  std::array<QRadioButton*, PredictionState::kSettingCount> Opt反映する{};
  std::array<QRadioButton*, PredictionState::kSettingCount> Opt反映しない{};
  std::array<QButtonGroup*, PredictionState::kSettingCount> pairs_{};
  QPushButton* Cmd閉じる = nullptr;
  QPushButton* Cmd当選確認 = nullptr;
  TicketsSink toTickets_;
};

}  // namespace km
