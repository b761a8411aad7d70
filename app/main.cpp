// カズマキMiddle: start-up of the program.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QMessageBox>

#include "app/fonts.h"
#include "app/main_frm.h"
#include "prediction/core/prediction_state.h"
#include "store/program_folder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The desktop entry and the installed icon bear the application's id.
  QGuiApplication::setDesktopFileName(QStringLiteral(KM_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(KM_APP_ID)));
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  const km::ProgramFolder folder =
      km::locateProgramFolder(km::defaultProgramFolderPlaces(km::runningExecutableFolder()));
  if (!folder.ok || !folder.warning.empty()) {
    const QString text = QString::fromStdString(folder.ok ? folder.warning : folder.message);
    QMessageBox box(folder.ok ? QMessageBox::Warning : QMessageBox::Critical, QStringLiteral("メッセ－ジ"), text,
                    QMessageBox::Ok);
    box.exec();
    if (!folder.ok) return 1;
  }
  const QDir dir(QString::fromStdString(folder.path));
  km::MainFrm frm(dir.path(), dir.filePath(QString::fromUtf8(km::kSettingsFileName)));
  if (!frm.startUp()) return 1;
  frm.showMaximized();
  frm.activateWindow();
  return app.exec();
}
