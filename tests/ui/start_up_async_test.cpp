// The start with the history read on its own thread: the same order, the
// same failure messages, nothing written by a failed start, and no command
// before the history is there.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "app/history_loader.h"
#include "app/main_frm.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

std::vector<Draw> someDraws() {
  return test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 28}}, {3, {1, 8, 10, 24, 30, 28}}});
}

// The names of the menu bar's items that can be chosen.
QStringList enabledBarItems(MainFrm& frm) {
  QStringList on;
  for (QAction* a : frm.menuBar()->actions())
    if (a->isEnabled()) on << a->objectName();
  return on;
}

void activate(MainFrm& frm) {
  QEvent e(QEvent::WindowActivate);
  QApplication::sendEvent(&frm, &e);
}

}  // namespace

TEST(StartUpAsync, ActivatedBeforeTheHistoryThePredictionWindowOpensWhenItArrives) {
  test::ProgramFolder folder(someDraws());
  const ConnectString cs = makeConnectString(folder.dir.string());
  // another program writing: the read waits for its lock
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(cs.path.c_str(), &writer), SQLITE_OK);
  ASSERT_TRUE(keyConnection(writer, cs.password));
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  MainFrm frm(folder.path(), folder.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  HistoryLoader loader(cs);
  frm.startUp(loader);
  EXPECT_TRUE(frm.loading());
  EXPECT_EQ(enabledBarItems(frm), QStringList{"actionQuit"}) << "no command but 終了 before the history is there";
  EXPECT_EQ(frm.history().recordCount(), 0);
  activate(frm);
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr) << "no prediction without a history";
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_FALSE(loader.ready());
  EXPECT_TRUE(frm.loading());
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 30000));
  EXPECT_TRUE(ended.at(0).at(0).toBool());
  EXPECT_FALSE(frm.loading());
  EXPECT_EQ(enabledBarItems(frm).size(), frm.menuBar()->actions().size());
  EXPECT_EQ(frm.history().recordCount(), 3);
  EXPECT_EQ(frm.history().stats.LastDrawNo, 3);
  EXPECT_NE(frm.findChildWindow(WindowId::Prediction), nullptr);
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_EQ(ended.count(), 1) << "delivered once";
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 1);
}

TEST(StartUpAsync, AHistoryReadBeforeTheWindowAsksIsTakenAtOnceAndThePredictionComesUpWithTheWindow) {
  test::ProgramFolder folder(someDraws());
  HistoryLoader loader(makeConnectString(folder.dir.string()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.ready(); }, 30000));
  MainFrm frm(folder.path(), folder.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  frm.startUp(loader);
  // everything is there before the window is shown, so it is drawn in one go
  ASSERT_EQ(ended.count(), 1);
  EXPECT_TRUE(ended.at(0).at(0).toBool());
  EXPECT_FALSE(frm.loading());
  EXPECT_EQ(enabledBarItems(frm).size(), frm.menuBar()->actions().size());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "no busy pointer when nothing is waited for";
  EXPECT_EQ(frm.history().recordCount(), 3);
  EXPECT_NE(frm.findChildWindow(WindowId::Prediction), nullptr);
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  // the activation that follows the show opens nothing more, and nothing is delivered again
  frm.show();
  activate(frm);
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_EQ(ended.count(), 1);
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 1);
  frm.close();
  EXPECT_TRUE(std::filesystem::exists(folder.dir / "カズマキ.ini")) << "a good start keeps its settings";
}

TEST(StartUpAsync, AFailedReadThatEndedBeforeTheWindowAsksStillStopsFromTheEventLoop) {
  test::ProgramFolder empty({}, false);
  HistoryLoader loader(makeConnectString(empty.dir.string()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.ready(); }, 30000));
  MainFrm frm(empty.path(), empty.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  test::MessageBoxWatcher box;
  frm.startUp(loader);
  // the program ends on startUpEnded(false) by leaving its event loop, so the
  // failure must come from inside that loop
  EXPECT_EQ(ended.count(), 0);
  EXPECT_FALSE(box.seen);
  EXPECT_TRUE(frm.loading());
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 30000));
  EXPECT_FALSE(ended.at(0).at(0).toBool());
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr);
  frm.close();
  EXPECT_FALSE(std::filesystem::exists(empty.dir / "カズマキ.ini")) << "a failed start writes nothing";
}

TEST(StartUpAsync, AMissingDatabaseShowsTheStopBoxAndWritesNothing) {
  test::ProgramFolder empty({}, false);
  MainFrm frm(empty.path(), empty.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  HistoryLoader loader(makeConnectString(empty.dir.string()));
  test::MessageBoxWatcher box;
  frm.startUp(loader);
  frm.show();
  activate(frm);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 30000));
  EXPECT_FALSE(ended.at(0).at(0).toBool());
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.contains(QStringLiteral("Kazumaki.mdb")));
  EXPECT_TRUE(box.text.contains(QStringLiteral("見つかりません")));
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr);
  frm.close();
  EXPECT_FALSE(std::filesystem::exists(empty.dir / "Kazumaki.mdb"));
  EXPECT_FALSE(std::filesystem::exists(empty.dir / "カズマキ.ini")) << "a failed start writes nothing";
}

TEST(StartUpAsync, AWrongKeyShowsSQLitesReasonAndWritesNothing) {
  test::ProgramFolder folder(someDraws());
  ConnectString wrong = makeConnectString(folder.dir.string());
  wrong.password += "0";
  MainFrm frm(folder.path(), folder.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  HistoryLoader loader(wrong);
  test::MessageBoxWatcher box;
  frm.startUp(loader);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 30000));
  EXPECT_FALSE(ended.at(0).at(0).toBool());
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_FALSE(box.text.isEmpty());
  frm.close();
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "カズマキ.ini")) << "a failed start writes nothing";
}

TEST(StartUpAsync, AReadPastItsTimeLimitEndsInAStopBoxAndMeanwhileTheProgramCanBeLeft) {
  test::ProgramFolder folder(someDraws());
  const ConnectString cs = makeConnectString(folder.dir.string());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(cs.path.c_str(), &db), SQLITE_OK);
  ASSERT_TRUE(keyConnection(db, cs.password));
  ASSERT_EQ(sqlite3_exec(db,
                         "DROP VIEW 全データ選択クエリ; CREATE VIEW 全データ選択クエリ AS WITH RECURSIVE c(x) AS "
                         "(SELECT 1 UNION ALL SELECT x FROM c) SELECT 1 AS 回数, 1 AS 第1数字, 2 AS 第2数字, 3 AS "
                         "第3数字, 4 AS 第4数字, 5 AS 第5数字, 6 AS ボーナス数字 FROM c",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  MainFrm frm(folder.path(), folder.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  HistoryLoader loader(cs, std::chrono::milliseconds(300));
  test::MessageBoxWatcher box;
  frm.startUp(loader);
  EXPECT_EQ(enabledBarItems(frm), QStringList{"actionQuit"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 30000));
  EXPECT_FALSE(ended.at(0).at(0).toBool());
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.contains(QStringLiteral("300ミリ秒以内に終わりません"))) << box.text.toStdString();
  frm.close();
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "カズマキ.ini")) << "a failed start writes nothing";
}

TEST(StartUpAsync, AWindowClosedBeforeTheHistoryArrivesTakesNothingOfIt) {
  test::ProgramFolder folder(someDraws());
  HistoryLoader loader(makeConnectString(folder.dir.string()), kReadTimeLimit, HistoryLoader::Start::WhenReleased);
  MainFrm frm(folder.path(), folder.settings());
  QSignalSpy ended(&frm, &MainFrm::startUpEnded);
  frm.startUp(loader);
  activate(frm);
  frm.close();
  EXPECT_FALSE(frm.loading());
  loader.release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.ready(); }, 30000));
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_EQ(ended.count(), 0);
  EXPECT_EQ(frm.history().recordCount(), 0);
  EXPECT_EQ(frm.findChildWindow(WindowId::Prediction), nullptr);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy pointer is gone";
  frm.close();
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "カズマキ.ini"));
}

TEST(StartUpAsync, ClosingBeforeTheHistoryArrivesWritesNothingAndIgnoresTheLateResult) {
  test::ProgramFolder folder(someDraws());
  HistoryLoader loader(makeConnectString(folder.dir.string()), kReadTimeLimit, HistoryLoader::Start::WhenReleased);
  {
    MainFrm frm(folder.path(), folder.settings());
    frm.startUp(loader);
    frm.close();
    EXPECT_FALSE(std::filesystem::exists(folder.dir / "カズマキ.ini"));
  }
  loader.release();
  // the result comes to a window that is gone: nothing runs
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.ready(); }, 30000));
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_FALSE(std::filesystem::exists(folder.dir / "カズマキ.ini"));
}

#include "app/benchmark.h"

TEST(BenchmarkCommandLine, TakesStartOrAllAndRefusesAnythingElse) {
  auto parse = [](std::vector<std::string> args, bool& on, Benchmark::Mode& mode, std::string& error) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return Benchmark::parse(static_cast<int>(argv.size()), argv.data(), on, mode, error);
  };
  bool on = true;
  Benchmark::Mode mode = Benchmark::Mode::All;
  std::string error;
  EXPECT_TRUE(parse({"kazumaki"}, on, mode, error));
  EXPECT_FALSE(on);
  EXPECT_TRUE(parse({"kazumaki", "--benchmark", "start"}, on, mode, error));
  EXPECT_TRUE(on);
  EXPECT_EQ(mode, Benchmark::Mode::Start);
  EXPECT_TRUE(parse({"kazumaki", "--benchmark", "all"}, on, mode, error));
  EXPECT_EQ(mode, Benchmark::Mode::All);
  EXPECT_FALSE(parse({"kazumaki", "--benchmark"}, on, mode, error));
  EXPECT_FALSE(parse({"kazumaki", "--benchmark", "everything"}, on, mode, error));
  EXPECT_FALSE(error.empty());
  EXPECT_GT(Benchmark::peakRssMiB(), 1.0);
}

TEST(BenchmarkRun, ReportsEveryStartStepInOrder) {
  test::ProgramFolder folder(someDraws());
  MainFrm frm(folder.path(), folder.settings());
  char* buf = nullptr;
  size_t len = 0;
  std::FILE* out = open_memstream(&buf, &len);
  auto* b = new Benchmark(frm, Benchmark::Mode::Start, Benchmark::Clock::now(), out);
  HistoryLoader loader(makeConnectString(folder.dir.string()));
  frm.startUp(loader);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm.history().recordCount() == 3; }, 30000));
  b->step("probe");
  std::fflush(out);
  const std::string text(buf, len);
  EXPECT_NE(text.find("application ready"), std::string::npos) << text;
  EXPECT_NE(text.find("history read"), std::string::npos) << text;
  EXPECT_LT(text.find("application ready"), text.find("history read"));
  EXPECT_NE(text.find(" ms "), std::string::npos);
  EXPECT_NE(text.find(" MiB  probe"), std::string::npos) << text;
  delete b;
  std::fclose(out);
  std::free(buf);
}

#include <QFontDatabase>

#include "app/warm_up.h"

TEST(WarmUp, EndsWhetherOrNotTheApplicationWasMade) {
  // a start that ends before the application object (a missing program
  // folder) must not leave the thread waiting
  { WarmUp never; }
  WarmUp made;
  made.applicationMade();
  made.applicationMade();  // a second call changes nothing
  made.wait();
  made.wait();
  EXPECT_FALSE(QFontDatabase::families().isEmpty());
}
