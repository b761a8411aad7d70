#pragma once
// The content of every analysis window: the description line, the grid
// (fpSpread1), the legend and the close button Command1.
#include <QWidget>

#include "frame/grid.h"
#include "frame/window_def.h"

class QLabel;
class QPushButton;

namespace km {

class GridView;

class AnalysisWindow : public QWidget {
  Q_OBJECT
 public:
  // Shows `grid` under the description line of `def`, with its legend.
  AnalysisWindow(const WindowDef& def, Grid grid, QWidget* parent = nullptr);

  const Grid& grid() const { return grid_; }
  GridView* gridView() const { return fpSpread1; }
  QPushButton* closeButton() const { return Command1; }

 private:
  Grid grid_;
  GridView* fpSpread1 = nullptr;
  QPushButton* Command1 = nullptr;
};

}  // namespace km
