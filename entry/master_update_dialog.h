#pragma once
// The menu command 当選データ最新化: runs a MasterUpdate under a progress
// dialog with a Cancel button and tells the outcome in a message box.
#include <QProgressDialog>

#include "entry/master_update.h"

class QProgressBar;

namespace km {

class MasterUpdateDialog : public QProgressDialog {
  Q_OBJECT

 public:
  // Starts the update of `target` from the configured address, unless one is
  // already running under `parent`.  Returns the dialog (it deletes itself
  // when the outcome has been shown), or nullptr when nothing was started.
  static MasterUpdateDialog* start(QWidget* parent, const QString& target);

  MasterUpdateDialog(QWidget* parent, const QUrl& url, const QString& target);
  MasterUpdate* update() const { return update_; }

  // Refusal while the data entry window is open.
  static QString refusalText() {
    return QStringLiteral(
        "当選データ入力ウィンドウを閉じてから実行してください。\n"
        "入力中のデータベースを置き換えることはできません。");
  }

 private:
  void showProgress(qint64 received, qint64 total);
  void showOutcome();

  MasterUpdate* update_;
  QProgressBar* bar_;
};

}  // namespace km
