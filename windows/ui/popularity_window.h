#pragma once
// 人気度: each number's popularity as a bar chart and a grid, the model's
// quality in a sentence, and 「この数字なら」: what any five numbers would
// pay if they won the next draw.
#include <QWidget>
#include <memory>

#include "analyses/popularity/popularity_model.h"
#include "frame/grid.h"
#include "frame/window_def.h"
#include "store/history.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace km {

class GridView;

// The bars: per number, how much more (up) or less (down) a line holding it
// pays in the 1等, with its 95% interval.
class PopularityChart : public QWidget {
  Q_OBJECT
 public:
  explicit PopularityChart(const PopularityModel& model, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The vertical scale runs from -span to +span (a multiple of 5%).
  double span() const;
  // The bar of `number` (its rectangle from 0 to the effect) in widget
  // coordinates; empty before the model is fitted.
  QRect barRect(int number) const;
  // The height in widget coordinates of a fraction on the scale.
  int yOf(double fraction) const;

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool event(QEvent* e) override;

 private:
  QRect plotArea() const;

  const PopularityModel& model_;
};

class PopularityWindow : public QWidget {
  Q_OBJECT
 public:
  PopularityWindow(const WindowDef& def, const History& history, QWidget* parent = nullptr);

  const PopularityModel& model() const { return *model_; }
  const Grid& grid() const { return grid_; }
  GridView* gridView() const { return gridView_; }
  PopularityChart* chart() const { return chart_; }
  QLabel* qualityLabel() const { return quality_; }
  QLineEdit* lineField() const { return lineField_; }
  QLabel* lineResult() const { return lineResult_; }
  QPushButton* closeButton() const { return closeButton_; }

 private:
  void checkLine();

  std::unique_ptr<const PopularityModel> model_;
  Grid grid_;
  GridView* gridView_ = nullptr;
  PopularityChart* chart_ = nullptr;
  QLabel* quality_ = nullptr;
  QLineEdit* lineField_ = nullptr;
  QLabel* lineResult_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace km
