// The update of the history over the network against a local server: what is
// refused leaves the database byte for byte, what is accepted replaces it and
// keeps the old file as Kazumaki.mdb.bak.
#include "entry/master_update.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMdiSubWindow>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "app/main_frm.h"
#include "entry/master_update_dialog.h"
#include "store/database.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/http_test_server.h"
#include "tests/ui/ui_helpers.h"

namespace fs = std::filesystem;
using namespace km;
using Outcome = MasterUpdate::Outcome;

namespace {

using test::slurp;

// Compares file contents without printing them.
::testing::AssertionResult sameBytes(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "contents differ (" << a.size() << " and " << b.size() << " bytes)";
}

std::vector<Draw> oldDraws() { return test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 28}}}); }

// Database files to serve, made once.
struct Served {
  QByteArray fresh, wrongKey, outOfRange;
  static const Served& get() {
    static const Served s = [] {
      Served out;
      test::ProgramFolder scratch({}, false);
      auto bytes = [&](const std::string& password, const std::vector<Draw>& draws) {
        const std::string p = (scratch.dir / "x.mdb").string();
        fs::remove(p);
        writeDatabase({p, password}, draws);
        const std::string b = slurp(p);
        return QByteArray(b.data(), qsizetype(b.size()));
      };
      out.fresh =
          bytes(databasePassword(),
                test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 28}}, {3, {1, 8, 10, 24, 30, 28}}}));
      out.wrongKey = bytes("123456", oldDraws());
      out.outOfRange =
          bytes(databasePassword(), test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 0}}}));
      return out;
    }();
    return s;
  }
};

struct Result {
  Outcome outcome = Outcome::Running;
  QString message;
  int finishedSignals = 0;
  qint64 lastReceived = -1, lastTotal = -1;
  int drawsBefore = 0, drawsAfter = 0;
};

struct MasterUpdateTest : ::testing::Test {
  test::HttpTestServer server;
  test::ProgramFolder folder{oldDraws()};
  std::string old;

  void SetUp() override {
    ASSERT_TRUE(server.listening());
    old = slurp(target());
    const Served& s = Served::get();
    auto body = [](const QByteArray& b) {
      test::HttpResponse r;
      r.body = b;
      return r;
    };
    server.route("/valid", body(s.fresh));
    server.route("/empty", body({}));
    server.route("/garbage", body(QByteArray("<html><body>maintenance</body></html>").repeated(100)));
    server.route("/truncated", body(s.fresh.left(s.fresh.size() / 2)));
    server.route("/wrongkey", body(s.wrongKey));
    server.route("/range", body(s.outOfRange));
    test::HttpResponse r;
    r.status = 500;
    r.reason = "Internal Server Error";
    server.route("/error", r);
    r = body(s.fresh);
    r.mode = test::HttpResponse::Stall;
    r.stallAfter = 1000;
    server.route("/stall", r);
    r = body(s.fresh);
    r.mode = test::HttpResponse::CloseDelimited;
    server.route("/unsized", r);
    r = test::HttpResponse();
    r.status = 302;
    r.reason = "Found";
    r.location = server.url("/valid").toUtf8();
    server.route("/redirect-http", r);
    r.location = "/valid";
    server.route("/redirect-relative", r);
    r.location = server.url("/valid").replace("http://", "https://").toUtf8();
    server.route("/redirect-https", r);
  }
  void TearDown() override { qunsetenv(kUpdateUrlVariable); }

  std::string target() const { return (folder.dir / "Kazumaki.mdb").string(); }
  QString qtarget() const { return QString::fromStdString(target()); }
  std::string backup() const { return target() + ".bak"; }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder.dir)) out.insert(e.path().filename().string());
    return out;
  }
  void expectUntouched(const QString& what) const {
    EXPECT_TRUE(sameBytes(slurp(target()), old)) << what.toStdString();
    EXPECT_EQ(names(), std::set<std::string>{"Kazumaki.mdb"}) << what.toStdString();
  }
  std::string freshBytes() const { return Served::get().fresh.toStdString(); }

  Result run(const QString& path, qint64 cap = kUpdateMaxBytes, int stallMs = kUpdateStallMs) {
    MasterUpdate job(QUrl(server.url(path)), qtarget());
    job.setMaxBytes(cap);
    job.setStallTimeout(stallMs);
    Result r;
    QObject::connect(&job, &MasterUpdate::finished, [&] { ++r.finishedSignals; });
    QObject::connect(&job, &MasterUpdate::progress, [&](qint64 got, qint64 total) {
      r.lastReceived = got;
      r.lastTotal = total;
    });
    job.start();
    EXPECT_EQ(job.outcome(), Outcome::Running) << "decided inside start()";
    EXPECT_TRUE(QTest::qWaitFor([&] { return job.outcome() != Outcome::Running; }, 20000)) << path.toStdString();
    r.outcome = job.outcome();
    r.message = job.message();
    r.drawsBefore = job.drawsBefore();
    r.drawsAfter = job.drawsAfter();
    return r;
  }
};

}  // namespace

TEST_F(MasterUpdateTest, ValidDownloadReplacesTheDatabaseAndKeepsTheBackup) {
  const Result r = run("/valid");
  ASSERT_EQ(r.outcome, Outcome::Updated) << r.message.toStdString();
  EXPECT_EQ(r.message, QStringLiteral("当選データを最新化しました。"));
  EXPECT_EQ(r.finishedSignals, 1);
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
  EXPECT_TRUE(sameBytes(slurp(backup()), old));
  EXPECT_EQ(names(), (std::set<std::string>{"Kazumaki.mdb", "Kazumaki.mdb.bak"}));
  EXPECT_EQ(r.lastReceived, Served::get().fresh.size());
  EXPECT_EQ(r.lastTotal, Served::get().fresh.size());
  EXPECT_EQ(r.drawsBefore, 2);
  EXPECT_EQ(r.drawsAfter, 3);
  EXPECT_EQ(server.requests("/valid"), 1);
}

TEST_F(MasterUpdateTest, EveryBadDownloadLeavesTheDatabaseByteForByte) {
  const struct {
    const char* path;
    const char* says;
  } cases[] = {
      {"/empty", "空です"},
      {"/garbage", "使えません"},
      {"/truncated", "使えません"},
      {"/wrongkey", "パスワードが一致しない"},
      {"/range", "1〜31の範囲外"},
      {"/nothing-here", "404 Not Found"},
      {"/error", "500 Internal Server Error"},
      {"/redirect-http", "HTTPS ではない"},
      {"/redirect-relative", "HTTPS ではない"},
  };
  for (const auto& c : cases) {
    const Result r = run(QString::fromUtf8(c.path));
    EXPECT_EQ(r.outcome, Outcome::Failed) << c.path;
    EXPECT_EQ(r.finishedSignals, 1) << c.path;
    EXPECT_TRUE(r.message.contains(QString::fromUtf8(c.says))) << c.path << ": " << r.message.toStdString();
    EXPECT_TRUE(r.message.contains(QStringLiteral("当選データファイルは変更していません。"))) << c.path;
    expectUntouched(QString::fromUtf8(c.path));
  }
  EXPECT_EQ(server.requests("/valid"), 0) << "a redirect to plain HTTP is not followed";
}

TEST_F(MasterUpdateTest, RedirectToHttpsIsFollowed) {
  const Result r = run("/redirect-https", kUpdateMaxBytes, 2000);
  EXPECT_EQ(r.outcome, Outcome::Failed);  // the test server speaks no TLS
  EXPECT_FALSE(r.message.contains(QStringLiteral("HTTPS ではない"))) << r.message.toStdString();
  EXPECT_EQ(server.connections(), 2) << "the second connection is the followed redirect";
  expectUntouched("https redirect");
}

TEST_F(MasterUpdateTest, StalledTransferEndsAfterTheTimeout) {
  const Result r = run("/stall", kUpdateMaxBytes, 300);
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("0.3秒間データが届かない"))) << r.message.toStdString();
  EXPECT_EQ(r.lastReceived, 1000);
  expectUntouched("stall");
}

TEST_F(MasterUpdateTest, SizeCapEndsTheTransferAtOneByteOver) {
  const qsizetype size = Served::get().fresh.size();
  Result r = run("/valid", size - 1);  // announced length over the cap
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("大きすぎます"))) << r.message.toStdString();
  expectUntouched("announced");
  r = run("/unsized", size - 1);  // no length announced: counted while it arrives
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("大きすぎます"))) << r.message.toStdString();
  expectUntouched("unsized");
  r = run("/unsized", size);  // exactly the cap is accepted
  EXPECT_EQ(r.outcome, Outcome::Updated) << r.message.toStdString();
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
}

TEST_F(MasterUpdateTest, CancelEndsARunningTransfer) {
  MasterUpdate job(QUrl(server.url("/stall")), qtarget());
  int finished = 0;
  QObject::connect(&job, &MasterUpdate::finished, [&] { ++finished; });
  job.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.stalledBytesSent() > 0; }, 10000));
  job.cancel();
  EXPECT_EQ(job.outcome(), Outcome::Cancelled);
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(job.message().contains(QStringLiteral("中止しました"))) << job.message().toStdString();
  job.cancel();
  EXPECT_EQ(finished, 1);
  expectUntouched("cancel");
}

TEST_F(MasterUpdateTest, MissingDatabaseIsToldWithItsPathAndNothingIsFetched) {
  fs::remove(target());
  const Result r = run("/valid");
  EXPECT_EQ(r.outcome, Outcome::Missing);
  EXPECT_EQ(r.message, QStringLiteral("当選データファイル：'") + qtarget() + QStringLiteral("'が存在しません"));
  EXPECT_EQ(server.requests("/valid"), 0);
  EXPECT_TRUE(names().empty());
}

TEST_F(MasterUpdateTest, AddressComesFromTheBuildOrTheEnvironment) {
  qunsetenv(kUpdateUrlVariable);
  UpdateSource s = updateSource();
  EXPECT_TRUE(s.error.isEmpty());
  EXPECT_EQ(s.url, builtInUpdateUrl());
  EXPECT_EQ(s.url.scheme(), QStringLiteral("https"));
  EXPECT_EQ(s.url.path(), QStringLiteral("/download/Kazumaki/Kazumaki.mdb"));

  qputenv(kUpdateUrlVariable, "http://127.0.0.1:5/x.mdb");
  s = updateSource();
  EXPECT_TRUE(s.error.isEmpty());
  EXPECT_EQ(s.url, QUrl("http://127.0.0.1:5/x.mdb"));

  for (const char* bad : {"ftp://example.org/x.mdb", "file:///etc/passwd", "https://", "Kazumaki.mdb"}) {
    qputenv(kUpdateUrlVariable, bad);
    s = updateSource();
    EXPECT_TRUE(s.url.isEmpty()) << bad;
    EXPECT_TRUE(s.error.contains(QStringLiteral("KAZUMAKI_UPDATE_URL"))) << bad;
  }
  qputenv(kUpdateUrlVariable, "");
  EXPECT_EQ(updateSource().url, builtInUpdateUrl());
}

// ---- the menu command ----

namespace {

struct MenuUpdateTest : MasterUpdateTest {
  std::unique_ptr<MainFrm> frm;
  void SetUp() override {
    MasterUpdateTest::SetUp();
    frm = std::make_unique<MainFrm>(folder.path(), folder.settings());
    ASSERT_TRUE(frm->startUp());
  }
  void TearDown() override {
    frm.reset();
    MasterUpdateTest::TearDown();
  }
  QAction* menuItem() const { return frm->findChild<QAction*>(QStringLiteral("mnuMasterUpdate")); }
  void use(const char* path) { qputenv(kUpdateUrlVariable, server.url(QString::fromUtf8(path)).toUtf8()); }
  // Chooses the menu item and waits for the message box that ends it.
  test::MessageBoxWatcher* choose() {
    auto* w = new test::MessageBoxWatcher;
    watchers_.emplace_back(w);
    menuItem()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([w] { return w->seen; }, 20000));
    return w;
  }

 private:
  std::vector<std::unique_ptr<test::MessageBoxWatcher>> watchers_;
};

}  // namespace

TEST_F(MenuUpdateTest, ReplacesTheDatabaseWhileTheProgramKeepsItsHistory) {
  use("/valid");
  frm->openWindow(WindowId::AppearanceFrequency);  // an analysis window does not stand in the way
  const test::MessageBoxWatcher* w = choose();
  EXPECT_EQ(w->text, QStringLiteral("当選データを最新化しました。"));
  EXPECT_EQ(w->icon, QMessageBox::NoIcon);
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
  EXPECT_TRUE(sameBytes(slurp(backup()), old));
  EXPECT_EQ(frm->history().recordCount(), 2) << "the new history is read at the next start";
  EXPECT_TRUE(QTest::qWaitFor([&] { return frm->findChild<MasterUpdateDialog*>() == nullptr; }, 5000));
}

TEST_F(MenuUpdateTest, RefusedWhileTheDataEntryWindowIsOpen) {
  use("/valid");
  ASSERT_NE(frm->openWindow(WindowId::DataEntry), nullptr);
  const test::MessageBoxWatcher* w = choose();
  EXPECT_EQ(w->text, MasterUpdateDialog::refusalText());
  EXPECT_EQ(w->icon, QMessageBox::Critical);
  EXPECT_EQ(w->title, QStringLiteral("メッセ－ジ"));
  EXPECT_EQ(frm->findChild<MasterUpdateDialog*>(), nullptr);
  EXPECT_EQ(server.requests("/valid"), 0);
  expectUntouched("refused");

  frm->findChildWindow(WindowId::DataEntry)->close();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }, 5000));
  w = choose();
  EXPECT_EQ(w->text, QStringLiteral("当選データを最新化しました。"));
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
}

TEST_F(MenuUpdateTest, MissingFileMessageNamesTheDatabaseOpenedAtStartUp) {
  use("/valid");
  fs::remove(target());
  bool dialogShown = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* d = frm->findChild<MasterUpdateDialog*>(); d && d->isVisible()) dialogShown = true;
  });
  probe.start(0);
  const test::MessageBoxWatcher* w = choose();
  probe.stop();
  EXPECT_FALSE(dialogShown) << "no progress dialog for a file that is not there";
  EXPECT_EQ(w->text,
            QStringLiteral("当選データファイル：'") + folder.path() + QStringLiteral("/Kazumaki.mdb'が存在しません"));
  EXPECT_EQ(w->icon, QMessageBox::NoIcon);
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(MenuUpdateTest, FailureIsAStopMessageAndTheDatabaseStays) {
  use("/garbage");
  const test::MessageBoxWatcher* w = choose();
  EXPECT_EQ(w->icon, QMessageBox::Critical);
  EXPECT_EQ(w->title, QStringLiteral("メッセ－ジ"));
  EXPECT_TRUE(w->text.contains(QStringLiteral("使えません"))) << w->text.toStdString();
  expectUntouched("garbage via menu");

  qputenv(kUpdateUrlVariable, "ftp://example.org/Kazumaki.mdb");
  w = choose();
  EXPECT_EQ(w->icon, QMessageBox::Critical);
  EXPECT_TRUE(w->text.contains(QStringLiteral("KAZUMAKI_UPDATE_URL"))) << w->text.toStdString();
  expectUntouched("bad address");
}

TEST_F(MenuUpdateTest, ProgressDialogShowsTheTransferAndItsCancelButtonEndsIt) {
  use("/stall");
  auto* w = new test::MessageBoxWatcher;
  std::unique_ptr<test::MessageBoxWatcher> owner(w);
  menuItem()->trigger();
  QPointer<MasterUpdateDialog> dialog = frm->findChild<MasterUpdateDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, 5000));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("当選データ最新化"));
  EXPECT_EQ(MasterUpdateDialog::start(frm.get(), qtarget()), nullptr) << "one update at a time";
  auto* bar = dialog->findChild<QProgressBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == 1000; }, 10000));
  EXPECT_EQ(bar->maximum(), Served::get().fresh.size());
  EXPECT_TRUE(dialog->labelText().contains(QStringLiteral("受信"))) << dialog->labelText().toStdString();
  EXPECT_TRUE(dialog->labelText().contains(server.url("/stall")));
  QPushButton* cancel = dialog->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
  cancel->click();
  ASSERT_TRUE(QTest::qWaitFor([w] { return w->seen; }, 10000));
  EXPECT_EQ(w->icon, QMessageBox::Information);
  EXPECT_TRUE(w->text.contains(QStringLiteral("中止しました"))) << w->text.toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 5000));
  expectUntouched("cancel button");
}

// ---- kazumaki-tool update ----

namespace {

struct ToolRun {
  int exitCode = -1;
  QString out, err;
};

ToolRun runTool(const QStringList& args, const QString& envUrl = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QString::fromUtf8(kUpdateUrlVariable));
  if (!envUrl.isEmpty()) env.insert(QString::fromUtf8(kUpdateUrlVariable), envUrl);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KM_TOOL), args);
  ToolRun r;
  // the server answers from this event loop while the tool runs
  if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000)) p.kill();
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

}  // namespace

TEST_F(MasterUpdateTest, ToolUpdateReplacesAndSummarises) {
  ToolRun r = runTool({"update", qtarget(), server.url("/valid")});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, QStringLiteral("当選データを最新化しました。 ") + qtarget() +
                       QStringLiteral(": 2回分 → 3回分（最新 第3回）\n"));
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
  EXPECT_TRUE(sameBytes(slurp(backup()), old));

  // without an address on the command line the environment's is used
  fs::remove(backup());
  { std::ofstream(target(), std::ios::binary | std::ios::trunc) << old; }
  r = runTool({"update", qtarget()}, server.url("/valid"));
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(sameBytes(slurp(target()), freshBytes()));
}

TEST_F(MasterUpdateTest, ToolUpdateFailsWithTheReasonAndLeavesTheFile) {
  for (const char* path : {"/garbage", "/wrongkey", "/nothing-here", "/redirect-http"}) {
    const ToolRun r = runTool({"update", qtarget(), server.url(QString::fromUtf8(path))});
    EXPECT_EQ(r.exitCode, 1) << path;
    EXPECT_TRUE(r.out.isEmpty()) << path;
    EXPECT_TRUE(r.err.contains(QStringLiteral("当選データファイルは変更していません。")))
        << path << r.err.toStdString();
    expectUntouched(QString::fromUtf8(path));
  }
  ToolRun r = runTool({"update", qtarget(), "ftp://example.org/x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("取得先が正しくありません"))) << r.err.toStdString();

  const QString missing = folder.path() + QStringLiteral("/none.mdb");
  r = runTool({"update", missing, server.url("/valid")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            QStringLiteral("kazumaki-tool: 当選データファイル：'") + missing + QStringLiteral("'が存在しません\n"));
  EXPECT_EQ(server.requests("/valid"), 0);
  expectUntouched("tool");
}
