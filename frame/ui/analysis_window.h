#pragma once
// The content of every analysis window: the description line, the grid
// (gridView_), the legend and the close button (closeButton_).
#include <QFutureWatcher>
#include <QWidget>
#include <functional>

#include "frame/grid.h"
#include "frame/window_def.h"

class QVBoxLayout;

class QLabel;
class QProgressBar;
class QPushButton;

namespace km {

class GridView;

// The column every window of the データ分析 menu is laid out in: margins and
// gaps of 30 and 60 twips, and the window's description line first.
QVBoxLayout* windowColumn(QWidget* window, const WindowDef& def);

class AnalysisWindow : public QWidget {
  Q_OBJECT
 public:
  // Shows `grid` under the description line of `def`, with its legend.
  AnalysisWindow(const WindowDef& def, Grid grid, QWidget* parent = nullptr);

  // A fill that may take long: it runs on the application's thread pool (it
  // must own what it reads), the window opens at once with an empty grid and
  // a progress bar that shows when the fill takes more than a moment, and the
  // grid shows when the fill is done.  Closing the window cancels the fill.
  using BackgroundFill = std::function<Grid(FillProgress&)>;
  AnalysisWindow(const WindowDef& def, BackgroundFill fill, QWidget* parent = nullptr);
  ~AnalysisWindow() override;

  const Grid& grid() const { return grid_; }
  GridView* gridView() const { return gridView_; }
  QPushButton* closeButton() const { return closeButton_; }
  // False while a background fill is running.
  bool isFilled() const { return filled_; }
  QProgressBar* progressBar() const { return progress_; }

 signals:
  // The grid is there (emitted only by a background fill).
  void filled();

 private:
  void fillInBackground(BackgroundFill fill);
  void keepBodyToGrid();

  Grid grid_;
  QWidget* body_ = nullptr;  // the grid and the row under it
  GridView* gridView_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QFutureWatcher<Grid>* watcher_ = nullptr;
  bool filled_ = true;
};

}  // namespace km
