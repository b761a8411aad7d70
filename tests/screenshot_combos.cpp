// Takes the pictures of 組合せ作成 that docs/screenshots keeps: conditions
// ticked with lines made at random (kept by 賞金倍率), and a wheel made from a
// pool, on a real display (run it under xvfb-run; QT_SCALE_FACTOR=2 for 192 DPI).  Not a test.
//   screenshot_combos PROGRAM_FOLDER OUT_DIR [PREFIX]   (192dpi_ with QT_SCALE_FACTOR=2)
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QThread>
#include <iostream>

#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "tickets/combos_window.h"
#include "windows/window_table.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  if (argc < 3) {
    std::cerr << "usage: screenshot_combos PROGRAM_FOLDER OUT_DIR [PREFIX]\n";
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString out = QString::fromLocal8Bit(argv[2]);
  const QString prefix = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
  QDir().mkpath(out);
  km::MainFrm frm(folder, QDir(folder).filePath(QStringLiteral("カズマキ.ini")));
  km::HistoryLoader loader(km::makeConnectString(folder.toStdString()));
  while (!loader.ready()) QThread::msleep(10);
  frm.startUp(loader);
  if (frm.loading()) return 1;
  frm.resize(1280, 1000);
  frm.show();
  frm.activateWindow();
  auto settle = [] {
    for (int i = 0; i < 20; ++i) {
      QApplication::processEvents();
      QThread::msleep(10);
    }
  };
  settle();
  if (QMdiSubWindow* pred = frm.findChildWindow(km::WindowId::Prediction)) pred->close();
  QMdiSubWindow* sub = frm.openWindow(km::WindowId::Combos);
  auto* w = qobject_cast<km::CombosWindow*>(sub->widget());
  if (!w) return 1;
  auto shoot = [&](const QString& name) {
    settle();
    frm.grab().save(QDir(out).filePath(prefix + name + QStringLiteral(".png")));
  };
  // conditions, and ten lines at random
  w->axisField()->setText(QStringLiteral("7"));
  w->sumBox()->setChecked(true);
  w->countBox(km::Condition::Odd, 2)->setChecked(true);
  w->countBox(km::Condition::Odd, 3)->setChecked(true);
  w->countBox(km::Condition::Consecutive, 0)->setChecked(true);
  w->countBox(km::Condition::Consecutive, 1)->setChecked(true);
  w->countBox(km::Condition::Recent, 1)->setChecked(true);
  w->countBox(km::Condition::Recent, 2)->setChecked(true);
  w->seedField()->setText(QStringLiteral("20260825"));
  w->randomCountBox()->setValue(20);
  w->sortByFactorBox()->setChecked(true);
  w->minFactorBox()->setValue(1.0);
  w->makeLines();
  while (w->busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  shoot(QStringLiteral("組合せ作成"));
  w->minFactorBox()->setValue(0);
  // a wheel of twelve numbers, no condition
  w->clearButton()->click();
  w->modeButton(km::CombosWindow::Mode::Wheel)->setChecked(true);
  w->poolField()->setText(QStringLiteral("2 5 7 11 13 17 19 20 23 26 29 31"));
  w->makeLines();
  while (w->busy()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  shoot(QStringLiteral("組合せ作成_保証つき"));
  // the データ分析 menu, its added windows after the separator
  if (prefix.isEmpty()) {
    sub->close();
    for (QAction* a : frm.menuBar()->actions()) {
      if (a->objectName() != QStringLiteral("menuAnalyses")) continue;
      frm.menuBar()->setActiveAction(a);
      settle();
      QMenu* menu = a->menu();
      const QRect r = menu->geometry().united(QRect(frm.menuBar()->mapToGlobal(QPoint(0, 0)), QSize(560, 1)));
      QApplication::primaryScreen()
          ->grabWindow(0, 0, 0, r.right() + 8, r.bottom() + 8)
          .save(QDir(out).filePath(QStringLiteral("データ分析メニュー.png")));
      menu->close();
    }
  }
  frm.close();
  return 0;
}
