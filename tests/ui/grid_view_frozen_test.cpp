// GridView: every frozen row is painted, whatever the scroll position; every
// window keeps its heading rows and its label column in view when scrolled
// to the far end both ways.
#include <gtest/gtest.h>

#include <QImage>
#include <QScrollBar>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "frame/ui/grid_view.h"
#include "store/formats/csv.h"
#include "windows/window_table.h"

using namespace km;

namespace {

// True when every pixel of r has exactly colour c.
bool filledWith(const QImage& img, const QRect& r, QColor c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (img.pixelColor(x, y) != c) return false;
  return !r.isEmpty();
}

// The inside of a row's first cell, away from its lines.
QRect insideRow(const GridView& v, int row) { return QRect(3, v.rowY(row) + 2, 10, v.rowY(row + 1) - v.rowY(row) - 4); }

}  // namespace

TEST(GridViewFrozenRows, EveryFrozenRowIsPaintedAtTheTopAndAfterScrolling) {
  const QColor colours[] = {QColor(255, 255, 200), QColor(255, 200, 200), QColor(200, 200, 255)};
  Grid g(2, 120);
  g.setVisible(2, 10);
  g.setFrozenRows(3);
  g.setRowHeight(-1, 10);
  g.setRowHeight(3, 15);     // the last frozen row is taller than the others
  g.setRowHeight(120, 200);  // the last row is taller than the room for rows
  g.setScrollBars(ScrollBars::Vertical);
  for (int r = 1; r <= 3; ++r)
    g.setBg(Block{-1, r, -1, r}, RGB(colours[r - 1].red(), colours[r - 1].green(), colours[r - 1].blue()));
  g.setBg(Block{-1, 4, -1, 4}, RGB(0, 200, 0));
  g.setBg(Block{-1, 60, -1, 60}, RGB(0, 0, 200));
  GridView v;
  v.setGrid(&g);
  v.resize(v.sizeHint());

  QImage img = v.viewport()->grab().toImage();
  for (int r = 1; r <= 3; ++r) EXPECT_TRUE(filledWith(img, insideRow(v, r), colours[r - 1])) << "row " << r;
  EXPECT_TRUE(filledWith(img, insideRow(v, 4), QColor(0, 200, 0))) << "the first scrolled row sits right under them";

  v.verticalScrollBar()->setValue(56);  // row 60 comes right under the frozen rows
  ASSERT_EQ(v.firstScrolledRow(), 60);
  img = v.viewport()->grab().toImage();
  for (int r = 1; r <= 3; ++r) EXPECT_TRUE(filledWith(img, insideRow(v, r), colours[r - 1])) << "row " << r;
  EXPECT_TRUE(filledWith(img, insideRow(v, 4), QColor(0, 0, 200)));

  v.verticalScrollBar()->setValue(v.verticalScrollBar()->maximum());
  EXPECT_EQ(v.firstScrolledRow(), 120) << "scrolled to the end, the last row is in view, not past it";
}

namespace {

struct WindowCase {
  const char* window;
  int headingRows;
};

class FrozenWindow : public ::testing::TestWithParam<WindowCase> {};

const History& shippedHistory() {
  static const History h = [] {
    std::ifstream in(KM_SHIPPED_CSV, std::ios::binary);
    std::stringstream buf;
    buf << in.rdbuf();
    return History::fromRows(parseHistoryCsv(buf.str())->draws);
  }();
  return h;
}

QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

// The grid in a view of a few cells past its headings and labels, scrolled to
// its last column and row: the heading rows stay at the top, the label column
// at the left, the corner where both meet, each painted in its own colours.
TEST_P(FrozenWindow, HeadingRowsAndLabelColumnStayInViewScrolledToTheFarEnd) {
  const WindowCase& c = GetParam();
  SCOPED_TRACE(c.window);
  const PredictionState settings;
  const Grid g = findWindow(c.window)->fill({shippedHistory(), settings}).front();
  EXPECT_EQ(g.frozenRows(), c.headingRows);
  GridView v;
  v.setGrid(&g);
  const int bar = v.verticalScrollBar()->sizeHint().width();
  const int oneRow = v.rowY(c.headingRows + 2) - v.rowY(c.headingRows + 1);
  v.resize(2 * v.columnX(2) + 60 + bar, v.rowY(c.headingRows + 1) + 3 * oneRow + bar + 2 * v.frameWidth());
  v.show();
  v.horizontalScrollBar()->setValue(v.horizontalScrollBar()->maximum());
  v.verticalScrollBar()->setValue(v.verticalScrollBar()->maximum());
  ASSERT_GT(v.horizontalScrollBar()->value(), 0);
  if (g.maxRows() > c.headingRows + 1) {
    ASSERT_GT(v.firstScrolledRow(), c.headingRows + 1);
  }
  const QImage img = v.viewport()->grab().toImage();
  const int below = v.rowY(c.headingRows + 1);  // where the scrolled rows begin in the view
  // a point just inside the cell's top left corner, clear of its lines and text
  auto check = [&](QPoint at, int col, int row) {
    at += QPoint(1, 1);
    int atCol = 0, atRow = 0;
    ASSERT_TRUE(v.cellAt(at, &atCol, &atRow));
    EXPECT_EQ(atCol, col) << at.x() << "," << at.y();
    EXPECT_EQ(atRow, row) << at.x() << "," << at.y();
    // the cell's background, or near it where the edge of a tight text's ink is
    const QColor got = img.pixelColor(at), want = qcolor(g.style(col, row).bg);
    EXPECT_TRUE(std::abs(got.red() - want.red()) <= 40 && std::abs(got.green() - want.green()) <= 40 &&
                std::abs(got.blue() - want.blue()) <= 40)
        << "(" << col << "," << row << ") at " << at.x() << "," << at.y() << ": " << got.name().toStdString() << " for "
        << want.name().toStdString();
  };
  const int lastLeft =
      std::max(v.viewport()->width() - (v.columnX(g.maxCols() + 1) - v.columnX(g.maxCols())), v.frozenWidth());
  for (int r = 1; r <= c.headingRows; ++r) {
    check(QPoint(0, v.rowY(r)), 1, r);                   // the corner
    check(QPoint(lastLeft, v.rowY(r)), g.maxCols(), r);  // the heading over the last column
  }
  check(QPoint(0, below), 1, v.firstScrolledRow());  // the label of the first row in view
  int col = 0, row = 0;
  ASSERT_TRUE(v.cellAt(QPoint(v.columnX(2), below), &col, &row));
  EXPECT_GT(v.columnX(col + 1), v.columnX(2) + v.horizontalScrollBar()->value())
      << "the columns right of the label column are scrolled";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FrozenWindow,
    ::testing::Values(WindowCase{"出現頻度分析", 2}, WindowCase{"回数別出現分析", 1}, WindowCase{"出現間隔分析", 2},
                      WindowCase{"数字間隔分析", 2}, WindowCase{"出現回数分析", 2}, WindowCase{"バラツキ分析", 2},
                      WindowCase{"引っ張り分析", 1}, WindowCase{"連番飛び石分析", 1}, WindowCase{"数字合計分析", 1},
                      WindowCase{"低数字高数字の組合せパターン分析", 1}, WindowCase{"偶数奇数の組合せパターン分析", 1},
                      WindowCase{"分割4傾向分析", 1}, WindowCase{"分割6データ分析", 3},
                      WindowCase{"分割7データ分析", 3}, WindowCase{"分割10データ分析", 3},
                      WindowCase{"下一桁出現傾向分析", 2}, WindowCase{"下一桁連続出現回数分析", 2},
                      WindowCase{"相性分析", 1}, WindowCase{"予想の成績", 3}, WindowCase{"検定", 3},
                      WindowCase{"当選確認", 1}, WindowCase{"人気度", 1}));

// A note that runs from the label column over its whole row stays whole
// while the grid is scrolled sideways: its words are drawn past the label
// column, over the empty cells of its row.
TEST(GridViewFrozenRows, ANoteOverAWholeRowStaysReadableScrolledSideways) {
  Grid g(6, 4);
  g.setVisible(6, 4);
  g.setColWidth(-1, 12);
  g.setColWidth(1, 6);
  g.setRowHeight(-1, 14);
  for (int c = 1; c <= 6; ++c) g.setText(c, 1, "見出し");
  g.setText(1, 4, "対象：本数字5個がそろった回（空欄の回は除きます）。ここまでがひとつの注です");
  g.setOverflow(Block{1, 4, 1, 4}, true);
  g.setAlign(Block{1, 4, 1, 4}, HAlign::Left);
  GridView v;
  v.setGrid(&g);
  v.resize(v.columnX(4), v.sizeHint().height() + 20);  // the grid's last columns out of view
  v.show();
  ASSERT_GT(v.horizontalScrollBar()->maximum(), 0);
  v.horizontalScrollBar()->setValue(v.horizontalScrollBar()->maximum());
  ASSERT_GT(v.frozenCols(), 0);
  const QImage img = v.viewport()->grab().toImage();
  // dark ink of the note's words right of the label column, in its row
  int ink = 0;
  for (int y = v.rowY(4) + 2; y < v.rowY(5) - 2; ++y)
    for (int x = v.frozenWidth() + 2; x < img.width() - 2; ++x) ink += img.pixelColor(x, y).lightness() < 100;
  EXPECT_GT(ink, 20);
}

// The label column stays at the left while it takes at most half the view;
// beyond that it scrolls away with the rest, so that a narrow view still
// shows the columns it is scrolled to.
TEST(GridViewFrozenColumns, TheLabelColumnStaysOnlyWhileItTakesAtMostHalfTheView) {
  Grid g(12, 40);
  g.setColWidth(-1, 8);
  g.setColWidth(1, 16);
  g.setScrollBars(ScrollBars::Both);
  g.setBg(Block{1, -1, 1, -1}, RGB(255, 200, 200));
  GridView v;
  v.setGrid(&g);
  const int label = v.columnX(2);
  const struct {
    int viewport;  // width
    bool stays;
  } cases[] = {{2 * label, true}, {2 * label - 1, false}, {3 * label / 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.viewport);
    v.resize(c.viewport + 2 * v.frameWidth() + v.verticalScrollBar()->sizeHint().width(), 200);
    v.show();
    ASSERT_EQ(v.viewport()->width(), c.viewport);
    v.horizontalScrollBar()->setValue(v.horizontalScrollBar()->maximum());
    ASSERT_GT(v.horizontalScrollBar()->value(), 0);
    int col = 0, row = 0;
    ASSERT_TRUE(v.cellAt(QPoint(3, v.rowY(2) + 3), &col, &row));
    EXPECT_EQ(col == 1, c.stays);
    const QImage img = v.viewport()->grab().toImage();
    EXPECT_EQ(img.pixelColor(3, v.rowY(2) + 3) == QColor(255, 200, 200), c.stays);
  }
}
