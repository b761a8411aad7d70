// The update of the history from a local server, as the program and
// kazumaki-tool run it: what is refused or cut short leaves the database byte
// for byte, what brings new draws adds them and keeps the old file as
// Kazumaki.mdb.bak.
#include "update/master_update.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSslKey>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "app/main_frm.h"
#include "store/formats/csv.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/http_test_server.h"
#include "tests/ui/ui_helpers.h"
#include "update/master_update_dialog.h"
#include "update/update_messages.h"

namespace fs = std::filesystem;
using namespace km;
using Outcome = MasterUpdate::Outcome;

namespace {

using test::slurp;

QByteArray testFile(const QString& name) {
  QFile f(QStringLiteral(KM_TEST_DATA "/") + name);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

// The shipped history cut at draw 1340, as a user who installed it then has it.
std::vector<Draw> cutAt1340() {
  std::vector<Draw> d = parseHistoryCsv(slurp(KM_SHIPPED_CSV))->draws;
  d.erase(d.begin() + 1340, d.end());
  return d;
}

test::HttpResponse body(const QByteArray& b, test::HttpResponse::Mode mode = test::HttpResponse::Whole) {
  test::HttpResponse r;
  r.body = b;
  r.mode = mode;
  return r;
}

struct UpdateTest : ::testing::Test {
  test::HttpTestServer server;
  test::ProgramFolder folder{cutAt1340()};
  std::string old;

  void SetUp() override {
    ASSERT_TRUE(server.listening());
    old = slurp(target());
    const QByteArray feed = testFile(QStringLiteral("feed/miniloto-1353.json"));
    server.route("/1353.json", body(feed));
    server.route("/1340.json", body(testFile(QStringLiteral("feed/miniloto-1340.json"))));
    server.route("/empty", body({}));
    server.route("/garbage", body("<html><body>maintenance</body></html>"));
    server.route("/stall", [&] {
      auto r = body(feed, test::HttpResponse::Stall);
      r.stallAfter = 1000;
      return r;
    }());
    server.route("/drip", body(feed, test::HttpResponse::Drip));  // a byte every few milliseconds
    server.route("/endless", [&] {
      auto r = body(feed.repeated(20), test::HttpResponse::Drip);
      r.dripBytes = 4096;
      return r;
    }());
    server.route("/unsized", body(feed, test::HttpResponse::CloseDelimited));
    server.route("/unsized-stall", [&] {  // no size announced, and the body stops after 1000 bytes
      auto r = body(feed, test::HttpResponse::Stall);
      r.stallAfter = 1000;
      r.announced = false;
      return r;
    }());
    {
      test::HttpResponse gzip = body(QByteArray("\x1f\x8b\x08\x00 not compressed at all", 28));
      gzip.encoding = "gzip";
      server.route("/bad-gzip", gzip);
    }
    test::HttpResponse r;
    r.status = 500;
    r.reason = "Internal Server Error";
    server.route("/error", r);
    r = test::HttpResponse();
    r.status = 302;
    r.reason = "Found";
    r.location = server.url("/1353.json").toUtf8();
    server.route("/redirect-http", r);
    r.location = server.url("/1353.json").replace("http://", "https://").toUtf8();
    server.route("/redirect-https", r);
    // a chain of three hops, and a loop
    for (const char* hop : {"/hop1", "/hop2", "/hop3"}) {
      r.location = server.url(QString::fromLatin1(hop).chopped(1) + QString::number(hop[4] - '0' + 1)).toUtf8();
      server.route(QString::fromLatin1(hop), r);
    }
    r.location = server.url("/1353.json").toUtf8();
    server.route("/hop3", r);
    r.location = server.url("/loop").toUtf8();
    server.route("/loop", r);
    server.route("/cut", [&] {
      auto cut = body(feed, test::HttpResponse::Cut);
      cut.stallAfter = 1000;
      return cut;
    }());
  }
  void TearDown() override { qunsetenv(kUpdateUrlVariable); }

  std::string target() const { return (folder.dir / "Kazumaki.mdb").string(); }
  QString qtarget() const { return QString::fromStdString(target()); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder.dir)) out.insert(e.path().filename().string());
    return out;
  }
  void expectUntouched(const std::string& what) const {
    EXPECT_TRUE(slurp(target()) == old) << what;
    EXPECT_EQ(names(), std::set<std::string>{"Kazumaki.mdb"}) << what;
  }

  struct Run {
    Outcome outcome = Outcome::Running;
    QString message, details;
    int finished = 0;
  };
  Run run(const UpdateSource& source, const TransferLimits& limits = {}, const QString& today = {}) {
    MasterUpdate job(source, qtarget());
    job.setLimits(limits);
    job.setToday(today);
    Run r;
    QObject::connect(&job, &MasterUpdate::finished, [&] { ++r.finished; });
    job.start();
    EXPECT_EQ(job.outcome(), Outcome::Running) << "decided inside start()";
    EXPECT_TRUE(QTest::qWaitFor([&] { return job.outcome() != Outcome::Running; }, 30000));
    r.outcome = job.outcome();
    r.message = job.message();
    r.details = job.details();
    return r;
  }
  Run get(const char* path, const TransferLimits& limits = {}, const QString& today = {}) {
    return run(UpdateSource{QUrl(server.url(QString::fromUtf8(path))), {}, {}}, limits, today);
  }
};

const QString kAdded = QStringLiteral("第1341回〜第1353回（13回分）を追加しました。\n最新：第1353回（2025-09-23）");

}  // namespace

TEST_F(UpdateTest, ThePublishedListAddsTheNewDrawsAndKeepsTheOldFile) {
  Run r = get("/1353.json");
  ASSERT_EQ(r.outcome, Outcome::Updated) << r.message.toStdString();
  EXPECT_EQ(r.message, kAdded);
  EXPECT_EQ(r.finished, 1);
  EXPECT_TRUE(slurp(target() + ".bak") == old);
  const LoadResult now = loadHistory(makeConnectString(folder.dir.string()), true);
  std::vector<Draw> shipped = parseHistoryCsv(slurp(KM_SHIPPED_CSV))->draws;
  shipped.erase(shipped.begin() + 1353, shipped.end());
  EXPECT_EQ(historyToCsv(now->draws), historyToCsv(shipped)) << "the history is the shipped one to draw 1353";

  r = get("/1353.json", {}, QStringLiteral("2025-09-30"));
  EXPECT_EQ(r.outcome, Outcome::NothingNew);
  EXPECT_EQ(r.message, QStringLiteral("取得先に新しい回はありません（取得先の最新：第1353回 2025-09-23）。"));
  r = get("/1340.json", {}, QStringLiteral("2026-12-08"));
  EXPECT_EQ(r.outcome, Outcome::NothingNew);
  EXPECT_TRUE(
      r.message.startsWith(QStringLiteral("取得先に新しい回はありません（取得先の最新：第1340回 2025-06-24）。\n")))
      << r.message.toStdString();
  EXPECT_TRUE(r.message.contains(QStringLiteral("更新が止まっているかもしれません"))) << r.message.toStdString();
  EXPECT_TRUE(r.message.contains(QStringLiteral("KAZUMAKI_UPDATE_URL")));
}

TEST_F(UpdateTest, EveryFailedOrCutShortTransferLeavesTheDatabaseByteForByte) {
  // each case has only its own bound short, so that no other ends it first
  TransferLimits quick;
  quick.stallMs = 300;
  quick.rateWindowMs = 100;
  TransferLimits patient;  // slow but steady: only the deadline ends it
  patient.deadlineMs = 400;
  patient.minBytesPerSecond = 1;
  patient.stallMs = patient.rateWindowMs = 60000;
  TransferLimits small;
  small.maxBytes = testFile(QStringLiteral("feed/miniloto-1353.json")).size() - 1;
  TransferLimits smallStalled;  // the bound is passed while the body comes, long before a stall ends it
  smallStalled.maxBytes = 500;
  smallStalled.stallMs = 5000;
  const struct {
    const char* path;
    TransferLimits limits;
    const char* says;
    const char* details;
  } cases[] = {
      {"/empty", {}, "取得先から届いたデータが空です。", ""},
      {"/garbage", {}, "当選データの一覧（JSON・CSV）でも、このプログラムのデータベースでもありません", "SQLite"},
      {"/nothing-here", {}, "取得先にデータがありません（HTTP 404 Not Found）", "HTTP 404"},
      {"/error", {}, "サーバーがデータを渡しませんでした（HTTP 500 Internal Server Error）", "HTTP 500"},
      {"/loop", {}, "転送（リダイレクト）が10回を超えたか、同じ所を回っています", ""},
      {"/cut", {}, "転送の途中で接続が切れました（1000 バイト受信）", ""},
      {"/stall", quick, "0.3秒間データが届かない", ""},
      {"/drip", quick, "転送が遅すぎる", ""},
      {"/endless", patient, "0.4秒以内に転送が終わらない", ""},
      {"/1353.json", small, "大きすぎます", ""},
      {"/unsized", small, "大きすぎます", ""},
      {"/unsized-stall", smallStalled, "大きすぎます", ""},
      {"/bad-gzip", {}, "", "NetworkError"},  // the library's words end in "Decompression failed: "
  };
  for (const auto& c : cases) {
    const Run r = get(c.path, c.limits);
    EXPECT_EQ(r.outcome, Outcome::Failed) << c.path;
    EXPECT_EQ(r.finished, 1) << c.path;
    EXPECT_TRUE(r.message.contains(QString::fromUtf8(c.says))) << c.path << ": " << r.message.toStdString();
    EXPECT_TRUE(r.message.endsWith(QStringLiteral("\n当選データファイルは変更していません。"))) << c.path;
    EXPECT_TRUE(r.details.contains(QString::fromUtf8(c.details))) << c.path << ": " << r.details.toStdString();
    expectUntouched(c.path);
  }
  EXPECT_EQ(server.requests("/1353.json"), 1) << "only the limited transfer reached it";
  EXPECT_EQ(server.requests("/loop"), 11) << "the first request and ten redirects";
}

TEST_F(UpdateTest, RedirectsWithinPlainHttpAreFollowedForAnHttpSource) {
  const Run r = get("/hop1");
  EXPECT_EQ(r.outcome, Outcome::Updated) << r.message.toStdString() << r.details.toStdString();
  EXPECT_EQ(r.message, kAdded);
  for (const char* hop : {"/hop1", "/hop2", "/hop3", "/1353.json"}) EXPECT_EQ(server.requests(hop), 1) << hop;
}

TEST_F(UpdateTest, EverySourceIsNamedAndAnUnreachableOneDoesNotStopTheOthers) {
  const QList<UpdateSource> sources{{QUrl(server.url("/nothing-here")), {}, {}, false},
                                    {QUrl(server.url("/1340.json")), {}, {}, false},
                                    {QUrl(server.url("/1353.json")), {}, {}, false}};
  MasterUpdate job(sources, qtarget());
  job.setToday(QStringLiteral("2025-09-30"));
  job.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return job.outcome() != Outcome::Running; }, 30000));
  ASSERT_EQ(job.outcome(), Outcome::Updated) << job.message().toStdString();
  const QString text = job.message();
  EXPECT_TRUE(text.startsWith(kAdded + QStringLiteral("\n取得先："))) << text.toStdString();
  EXPECT_TRUE(
      text.contains(server.url("/nothing-here") + QStringLiteral("：当選データをダウンロードできませんでした。")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(server.url("/1340.json") + QStringLiteral("：第1340回（2025-06-24）まで")));
  EXPECT_TRUE(text.contains(server.url("/1353.json") + QStringLiteral("：第1353回（2025-09-23）まで")));
}

TEST_F(UpdateTest, ARedirectToHttpsIsFollowed) {
  TransferLimits quick;
  quick.stallMs = 300;
  const Run r = get("/redirect-https", quick);
  EXPECT_EQ(r.outcome, Outcome::Failed);  // this server speaks no TLS
  EXPECT_FALSE(r.message.contains(QStringLiteral("HTTPS ではない"))) << r.message.toStdString();
  EXPECT_EQ(server.connections(), 2) << "the second connection is the followed redirect";
  expectUntouched("https redirect");
}

TEST_F(UpdateTest, OverTlsATrustedCertificateIsTakenAndAnUntrustedOneRefused) {
  QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
  tls.setLocalCertificate(QSslCertificate(testFile(QStringLiteral("tls/localhost.crt"))));
  tls.setPrivateKey(QSslKey(testFile(QStringLiteral("tls/localhost.key")), QSsl::Ec));
  tls.setPeerVerifyMode(QSslSocket::VerifyNone);
  test::HttpTestServer secure(&tls);
  secure.route("/1353.json", body(testFile(QStringLiteral("feed/miniloto-1353.json"))));
  const UpdateSource source{QUrl(secure.url(QStringLiteral("/1353.json"))), {}, {}};
  ASSERT_EQ(source.url.scheme(), QStringLiteral("https"));

  Run r = run(source);  // the system's certificates do not know it
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("安全な接続（TLS）を確立できません"))) << r.message.toStdString();
  EXPECT_FALSE(r.details.isEmpty());
  expectUntouched("untrusted");

  const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
  QSslConfiguration trusting = system;
  trusting.addCaCertificate(QSslCertificate(testFile(QStringLiteral("tls/localhost.crt"))));
  QSslConfiguration::setDefaultConfiguration(trusting);
  r = run(source);
  QSslConfiguration::setDefaultConfiguration(system);
  EXPECT_EQ(r.outcome, Outcome::Updated) << r.message.toStdString() << " " << r.details.toStdString();
  EXPECT_EQ(r.message, kAdded);

  // never from HTTPS down to plain HTTP
  test::HttpResponse down;
  down.status = 302;
  down.location = server.url("/1353.json").toUtf8();
  secure.route("/down", down);
  QSslConfiguration::setDefaultConfiguration(trusting);
  r = run({QUrl(secure.url(QStringLiteral("/down"))), {}, {}, false});
  QSslConfiguration::setDefaultConfiguration(system);
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_TRUE(r.message.contains(QStringLiteral("転送先が HTTPS ではない"))) << r.message.toStdString();
  EXPECT_EQ(server.requests("/1353.json"), 0);
}

TEST_F(UpdateTest, CancelEndsATransferAndACheckAtOnce) {
  MasterUpdate job({QUrl(server.url("/stall")), {}, {}}, qtarget());
  job.start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.stalledBytesSent() > 0; }, 30000));
  job.cancel();
  EXPECT_EQ(job.outcome(), Outcome::Cancelled);
  EXPECT_EQ(job.message(),
            QStringLiteral("当選データの最新化を中止しました。\n当選データファイルは変更していません。"));
  expectUntouched("cancelled transfer");

  // the check waits for another program's write lock when it is cancelled
  const QString feed = QStringLiteral(KM_TEST_DATA "/feed/miniloto-1353.json");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(target().c_str(), &other), SQLITE_OK);
  ASSERT_TRUE(keyConnection(other, databasePassword()));
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  {
    MasterUpdate checking({{}, feed, {}}, qtarget());
    checking.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return checking.checking(); }, 30000));
    checking.cancel();
    EXPECT_EQ(checking.outcome(), Outcome::Cancelled);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  }  // the check ends before the update goes, and writes nothing
  sqlite3_close(other);
  expectUntouched("cancelled check");
}

TEST_F(UpdateTest, SourcesComeFromTheBuildTheSourcesFileTheEnvironmentOrTheCommandLine) {
  qunsetenv(kUpdateUrlVariable);
  const QUrl second(QStringLiteral(
      "https://raw.githubusercontent.com/Tomoki-Taguchi/miniloto-analyzer/main/docs/data/miniloto_data.json"));
  const QUrl first(QStringLiteral("https://raw.githubusercontent.com/Po-3/miniloto-data/main/miniloto.json"));
  EXPECT_EQ(builtInUpdateUrls(), (QList<QUrl>{second, first})) << "the list that is kept up first";
  QList<UpdateSource> s = updateSources(folder.path());
  ASSERT_EQ(s.size(), 2);
  EXPECT_EQ(s[0].url, second);

  // the user's own, before the built-in lists: a relative path is in the program folder (not the one the tests run
  // in), file://localhost/ is a local file, a line that cannot be used says why
  const fs::path list = folder.dir / kSourcesFileName;
  std::ofstream(list, std::ios::binary) << "# 自分の取得先\n\nhttps://example.org/m.json  # 予備\nftp://example.org/x\n"
                                           "/tmp/miniloto.csv\nsub/../当選データ.csv\nfile://LOCALHOST/tmp/a.csv\n"
                                           "file://example.org/tmp/x.csv\n/tmp/x"
                                        << '\0' << "# NUL\n";
  s = updateSources(folder.path());
  ASSERT_EQ(s.size(), 9);
  EXPECT_EQ(s[0].url, QUrl(QStringLiteral("https://example.org/m.json")));
  EXPECT_TRUE(s[1].error.startsWith(QStringLiteral("取得先.txt の4行目: "))) << s[1].error.toStdString();
  EXPECT_EQ(s[2].file, QStringLiteral("/tmp/miniloto.csv"));
  EXPECT_EQ(s[3].file, folder.path() + QStringLiteral("/当選データ.csv"));
  EXPECT_EQ(s[4].file, QStringLiteral("/tmp/a.csv"));
  EXPECT_TRUE(s[5].error.startsWith(QStringLiteral("取得先.txt の8行目: 当選データの取得先が正しくありません")));
  EXPECT_EQ(s[6].error, QStringLiteral("取得先.txt の9行目: NUL 文字があります（テキストの行ではありません）。"));
  EXPECT_EQ(s[7].url, second);
  fs::remove(list);

  // a sources file that cannot be read says why, and the built-in lists follow
  const struct {
    std::function<void()> make;
    const char* says;
  } files[] = {
      {[&] { std::ofstream(list) << std::string(64 * 1024 + 1, '#'); }, "大きすぎます（64 KiB まで）"},
      {[&] { ::mkfifo(list.c_str(), 0644); }, "通常のファイルではありません（名前付きパイプ（FIFO））"},
      {[&] { fs::create_symlink("/dev/zero", list); }, "通常のファイルではありません（デバイス）"},
      {[&] { fs::create_symlink("nowhere.txt", list); },
       "通常のファイルではありません（行き先のないシンボリックリンク）"},
  };
  for (const auto& c : files) {
    c.make();
    s = updateSources(folder.path());
    ASSERT_EQ(s.size(), 3) << c.says;
    EXPECT_TRUE(s[0].error.startsWith(QStringLiteral("取得先の一覧のファイル（取得先.txt）を使えません：") +
                                      QString::fromUtf8(c.says)))
        << s[0].error.toStdString();
    EXPECT_TRUE(s[0].error.endsWith(QString::fromStdString(list.string()))) << "the file is named";
    EXPECT_EQ(s[1].url, second);
    fs::remove(list);
  }

  const struct {
    const char* text;
    const char* url;   // what it names, or
    const char* file;  // (both empty: refused)
  } cases[] = {
      {"http://127.0.0.1:5/x.json", "http://127.0.0.1:5/x.json", ""},
      {" https://example.org/m.json ", "https://example.org/m.json", ""},
      {"/tmp/miniloto.json", "", "/tmp/miniloto.json"},
      {"file:///tmp/a%20b.csv", "", "/tmp/a b.csv"},
      {"ftp://example.org/x", "", ""},
      {"https://", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    qputenv(kUpdateUrlVariable, c.text);
    s = updateSources(folder.path());
    if (!*c.text) {
      EXPECT_EQ(s.size(), 2) << "an empty variable is no setting";
      continue;
    }
    ASSERT_EQ(s.size(), 1) << c.text;
    EXPECT_EQ(s[0].url, QUrl(QString::fromUtf8(c.url))) << c.text;
    EXPECT_EQ(s[0].file, QString::fromUtf8(c.file)) << c.text;
    EXPECT_EQ(s[0].error.isEmpty(), *c.url || *c.file) << c.text;
    EXPECT_TRUE(s[0].error.isEmpty() || s[0].error.startsWith(QStringLiteral("KAZUMAKI_UPDATE_URL: "))) << c.text;
  }
}

// ---- the menu command ----

namespace {

struct MenuUpdateTest : UpdateTest {
  std::unique_ptr<MainFrm> frm;
  std::unique_ptr<test::ProgramStart> start;
  void SetUp() override {
    UpdateTest::SetUp();
    frm = std::make_unique<MainFrm>(folder.path(), folder.settings());
    start = std::make_unique<test::ProgramStart>(folder);
    ASSERT_TRUE(start->run(*frm));
  }
  void TearDown() override {
    frm.reset();
    UpdateTest::TearDown();
  }
  void use(const char* path) { qputenv(kUpdateUrlVariable, server.url(QString::fromUtf8(path)).toUtf8()); }
  // Chooses the menu item and answers the message box that ends it with `button`.
  std::unique_ptr<test::MessageBoxWatcher> choose(QMessageBox::StandardButton button = QMessageBox::Ok) {
    auto w = std::make_unique<test::MessageBoxWatcher>(button);
    frm->findChild<QAction*>(QStringLiteral("actionUpdate"))->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->seen; }, 30000));
    return w;
  }
};

}  // namespace

TEST_F(MenuUpdateTest, NewDrawsAreToldWithARestartThatClosesTheProgramForItsNextStart) {
  use("/1353.json");
  frm->openWindow(WindowId::AppearanceFrequency);  // an analysis window does not stand in the way
  auto w = choose(QMessageBox::No);
  EXPECT_EQ(w->text, kAdded + QStringLiteral("\n") + says::restartToUse());
  EXPECT_EQ(w->icon, QMessageBox::NoIcon);
  EXPECT_EQ(frm->history().recordCount(), 1340) << "the windows keep the history of the start";
  ASSERT_TRUE(test::runQueuedCalls());
  EXPECT_FALSE(frm->restartRequested()) << "あとで: the program goes on";
  EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("latestData"))->text(),
            QStringLiteral("最新データ：第1353回（2025-09-23）"));
  EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("updateReminder"))->text(),
            QStringLiteral("再起動すると分析と予想に使われます"));

  ASSERT_EQ(writeDatabase(makeConnectString(folder.dir.string()), cutAt1340()).withCause(), "");
  frm->show();
  w = choose(QMessageBox::Yes);
  EXPECT_TRUE(QTest::qWaitFor([&] { return frm->restartRequested() && !frm->isVisible(); }, 30000));
  EXPECT_TRUE(fs::exists(folder.settings().toStdString())) << "closed as 終了 closes: the settings are written";
}

TEST_F(MenuUpdateTest, RefusalsAreStopBoxesWithTheTechnicalAccountInTheDetails) {
  use("/error");
  auto w = choose();
  EXPECT_TRUE(w->buttons.contains(MasterUpdateDialog::fromFileButtonText()));
  EXPECT_EQ(w->icon, QMessageBox::Critical);
  EXPECT_EQ(w->title, QStringLiteral("メッセ－ジ"));
  EXPECT_TRUE(w->text.contains(QStringLiteral("サーバーがデータを渡しませんでした"))) << w->text.toStdString();
  EXPECT_EQ(w->details, QStringLiteral("HTTP 500 Internal Server Error"));
  expectUntouched("error via menu");

  ASSERT_NE(frm->openWindow(WindowId::DataEntry), nullptr);
  w = choose();
  EXPECT_EQ(w->text, says::updateRefused());
  EXPECT_EQ(server.requests("/error"), 1) << "nothing is fetched while the entry window is open";
}

TEST_F(MenuUpdateTest, TheProgressWindowLeavesTheProgramUsableAndItsCancelButtonEndsTheTransfer) {
  use("/stall");
  frm->findChild<QAction*>(QStringLiteral("actionUpdate"))->trigger();
  QPointer<MasterUpdateDialog> dialog = frm->findChild<MasterUpdateDialog*>();
  ASSERT_NE(dialog, nullptr);
  auto* bar = dialog->findChild<QProgressBar*>();
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible() && bar->value() == 1000; }, 30000));
  {
    test::MessageBoxWatcher busy;
    EXPECT_EQ(MasterUpdateDialog::start(frm.get(), frm.get(), qtarget()), nullptr) << "one update at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return busy.seen; }, 30000));
    EXPECT_EQ(busy.text, says::updateBusy()) << busy.text.toStdString();
  }
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("当選データ最新化"));
  EXPECT_TRUE(dialog->labelText().contains(server.url("/stall")));
  // The program stays usable meanwhile: the menus open windows; only the
  // entry window, which edits the file the update replaces, is refused.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  frm->mdiArea()->closeAllSubWindows();
  ASSERT_TRUE(test::runQueuedCalls());
  auto menu = [&](const char* name) { frm->findChild<QAction*>(QString::fromUtf8(name))->trigger(); };
  menu("actionAppearanceFrequency");
  EXPECT_NE(frm->findChildWindow(WindowId::AppearanceFrequency), nullptr);
  frm->findChildWindow(WindowId::AppearanceFrequency)->close();
  ASSERT_TRUE(test::runQueuedCalls());
  {
    test::MessageBoxWatcher refused;
    menu("actionEntry");
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.seen; }, 30000));
    EXPECT_EQ(refused.text, says::entryRefusedWhileUpdating());
    EXPECT_EQ(frm->findChildWindow(WindowId::DataEntry), nullptr);
  }
  QPushButton* cancel = dialog->findChild<QPushButton*>();
  EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
  test::MessageBoxWatcher w;
  cancel->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.seen; }, 30000));
  EXPECT_EQ(w.icon, QMessageBox::Information);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 30000));
  expectUntouched("cancel button");
  test::MessageBoxWatcher refusal;  // answered, should one still come
  menu("actionEntry");
  EXPECT_FALSE(refusal.seen) << refusal.text.toStdString();
  EXPECT_NE(frm->findChildWindow(WindowId::DataEntry), nullptr) << "the update has ended";
}

TEST_F(UpdateTest, WithTheOptionTheSourcesAreLookedAtAfterTheStartAndOnlyTheStatusLineSaysSo) {
  {
    std::ofstream ini(folder.settings().toStdString());
    ini << "起動時に取得先を確かめる=True\r\n";
  }
  qputenv(kUpdateUrlVariable, server.url("/1353.json").toUtf8());
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start{folder};
  ASSERT_TRUE(start.run(frm));
  EXPECT_TRUE(frm.checksSourcesAtStart());
  auto* line = frm.findChild<QLabel*>(QStringLiteral("updateReminder"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return line->text().startsWith(QStringLiteral("取得先に")); }, 30000));
  EXPECT_EQ(line->text(),
            QStringLiteral("取得先に第1341回〜第1353回（13回分）があります。「当選データ最新化」で取り込めます"));
  EXPECT_TRUE(slurp(target()) == old) << "a look only";
  // the option is kept in the settings file beside the twelve settings
  frm.setChecksSourcesAtStart(false);
  frm.close();
  EXPECT_EQ(slurp(folder.settings().toStdString()).find("起動時に取得先を確かめる"), std::string::npos);
}

TEST_F(MenuUpdateTest, AFileDroppedOnTheWindowIsTakenAfterAConfirmation) {
  const QString feed = QStringLiteral(KM_TEST_DATA "/feed/miniloto-1353.json");
  auto drop = [&] {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(feed)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frm.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frm.get(), &dropped);
  };
  {
    test::MessageBoxWatcher ask(QMessageBox::No);
    drop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ask.seen; }, 30000));
    EXPECT_TRUE(ask.text.endsWith(feed)) << ask.text.toStdString();
    EXPECT_EQ(ask.defaultButton, QMessageBox::No);
  }
  EXPECT_EQ(frm->findChild<MasterUpdateDialog*>(), nullptr) << "いいえ: nothing is read";
  expectUntouched("declined drop");
  test::MessageBoxWatcher ask(QMessageBox::Yes);
  drop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ask.seen; }, 30000));
  test::MessageBoxWatcher outcome(QMessageBox::No);
  ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.seen; }, 30000));
  EXPECT_TRUE(outcome.text.startsWith(kAdded)) << outcome.text.toStdString();
}

// ---- kazumaki-tool update ----

TEST_F(UpdateTest, TheToolPrintsTheSameLinesAndExitsOneOnlyOnARefusal) {
  auto tool = [](const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromUtf8(kUpdateUrlVariable));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KM_TOOL), args);
    EXPECT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
    return std::tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                      QString::fromUtf8(p.readAllStandardError()));
  };
  const QString feed = QStringLiteral(KM_TEST_DATA "/feed/miniloto-1353.json");
  auto [code, out, err] = tool({"update", qtarget(), server.url("/garbage")});
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(out.isEmpty());
  EXPECT_TRUE(err.contains(QStringLiteral("当選データファイルは変更していません。"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("\n  SQLite:"))) << "the technical account too: " << err.toStdString();
  expectUntouched("tool refusal");

  std::tie(code, out, err) = tool({"update", qtarget(), feed});
  EXPECT_EQ(code, 0) << err.toStdString();
  EXPECT_EQ(out, kAdded + QStringLiteral("\n"));
  std::tie(code, out, err) = tool({"update", qtarget(), QStringLiteral("file://") + feed});
  EXPECT_EQ(code, 0) << err.toStdString();
  EXPECT_TRUE(out.startsWith(QStringLiteral("取得先に新しい回はありません"))) << out.toStdString();

  const QString missing = folder.path() + QStringLiteral("/none.mdb");
  std::tie(code, out, err) = tool({"update", missing, feed});
  EXPECT_EQ(code, 1);
  EXPECT_EQ(err,
            QStringLiteral("kazumaki-tool: 当選データファイル：'") + missing + QStringLiteral("'が存在しません\n"));
  std::tie(code, out, err) = tool({"update", qtarget(), folder.path() + QStringLiteral("/nothing.json")});
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(err.contains(QStringLiteral("取得先のファイルがありません"))) << err.toStdString();
}
