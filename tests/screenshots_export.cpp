// Takes the screenshots of selecting cells and of the print preview, on a
// real display (run it under xvfb-run).  Not a test: it makes the pictures
// that docs/screenshots keeps.
//   screenshots_export PROGRAM_FOLDER OUT_DIR
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QThread>
#include <QTimer>
#include <iostream>

#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_print.h"
#include "frame/ui/grid_view.h"

namespace {

void click(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = {}) {
  QMouseEvent press(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, mods);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton, mods);
  QApplication::sendEvent(w, &release);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  if (argc < 3) {
    std::cerr << "usage: screenshots_export PROGRAM_FOLDER OUT_DIR\n";
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  km::MainFrm frm(folder, QDir(folder).filePath(QStringLiteral("カズマキ.ini")));
  // started as the program starts, once the history has been read
  km::HistoryLoader loader(km::makeConnectString(folder.toStdString()));
  while (!loader.ready()) QThread::msleep(10);
  frm.startUp(loader);
  if (frm.loading()) return 1;  // the read failed
  frm.resize(1280, 1000);
  frm.show();
  frm.activateWindow();
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog* preview = nullptr;
  QTimer::singleShot(800, [&] {
    if (QMdiSubWindow* pred = frm.findChildWindow(km::WindowId::Prediction)) pred->close();
    QMdiSubWindow* sub = frm.openWindow(km::WindowId::AppearanceInterval);
    auto* w = sub ? qobject_cast<km::AnalysisWindow*>(sub->widget()) : nullptr;
    if (!w) {
      app.exit(1);
      return;
    }
    km::GridView* v = w->gridView();
    v->setFocus();
    auto centre = [v](int c, int r) {
      return QPoint((v->columnX(c) + v->columnX(c + 1)) / 2, (v->rowY(r) + v->rowY(r + 1)) / 2);
    };
    click(v->viewport(), centre(2, 4));
    click(v->viewport(), centre(5, 9), Qt::ShiftModifier);
    QTimer::singleShot(300, [&, w] {
      frm.grab().save(QDir(out).filePath(QStringLiteral("選択とコピー.png")));
      printer.setPageSize(QPageSize(QPageSize::A4));
      preview = new QPrintPreviewDialog(&printer, &frm);
      preview->setWindowTitle(QStringLiteral("印刷プレビュー - 出現間隔分析"));
      QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview,
                       [w](QPrinter* p) { km::printGrid(*p, w->grid(), QStringLiteral("出現間隔分析")); });
      preview->resize(900, 1000);
      preview->show();
      QTimer::singleShot(800, [&] {
        preview->grab().save(QDir(out).filePath(QStringLiteral("印刷プレビュー.png")));
        preview->close();
        frm.close();
        app.quit();
      });
    });
  });
  return app.exec();
}
