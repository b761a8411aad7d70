// Takes the screenshots of 当選データ最新化 on a real display (run it under
// xvfb-run): the progress dialog during a transfer, and the message after a
// successful update.  A local server stands in for the publisher; the program
// folder's database is copied, never written.
//   screenshot_update PROGRAM_FOLDER OUT_DIR
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <iostream>

#include "app/fonts.h"
#include "app/main_frm.h"
#include "entry/master_update.h"
#include "entry/master_update_dialog.h"
#include "tests/ui/http_test_server.h"

namespace {

// Runs `then` once `ready` holds, checking from the event loop.
void when(std::function<bool()> ready, std::function<void()> then) {
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
  if (argc < 3) {
    std::cerr << "usage: screenshot_update PROGRAM_FOLDER OUT_DIR\n";
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  QTemporaryDir folder;
  QFile::copy(QDir(QString::fromLocal8Bit(argv[1])).filePath("Kazumaki.mdb"), folder.filePath("Kazumaki.mdb"));
  QFile db(folder.filePath("Kazumaki.mdb"));
  db.open(QIODevice::ReadOnly);
  const QByteArray bytes = db.readAll();

  const QString path = QStringLiteral("/download/Kazumaki/Kazumaki.mdb");
  km::test::HttpTestServer server;
  km::test::HttpResponse stall;
  stall.body = bytes;
  stall.mode = km::test::HttpResponse::Stall;
  stall.stallAfter = bytes.size() * 2 / 5;
  server.route(path, stall);
  qputenv(km::kUpdateUrlVariable, server.url(path).toUtf8());

  km::MainFrm frm(folder.path(), folder.filePath("カズマキ.ini"));
  if (!frm.startUp()) return 1;
  frm.resize(1024, 720);
  frm.show();
  auto shoot = [&](const QString& name) {
    QApplication::primaryScreen()
        ->grabWindow(0, frm.x(), frm.y(), frm.frameGeometry().width(), frm.frameGeometry().height())
        .save(QDir(out).filePath(name + ".png"));
  };
  auto* menu = frm.findChild<QAction*>(QStringLiteral("mnuMasterUpdate"));
  auto box = [] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); };
  // After the transfer is cancelled: a whole download, then a damaged one.
  auto next = [&](const QByteArray& body, const QString& name, std::function<void()> then) {
    km::test::HttpResponse r;
    r.body = body;
    server.route(path, r);
    menu->trigger();
    when([&] { return box() != nullptr; },
         [&, name, then] {
           shoot(name);
           box()->accept();
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
                 next(bytes, QStringLiteral("当選データ最新化-完了"), [&] {
                   next(bytes.left(bytes.size() / 2), QStringLiteral("当選データ最新化-失敗"), [&] {
                     frm.close();
                     app.quit();
                   });
                 });
               });
        });
  });
  return app.exec();
}
