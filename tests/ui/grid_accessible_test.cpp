// What a screen reader reads of a grid: the table Qt's accessibility gives
// every grid view (and, over AT-SPI, the desktop's screen reader).
#include "frame/ui/grid_accessible.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include "frame/grid_setup.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"

using namespace km;

namespace {

// A title over columns 2..4, a heading row, draw numbers in column 1 and
// marks the legend names.
Grid marked() {
  Grid g = makeGrid({.cols = 4, .rows = 6, .visibleCols = 4, .visibleRows = 6, .frozenRows = 2});
  g.setText(2, 1, "出 現");
  g.setFrame({2, 1, 4, 1});
  g.setBorder({1, 2, 4, 6}, kAllSides);
  const char* headings[] = {"回", "1", "2", "3"};
  for (int c = 1; c <= 4; ++c) g.setText(c, 2, headings[c - 1]);
  g.setColors({1, 1, 4, 2}, kRed, kLightYellow);
  for (int r = 3; r <= 6; ++r) g.setText(1, r, 1000 + r);
  g.setText(2, 3, "●");
  g.setText(3, 4, "●");
  g.setFg(Block::cell(3, 4), kBonusPink);
  g.setText(4, 5, "7");
  g.setBg(Block::cell(4, 5), kLightGreen);
  g.setText(2, 6, "12");
  g.setBg(Block::cell(2, 6), kLightCyan);
  return g;
}

const std::vector<LegendItem> kLegend = {{"●", kBlack, kWhite, "：本数字"},
                                         {"●", kBonusPink, kWhite, "：ボーナス数字"},
                                         {"", kBlack, kLightGreen, ":該当なし"}};

// An analysis window inside a main window's area, as the program shows it.
struct Shown {
  QMdiArea area;
  QMdiSubWindow* sub = nullptr;
  AnalysisWindow* window = nullptr;
  Shown() {
    WindowDef def{"出現頻度分析", "出現頻度分析", "説明", 6000, 4000, kLegend};
    window = new AnalysisWindow(def, marked());
    sub = area.addSubWindow(window);
    sub->setWindowTitle(QStringLiteral("出現頻度分析"));
    area.resize(800, 600);
    area.show();
    sub->show();
  }
  GridView* view() const { return window->gridView(); }
  QAccessibleInterface* table() const { return QAccessible::queryAccessibleInterface(view()); }
};

QStringList names(const QList<QAccessibleInterface*>& cells) {
  QStringList n;
  for (QAccessibleInterface* c : cells) n << c->text(QAccessible::Name);
  return n;
}

}  // namespace

// The table: the grid's rows under its two heading rows, named by its
// window. Each cell, reached as a child, by its table row and column and by
// the point in its middle: its text as its name, its role, the headings over
// it and the label at its left, and what its colour means.
TEST(GridAccessible, CellsReadTheirPlaceTextHeadersAndMeaning) {
  const struct {
    int row, col;  // 1-based, as the grid counts
    const char* name;
    QAccessible::Role role;
    QStringList columnHeaders, rowHeaders;
    const char* description;
  } cases[] = {
      {3, 2, "●", QAccessible::Cell, {"1", "出現"}, {"1003"}, "本数字"},
      {4, 3, "●", QAccessible::Cell, {"2", "出現"}, {"1004"}, "ボーナス数字"},
      {5, 4, "7", QAccessible::Cell, {"3", "出現"}, {"1005"}, "該当なし"},
      {6, 2, "12", QAccessible::Cell, {"1", "出現"}, {"1006"}, "背景：薄い水色"},  // no legend: the colour's name
      {5, 3, "", QAccessible::Cell, {"2", "出現"}, {"1005"}, ""},
      {4, 1, "1004", QAccessible::RowHeader, {"回"}, {}, ""},
      {2, 3, "2", QAccessible::ColumnHeader, {"出現"}, {}, ""},  // the title over the heading
      {1, 4, "", QAccessible::ColumnHeader, {}, {}, ""},         // under the title that runs over it
  };
  Shown s;
  QAccessibleInterface* t = s.table();
  ASSERT_TRUE(t);
  EXPECT_EQ(t->role(), QAccessible::Table);
  EXPECT_EQ(t->text(QAccessible::Name), QStringLiteral("出現頻度分析"));
  QAccessibleTableInterface* table = t->tableInterface();
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rowCount(), 4);
  EXPECT_EQ(table->columnCount(), 4);
  EXPECT_EQ(t->childCount(), 24);  // every cell of the grid, headings first
  EXPECT_EQ(table->cellAt(4, 0), nullptr);
  EXPECT_EQ(table->cellAt(0, 4), nullptr);
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.row) + "," + std::to_string(k.col));
    const int index = (k.row - 1) * 4 + (k.col - 1);
    QAccessibleInterface* c = t->child(index);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->parent(), t);
    EXPECT_EQ(t->indexOfChild(c), index);
    EXPECT_EQ(c->tableCellInterface()->columnIndex(), k.col - 1);
    if (k.row > 2) {
      EXPECT_EQ(c->tableCellInterface()->rowIndex(), k.row - 3);
      EXPECT_EQ(table->cellAt(k.row - 3, k.col - 1), c);
    }
    const QRect r = c->rect();
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(t->childAt(r.center().x(), r.center().y()), c);
    EXPECT_EQ(c->text(QAccessible::Name), QString::fromUtf8(k.name));
    EXPECT_EQ(c->role(), k.role);
    EXPECT_EQ(names(c->tableCellInterface()->columnHeaderCells()), k.columnHeaders);
    EXPECT_EQ(names(c->tableCellInterface()->rowHeaderCells()), k.rowHeaders);
    EXPECT_EQ(c->text(QAccessible::Description), QString::fromUtf8(k.description));
  }
  EXPECT_EQ(table->columnDescription(3), QStringLiteral("出現 3"));
  EXPECT_EQ(table->rowDescription(2), QStringLiteral("1005"));
}

// The cell the arrow keys move is the focused cell, and a screen reader is
// told each time it moves; cells of an old grid go with it.
TEST(GridAccessible, TheCurrentCellHasTheFocusAndTellsItsMoves) {
  Shown s;
  QList<int> focused;  // the child of each focus event on the view
  const AccessibleNotifier before = setGridAccessibleNotifier([&](QAccessibleEvent* e) {
    if (e->type() == QAccessible::Focus && e->object() == s.view()) focused << e->child();
  });
  s.area.activateWindow();
  s.view()->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.view()->hasFocus(); }));
  QAccessibleInterface* t = s.table();
  EXPECT_EQ(t->focusChild(), nullptr);      // no cell until the keys choose one
  QTest::keyClick(s.view(), Qt::Key_Down);  // the top left cell
  QTest::keyClick(s.view(), Qt::Key_Down);
  QTest::keyClick(s.view(), Qt::Key_Right);
  setGridAccessibleNotifier(before);
  EXPECT_EQ(focused, (QList<int>{0, 4, 5}));
  QAccessibleInterface* c = t->focusChild();
  ASSERT_TRUE(c);
  EXPECT_EQ(t->indexOfChild(c), 5);
  EXPECT_TRUE(c->state().focused);
  EXPECT_TRUE(c->state().selected);
  EXPECT_FALSE(t->child(0)->state().focused);

  // another grid: the old cells are invalid, the table reads the new one
  Grid small(2, 2);
  small.setText(2, 2, " x ");
  s.view()->setGrid(&small);
  EXPECT_EQ(t->tableInterface()->rowCount(), 2);
  EXPECT_EQ(t->tableInterface()->cellAt(1, 1)->text(QAccessible::Name), QStringLiteral("x"));
}
