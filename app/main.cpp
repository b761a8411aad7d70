// カズマキMiddle: start-up of the program.
#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QScopeGuard>
#include <chrono>
#include <iostream>
#include <memory>

#include "app/benchmark.h"
#include "app/fonts.h"
#include "app/history_loader.h"
#include "app/main_frm.h"
#include "app/single_instance.h"
#include "app/warm_up.h"
#include "frame/ui/message_box.h"
#include "prediction/core/prediction_state.h"
#include "store/files/program_folder.h"
#include "store/files/replace_file.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_update.h"

namespace {

// The program's own copy of its icon: looking it up in the icon theme reads
// the theme's index, and a reader left to guess the kind of an image loads
// every image plug-in; both cost milliseconds of the start.
QIcon windowIcon() {
  QIcon icon;
  // The folder is the program's own and holds only PNGs: a name filter would
  // compile a pattern, loading the regular-expression library at the start.
  for (QDirIterator it(QStringLiteral(":/icons"), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    QImageReader reader(it.next(), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

}  // namespace

int main(int argc, char** argv) {
  const auto launch = km::Benchmark::Clock::now();
  // The threads that read the history and the font configuration at the start
  // share one pool of memory rather than each keeping its own.
  mallopt(M_ARENA_MAX, 2);
  bool benchmark = false;
  km::Benchmark::Mode mode = km::Benchmark::Mode::Start;
  std::string error;
  if (!km::Benchmark::parse(argc, argv, benchmark, mode, error)) {
    std::cerr << "kazumaki: " << error << "\n";
    return 2;
  }
  // The history is read (the key derivation is most of the start) while the
  // toolkit starts and the main window is built.
  const km::ProgramFolder folder =
      km::locateProgramFolder(km::defaultProgramFolderPlaces(km::runningExecutableFolder()));
  std::unique_ptr<km::HistoryLoader> loader;
  if (folder.ok) loader = std::make_unique<km::HistoryLoader>(km::makeConnectString(folder.path));

  km::WarmUp warmUp;
  QApplication app(argc, argv);
  warmUp.applicationMade();
  const auto warmedUp = qScopeGuard([&warmUp] { warmUp.wait(); });  // ends before the application object
  // The desktop entry and the installed icon bear the application's id.
  QGuiApplication::setDesktopFileName(QStringLiteral(KM_APP_ID));
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  if (!folder.ok || !folder.warning.empty()) {
    km::execMessage(nullptr, {folder.ok ? QMessageBox::Warning : QMessageBox::Critical,
                              QString::fromStdString(folder.ok ? folder.warning : folder.message),
                              QString::fromStdString(folder.details)});
    if (!folder.ok) return 1;
  }
  const QDir dir(QString::fromStdString(folder.path));
  km::SingleInstance instance(dir.path());
  if (!instance.isFirst()) {
    instance.askFirstToComeForward();
    km::execMessage(nullptr, {QMessageBox::Information, km::SingleInstance::alreadyRunningText()});
    return 0;
  }
  const QString settings = dir.filePath(QString::fromUtf8(km::kSettingsFileName));
  // What writes killed in an earlier run left behind goes now.
  km::removeStaleTemporaryFiles(km::makeConnectString(folder.path).path);
  km::removeStaleTemporaryFiles(km::backupPathFor(km::makeConnectString(folder.path).path));
  km::removeStaleTemporaryFiles(settings.toStdString());
  QApplication::setWindowIcon(windowIcon());
  km::MainFrm frm(dir.path(), settings);
  if (benchmark) new km::Benchmark(frm, mode, launch);  // owned by frm
  QObject::connect(&instance, &km::SingleInstance::comeForwardRequested, &frm, [&frm] {
    if (frm.isMinimized()) frm.showMaximized();
    frm.raise();
    frm.activateWindow();
  });
  // A history that cannot be read has shown its stop box: the program ends, writing nothing.
  QObject::connect(&frm, &km::MainFrm::startUpEnded, &app, [](bool ok) {
    if (!ok) QCoreApplication::exit(1);
  });
  frm.startUp(*loader);
  frm.showInItsPlace();  // where it was left, or maximised the first time
  frm.activateWindow();
  const int rc = app.exec();
  if (rc == 0 && frm.restartRequested()) {
    // The new program is started once this one has let go of the folder, so
    // that it does not find itself already running.
    instance.release();
    if (!QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1))) {
      QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"),
                      QStringLiteral("カズマキMiddleを再起動できませんでした。もう一度起動してください。"),
                      QMessageBox::Ok);
      box.exec();
    }
  }
  return rc;
}
