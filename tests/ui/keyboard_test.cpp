// The program without a mouse: Tab and Shift+Tab leave every grid for the
// next and previous control, every button has its key, and the entry grid
// keeps to the line being typed.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "entry/data_entry_window.h"
#include "entry/entry_model.h"
#include "frame/ui/grid_view.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

struct Program {
  test::ProgramFolder folder{test::feedDraws(80)};
  MainFrm frm{folder.path(), folder.settings()};
  test::ProgramStart launch{folder};
  Program() {
    EXPECT_TRUE(launch.run(frm));
    QApplication::setActiveWindow(&frm);
  }
  QMdiSubWindow* open(WindowId id) {
    QMdiSubWindow* sub = frm.openWindow(id);
    EXPECT_TRUE(sub && test::waitFilled(sub));
    return sub;
  }
};

// One start of the program for every test of the keyboard; each test opens
// the windows it works with.
struct Keyboard : ::testing::Test {
  static inline Program* p = nullptr;
  static void SetUpTestSuite() { p = new Program; }
  static void TearDownTestSuite() { delete std::exchange(p, nullptr); }
};

// The widget of that object name (and, for the prediction window's grids, index) in the window.
QWidget* named(QWidget* window, const char* name, int index = -1) {
  for (QWidget* w : window->findChildren<QWidget*>(QString::fromUtf8(name)))
    if (index < 0 || w->property("index").toInt() == index) return w;
  return nullptr;
}

QString describe(const QWidget* w) {
  if (!w) return QStringLiteral("(none)");
  QString d = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
  if (w->property("index").isValid()) d += QStringLiteral("#%1").arg(w->property("index").toInt());
  return d;
}

// Focuses `from`, presses Tab (backwards: Shift+Tab) and says where the focus went.
QString focusAfterTab(QWidget* from, bool backwards) {
  from->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(QTest::qWaitFor([&] { return from->hasFocus(); }));
  QTest::keyClick(from, backwards ? Qt::Key_Backtab : Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
  return describe(QApplication::focusWidget());
}

}  // namespace

// In every window, from each grid Tab goes on to the control after it and
// Shift+Tab back to the one before it, however many cells the grid has; and
// every button is pressed by a key of its own: a mnemonic, or (閉じる, whose
// caption stays as it is) a shortcut; none of them is a key of the menu bar,
// where it would be taken by the menu instead. Alt+C closes the window with
// the focus.
TEST_F(Keyboard, TabLeavesEveryGridAndEveryButtonHasItsKey) {
  struct Tab {
    const char* grid;
    int index;
    const char* next;
    const char* previous;  // nullptr: the window has no control before its grid
  };
  const struct {
    WindowId window;
    std::vector<Tab> tabs;
  } cases[] = {
      {WindowId::AppearanceFrequency, {}},
      {WindowId::AppearanceInterval, {{"gridView", -1, "closeButton", nullptr}}},
      {WindowId::RandomnessTests, {{"gridView", -1, "closeButton", nullptr}}},
      {WindowId::Prediction,
       {{"gridView", 0, "gridView#1", nullptr},
        {"gridView", 2, "gridView#3", "gridView#1"},
        {"gridView", 3, "reflectOnOption#0", "gridView#2"}}},
      {WindowId::Tickets, {{"ticketsView", -1, "deleteButton", nullptr}, {"gridView", -1, "closeButton", "lineField"}}},
      {WindowId::Charts, {}},
      {WindowId::About, {}},
      {WindowId::DataEntry, {}},
  };
  test::closePredictionWindow(p->frm);
  const QString barKeys = QStringLiteral("XDSMWH");  // 終了(&X) 一発ゼノバ予想(&D) データ分析(&S) ...
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.window));
    QMdiSubWindow* sub = p->open(c.window);
    ASSERT_TRUE(sub);
    for (const Tab& t : c.tabs) {
      QWidget* grid = named(sub, t.grid, t.index);
      SCOPED_TRACE(describe(grid).toStdString());
      ASSERT_TRUE(grid);
      EXPECT_EQ(focusAfterTab(grid, false), QString::fromUtf8(t.next));
      const QString back = focusAfterTab(grid, true);
      EXPECT_NE(back, describe(grid));
      if (t.previous) {
        EXPECT_EQ(back, QString::fromUtf8(t.previous));
      }
    }
    QStringList keys;
    for (QPushButton* b : sub->findChildren<QPushButton*>()) {
      if (!b->isVisibleTo(sub)) continue;
      QKeySequence key = b->shortcut();
      ASSERT_FALSE(key.isEmpty()) << b->text().toStdString();
      const QString k = key.toString(QKeySequence::PortableText);
      ASSERT_TRUE(k.startsWith(QStringLiteral("Alt+"))) << k.toStdString();
      EXPECT_FALSE(barKeys.contains(k.back())) << b->text().toStdString();
      EXPECT_FALSE(keys.contains(k)) << k.toStdString();  // two buttons would share it
      keys << k;
    }
    EXPECT_FALSE(keys.isEmpty());
    sub->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
  // Alt+C closes the window that has the focus, and only that one
  QMdiSubWindow* a = p->open(WindowId::AppearanceInterval);
  QMdiSubWindow* b = p->open(WindowId::NumberSum);
  ASSERT_TRUE(a && b);
  auto* grid = b->findChild<GridView*>();
  grid->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return grid->hasFocus(); }));
  QTest::keyClick(grid, Qt::Key_C, Qt::AltModifier);  // the button is let go a moment later
  EXPECT_TRUE(QTest::qWaitFor([&] { return !p->frm.findChildWindow(WindowId::NumberSum); }));
  EXPECT_TRUE(p->frm.findChildWindow(WindowId::AppearanceInterval));
}

// Typing a line of the entry grid with Tab: each cell written, the next one
// of the line open, the view on the line; past its last cell the focus goes
// on to 閉じる instead of back to the first line. The menu key (or
// Shift+F10) opens the line menu of the current line: 行追加 and 行削除
// without a mouse.
TEST_F(Keyboard, EntryGridTypesALineWithTabAndOpensItsMenuWithAKey) {
  test::closePredictionWindow(p->frm);
  QMdiSubWindow* sub = p->open(WindowId::DataEntry);
  ASSERT_TRUE(sub);
  auto* win = qobject_cast<DataEntryWindow*>(sub->widget());
  ASSERT_TRUE(win && QTest::qWaitFor([&] { return !win->opening(); }, 30000));
  EntryGrid* grid = win->grid();
  const int last = win->model()->rowCount() - 1;
  // it opens on the newest draw, with the keys in the grid once its lines are read
  EXPECT_EQ(grid->currentIndex(), win->model()->index(last, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return grid->hasFocus(); })) << describe(QApplication::focusWidget()).toStdString();
  const int scrolled = grid->verticalScrollBar()->value();
  const char* texts[] = {"27", "28", "29", "30", "31", "26"};
  QTest::keyClick(grid, texts[0][0]);
  for (int i = 0; i < 6; ++i) {
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    ASSERT_TRUE(editor) << i;
    editor->setText(QString::fromLatin1(texts[i]));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(grid->verticalScrollBar()->value(), scrolled) << i;
  }
  EXPECT_EQ(win->model()->cellText(last + 1, 2), "27");
  EXPECT_EQ(win->model()->cellText(last + 1, 7), "26");
  EXPECT_EQ(grid->currentIndex().row(), last);
  // on to the last cell of the line, then out of the grid
  while (grid->currentIndex().column() < win->model()->columnCount() - 1) {
    QWidget* editor = grid->indexWidget(grid->currentIndex());
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_Tab);
  }
  QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Tab);
  EXPECT_EQ(describe(QApplication::focusWidget()), QStringLiteral("closeButton"));
  EXPECT_EQ(grid->currentIndex().row(), last);
  EXPECT_EQ(grid->verticalScrollBar()->value(), scrolled);
  EXPECT_EQ(win->model()->unsavedCount(), 0);

  grid->setFocus();
  grid->setCurrentIndex(win->model()->index(4, 3));
  for (bool menuKey : {true, false}) {
    SCOPED_TRACE(menuKey ? "Menu" : "Shift+F10");
    QContextMenuEvent fromKeys(QContextMenuEvent::Keyboard, QPoint(5, 5), grid->viewport()->mapToGlobal(QPoint(5, 5)));
    if (menuKey)
      QApplication::sendEvent(grid->viewport(), &fromKeys);
    else
      QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(win->editMenu()->isVisible());
    EXPECT_TRUE(win->delLineAction()->isEnabled());
    EXPECT_EQ(grid->currentIndex().row(), 4) << "the line it works on is the current one";
    win->editMenu()->hide();
  }
}
