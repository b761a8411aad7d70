// Takes the screenshots of the windows' sizes on the screen, on a real display
// (run it under xvfb-run with the screen size to show): the main window as
// it opens, a tall analysis window, the entry window maximised, and eight
// windows tiled both ways.  Pictures of the whole screen, named NAME-TAG.png.
// The program folder's database is copied, never written.
//   screenshot_screen PROGRAM_FOLDER OUT_DIR TAG
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <iostream>

#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "entry/data_entry_window.h"
#include "frame/ui/analysis_window.h"
#include "windows/window_table.h"

namespace {

void waitUntil(const std::function<bool()>& ready) {
  for (int i = 0; i < 400 && !ready(); ++i) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

// A few rounds of the event loop, so that every window has painted.
void settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  if (argc < 4) {
    std::cerr << "usage: screenshot_screen PROGRAM_FOLDER OUT_DIR TAG\n";
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  const QString tag = QString::fromLocal8Bit(argv[3]);
  QDir().mkpath(out);
  QTemporaryDir folder;
  if (!QFile::copy(QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("Kazumaki.mdb")),
                   folder.filePath(QStringLiteral("Kazumaki.mdb"))))
    return 1;
  km::MainFrm frm(folder.path(), folder.filePath(QStringLiteral("カズマキ.ini")));
  km::HistoryLoader loader(km::makeConnectString(folder.path().toStdString()));
  frm.startUp(loader);
  frm.showInItsPlace();  // as the program shows it
  frm.activateWindow();
  auto shoot = [&](const QString& name) {
    settle();
    QApplication::primaryScreen()->grabWindow(0).save(QDir(out).filePath(name + QLatin1Char('-') + tag + ".png"));
  };
  auto open = [&](const char* name) {
    const km::WindowRow* row = km::findWindow(name);
    if (!row && km::windowRow(km::WindowId::DataEntry).def.name == name) row = &km::windowRow(km::WindowId::DataEntry);
    QMdiSubWindow* sub = frm.openWindow(row->id);
    waitUntil([sub] {
      for (const km::AnalysisWindow* a : sub->findChildren<km::AnalysisWindow*>())
        if (!a->isFilled()) return false;
      for (const km::DataEntryWindow* e : sub->findChildren<km::DataEntryWindow*>())
        if (e->opening()) return false;
      return true;
    });
    return sub;
  };
  waitUntil([&] { return frm.findChildWindow(km::WindowId::Prediction) != nullptr; });
  shoot(QStringLiteral("起動時"));
  frm.findChildWindow(km::WindowId::Prediction)->close();
  settle();

  QMdiSubWindow* tall = open("出現間隔分析");
  shoot(QStringLiteral("出現間隔分析"));
  tall->close();
  settle();

  QMdiSubWindow* entry = open("当選データ入力");
  entry->showMaximized();
  shoot(QStringLiteral("当選データ入力-最大化"));
  entry->showNormal();
  entry->close();
  settle();

  for (const char* name : {"一発ゼノバ", "出現頻度分析", "出現間隔分析", "出現回数分析", "バラツキ分析", "引っ張り分析",
                           "数字合計分析", "分割4傾向分析"})
    open(name);
  frm.arrangeWindows(km::MainFrm::Arrangement::Stacked);
  shoot(QStringLiteral("上下に並べて表示-8窓"));
  frm.arrangeWindows(km::MainFrm::Arrangement::SideBySide);
  shoot(QStringLiteral("左右に並べて表示-8窓"));
  frm.close();
  return 0;
}
