#pragma once
// The prediction window's content: the four prediction grids, the twelve
// reflect settings as pairs of option buttons, and the close button.  The
// settings and the tables live in PredictionState, which outlives the window;
// the grids are the window's own and are rebuilt at every opening.  The
// switches go to `changed` after every change (the program keeps them in its
// settings file).
#include <QWidget>
#include <array>
#include <functional>

#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"
#include "store/history.h"

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
  PredictionWindow(PredictionState& state, const History& history, QWidget* parent = nullptr,
                   std::function<void(const ReflectSettings&)> changed = {});

  const Grid& grid(int index) const { return grids_[index]; }
  GridView* gridView(int index) const { return gridViews_[index]; }
  QRadioButton* reflectOnButton(int index) const { return reflectOnButtons_[index]; }
  QRadioButton* reflectOffButton(int index) const { return reflectOffButtons_[index]; }
  QPushButton* closeButton() const { return closeButton_; }

 private:
  void reflectOn(int index);
  void reflectOff(int index);
  void redisplay();

  PredictionState& state_;
  const History& history_;
  std::function<void(const ReflectSettings&)> changed_;
  PredictionGrids grids_;
  std::array<GridView*, kPredictionGridCount> gridViews_{};
  std::array<QRadioButton*, PredictionState::kSettingCount> reflectOnButtons_{};
  std::array<QRadioButton*, PredictionState::kSettingCount> reflectOffButtons_{};
  std::array<QButtonGroup*, PredictionState::kSettingCount> pairs_{};
  QPushButton* closeButton_ = nullptr;
};

}  // namespace km
