// Takes screenshots of the main window with chosen child windows open, on a
// real display (run it under xvfb-run).  Not a test: it makes the pictures
// that docs/screenshots keeps.
//   screenshots PROGRAM_FOLDER OUT_DIR [WINDOW...]
#include <QApplication>
#include <QDir>
#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <iostream>

#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "entry/data_entry_window.h"
#include "entry/entry_model.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"
#include "help/help_window.h"
#include "tickets/tickets_window.h"
#include "windows/ui/popularity_window.h"
#include "windows/window_table.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  if (argc < 3) {
    std::cerr << "usage: screenshots PROGRAM_FOLDER OUT_DIR [WINDOW...]\n";
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
  std::vector<std::string> windows;
  for (int i = 3; i < argc; ++i) windows.emplace_back(argv[i]);
  auto shoot = [&](const QString& name) {
    QApplication::processEvents();
    frm.grab().save(QDir(out).filePath(name + ".png"));
  };
  QTimer::singleShot(800, [&] {
    shoot(QStringLiteral("main"));
    for (const std::string& w : windows) {
      // "ヘルプ:KEYWORD" shows the help window at that keyword
      if (w.rfind("ヘルプ:", 0) == 0) {
        const QString keyword = QString::fromStdString(w.substr(std::string("ヘルプ:").size()));
        frm.showHelp(keyword);
        if (auto* help = qobject_cast<km::HelpWindow*>(frm.helpWindow())) {
          help->resize(1000, 720);
          // the contents and the index are built in the background
          for (int i = 0; i < 200 && (help->engine()->indexModel()->rowCount() == 0 ||
                                      help->engine()->contentModel()->rowCount() == 0);
               ++i) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
          }
          help->showKeyword(keyword);  // the index selects the keyword once it is there
          QApplication::processEvents();
          help->grab().save(QDir(out).filePath(QStringLiteral("ヘルプ_") + keyword + QStringLiteral(".png")));
          help->tabs()->setCurrentIndex(0);  // and the contents
          QApplication::processEvents();
          help->grab().save(QDir(out).filePath(QStringLiteral("ヘルプ目次_") + keyword + QStringLiteral(".png")));
          help->close();
        }
        continue;
      }
      // "最大化:WINDOW" shows the window maximised, "右下へ:WINDOW" its grid scrolled to the far end both ways,
      // "抽選日=DATE:WINDOW" the entry window with DATE typed as the newest line's date
      const std::string maximised = "最大化:", farEnd = "右下へ:", typedDate = "抽選日=";
      std::string dateTyped;
      std::string what = w;
      if (what.rfind(typedDate, 0) == 0 && what.find(':') != std::string::npos) {
        dateTyped = what.substr(typedDate.size(), what.find(':') - typedDate.size());
        what = what.substr(what.find(':') + 1);
      }
      const bool maximise = what.rfind(maximised, 0) == 0, scroll = what.rfind(farEnd, 0) == 0;
      const std::string name = maximise ? what.substr(maximised.size()) : scroll ? what.substr(farEnd.size()) : what;
      const km::WindowRow* row = name == "グラフ" ? &km::windowRow(km::WindowId::Charts) : km::findWindow(name);
      if (const km::WindowRow& entry = km::windowRow(km::WindowId::DataEntry); !row && entry.def.name == name)
        row = &entry;
      if (!row) {
        std::cerr << "no window " << w << "\n";
        continue;
      }
      if (QMdiSubWindow* pred = frm.findChildWindow(km::WindowId::Prediction);
          pred && row->id != km::WindowId::Prediction)
        pred->close();
      QMdiSubWindow* sub = frm.openWindow(row->id);
      // the entry window opening its store, then with its lines
      if (auto* entry = qobject_cast<km::DataEntryWindow*>(sub->widget())) {
        if (entry->opening()) shoot(QString::fromStdString(name) + QStringLiteral("_開いています"));
        while (entry->opening()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        // the newest line in view, its bonus typed as one of its main numbers: kept in the grid only, marked
        if (km::EntryModel* m = entry->model(); m->rowCount() > 0) {
          const int last = m->rowCount() - 1;
          if (dateTyped.empty())
            m->setData(m->index(last, km::kLastNumberColumn - 1), QString::fromStdString(m->cellText(last + 1, 2)));
          else
            m->setData(m->index(last, km::kDateColumn - 1), QString::fromStdString(dateTyped));
          entry->grid()->scrollToBottom();
          // the date typed is seen marked with the cursor beside it
          entry->grid()->setCurrentIndex(
              m->index(last, (dateTyped.empty() ? km::kDateColumn : km::kLastNumberColumn) - 1));
        }
      }
      // a fill in the background: its grid, not its progress
      for (km::AnalysisWindow* a : sub->findChildren<km::AnalysisWindow*>())
        while (!a->isFilled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      for (km::TicketsWindow* t : sub->findChildren<km::TicketsWindow*>())
        while (!t->datesRead()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      // 人気度 with a line typed into 「この数字なら」
      for (km::PopularityWindow* p : sub->findChildren<km::PopularityWindow*>())
        p->lineField()->setText(QStringLiteral("3 7 12 20 31"));
      if (maximise) sub->showMaximized();
      if (scroll) {
        sub->resize(sub->width(), sub->height() * 2 / 3);  // shorter than the grid: it scrolls down too
        QApplication::processEvents();
        for (km::GridView* v : sub->findChildren<km::GridView*>()) {
          v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum());
          v->verticalScrollBar()->setValue(v->verticalScrollBar()->maximum());
        }
        shoot(QString::fromStdString(name) + QStringLiteral("-右下へ"));
        sub->close();
        continue;
      }
      shoot((maximise ? QStringLiteral("最大化_") : QString()) + QString::fromStdString(name) +
            (dateTyped.empty() ? QString() : QStringLiteral("_抽選日")));
      if (maximise) sub->showNormal();
      if (auto* entry = qobject_cast<km::DataEntryWindow*>(sub->widget())) entry->model()->dropUnsaved();
      sub->close();
    }
    frm.close();
    app.quit();
  });
  return app.exec();
}
