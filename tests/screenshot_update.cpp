// Takes the screenshots of 当選データ最新化 on a real display (run it under
// xvfb-run): the progress dialog during a transfer, and the messages when new
// draws were added, when there is nothing new and when the source disagrees
// with the history.  A local server stands in for the results list, serving
// the reconstructed list of tests/data/feed; the program folder's history is
// copied (cut at draw 1340), never written.
//   screenshot_update PROGRAM_FOLDER OUT_DIR
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>
#include <iostream>

#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "store/sqlite/database.h"
#include "tests/ui/http_test_server.h"
#include "update/master_update.h"
#include "update/master_update_dialog.h"

namespace {

// Runs `then` once `ready` holds, checking from the event loop.
void when(const std::function<bool()>& ready, const std::function<void()>& then) {
  auto* t = new QTimer;
  t->setInterval(50);
  QObject::connect(t, &QTimer::timeout, [t, ready, then] {
    if (!ready()) return;
    t->stop();
    t->deleteLater();
    QTimer::singleShot(300, then);  // one more paint
  });
  t->start();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  if (argc < 3) {
    std::cerr << "usage: screenshot_update PROGRAM_FOLDER OUT_DIR\n";
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  QTemporaryDir folder;
  km::LoadResult shipped =
      km::loadHistory(km::makeConnectString(QDir(QString::fromLocal8Bit(argv[1])).path().toStdString()), true);
  if (!shipped.ok || shipped.rows.size() < 1353) return 1;
  shipped.rows.resize(1340);
  if (!km::writeDatabase(km::makeConnectString(folder.path().toStdString()), shipped.rows).empty()) return 1;
  QFile feedFile(QStringLiteral(KM_TEST_DATA "/feed/miniloto-1353.json"));
  feedFile.open(QIODevice::ReadOnly);
  const QByteArray feed = feedFile.readAll();

  const QString path = QStringLiteral("/Po-3/miniloto-data/main/miniloto.json");
  km::test::HttpTestServer server;
  km::test::HttpResponse stall;
  stall.body = feed;
  stall.mode = km::test::HttpResponse::Stall;
  stall.stallAfter = feed.size() * 2 / 5;
  server.route(path, stall);
  qputenv(km::kUpdateUrlVariable, server.url(path).toUtf8());

  km::MainFrm frm(folder.path(), folder.filePath("カズマキ.ini"));
  // started as the program starts, once the history has been read
  km::HistoryLoader loader(km::makeConnectString(folder.path().toStdString()));
  while (!loader.ready()) QThread::msleep(10);
  frm.startUp(loader);
  if (frm.loading()) return 1;  // the read failed
  frm.resize(1024, 720);
  frm.show();
  auto shoot = [&](const QString& name) {
    QApplication::primaryScreen()
        ->grabWindow(0, frm.x(), frm.y(), frm.frameGeometry().width(), frm.frameGeometry().height())
        .save(QDir(out).filePath(name + ".png"));
  };
  auto* menu = frm.findChild<QAction*>(QStringLiteral("actionUpdate"));
  auto box = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
  // After the transfer is cancelled: the list, the same list again, and a
  // list in which draw 1200 has another bonus number.
  QByteArray changed = feed;
  const QByteArray draw1200 = "\"開催回\": \"1200\"";
  const QByteArray bonus = "\"ボーナス数字\": \"";
  const qsizetype at = changed.indexOf(bonus, changed.indexOf(draw1200)) + bonus.size();
  changed.replace(at, changed.indexOf('"', at) - at, "31");
  auto next = [&](const QByteArray& body, const QString& name, const std::function<void()>& then) {
    km::test::HttpResponse r;
    r.body = body;
    server.route(path, r);
    menu->trigger();
    when([&] { return box() != nullptr; },
         [&, name, then] {
           shoot(name);
           QAbstractButton* later = box()->button(QMessageBox::No);
           (later ? later : box()->button(QMessageBox::Ok))->click();
           then();
         });
  };
  QTimer::singleShot(500, [&] {
    menu->trigger();
    when(
        [&] {
          auto* d = frm.findChild<km::MasterUpdateDialog*>();
          return d && d->isVisible() && d->findChild<QProgressBar*>()->value() == stall.stallAfter;
        },
        [&] {
          shoot(QStringLiteral("当選データ最新化"));
          frm.findChild<km::MasterUpdateDialog*>()->update()->cancel();
          when([&] { return box() != nullptr; },
               [&] {
                 box()->accept();
                 next(feed, QStringLiteral("当選データ最新化-完了"), [&] {
                   next(feed, QStringLiteral("当選データ最新化-新しい回なし"), [&] {
                     next(changed, QStringLiteral("当選データ最新化-失敗"), [&] {
                       frm.close();
                       app.quit();
                     });
                   });
                 });
               });
        });
  });
  return app.exec();
}
