// Takes screenshots of the main window with chosen child windows open, on a
// real display (run it under xvfb-run).  Not a test: it makes the pictures
// that docs/screenshots keeps.
//   screenshots PROGRAM_FOLDER OUT_DIR [WINDOW...]
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>
#include <iostream>

#include "app/fonts.h"
#include "app/main_frm.h"
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
  if (!frm.startUp()) return 1;
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
      if (QMdiSubWindow* pred = frm.findChildWindow(std::string(km::kPredictionWindow));
          pred && w != km::kPredictionWindow)
        pred->close();
      QMdiSubWindow* sub = frm.openWindow(w);
      if (!sub) {
        std::cerr << "no window " << w << "\n";
        continue;
      }
      shoot(QString::fromStdString(w));
      sub->close();
    }
    frm.close();
    app.quit();
  });
  return app.exec();
}
