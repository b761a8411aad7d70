// The extras plugin, kazumaki-extras.so: the help, printing, the charts and
// the update, behind the interface of frame/ui/extras.h.  The program reads
// its interface id from the file's metadata before loading it
// (app/extras_loader.cpp); kazumaki-tool and the tests link it in as a static plugin.
#include <QFileInfo>
#include <QObject>

#include "app/extras_iid.h"
#include "charts/chart_window.h"
#include "frame/ui/grid_print.h"
#include "help/help_window.h"
#include "update/master_update_dialog.h"

using namespace km;

class KazumakiExtras : public QObject, public Extras {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID KM_EXTRAS_IID)
  Q_INTERFACES(km::Extras)

 public:
  QWidget* showHelp(QWidget* window, QWidget* parent, const QString& collectionFile, const QString& keyword,
                    QString& error, QString& details) const override {
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

  void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                           const std::vector<LegendItem>& legend) const override {
    km::printGridWithDialog(parent, grid, title, legend);
  }
  void previewGrid(QWidget* parent, const Grid& grid, const QString& title,
                   const std::vector<LegendItem>& legend) const override {
    km::previewGrid(parent, grid, title, legend);
  }
  void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                             const std::vector<LegendItem>& legend) const override {
    km::saveGridPdfWithDialog(parent, grid, title, legend);
  }

  QWidget* startUpdate(QWidget* parent, UpdateHost* host, const QString& target, const QString& file) const override {
    return MasterUpdateDialog::start(parent, host, target, file);
  }

  void checkSources(QObject* parent, const QString& target, const std::vector<Draw>& stored,
                    const std::function<void(const QString&)>& done) const override {
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

  QWidget* makeChartWindow(const WindowDef& def, const History& history, QWidget* parent) const override {
    return km::makeChartWindow(def, history, parent);
  }
};

#include "extras_module.moc"
