// Child windows arranged by the ウィンドウ menu, made smaller and maximised,
// and the lines of their labels.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "app/fonts.h"
#include "app/main_frm.h"
#include "entry/data_entry_window.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/window_arrangement.h"
#include "frame/ui/wrapped_label.h"
#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "windows/window_table.h"

using namespace km;

namespace {

struct Arranged : ::testing::Test {
  static inline test::ProgramFolder* folder = nullptr;
  static void SetUpTestSuite() { folder = new test::ProgramFolder(test::rotatingDraws(400)); }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  MainFrm frm{folder->path(), folder->settings()};
  test::ProgramStart start{*folder};
  void SetUp() override {
    ASSERT_TRUE(start.run(frm));
    test::closePredictionWindow(frm);
    frm.resize(1200, 900);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  }
  QMdiSubWindow* open(const std::string& name) {
    QMdiSubWindow* w = frm.openWindow(findWindow(name)->id);
    EXPECT_TRUE(w) << name;
    QApplication::sendPostedEvents();
    return w;
  }
  GridView* grid(QMdiSubWindow* w) { return qobject_cast<AnalysisWindow*>(w->widget())->gridView(); }
};

int titleBar(const QMdiSubWindow* w) { return w->widget()->mapTo(w, QPoint(0, 0)).y(); }

}  // namespace

// Whichever window is in front, a cascade keeps it in front and leaves
// every title bar in view above the windows after it.
TEST_F(Arranged, CascadeShowsEveryCaptionInStackingOrder) {
  for (const char* front : {"一発ゼノバ", "出現回数分析"}) {
    SCOPED_TRACE(front);
    for (const char* name : {"一発ゼノバ", "出現回数分析", "引っ張り分析", "数字合計分析"}) open(name);
    QMdiSubWindow* active = open(front);
    frm.arrangeWindows(MainFrm::Arrangement::Cascade);
    const QList<QMdiSubWindow*> order = frm.mdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(order.last(), active);
    EXPECT_EQ(frm.mdiArea()->activeSubWindow(), active);
    const QRect room = frm.mdiArea()->viewport()->rect();
    for (int i = 0; i < order.size(); ++i) {
      const QRect caption(order[i]->pos(), QSize(order[i]->width(), titleBar(order[i])));
      EXPECT_TRUE(room.contains(order[i]->geometry())) << i;
      if (i > 0) {
        EXPECT_GT(order[i]->y(), order[i - 1]->y()) << i;
      }
      for (int j = i + 1; j < order.size(); ++j) {
        EXPECT_FALSE(order[j]->geometry().intersects(caption))
            << order[j]->objectName().toStdString() << " hides " << order[i]->objectName().toStdString();
      }
    }
    frm.mdiArea()->closeAllSubWindows();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

namespace {

// The rows of a grid's view that show whole under its heading rows.
int rowsInView(const GridView* v) {
  const int frozen = std::min(v->grid()->frozenRows(), v->grid()->maxRows());
  const int room = v->viewport()->height() - (v->rowY(frozen + 1) - v->rowY(1));
  int n = 0;
  for (int r = frozen + 1; r <= v->grid()->maxRows() && v->rowY(r + 1) - v->rowY(frozen + 1) <= room; ++r) ++n;
  return n;
}

// Every grid of the window shows a few rows under its headings (all of a
// shorter one; the first grid of a window that scrolls its grids, from the
// top), and its 閉じる is whole and inside the window.
void expectUsable(QMdiSubWindow* w) {
  const std::string name = w->objectName().toStdString();
  const QScrollArea* scroll = w->findChild<QScrollArea*>();
  if (const GridView* first = scroll ? scroll->widget()->findChild<GridView*>() : nullptr) {
    const int top = first->mapTo(scroll->viewport(), QPoint(0, 0)).y() + first->frameWidth();
    const int rows = std::min(first->grid()->maxRows(), first->grid()->frozenRows() + kLeastGridRows);
    EXPECT_LE(top + first->rowY(rows + 1) - first->rowY(1), scroll->viewport()->height()) << name;
  } else {
    for (const GridView* v : w->findChildren<GridView*>()) {
      const int rows = v->grid()->maxRows() - std::min(v->grid()->frozenRows(), v->grid()->maxRows());
      EXPECT_GE(rowsInView(v), std::min(rows, kLeastGridRows)) << name << ": " << v->height() << " px";
    }
  }
  int buttons = 0;
  for (const QPushButton* close : w->findChildren<QPushButton*>()) {
    if (close->text() != QStringLiteral("閉じる")) continue;
    ++buttons;
    EXPECT_TRUE(w->rect().contains(QRect(close->mapTo(w, QPoint(0, 0)), close->size()))) << name;
    EXPECT_GE(close->width(), close->sizeHint().width()) << name << ": 閉じる cut";
  }
  EXPECT_EQ(buttons, 1) << name;
}

}  // namespace

// Tiled, every window shows its grids' heading rows with a few rows under
// them and its 閉じる whole.  Windows that have room share the area
// equally, the prediction window too; when even their least sizes are more
// than the area, each keeps its least size and the area scrolls to them.
TEST_F(Arranged, TilesKeepEveryWindowsRowsAndCloseButton) {
  const std::vector<const char*> two = {"出現回数分析", "引っ張り分析"};
  const std::vector<const char*> three = {"一発ゼノバ", "出現回数分析", "引っ張り分析"};
  const std::vector<const char*> eight = {"一発ゼノバ",   "出現頻度分析", "出現間隔分析", "出現回数分析",
                                          "バラツキ分析", "引っ張り分析", "数字合計分析", "分割4傾向分析"};
  const struct {
    QSize main;
    const std::vector<const char*>* windows;
    bool stacked;
    bool scrolls;
  } cases[] = {
      {{1200, 900}, &two, true, false},
      {{1200, 900}, &two, false, false},
      {{1600, 1200}, &three, true, false},
      {{1200, 900}, &three, true, false},
      {{1200, 900}, &three, false, false},
      {{1600, 1000}, &eight, true, true},
      {{1600, 1000}, &eight, false, true},
      {{800, 600}, &eight, true, true},
      {{800, 600}, &eight, false, true},
      // narrower (lower) than a window's least size: the windows keep it, the area scrolls across
      {{180, 900}, &two, true, true},
      {{1200, 220}, &two, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.main.width()) + "x" + std::to_string(c.main.height()) + " " +
                 std::to_string(c.windows->size()) + (c.stacked ? " 上下" : " 左右"));
    frm.resize(c.main);
    QApplication::sendPostedEvents();
    for (const char* name : *c.windows) ASSERT_TRUE(test::waitFilled(open(name)));
    frm.arrangeWindows(c.stacked ? MainFrm::Arrangement::Stacked : MainFrm::Arrangement::SideBySide);
    QApplication::sendPostedEvents();
    const QRect room = frm.mdiArea()->viewport()->rect();
    const QList<QMdiSubWindow*> windows = frm.mdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(windows.size(), static_cast<qsizetype>(c.windows->size()));
    QRect all;
    int covered = 0;
    for (int i = 0; i < windows.size(); ++i) {
      expectUsable(windows[i]);
      const QSize least = leastWindowSize(windows[i]);
      EXPECT_GE(windows[i]->width(), least.width()) << i;
      EXPECT_GE(windows[i]->height(), least.height()) << i;
      all |= windows[i]->geometry();
      covered += windows[i]->width() * windows[i]->height();
      for (int j = i + 1; j < windows.size(); ++j)
        EXPECT_FALSE(windows[i]->geometry().intersects(windows[j]->geometry())) << i << " " << j;
    }
    const QScrollBar* along = c.stacked ? frm.mdiArea()->verticalScrollBar() : frm.mdiArea()->horizontalScrollBar();
    const QScrollBar* across = c.stacked ? frm.mdiArea()->horizontalScrollBar() : frm.mdiArea()->verticalScrollBar();
    EXPECT_EQ(!room.contains(all), c.scrolls);
    EXPECT_EQ(along->isVisible(), c.stacked ? all.bottom() > room.bottom() : all.right() > room.right())
        << "the area scrolls to the windows beyond it";
    EXPECT_EQ(across->isVisible(), c.stacked ? all.right() > room.right() : all.bottom() > room.bottom());
    if (!c.scrolls) {
      EXPECT_EQ(all, room) << "the area shared out whole";
      EXPECT_EQ(covered, room.width() * room.height());
    }
    if (c.windows == &two) {  // room for both: equal shares
      EXPECT_NEAR(c.stacked ? windows[0]->height() : windows[0]->width(),
                  (c.stacked ? room.height() : room.width()) / 2.0, 1);
    }
    frm.mdiArea()->closeAllSubWindows();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// A window never opens larger than the area: at the designed size where it
// has the room, else smaller, with its grid scrolling and its legend and
// 閉じる in view.
TEST_F(Arranged, AWindowOpensWithinTheArea) {
  const struct {
    QSize main;
    const char* window;
    bool designed;  // at its designed size
  } cases[] = {
      {{1600, 1000}, "出現間隔分析", true},       {{1600, 900}, "出現間隔分析", false},
      {{1024, 768}, "下一桁出現傾向分析", false}, {{1024, 768}, "出現頻度分析", true},
      {{900, 700}, "出現頻度分析", false},        {{1024, 768}, "数字合計分析", false},
      {{800, 600}, "出現回数分析", false},        {{1600, 1000}, "一発ゼノバ", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.window) + " " + std::to_string(c.main.height()));
    frm.resize(c.main);
    QApplication::sendPostedEvents();
    QMdiSubWindow* w = open(c.window);
    ASSERT_TRUE(test::waitFilled(w));
    QApplication::sendPostedEvents();
    const QRect room = frm.mdiArea()->viewport()->rect();
    EXPECT_TRUE(room.contains(w->geometry()));
    EXPECT_EQ(w->size() == w->sizeHint(), c.designed);
    expectUsable(w);
    for (const QLabel* legend : w->findChildren<QLabel*>())
      EXPECT_TRUE(w->rect().contains(QRect(legend->mapTo(w, QPoint(0, 0)), legend->size())))
          << legend->text().toStdString();
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// Maximised, the entry window is the area's size, and its grid's last line
// can be brought into view inside it.
TEST_F(Arranged, AMaximisedEntryWindowFitsTheArea) {
  for (const QSize main : {QSize(1600, 1000), QSize(1024, 768), QSize(800, 600)}) {
    SCOPED_TRACE(main.height());
    frm.resize(main);
    QApplication::sendPostedEvents();
    QMdiSubWindow* w = frm.openWindow(WindowId::DataEntry);
    ASSERT_TRUE(w);
    auto* entry = qobject_cast<DataEntryWindow*>(w->widget());
    ASSERT_TRUE(QTest::qWaitFor([entry] { return !entry->opening(); }, 30000));
    w->showMaximized();
    QApplication::sendPostedEvents();
    EXPECT_EQ(w->geometry(), frm.mdiArea()->viewport()->rect());
    auto* grid = w->findChild<QTableView*>(QStringLiteral("gridView"));
    const QRect at(grid->mapTo(w, QPoint(0, 0)), grid->size());
    EXPECT_TRUE(w->rect().contains(at));
    // as many lines as there is room for, up to all it is made for
    const int below = w->height() - at.bottom();
    EXPECT_TRUE(grid->height() == grid->maximumHeight() || below < 3 * entry->fontMetrics().height() + 24)
        << grid->height() << " px, " << below << " px under it";
    grid->scrollToBottom();
    QApplication::sendPostedEvents();
    const QModelIndex last = grid->model()->index(grid->model()->rowCount() - 1, 0);
    EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualRect(last)));
    w->showNormal();
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// The main window opens again where it was left, kept on the screen; a place
// on no screen any more is not taken.
TEST(MainWindowPlace, ARememberedPlaceIsKeptToAScreen) {
  const QRect left(0, 0, 1600, 960), right(1600, 0, 1920, 1050);
  const struct {
    const char* what;
    std::optional<QRect> remembered;
    QList<QRect> screens;
    std::optional<QRect> expected;
  } cases[] = {
      {"the first start", std::nullopt, {left}, std::nullopt},
      {"on the screen", QRect(100, 50, 1200, 800), {left}, QRect(100, 50, 1200, 800)},
      {"larger than the screen", QRect(0, 0, 2000, 1200), {left}, left},
      {"over the right edge", QRect(1000, 100, 1000, 700), {left}, QRect(600, 100, 1000, 700)},
      {"over the bottom edge", QRect(10, 700, 800, 600), {left}, QRect(10, 360, 800, 600)},
      {"on the second screen", QRect(1700, 100, 1000, 700), {left, right}, QRect(1700, 100, 1000, 700)},
      {"the second screen gone", QRect(1700, 100, 1000, 700), {left}, std::nullopt},
      {"above every screen", QRect(100, -600, 800, 500), {left}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(rememberedPlace(c.remembered, c.screens), c.expected) << c.what;
}

// The place is written to the settings file at the end, beside the file's
// other lines, and read at the next start; the first time, and when the
// remembered place is on no screen, the window opens maximised over the
// screen's available area.
TEST(MainWindowPlace, IsKeptInTheSettingsFile) {
  test::ProgramFolder folder(test::rotatingDraws(20));
  const std::string ini = folder.settings().toStdString();
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const struct {
    const char* lines;
    std::optional<QRect> opens;  // none: maximised over the available area
  } cases[] = {
      {"", std::nullopt},
      {"メインウィンドウの位置=40,30,600,400\r\nメインウィンドウの最大化=False\r\n", QRect(40, 30, 600, 400)},
      {"メインウィンドウの位置=40,30,600,400\r\nメインウィンドウの最大化=True\r\n", std::nullopt},
      {"メインウィンドウの位置=9000,30,600,400\r\nメインウィンドウの最大化=False\r\n", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    {
      std::ofstream f(ini, std::ios::binary | std::ios::trunc);
      f << "ほかの部分の設定=1\r\n" << c.lines;
    }
    MainFrm frm(folder.path(), folder.settings());
    test::ProgramStart start(folder);
    ASSERT_TRUE(start.run(frm));
    frm.showInItsPlace();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
    if (c.opens) {
      EXPECT_FALSE(frm.isMaximized());
      EXPECT_EQ(QRect(frm.pos(), frm.size()), *c.opens);
    } else {
      EXPECT_TRUE(frm.isMaximized());
      EXPECT_EQ(frm.size().boundedTo(available.size()), frm.size()) << "no larger than the available area";
    }
    frm.showNormal();
    frm.move(50, 60);
    frm.resize(640, 420);
    frm.close();
    std::ifstream f(ini, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("ほかの部分の設定=1\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("メインウィンドウの位置=50,60,640,420\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("メインウィンドウの最大化=False\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("メインウィンドウの位置="), written.rfind("メインウィンドウの位置=")) << "one line";
  }
}

// A window smaller than its grid shows the scroll bar that reaches the cells
// out of view, whatever the grid's own setting; at the designed size it
// shows only the bars it needs.
TEST_F(Arranged, AGridSmallerThanItsCellsShowsTheBarsItNeeds) {
  const struct {
    const char* window;
    QSize size;  // 0: the designed size
    bool horizontal, vertical;
  } cases[] = {{"出現回数分析", {}, false, true},    {"出現回数分析", {300, 500}, true, true},
               {"回数別出現分析", {}, false, false}, {"回数別出現分析", {150, 150}, true, true},
               {"出現頻度分析", {}, true, false},    {"出現頻度分析", {600, 300}, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.window) + " " + std::to_string(c.size.width()));
    QMdiSubWindow* w = open(c.window);
    if (!c.size.isEmpty()) w->resize(c.size);
    QApplication::sendPostedEvents();
    GridView* v = grid(w);
    EXPECT_EQ(v->horizontalScrollBar()->isVisible(), c.horizontal);
    EXPECT_EQ(v->verticalScrollBar()->isVisible(), c.vertical);
    if (c.horizontal) {  // the last column can be brought into view
      v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum());
      EXPECT_LE(v->columnX(v->grid()->maxCols() + 1) - v->horizontalScrollBar()->value(), v->viewport()->width());
    }
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// A short grid in a window narrower than its columns grows by the scroll
// bar's height where the window has room: the bar covers no row (検定's
// last line).
TEST_F(Arranged, AShortGridNarrowerThanItsColumnsKeepsItsLastRowAboveTheBar) {
  QMdiSubWindow* w = open("検定");
  w->resize(600, w->height() + 40);
  QApplication::sendPostedEvents();
  GridView* v = grid(w);
  EXPECT_TRUE(v->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(v->verticalScrollBar()->isVisible());
  EXPECT_GE(v->viewport()->height(), v->rowY(v->grid()->maxRows() + 1));
  w->close();
  ASSERT_TRUE(test::runQueuedCalls());
}

// Maximised, the grid shows more rows and the close button stays right
// under it, at its right edge.
TEST_F(Arranged, AMaximisedWindowKeepsItsContentTogether) {
  frm.resize(1600, 1200);
  QApplication::sendPostedEvents();
  for (const char* name : {"出現回数分析", "出現頻度分析", "分割6データ分析"}) {
    SCOPED_TRACE(name);
    QMdiSubWindow* w = open(name);
    w->showNormal();  // a window opened after a maximised one opens maximised
    GridView* v = grid(w);
    const QSize designed = v->size();
    w->showMaximized();
    QApplication::sendPostedEvents();
    QPushButton* close = qobject_cast<AnalysisWindow*>(w->widget())->closeButton();
    const QRect g(v->mapTo(w, QPoint(0, 0)), v->size()), b(close->mapTo(w, QPoint(0, 0)), close->size());
    EXPECT_GE(v->width(), designed.width());
    EXPECT_GE(v->height(), designed.height());
    EXPECT_GT(v->width() * v->height(), designed.width() * designed.height()) << "more cells in view";
    EXPECT_LT(b.top() - g.bottom(), 12) << "the button right under the grid";
    EXPECT_NEAR(b.right(), g.right(), 1) << "at the grid's right edge";
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// At the designed sizes no label breaks inside a word; the prediction
// window's captions break before their brackets or not at all.
TEST_F(Arranged, LabelsBreakBetweenWords) {
  std::map<QString, QStringList> expected;
  for (int i = 0; i < 3; ++i) {
    const QString caption = QString::fromUtf8(kPredictionGridCaptions[i]);
    const int open = static_cast<int>(caption.indexOf(QLatin1Char('(')));
    expected[caption] = {caption.left(open), caption.mid(open)};
  }
  for (const char* c : kSettingCaptions) {
    const QString caption = QString::fromUtf8(c);
    const int open = static_cast<int>(caption.indexOf(QStringLiteral("（")));
    expected[caption] = open < 0 ? QStringList{caption} : QStringList{caption.left(open), caption.mid(open)};
  }
  int checked = 0;
  for (const WindowRow& row : windowTable()) {
    const WindowDef& def = row.def;
    QMdiSubWindow* w = open(def.name);
    for (const WrappedLabel* label : w->findChildren<WrappedLabel*>()) {
      const QString text = label->text();
      const QStringList lines = label->lines();
      EXPECT_EQ(lines.isEmpty(), text.isEmpty()) << def.name;
      if (auto it = expected.find(text); it != expected.end()) {
        EXPECT_EQ(lines, it->second) << text.toStdString();
        ++checked;
      }
      std::set<int> words;
      for (const auto& b : wordBreaks(text)) words.insert(b.first);
      int at = 0;
      for (int i = 0; i + 1 < lines.size(); ++i) {
        at += static_cast<int>(lines[i].size());
        EXPECT_TRUE(words.count(at)) << def.name << ": \"" << text.toStdString() << "\" breaks after \""
                                     << lines[i].toStdString() << "\"";
      }
    }
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
  EXPECT_EQ(checked, static_cast<int>(expected.size()));
}

// Dialog buttons show their text alone, even where the desktop's theme
// would give them icons.
TEST(DialogButtons, CarryNoIcons) {
  struct IconsStyle : QProxyStyle {
    int styleHint(StyleHint h, const QStyleOption* o, const QWidget* w, QStyleHintReturn* r) const override {
      return h == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(h, o, w, r);
    }
  };
  const std::unique_ptr<QStyle> plain(withPlainDialogButtons(new IconsStyle));
  EXPECT_EQ(plain->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"), QStringLiteral("x"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
  for (QAbstractButton* b : box.buttons()) EXPECT_TRUE(b->icon().isNull()) << b->text().toStdString();
}
