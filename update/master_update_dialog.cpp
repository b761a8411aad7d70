#include "update/master_update_dialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <limits>

#include "frame/ui/message_box.h"
#include "frame/ui/update_host.h"
#include "update/update_messages.h"

namespace km {

MasterUpdateDialog* MasterUpdateDialog::start(QWidget* parent, UpdateHost* host, const QString& target,
                                              const QString& file) {
  if (parent) {
    for (MasterUpdateDialog* d : parent->findChildren<MasterUpdateDialog*>())
      if (d->update()->outcome() == MasterUpdate::Outcome::Running) {
        if (d->isVisible()) {
          d->raise();
          d->activateWindow();
        }
        showMessageLater(parent, {QMessageBox::Information, says::updateBusy(), {}});
        return nullptr;
      }
  }
  QList<UpdateSource> sources;
  if (file.isEmpty()) {
    sources = updateSources(QFileInfo(target).absolutePath());
  } else {
    sources.append(explicitUpdateSource(file));
    sources.front().chosen = true;
  }
  if (sources.size() == 1 && !sources.front().error.isEmpty()) {
    showMessageLater(parent, {QMessageBox::Critical, sources.front().error, {}});
    return nullptr;
  }
  auto* dialog = new MasterUpdateDialog(parent, host, sources, target);
  dialog->tellHost(true);
  dialog->update()->start();
  // Shown from the event loop, unless the update has ended at once (no
  // database file): then only its message appears.
  QTimer::singleShot(0, dialog, [dialog] {
    if (dialog->update()->outcome() == MasterUpdate::Outcome::Running) dialog->show();
  });
  return dialog;
}

MasterUpdateDialog::MasterUpdateDialog(QWidget* parent, UpdateHost* host, const QList<UpdateSource>& sources,
                                       const QString& target)
    : QProgressDialog(parent), host_(host), update_(new MasterUpdate(sources, target, this)), bar_(new QProgressBar) {
  setObjectName(QStringLiteral("MasterUpdateDialog"));
  setWindowTitle(QStringLiteral("当選データ最新化"));
  // The program stays usable while the sources are fetched: the progress is
  // a window of its own beside the main window, not a modal one.
  setWindowModality(Qt::NonModal);
  setAutoClose(false);
  setAutoReset(false);
  // The bar is set directly: QProgressDialog::setValue would run the event
  // loop of a modal dialog from inside the download's signal handler, were
  // the dialog ever made modal.
  setBar(bar_);
  setRange(0, 0);
  setCancelButtonText(QStringLiteral("キャンセル"));
  // the sources' names come from outside: shown as they are, never as markup
  auto* label = new QLabel;
  label->setTextFormat(Qt::PlainText);
  setLabel(label);
  setLabelText(says::fetchingStarted(update_->sourcesText()));
  reset();  // no delayed show of its own: shown by start()
  setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60);
  connect(this, &QProgressDialog::canceled, update_, &MasterUpdate::cancel);
  connect(update_, &MasterUpdate::progress, this, &MasterUpdateDialog::showProgress);
  connect(update_, &MasterUpdate::checkingStarted, this, [this] {
    setRange(0, 0);
    setLabelText(says::checking(update_->sourcesText()));
  });
  connect(update_, &MasterUpdate::finished, this, &MasterUpdateDialog::showOutcome);
}

void MasterUpdateDialog::chooseFile(QWidget* parent, UpdateHost* host, const QString& target) {
  auto* dialog = new QFileDialog(parent, says::chooseFileCaption());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setNameFilters(
      {QStringLiteral("当選データ（*.csv *.json *.txt *.mdb）"), QStringLiteral("すべてのファイル（*）")});
  connect(dialog, &QFileDialog::fileSelected, dialog,
          [parent = QPointer<QWidget>(parent), host, target](const QString& file) {
            if (parent) start(parent, host, target, file);
          });
  dialog->open();
}

void MasterUpdateDialog::showProgress(qint64 received, qint64 total) {
  if (total > 0) {
    const qint64 cap = std::numeric_limits<int>::max();
    setRange(0, int(std::min(total, cap)));
    bar_->setValue(int(std::min(std::min(received, total), cap)));
  }
  setLabelText(says::fetching(update_->sourcesText(), says::receivedBytes(received, total)));
}

void MasterUpdateDialog::tellHost(bool running) {
  if (host_) host_->updateRunning(running);
}

void MasterUpdateDialog::showOutcome() {
  disconnect(this, &QProgressDialog::canceled, update_, &MasterUpdate::cancel);
  hide();
  tellHost(false);
  QWidget* owner = parentWidget();
  const QString text = update_->message();
  switch (update_->outcome()) {
    case MasterUpdate::Outcome::Updated: {
      Message m{QMessageBox::NoIcon,
                text + QStringLiteral("\n") + says::restartToUse(),
                {},
                QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes};
      QMessageBox* box = showMessageLater(owner, m);
      box->button(QMessageBox::Yes)->setText(restartButtonText());
      box->button(QMessageBox::No)->setText(laterButtonText());
      // the main window shows the newest stored draw, and restarts on the button
      const QPointer<QWidget> window = owner ? owner->window() : nullptr;
      const Draw& newest = update_->result().added.back();
      UpdateHost* host = host_;
      if (host) host->showStoredLatest(newest.no, QString::fromStdString(newest.date));
      connect(box, &QMessageBox::finished, box, [box, window, host] {
        if (host && window && box->clickedButton() == box->button(QMessageBox::Yes)) host->restartProgram();
      });
      break;
    }
    case MasterUpdate::Outcome::Missing:
      showMessageLater(owner, {QMessageBox::NoIcon, text, update_->details()});
      break;
    case MasterUpdate::Outcome::Cancelled:
      showMessageLater(owner, {QMessageBox::Information, text, update_->details()});
      break;
    case MasterUpdate::Outcome::NothingNew:
    case MasterUpdate::Outcome::Failed:
    case MasterUpdate::Outcome::Running: {
      // no source had what is missing: a file the user saved may have it
      const bool none = update_->outcome() == MasterUpdate::Outcome::NothingNew;
      QMessageBox* box =
          showMessageLater(owner, {none ? QMessageBox::NoIcon : QMessageBox::Critical, text, update_->details()});
      QPushButton* fromFile = box->addButton(fromFileButtonText(), QMessageBox::ActionRole);
      const QString target = update_->target();
      const QPointer<QWidget> parent = owner;
      // the option to look at the sources after every start, kept by the main window
      const QPointer<QWidget> window = owner ? owner->window() : nullptr;
      UpdateHost* host = host_;
      if (host) {
        auto* check = new QCheckBox(says::checkSourcesAtStart());

        check->setChecked(host->checksSourcesAtStart());
        box->setCheckBox(check);
      }
      connect(box, &QMessageBox::finished, box, [box, fromFile, target, parent, window, host] {
        if (host && window && box->checkBox()) host->setChecksSourcesAtStart(box->checkBox()->isChecked());
        if (box->clickedButton() == fromFile) chooseFile(parent, window ? host : nullptr, target);
      });
      break;
    }
  }
  deleteLater();
}

}  // namespace km
