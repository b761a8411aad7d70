#pragma once
// The グラフ window: one chart at a time, chosen from a list, with the
// numbers and the window of 出現の推移; the right-click menu prints the chart
// or saves it as PDF or PNG.  Part of the extras plugin.
#include <QWidget>
#include <memory>

#include "analyses/statistics/chart_choice.h"
#include "frame/window_def.h"
#include "store/history.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace km {

class ChartWindow : public QWidget {
  Q_OBJECT
 public:
  // Keeps its own copy of the history.
  ChartWindow(const WindowDef& def, const History& history, QWidget* parent = nullptr);
  ~ChartWindow() override;

  // Draws `choice`, the controls set to it.
  void draw(const ChartChoice& choice);
  const ChartChoice& choice() const { return choice_; }
  // The chart's view (null while a note stands in its place) and the note.
  QChartView* view() const;
  QString note() const;

 private:
  void redraw();
  void contextMenu(const QPoint& at);

  History history_;
  ChartChoice choice_;
  QString title_;
  QComboBox* kind_ = nullptr;
  QLineEdit* numbers_ = nullptr;
  QComboBox* window_ = nullptr;
  QLabel* numbersError_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QChartView* view_ = nullptr;
  QLabel* note_ = nullptr;
};

// The extras plugin's entry: the window as the child frame's content.
QWidget* makeChartWindow(const WindowDef& def, const History& history, QWidget* parent);

}  // namespace km
