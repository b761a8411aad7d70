#pragma once
// The menu command 当選データ最新化: runs a MasterUpdate under a progress
// window with a Cancel button and tells the outcome in a message box.  The
// progress window is modeless: the program stays usable meanwhile (the main
// window refuses only a second update and the entry window).  After draws
// were added the box offers to restart the program, which reads them.
#include <QProgressDialog>

#include "update/master_update.h"

class QProgressBar;

namespace km {

class UpdateHost;

class MasterUpdateDialog : public QProgressDialog {
  Q_OBJECT

 public:
  // Starts the update of `target` from the configured source, unless one is
  // already running under `parent`.  Returns the dialog (it deletes itself
  // when the outcome has been shown), or nullptr when nothing was started.
  // With `file`, from that file alone (one the user chose: it may hold just
  // the draws after the last stored one).
  // `host` (may be null) lives as long as `parent`'s window.
  static MasterUpdateDialog* start(QWidget* parent, UpdateHost* host, const QString& target, const QString& file = {});
  // The button of the outcome box that takes a file instead.
  static QString fromFileButtonText() { return QStringLiteral("ファイルから取り込む..."); }

  MasterUpdateDialog(QWidget* parent, UpdateHost* host, const QList<UpdateSource>& sources, const QString& target);
  MasterUpdate* update() const { return update_; }

  // The buttons of the success message (its sentences, the refusals and the
  // option of the outcome box are in update/update_messages.h).
  static QString restartButtonText() { return QStringLiteral("今すぐ再起動"); }
  static QString laterButtonText() { return QStringLiteral("あとで"); }

 private:
  void showProgress(qint64 received, qint64 total);
  void showOutcome();
  // Tells the main window that the update runs or has ended.
  void tellHost(bool running);

  // Lets the user choose a file and updates from it.
  static void chooseFile(QWidget* parent, UpdateHost* host, const QString& target);

  UpdateHost* host_;
  MasterUpdate* update_;
  QProgressBar* bar_;
};

}  // namespace km
