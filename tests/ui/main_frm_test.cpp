#include "app/main_frm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "store/formats/csv.h"
#include "store/formats/feed.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "tickets/tickets_window.h"
#include "windows/window_table.h"

using namespace km;

namespace {

std::vector<Draw> someDraws() {
  return test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 28}}, {3, {1, 8, 10, 24, 30, 28}}});
}

// Started as the program starts; the prediction window it comes up with is
// closed, so that each test opens the windows it looks at.
struct MainFrmTest : ::testing::Test {
  test::ProgramFolder folder{someDraws()};
  MainFrm frm{folder.path(), folder.settings()};
  test::ProgramStart start{folder};
  void SetUp() override {
    ASSERT_TRUE(start.run(frm));
    test::closePredictionWindow(frm);
  }
  QAction* action(const char* name) { return frm.findChild<QAction*>(QString::fromUtf8(name)); }
  int openCount() const { return static_cast<int>(frm.mdiArea()->subWindowList().size()); }
};

// Walks the menu bar: "level caption" per item, in order.
void collect(const QList<QAction*>& actions, int level, std::vector<std::string>& out) {
  for (QAction* a : actions) {
    out.push_back(std::to_string(level) + " " + a->text().toStdString());
    if (a->menu()) collect(a->menu()->actions(), level + 1, out);
  }
}

}  // namespace

TEST_F(MainFrmTest, CaptionAndMenuTree) {
  EXPECT_EQ(frm.windowTitle(), QStringLiteral("カズマキMiddle"));
  EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeMenuBar)) << "the menus stay in the main window";
  EXPECT_FALSE(frm.menuBar()->isNativeMenuBar());
  std::vector<std::string> items;
  collect(frm.menuBar()->actions(), 0, items);
  const std::vector<std::string> expected = {
      "0 終了(&X)",
      "0 一発ゼノバ予想(&D)",
      "0 データ分析(&S)",
      "1 頻度分析",
      "2 出現頻度分析",
      "2 回数別出現分析",
      "1 間隔分析",
      "2 出現間隔分析",
      "2 数字間隔分析",
      "1 出現回数分析",
      "1 バラツキ分析",
      "1 引っ張り分析",
      "1 連番・飛び石分析",
      "1 数字合計分析",
      "1 組合せパターン分析",
      "2 低数字・高数字の組合せパターン分析",
      "2 偶数・奇数の組合せパターン分析",
      "1 4分割傾向分析",
      "1 分割データ分析",
      "2 6分割データ分析",
      "2 7分割データ分析",
      "2 10分割データ分析",
      "1 下一桁出現傾向分析",
      "1 下一桁連続出現回数分析",
      "1 ",  // the separator
      "1 相性分析",
      "1 予想の成績",
      "1 グラフ",
      "1 検定",
      "1 当選確認",
      "1 組合せ作成",
      "1 人気度",
      "0 データ管理(&M)",
      "1 当選データ最新化(&U)",
      "1 当選データ入力(&I)",
      "0 ウィンドウ(&W)",
      "1 上下に並べて表示(&H)",
      "1 左右に並べて表示(&V)",
      "1 重ねて表示(&C)",
      "1 アイコンの整列(&A)",
      "0 ヘルプ(&H)",
      "1 ヘルプ(&H)",
      "1 バージョン情報(&A)",
  };
  EXPECT_EQ(items, expected);
}

TEST_F(MainFrmTest, EveryAnalysisMenuItemOpensItsWindowAtTheTopLeftWithItsSize) {
  int opened = 0;
  for (QAction* bar : frm.menuBar()->actions()) {
    if (bar->objectName() != "menuAnalyses") continue;
    std::vector<QAction*> leaves;
    std::function<void(QMenu*)> walk = [&](QMenu* m) {
      for (QAction* a : m->actions())
        if (!a->isSeparator()) a->menu() ? walk(a->menu()) : leaves.push_back(a);
    };
    walk(bar->menu());
    for (QAction* a : leaves) {
      a->trigger();
      auto* sub = qobject_cast<ChildFrame*>(frm.mdiArea()->activeSubWindow());
      ASSERT_NE(sub, nullptr) << a->objectName().toStdString();
      const WindowDef& def = sub->def();
      // the window of the table's row that names this action, under its caption
      const auto rows = menuWindows();
      const auto row = std::find_if(rows.begin(), rows.end(), [&](const WindowRow* r) {
        return a->objectName() == QString::fromUtf8(r->menu.name);
      });
      ASSERT_NE(row, rows.end()) << a->objectName().toStdString();
      EXPECT_EQ(def.name, (*row)->def.name);
      EXPECT_EQ(sub->windowTitle().toStdString(), (*row)->def.caption);
      EXPECT_EQ(sub->pos(), QPoint(0, 0));
      // its designed size, as far as the area has room for it
      EXPECT_EQ(sub->size(),
                ChildFrame::twipsToPixels(sub, def.width, def.height).boundedTo(frm.mdiArea()->viewport()->size()))
          << def.name;
      EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
      auto* close = sub->widget()->findChild<QPushButton*>(QStringLiteral("closeButton"));
      ASSERT_NE(close, nullptr) << def.name;
      EXPECT_EQ(close->text(), QStringLiteral("閉じる"));
      close->click();
      EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
      ++opened;
    }
  }
  EXPECT_EQ(opened, static_cast<int>(menuWindows().size())) << "every window the menu offers";
  EXPECT_EQ(openCount(), 0);
}

// A second choice activates the open window; one closed (deleted later, when
// control returns to the event loop) and chosen again opens afresh.
TEST_F(MainFrmTest, ASecondChoiceActivatesTheOpenWindowAndAClosedOneOpensAfresh) {
  QMdiSubWindow* first = frm.openWindow(WindowId::CarryOver);
  frm.openWindow(WindowId::AppearanceInterval);
  EXPECT_EQ(frm.openWindow(WindowId::CarryOver), first);
  EXPECT_EQ(openCount(), 2);
  EXPECT_EQ(frm.mdiArea()->activeSubWindow(), first);
  first->close();
  QMdiSubWindow* again = frm.openWindow(WindowId::CarryOver);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, first);
  EXPECT_FALSE(again->isHidden());
  ASSERT_TRUE(QTest::qWaitFor([&] { return openCount() == 2; }, 30000));
  EXPECT_EQ(frm.findChildWindow(WindowId::CarryOver), again);
}

// 当選データ入力 opens only when no window shows the history: of two open
// windows, the one left open still shows the history read at start.
TEST_F(MainFrmTest, DataEntryOpensOnlyWhenNoWindowShowsTheHistory) {
  frm.openWindow(WindowId::AppearanceFrequency)->close();
  frm.openWindow(WindowId::AppearanceInterval);
  frm.openWindow(WindowId::About);  // shows no history
  {
    test::MessageBoxWatcher box;
    action("actionEntry")->trigger();
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
    EXPECT_EQ(box.text, QStringLiteral("表示中のウィンドウを閉じないと実行できません。\n") +
                            QString::fromStdString(windowRow(WindowId::AppearanceInterval).def.caption));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
  }
  EXPECT_EQ(frm.findChildWindow(WindowId::DataEntry), nullptr);
  frm.findChildWindow(WindowId::AppearanceInterval)->close();
  action("actionEntry")->trigger();
  QMdiSubWindow* entry = frm.findChildWindow(WindowId::DataEntry);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->windowTitle(), QStringLiteral("当選データ入力"));
}

// The program comes up with the prediction window, once: a closed one stays
// closed when the user comes back to the program.
TEST(MainFrmStartUp, ThePredictionWindowComesUpWithTheProgramOnce) {
  test::ProgramFolder folder{someDraws()};
  MainFrm frm{folder.path(), folder.settings()};
  test::ProgramStart start{folder};
  ASSERT_TRUE(start.run(frm));
  QMdiSubWindow* pred = frm.findChildWindow(WindowId::Prediction);
  ASSERT_NE(pred, nullptr);
  EXPECT_EQ(pred->windowTitle(), QStringLiteral("一発ゼノバ予想"));
  EXPECT_EQ(pred->size(), ChildFrame::twipsToPixels(pred, 9360, 8244));
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 1);
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  pred->close();
  EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr) << "a closed window is not found";
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(&frm, &activate);
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr);
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 0);
}

TEST_F(MainFrmTest, ArrangeModes) {
  frm.resize(1000, 800);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  QMdiSubWindow* a = frm.openWindow(WindowId::CarryOver);
  QMdiSubWindow* b = frm.openWindow(WindowId::AppearanceInterval);
  ASSERT_TRUE(test::runQueuedCalls());
  ASSERT_EQ(openCount(), 2);
  EXPECT_EQ(b->pos(), QPoint(0, 0)) << "a window opens at the top left, over the others";
  frm.arrangeWindows(MainFrm::Arrangement::Stacked);
  QApplication::sendPostedEvents();  // the area's scroll bars follow its windows
  const QRect area = frm.mdiArea()->viewport()->rect();
  EXPECT_EQ(a->width(), area.width());
  EXPECT_EQ(b->width(), area.width());
  EXPECT_NE(a->y(), b->y());
  frm.arrangeWindows(MainFrm::Arrangement::SideBySide);
  EXPECT_EQ(a->height(), area.height());
  EXPECT_NE(a->x(), b->x());
  b->showMinimized();
  frm.arrangeWindows(MainFrm::Arrangement::Icons);
  EXPECT_EQ(b->geometry().bottom(), area.bottom());
  frm.arrangeWindows(MainFrm::Arrangement::Cascade);
  EXPECT_EQ(openCount(), 2);
}

TEST_F(MainFrmTest, OpeningAWindowRunsNoOtherEvent) {
  // a call queued before the command runs only after it, never half-way through
  bool ran = false;
  std::string openDuringCall;
  QTimer::singleShot(0, &frm, [&] {
    ran = true;
    for (WindowId id : {WindowId::AppearanceFrequency, WindowId::AppearanceInterval})
      if (frm.findChildWindow(id)) openDuringCall += windowRow(id).def.name;
  });
  frm.openWindow(WindowId::AppearanceFrequency);
  frm.openWindow(WindowId::AppearanceInterval);
  EXPECT_FALSE(ran);
  EXPECT_EQ(openCount(), 2);
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_TRUE(ran);
  EXPECT_EQ(openDuringCall, "出現頻度分析出現間隔分析");
}

TEST_F(MainFrmTest, ExitClosesEveryWindowWithoutAQuestion) {
  frm.show();
  frm.openWindow(WindowId::AppearanceFrequency);
  frm.openWindow(WindowId::AppearanceInterval);
  action("actionQuit")->trigger();
  EXPECT_EQ(openCount(), 0);
  EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
  EXPECT_FALSE(frm.isVisible());
}

TEST(MainFrmStartUp, EmptyHistoryStartsAndWindowsShowHeadersOnly) {
  test::ProgramFolder folder({});
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start{folder};
  ASSERT_TRUE(start.run(frm));
  EXPECT_EQ(frm.history().stats.LastDrawNo, 0);
  for (const WindowRow& row : windowTable()) EXPECT_NE(frm.openWindow(row.id), nullptr) << row.def.name;
  EXPECT_NE(frm.openWindow(WindowId::Charts), nullptr);
}

TEST(MainFrmStatusLine, TheNewestDrawAndHowManyDrawsTheCalendarHasHeldSince) {
  std::vector<Draw> rows = {test::draw(20, {1, 2, 3, 4, 5, 6})};  // past the fortnightly first draws
  const struct {
    const char* last;
    const char* today;
    const char* line;
  } cases[] = {
      {"2000-01-04", "2000-01-10", "最新データ：第20回（2000-01-04）"},
      {"2000-01-04", "2000-01-11", "最新データ：第20回（2000-01-04）　約1回分が未取り込みです"},
      {"2000-01-04", "2000-01-19", "最新データ：第20回（2000-01-04）　約2回分が未取り込みです"},
      {"2000-01-04", "", "最新データ：第20回（2000-01-04）"},
      {"2024-12-24", "2025-01-07", "最新データ：第20回（2024-12-24）　約1回分が未取り込みです"},  // the year-end break
      {"2025-12-23", "2026-01-06", "最新データ：第20回（2025-12-23）　約2回分が未取り込みです"},  // 12/30 is drawn
      {"2026-08-18", "2026-12-09", "最新データ：第20回（2026-08-18）　約16回分が未取り込みです"},
      {"", "2000-01-19", "最新データ：第20回　最新化してください"},
  };
  for (const auto& c : cases) {
    rows.back().date = test::date(c.last);
    EXPECT_EQ(statusLine(History::fromRows(rows), c.today).text(), c.line) << c.last << " " << c.today;
  }
  EXPECT_EQ(statusLine(History(), "2000-01-01").text(), "最新データ：なし　最新化してください");

  // the start reads the newest draw's date, and only that
  std::vector<Draw> shipped = parseHistoryCsv(test::slurp(KM_SHIPPED_CSV))->draws;
  shipped.erase(shipped.begin() + 1340, shipped.end());
  test::ProgramFolder folder(shipped);
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start{folder};
  ASSERT_TRUE(start.run(frm));
  EXPECT_EQ(frm.findChild<QLabel*>(QStringLiteral("latestData"))->text(),
            QStringLiteral("最新データ：第1340回（2025-06-24）"));
  const auto* missing = frm.findChild<QLabel*>(QStringLiteral("updateReminder"));
  EXPECT_TRUE(missing->text().endsWith(QStringLiteral("回分が未取り込みです"))) << missing->text().toStdString();
  EXPECT_EQ(missing->textFormat(), Qt::PlainText) << "a stored date is never markup";
  EXPECT_EQ(frm.history().draws[1338].date, "");
}
