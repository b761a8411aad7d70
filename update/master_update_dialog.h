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

  // Refusal while the data entry window is open.
  static QString refusalText() {
    return QStringLiteral(
        "当選データ入力ウィンドウを閉じてから実行してください。\n"
        "入力中のデータベースを置き換えることはできません。");
  }
  // The entry window while an update runs.
  static QString entryRefusalText() {
    return QStringLiteral(
        "当選データの最新化が実行中です。終わってから、もう一度実行してください。\n"
        "最新化が置き換えるデータベースに入力することはできません。");
  }
  // A second update while the one the user started runs (its progress
  // window is brought to the front).
  static QString busyText() {
    return QStringLiteral(
        "当選データの最新化は、いま実行中です（進み具合は「当選データ最新化」のウィンドウに出ています）。\n"
        "終わってから、もう一度実行してください。やめるときは、そのウィンドウの「キャンセル」を押します。");
  }
  // The line under the success message, and its restart button.
  static QString restartText() { return QStringLiteral("分析と予想には、カズマキMiddleを再起動すると使われます。"); }
  static QString restartButtonText() { return QStringLiteral("今すぐ再起動"); }
  static QString laterButtonText() { return QStringLiteral("あとで"); }
  // The option of the outcome box: the sources are looked at once after
  // every start, and only the status line says what they have.
  static QString checkAtStartText() {
    return QStringLiteral("起動するたびに取得先を確かめる（状態表示に出すだけで、取り込みはしません）");
  }

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
