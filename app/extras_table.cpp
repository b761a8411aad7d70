#include <QFileInfo>

#include "charts/chart_window.h"
#include "frame/ui/extras.h"
#include "frame/ui/grid_print.h"
#include "help/help_window.h"
#include "update/master_update_dialog.h"

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

QWidget* startUpdate(QWidget* parent, const QString& target, const QString& file) {
  return MasterUpdateDialog::start(parent, target, file);
}

}  // namespace

void checkSources(QObject* parent, const QString& target, const std::vector<Draw>& stored,
                  const std::function<void(const QString&)>& done) {
  auto* job = new MasterUpdate(updateSources(QFileInfo(target).absolutePath()), target, parent);
  job->compareOnly(stored);
  QObject::connect(job, &MasterUpdate::finished, job, [job, done] {
    const std::vector<Draw>& more = job->result().added;
    done(job->outcome() != MasterUpdate::Outcome::Updated || more.empty()
             ? QString()
             : QStringLiteral("取得先に第%1回〜第%2回（%3回分）があります。「当選データ最新化」で取り込めます")
                   .arg(more.front().no)
                   .arg(more.back().no)
                   .arg(more.size()));
    job->deleteLater();
  });
  job->start();
}

const Extras& linkedExtras() {
  static const Extras table{&showHelp,    &printGridWithDialog, &previewGrid,    &saveGridPdfWithDialog,
                            &startUpdate, &checkSources,        &makeChartWindow};
  return table;
}

}  // namespace km
