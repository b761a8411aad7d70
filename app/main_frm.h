#pragma once
// MainFrm: the main window.  It reads the settings and the history at
// start-up, hosts every child window, routes the menu commands and writes the
// settings at shut-down.
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <optional>
#include <string>

#include "app/settings.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/update_host.h"
#include "prediction/core/prediction_state.h"
#include "store/history.h"
#include "store/sqlite/database.h"
#include "windows/window_table.h"

class QLabel;
class QMdiArea;
class QMenu;
class QMdiSubWindow;

namespace km {

class HistoryLoader;

// Where the main window opens again (the top left of its frame and its
// size): `remembered`, its place when the program last ended, as long as the
// middle of its title bar is on one of the screens' `available` areas, moved
// and made smaller as far as it must to fit that area.  None without a
// remembered place or when it is on no screen any more.
std::optional<QRect> rememberedPlace(const std::optional<QRect>& remembered, const QList<QRect>& available);

class MainFrm : public QMainWindow, public UpdateHost {
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
  // Shows the window at the place and size it had when the program last
  // ended, maximised if it was (kept in the settings file); the first time,
  // or when that place is on no screen any more, maximised over the
  // screen's available area, which is also its size when it is not
  // maximised.
  void showInItsPlace();

 signals:
  // The history is there (ok) or could not be read.
  void startUpEnded(bool ok);

 public:
  // The captions of the open child windows that show the history (every
  // one but the About dialog), in the order of the window menu.
  QStringList openWindowCaptions() const;

  // Opens a child window, or brings the open one to the front.
  QMdiSubWindow* openWindow(WindowId id);
  // The open window, none when it is closed.
  QMdiSubWindow* findChildWindow(WindowId id) const;
  QMdiArea* mdiArea() const { return mdi_; }

  enum class Arrangement { Cascade, Stacked, SideBySide, Icons };
  void arrangeWindows(Arrangement arrangement);

  const History& history() const { return history_; }
  PredictionState& predictionState() { return predictionState_; }

  // The help window, opened at `keyword`; F1 opens the page of the active child window.
  void showHelp(const QString& keyword);
  QWidget* helpWindow() const;

  // First line of the data entry refusal; the captions of the windows to close follow.
  static const char* refusalText() { return "表示中のウィンドウを閉じないと実行できません。"; }

  // An update runs (its progress window is modeless): meanwhile the entry
  // window is refused.
  void updateRunning(bool running) override { updating_ = running; }
  // Closes the program and starts it again (after an update brought new
  // draws); main() starts the new one once this one has let go of its folder.
  void restartProgram() override;
  // After an update added draws: the status line names the newest stored
  // draw, which the windows show after a restart.
  void showStoredLatest(int drawNo, const QString& date) override;
  // The sources are looked at in the background after every start (kept in
  // the settings file): the status line says when they have newer draws.
  bool checksSourcesAtStart() const override;
  void setChecksSourcesAtStart(bool on) override;
  bool restartRequested() const { return restartRequested_; }
  // Takes the draws of a file the user chose (a results list, a CSV or a
  // database) as the update does.
  void importFile(const QString& file);

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  // A file dropped on the window is taken after a confirmation.
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 public:
  // Menu commands that do more than open their window.
  void openPrediction();
  // The two commands that change the history run only while no window is in
  // their way: the entry window, which edits the file in place, only while
  // no other window shows the history; the update, which replaces the file,
  // only while the entry window is closed (the other windows keep showing
  // the history read at start, as the status line then says).
  void startUpdate();
  void openEntryWindow();
  void openHelpOverview();
  void openAbout();

 private:
  void buildMenus();
  void addWindowItems(QMenu* menu);
  void showLatestData();
  void checkSourcesInBackground();
  void beginStartUp();
  bool endStartUp(LoadResult r);
  // The program comes up with the prediction window: it opens once, at start.
  void openPredictionOnce();
  // False after telling the user which windows to close first.
  bool noWindowInTheWay(bool ofTheEntryWindow);
  // The window's place and size, kept in the settings file at the end.
  void keepPlace();

  QString programFolder_;
  QString settingsPath_;
  QMdiArea* mdi_ = nullptr;
  bool started_ = false;
  bool loading_ = false;
  bool activated_ = false;
  bool predictionOpenedOnce_ = false;
  bool restartRequested_ = false;
  bool updating_ = false;
  QLabel* latestData_ = nullptr;
  QLabel* reminder_ = nullptr;
  ConnectString database_;
  History history_;
  // The settings file's contents, read at start and written at the end.
  Settings settings_;
  // The prediction window's state: its switches come from settings_ and go
  // back there whenever the window changes one.
  PredictionState predictionState_;
  std::map<WindowId, QPointer<ChildFrame>> children_;
  QPointer<QWidget> help_;
};

}  // namespace km
