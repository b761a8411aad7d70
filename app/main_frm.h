#pragma once
// MainFrm: the main window.  It reads the settings and the history at
// start-up, hosts every child window, routes the menu commands and writes the
// settings at shut-down.
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <string>

#include "frame/ui/child_frame.h"
#include "prediction/core/prediction_state.h"
#include "store/database.h"
#include "store/history.h"
#include "windows/window_table.h"

class QLabel;
class QMdiArea;
class QMenu;
class QMdiSubWindow;

namespace km {

class HistoryLoader;

class MainFrm : public QMainWindow, public ChildHost {
  Q_OBJECT

 public:
  // programFolder holds Kazumaki.mdb; settingsPath is the settings file.
  MainFrm(const QString& programFolder, const QString& settingsPath, QWidget* parent = nullptr);

  // Start-up: the settings are read now, the history is read by `loader` on
  // its own thread.  A history already read is taken at once and
  // the prediction window opens now, so that it comes up with the main
  // window.  Otherwise the menus wait, under the busy pointer, for the
  // history; when it is there the prediction window opens (on the first
  // activation, or at once if that has passed).  A failed read shows its stop
  // box from the event loop, keeps nothing and reports startUpEnded(false), on
  // which the program ends with 1.  `loader` must outlive the event loop.
  void startUp(HistoryLoader& loader);
  // The history has not been read yet (the menus are off).
  bool loading() const { return loading_; }

 signals:
  // The history is there (ok) or could not be read.
  void startUpEnded(bool ok);

 public:
  bool propEnd() const { return propEnd_; }
  void setPropEnd(bool v) override { propEnd_ = v; }

  // Opens a child window, or brings the open one to the front.
  QMdiSubWindow* openWindow(WindowId id);
  // Puts lines into 当選確認 (opened or brought to the front) and writes them to its file.
  void addTickets(const std::vector<Ticket>& tickets);
  // The open window, none when it is closed.
  QMdiSubWindow* findChildWindow(WindowId id) const;
  QMdiArea* mdiArea() const { return mdi_; }

  // The four arrangements: 0 cascade, 1 stacked, 2 side by side, 3 icons.
  void arrange(int mode);

  const History& history() const { return history_; }
  PredictionState& predictionState() { return predictionState_; }

  // The help window, opened at `keyword`; F1 opens the page of the active child window.
  void showHelp(const QString& keyword);
  QWidget* helpWindow() const;

  // Text shown by the data entry refusal.
  static const char* refusalText() { return "表示中のウィンドウを閉じないと実行できません。"; }

  // The status line: the newest draw and its date ("最新データ：第1353回
  // （2025-09-23）"), and the reminder when that date is more than
  // kStaleDays days before `today` (YYYY-MM-DD).
  static QString latestDataText(const History& history);
  static QString reminderText(const History& history, const std::string& today);

  // Closes the program and starts it again (after an update brought new
  // draws); main() starts the new one once this one has let go of its folder.
  Q_INVOKABLE void restartProgram();
  // After an update added draws: the status line names the newest stored
  // draw, which the windows show after a restart.
  Q_INVOKABLE void showStoredLatest(int drawNo, const QString& date);
  bool restartRequested() const { return restartRequested_; }

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 public:
  // Menu commands that do more than open their window.
  void mnuEnd_Click();
  void mnuYoso_Click();
  void mnuMasterUpdate_Click();
  void mnuMasterInput_Click();
  void mnuWindowHorizontal_Click();
  void mnuWindowVertical_Click();
  void mnuWindowCascade_Click();
  void mnuWindowArrangeIcon_Click();
  void mnuHelpFile_Click();
  void mnuAbout_Click();

 private:
  void buildMenus();
  void addWindowItems(QMenu* menu);
  void showLatestData();
  void beginStartUp();
  bool endStartUp(LoadResult r);
  // The program comes up with the prediction window: it opens once, at start.
  void openPredictionOnce();

  QString programFolder_;
  QString settingsPath_;
  QMdiArea* mdi_ = nullptr;
  bool propEnd_ = true;
  bool started_ = false;
  bool loading_ = false;
  bool activated_ = false;
  bool predictionOpenedOnce_ = false;
  bool restartRequested_ = false;
  QLabel* latestData_ = nullptr;
  QLabel* reminder_ = nullptr;
  ConnectString ConnectString_;
  History history_;
  PredictionState predictionState_;
  std::map<WindowId, QPointer<ChildFrame>> children_;
  QPointer<QWidget> help_;
};

}  // namespace km
