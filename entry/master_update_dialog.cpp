#include "entry/master_update_dialog.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace km {

namespace {

// Message boxes are shown without a nested event loop: the download's
// signal handlers return at once and the box deletes itself when answered.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  box->show();
}

QString programTitle(QWidget* parent) {
  QWidget* top = parent ? parent->window() : nullptr;
  return top && !top->windowTitle().isEmpty() ? top->windowTitle() : QStringLiteral("カズマキMiddle");
}

}  // namespace

MasterUpdateDialog* MasterUpdateDialog::start(QWidget* parent, const QString& target) {
  if (parent) {
    for (MasterUpdateDialog* d : parent->findChildren<MasterUpdateDialog*>())
      if (d->update()->outcome() == MasterUpdate::Outcome::Running) return nullptr;
  }
  const UpdateSource source = updateSource();
  if (!source.error.isEmpty()) {
    showMessage(parent, QMessageBox::Critical, QStringLiteral("メッセ－ジ"), source.error);
    return nullptr;
  }
  auto* dialog = new MasterUpdateDialog(parent, source.url, target);
  dialog->update()->start();
  // Shown from the event loop, unless the update has ended at once (no
  // database file): then only its message appears.
  QTimer::singleShot(0, dialog, [dialog] {
    if (dialog->update()->outcome() == MasterUpdate::Outcome::Running) dialog->show();
  });
  return dialog;
}

MasterUpdateDialog::MasterUpdateDialog(QWidget* parent, const QUrl& url, const QString& target)
    : QProgressDialog(parent), update_(new MasterUpdate(url, target, this)), bar_(new QProgressBar) {
  setObjectName(QStringLiteral("MasterUpdateDialog"));
  setWindowTitle(QStringLiteral("当選データ最新化"));
  setWindowModality(Qt::WindowModal);
  setAutoClose(false);
  setAutoReset(false);
  // The bar is set directly: QProgressDialog::setValue would run the event
  // loop of a modal dialog from inside the download's signal handler.
  setBar(bar_);
  setRange(0, 0);
  setCancelButtonText(QStringLiteral("キャンセル"));
  setLabelText(QStringLiteral("当選データをダウンロードしています。\n%1\n\n受信 0 バイト").arg(url.toDisplayString()));
  reset();  // no delayed show of its own: shown by start()
  setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 60);
  connect(this, &QProgressDialog::canceled, update_, &MasterUpdate::cancel);
  connect(update_, &MasterUpdate::progress, this, &MasterUpdateDialog::showProgress);
  connect(update_, &MasterUpdate::finished, this, &MasterUpdateDialog::showOutcome);
}

void MasterUpdateDialog::showProgress(qint64 received, qint64 total) {
  QString amount = QStringLiteral("受信 %L1 バイト").arg(received);
  if (total > 0) {
    amount += QStringLiteral(" / %L1 バイト").arg(total);
    const qint64 cap = std::numeric_limits<int>::max();
    setRange(0, int(std::min(total, cap)));
    bar_->setValue(int(std::min(std::min(received, total), cap)));
  }
  setLabelText(
      QStringLiteral("当選データをダウンロードしています。\n%1\n\n%2").arg(update_->url().toDisplayString(), amount));
}

void MasterUpdateDialog::showOutcome() {
  disconnect(this, &QProgressDialog::canceled, update_, &MasterUpdate::cancel);
  hide();
  QWidget* owner = parentWidget();
  switch (update_->outcome()) {
    case MasterUpdate::Outcome::Updated:
    case MasterUpdate::Outcome::Missing:
      showMessage(owner, QMessageBox::NoIcon, programTitle(owner), update_->message());
      break;
    case MasterUpdate::Outcome::Cancelled:
      showMessage(owner, QMessageBox::Information, QStringLiteral("メッセ－ジ"), update_->message());
      break;
    case MasterUpdate::Outcome::Failed:
    case MasterUpdate::Outcome::Running:
      showMessage(owner, QMessageBox::Critical, QStringLiteral("メッセ－ジ"), update_->message());
      break;
  }
  deleteLater();
}

}  // namespace km
