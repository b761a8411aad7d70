#pragma once
// GridView paints any Grid: only the visible cells, texts running into empty
// neighbours, each cell line once, no built-in headers.  The grid's heading
// rows stay at the top while the rest scrolls; once the grid is scrolled
// sideways its label columns stay at the left, and a heading that runs over
// several columns keeps its title in view while any of its columns is.
#include <QAbstractScrollArea>
#include <QFont>
#include <QFontMetrics>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frame/grid.h"
#include "frame/grid_selection.h"
#include "frame/window_def.h"

namespace km {

class GridView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit GridView(QWidget* parent = nullptr);

  // The grid is not owned; call refresh() after changing it.
  void setGrid(const Grid* grid);
  const Grid* grid() const { return grid_; }
  void refresh();

  // A view that paints pages of a printout shows no scroll bars whatever its
  // size; any other shows those it needs (see updateScrollBars).
  void setScrollBarsOff(bool off);
  // The label columns a page of a printout repeats at its left (the grid's by default).
  void setPageLabelCols(int cols) { pageLabelCols_ = cols; }

  // Geometry in pixels, for tests and for the frame.
  int columnX(int col) const;  // left edge of a column (1-based) in content coordinates
  int rowY(int row) const;     // top edge of a row in content coordinates
  int firstScrolledRow() const;
  // The label columns that stay at the left while the grid is scrolled
  // sideways: the grid's, when they take at most half the view, else none
  // (on a page of a printout those the page repeats).  Their width in pixels.
  int frozenCols() const;
  int frozenWidth() const { return columnX(frozenCols() + 1); }
  // The designed size: the grid's visible columns and rows, with room for
  // the scroll bars the grid names.
  QSize sizeHint() const override;
  // A view that grows with its window: beyond its designed size it shows
  // more columns and rows, up to all of them (its maximum size follows the
  // grid).  Off by default: the view keeps to its designed size.
  void setGrowsToShowMore(bool on);
  QSize minimumSizeHint() const override { return QSize(40, 40); }

  // Whether a cell's text, with the empty cells it may run into, is wider
  // than the room it has: such a text shows in full in the cell's tooltip.
  bool isTextCut(int col, int row) const;
  // The cell under a point of the viewport; false past the last row or column.
  bool cellAt(const QPoint& viewportPos, int* col, int* row) const;
  // Where a cell is painted in the viewport (it may lie outside it, or under
  // the heading rows and label columns that stay in view).
  QRect cellRect(int col, int row) const;

  // The window's legend, printed under the grid on every page.
  void setLegend(std::vector<LegendItem> legend) { legend_ = std::move(legend); }
  const std::vector<LegendItem>& legend() const { return legend_; }

  // The font of the grids and of the windows' labels: "ＭＳ Ｐゴシック", 9 points.
  static QFont gridFont();

  // The cells the user selected (grid_view_selection.cpp).
  const GridSelection& selection() const { return selection_; }
  CellRange selectedRange() const { return selection_.range(); }
  void selectAll();
  // Scrolls so that the cell is in view.
  void scrollToCell(int col, int row);

 signals:
  // A view that grows with its window has a new largest size: one with room
  // for a horizontal scroll bar once the window is narrower than its columns.
  void largestSizeChanged();

 protected:
  void paintEvent(QPaintEvent*) override;
  bool viewportEvent(QEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent*) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  // The columns a cell's text is drawn across, and whether it still does not fit.
  struct TextSpan {
    int left, right;  // columns
    int x;            // the text's left edge from the left of column `left`
    bool cut;
    double squeeze = 1;  // the text's width is narrowed by this to fit
  };
  TextSpan textSpan(const QFontMetrics& fm, int col, int row) const;
  // A text's advance and ink, measured once per text and font.
  struct TextMetrics {
    int advance;
    QRect ink;
  };
  std::pair<int, int> headingBand(int col, int row, int firstCol) const;
  const TextMetrics& metricsOf(const QFontMetrics& fm, const std::string& text) const;
  void changeEvent(QEvent* e) override;
  void layoutGrid();
  void updateScrollBars();
  int contentWidth() const { return colX_.empty() ? 0 : colX_.back(); }
  int frozenHeight() const;
  // The part at the left that does not scroll sideways: the label columns
  // once the grid is scrolled, else none.
  int fixedLeft() const;
  // Content x of a viewport x.
  int contentX(int viewportX) const;
  void paintSelection(QPainter& p);

  GridSelection selection_;
  bool dragging_ = false;
  bool scrollBarsOff_ = false;
  int pageLabelCols_ = -1;  // -1: the grid's
  bool growsToShowMore_ = false;
  QSize fullSize_;  // a growing view: every cell, with the bars its designed size has

  const Grid* grid_ = nullptr;
  std::vector<LegendItem> legend_;
  std::vector<int> colX_;  // colX_[c] = left of column c+1; colX_[cols] = total width
  std::vector<int> rowY_;  // rowY_[r] = top of row r+1; rowY_[rows] = total height
  mutable std::unordered_map<std::string, TextMetrics> textMetrics_;
};

}  // namespace km
