#include "charts/chart_window.h"
#include "entry/master_update_dialog.h"
#include "frame/ui/extras.h"
#include "frame/ui/grid_print.h"
#include "help/help_window.h"

namespace km {

namespace {

QWidget* showHelp(QWidget* window, QWidget* parent, const QString& collectionFile, const QString& keyword,
                  QString& error, QString& details) {
  auto* help = qobject_cast<HelpWindow*>(window);
  if (!help) {
    help = new HelpWindow(collectionFile, parent);
    if (!help->isReady()) {
      error = help->errorText();
      details = help->errorDetails();
      delete help;  // the next command tries the files again
      return nullptr;
    }
  }
  help->showKeyword(keyword);
  help->show();
  help->raise();
  help->activateWindow();
  return help;
}

QWidget* startUpdate(QWidget* parent, const QString& target) { return MasterUpdateDialog::start(parent, target); }

}  // namespace

const Extras& linkedExtras() {
  static const Extras table{&showHelp,    &printGridWithDialog, &previewGrid, &saveGridPdfWithDialog,
                            &startUpdate, &makeChartWindow};
  return table;
}

}  // namespace km
