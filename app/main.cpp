// カズマキMiddle: start-up of the program.
#include <QApplication>
#include <QFont>

#include "app/fonts.h"
#include "app/main_frm.h"
#include "prediction/core/prediction_state.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  km::loadToolkitTranslations();
  km::MainFrm frm(QCoreApplication::applicationDirPath(), QString::fromUtf8(km::kSettingsFileName));
  if (!frm.startUp()) return 1;
  frm.showMaximized();
  frm.activateWindow();
  return app.exec();
}
