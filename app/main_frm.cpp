#include "app/main_frm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "app/history_loader.h"
#include "entry/data_entry_window.h"
#include "entry/master_update_dialog.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/extras.h"
#include "frame/ui/message_box.h"
#include "help/about_dialog.h"
#include "help/help_files.h"
#include "prediction/ui/prediction_window.h"
#include "windows/window_table.h"

namespace km {

namespace {

// The menu tree: level 0 is the bar.  A command either opens the window it
// names or runs its handler; a row with neither is a submenu.
struct MenuRow {
  int level;
  const char* name;
  const char* caption;
  const char* opens;
  void (MainFrm::*click)();
};

const MenuRow kMenus[] = {
    {0, "mnuEnd", "終了(&X)", nullptr, &MainFrm::mnuEnd_Click},
    {0, "mnuYoso", "一発ゼノバ予想(&D)", nullptr, &MainFrm::mnuYoso_Click},
    {0, "mnuMain", "データ分析(&S)", nullptr, nullptr},
    {1, "mnuHindo", "頻度分析", nullptr, nullptr},
    {2, "mnuSyutugenHindo", "出現頻度分析", "出現頻度分析", nullptr},
    {2, "mnuSyutugenKaisu", "回数別出現分析", "回数別出現分析", nullptr},
    {1, "mnuKankaku", "間隔分析", nullptr, nullptr},
    {2, "mnuSyutugenKankaku", "出現間隔分析", "出現間隔分析", nullptr},
    {2, "mnuNumberKankaku", "数字間隔分析", "数字間隔分析", nullptr},
    {1, "mnuZenkaiSyutugen", "出現回数分析", "出現回数分析", nullptr},
    {1, "mnuBaratsuki", "バラツキ分析", "バラツキ分析", nullptr},
    {1, "mnuHippari", "引っ張り分析", "引っ張り分析", nullptr},
    {1, "mnuRenbanTobiishi", "連番・飛び石分析", "連番飛び石分析", nullptr},
    {1, "mnuHonsuji", "数字合計分析", "数字合計分析", nullptr},
    {1, "mnuPattern", "組合せパターン分析", nullptr, nullptr},
    {2, "mnuLowHightPattern", "低数字・高数字の組合せパターン分析", "低数字高数字の組合せパターン分析", nullptr},
    {2, "mnuKisuGusuPattern", "偶数・奇数の組合せパターン分析", "偶数奇数の組合せパターン分析", nullptr},
    {1, "mnu5BunkatsuKeiko", "4分割傾向分析", "分割4傾向分析", nullptr},
    {1, "mnuBunkatsuData", "分割データ分析", nullptr, nullptr},
    {2, "mnu6BunkatsuData", "6分割データ分析", "分割6データ分析", nullptr},
    {2, "mnu7BunkatsuData", "7分割データ分析", "分割7データ分析", nullptr},
    {2, "mnu11BunkatsuData", "10分割データ分析", "分割10データ分析", nullptr},
    {1, "mnuLastChar", "下一桁出現傾向分析", "下一桁出現傾向分析", nullptr},
    {1, "mnuLastCharRenzoku", "下一桁連続出現回数分析", "下一桁連続出現回数分析", nullptr},
    {0, "mnuHosyu", "データ管理(&M)", nullptr, nullptr},
    {1, "mnuMasterUpdate", "当選データ最新化(&U)", nullptr, &MainFrm::mnuMasterUpdate_Click},
    {1, "mnuMasterInput", "当選データ入力(&I)", nullptr, &MainFrm::mnuMasterInput_Click},
    {0, "mnuWindow", "ウィンドウ(&W)", nullptr, nullptr},
    {1, "mnuWindowHorizontal", "上下に並べて表示(&H)", nullptr, &MainFrm::mnuWindowHorizontal_Click},
    {1, "mnuWindowVertical", "左右に並べて表示(&V)", nullptr, &MainFrm::mnuWindowVertical_Click},
    {1, "mnuWindowCascade", "重ねて表示(&C)", nullptr, &MainFrm::mnuWindowCascade_Click},
    {1, "mnuWindowArrangeIcon", "アイコンの整列(&A)", nullptr, &MainFrm::mnuWindowArrangeIcon_Click},
    {0, "mnuHelp", "ヘルプ(&H)", nullptr, nullptr},
    {1, "mnuHelpFile", "ヘルプ(&H)", nullptr, &MainFrm::mnuHelpFile_Click},
    {1, "mnuAbout", "バージョン情報(&A)", nullptr, &MainFrm::mnuAbout_Click},
};

bool isSubmenu(size_t i) { return i + 1 < std::size(kMenus) && kMenus[i + 1].level > kMenus[i].level; }

}  // namespace

MainFrm::MainFrm(const QString& programFolder, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent), programFolder_(programFolder), settingsPath_(settingsPath) {
  // The menu bar is the window's own, never handed to a desktop-wide bar
  // (asking the desktop for one is a D-Bus call, milliseconds of every start).
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
  setObjectName(QStringLiteral("MainFrm"));
  setWindowTitle(QStringLiteral("カズマキMiddle"));
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName(QStringLiteral("MDIClient"));
  mdi_->setBackground(QColor(128, 128, 128));
  // A child window larger than the area (a small screen) is reached by scrolling.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);

  buildMenus();
  // F1 opens the help page of the active child window (the overview without one).
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] {
    auto* child = qobject_cast<ChildFrame*>(mdi_->activeSubWindow());
    showHelp(child ? QString::fromStdString(child->def().caption) : QString::fromUtf8(kHelpOverviewKeyword));
  });
  resize(1024, 768);
}

void MainFrm::beginStartUp() {
  predictionState_.ReadInitFile(settingsPath_.toStdString());
  propEnd_ = true;
  ConnectString_ = makeConnectString(programFolder_.toStdString());
}

// A failed read: the stop box with the reason, and nothing is kept.
bool MainFrm::endStartUp(LoadResult r) {
  if (!r.ok) {
    showStop(isVisible() ? this : nullptr, QString::fromStdString(r.message));
    emit startUpEnded(false);
    return false;
  }
  history_ = History::fromRows(std::move(r.rows));
  started_ = true;
  emit startUpEnded(true);
  return true;
}

bool MainFrm::startUp() {
  beginStartUp();
  BusyCursor busy;
  LoadResult r = loadHistory(ConnectString_);
  QApplication::restoreOverrideCursor();
  const bool ok = endStartUp(std::move(r));
  QApplication::setOverrideCursor(Qt::WaitCursor);  // balanced by BusyCursor
  return ok;
}

void MainFrm::startUp(HistoryLoader& loader) {
  beginStartUp();
  if (std::optional<LoadResult> read = loader.takeIfReadWell()) {
    endStartUp(std::move(*read));  // a history read well is always kept
    openPredictionOnce();
    return;
  }
  loading_ = true;
  menuBar()->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  loader.whenLoaded(this, [this](LoadResult r) {
    if (!loading_) return;  // closed while the history was read
    loading_ = false;
    QApplication::restoreOverrideCursor();
    if (!endStartUp(std::move(r))) return;  // the program ends on startUpEnded(false)
    menuBar()->setEnabled(true);
    if (activated_) openPredictionOnce();
  });
}

void MainFrm::buildMenus() {
  std::vector<QMenu*> parents(3, nullptr);
  for (size_t i = 0; i < std::size(kMenus); ++i) {
    const MenuRow& m = kMenus[i];
    const QString caption = QString::fromUtf8(m.caption);
    QAction* action = nullptr;
    if (isSubmenu(i)) {
      QMenu* menu = m.level == 0 ? menuBar()->addMenu(caption) : parents[m.level]->addMenu(caption);
      menu->setObjectName(QString::fromUtf8(m.name));
      menu->menuAction()->setObjectName(QString::fromUtf8(m.name));
      parents[m.level + 1] = menu;
      continue;
    }
    action = m.level == 0 ? menuBar()->addAction(caption) : parents[m.level]->addAction(caption);
    action->setObjectName(QString::fromUtf8(m.name));
    if (m.opens) {
      const std::string window = m.opens;
      connect(action, &QAction::triggered, this, [this, window] { openWindow(window); });
    } else if (m.click) {
      connect(action, &QAction::triggered, this, m.click);
    }
  }
}

QWidget* MainFrm::makeContent(const std::string& name, QWidget* parent) {
  if (name == kPredictionWindow) return new PredictionWindow(predictionState_, history_, parent);
  if (name == kAboutWindow) return new AboutDialog(parent);
  if (name == kDataEntryWindow) return new DataEntryWindow(ConnectString_, parent);
  return new AnalysisWindow(*findWindow(name), history_, parent);
}

QMdiSubWindow* MainFrm::findChildWindow(const std::string& name) const {
  auto it = children_.find(name);
  if (it == children_.end() || !it->second || it->second->isClosed()) return nullptr;
  return it->second.data();
}

QMdiSubWindow* MainFrm::openWindow(const std::string& name) {
  BusyCursor busy;
  if (QMdiSubWindow* open = findChildWindow(name)) {
    if (open->isMinimized()) open->showNormal();
    mdi_->setActiveSubWindow(open);
    open->raise();
    return open;
  }
  const WindowDef* def = name == kDataEntryWindow ? &dataEntryDef()
                         : name == kAboutWindow   ? &aboutWindowDef()
                                                  : findWindow(name);
  if (!def) return nullptr;
  // The About dialog shows no data and leaves propEnd alone.
  auto* frame = new ChildFrame(name == kAboutWindow ? nullptr : this, *def);
  children_[name] = frame;
  frame->load([this, name](QWidget* parent) { return makeContent(name, parent); });
  mdi_->addSubWindow(frame);
  frame->move(0, 0);
  frame->resize(frame->sizeHint());
  frame->show();
  mdi_->setActiveSubWindow(frame);
  return frame;
}

void MainFrm::openPredictionOnce() {
  if (predictionOpenedOnce_) return;
  predictionOpenedOnce_ = true;
  mnuYoso_Click();
}

void MainFrm::mnuYoso_Click() { openWindow(std::string(kPredictionWindow)); }

void MainFrm::mnuMasterInput_Click() {
  if (propEnd_) {
    openWindow(kDataEntryWindow);
  } else {
    showStop(this, QString::fromUtf8(refusalText()));
  }
}

void MainFrm::mnuEnd_Click() { close(); }
void MainFrm::mnuWindowCascade_Click() { arrange(0); }
void MainFrm::mnuWindowHorizontal_Click() { arrange(1); }
void MainFrm::mnuWindowVertical_Click() { arrange(2); }
void MainFrm::mnuWindowArrangeIcon_Click() { arrange(3); }
// The download runs under its own progress dialog; the new history is read at
// the next start.  Replacing the file under the data entry window's open
// connection would lose what is being typed, so that window must be closed.
void MainFrm::mnuMasterUpdate_Click() {
  if (findChildWindow(kDataEntryWindow)) {
    showStop(this, MasterUpdateDialog::refusalText());
    return;
  }
  QString error;
  const Extras* x = extras(error);
  if (!x) return showStop(this, error);
  x->startUpdate(this, QString::fromStdString(ConnectString_.path));
}
void MainFrm::mnuHelpFile_Click() { showHelp(QString::fromUtf8(kHelpOverviewKeyword)); }
void MainFrm::mnuAbout_Click() { openWindow(kAboutWindow); }

QWidget* MainFrm::helpWindow() const { return help_.data(); }

void MainFrm::showHelp(const QString& keyword) {
  const QString collection = QDir(programFolder_).filePath(QString::fromUtf8(kHelpCollectionFile));
  QString error;
  if (const Extras* x = extras(error)) help_ = x->showHelp(help_, this, collection, keyword, error);
  if (!help_) showStop(this, error);
}

void MainFrm::arrange(int mode) {
  const QList<QMdiSubWindow*> all = mdi_->subWindowList();
  QList<QMdiSubWindow*> shown;
  for (QMdiSubWindow* w : all)
    if (!w->isMinimized() && w->isVisible()) shown.append(w);
  const QRect area = mdi_->viewport()->rect();
  switch (mode) {
    case 0:
      mdi_->cascadeSubWindows();
      break;
    case 1:    // one above another, each the full width
    case 2: {  // side by side, each the full height
      if (shown.isEmpty()) break;
      const int n = static_cast<int>(shown.size());
      for (int i = 0; i < n; ++i) {
        QRect r =
            mode == 1
                ? QRect(0, area.height() * i / n, area.width(), area.height() * (i + 1) / n - area.height() * i / n)
                : QRect(area.width() * i / n, 0, area.width() * (i + 1) / n - area.width() * i / n, area.height());
        shown[i]->setGeometry(r);
      }
      break;
    }
    case 3: {  // minimised windows along the bottom edge
      int x = 0;
      for (QMdiSubWindow* w : all) {
        if (!w->isMinimized()) continue;
        const QSize s = w->size();
        w->move(x, area.height() - s.height());
        x += s.width();
      }
      break;
    }
    default:
      break;
  }
}

bool MainFrm::event(QEvent* e) {
  // The program comes up with the prediction window: once, on the first activation.
  if (e->type() == QEvent::WindowActivate) activated_ = true;
  if (e->type() == QEvent::WindowActivate && started_ && !predictionOpenedOnce_)
    QTimer::singleShot(0, this, &MainFrm::openPredictionOnce);
  return QMainWindow::event(e);
}

void MainFrm::closeEvent(QCloseEvent* e) {
  if (loading_) {  // closed before the history came: it is not wanted any more
    loading_ = false;
    QApplication::restoreOverrideCursor();
  }
  if (help_) help_->close();
  mdi_->closeAllSubWindows();
  if (started_) {
    std::string why;
    if (!predictionState_.WriteInitFile(settingsPath_.toStdString(), &why)) {
      // the program still ends; the user learns that the settings were not kept, and why
      QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"),
                      QStringLiteral("設定ファイルに書き込めませんでした。\n") + settingsPath_ + QStringLiteral("\n") +
                          QString::fromStdString(why),
                      QMessageBox::Ok, this);
      box.exec();
    }
    history_ = History();
    started_ = false;
  }
  e->accept();
}

}  // namespace km
