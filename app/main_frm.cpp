#include "app/main_frm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/database_recovery.h"
#include "app/history_loader.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/extras.h"
#include "frame/ui/message_box.h"
#include "frame/ui/window_arrangement.h"
#include "help/help_files.h"
#include "store/formats/feed.h"
#include "tickets/tickets_window.h"
#include "update/master_update_dialog.h"
#include "update/update_messages.h"
#include "windows/ui/window_content.h"

namespace km {

namespace {

// The menu tree: level 0 is the bar.  A command runs its handler; a row
// without one is a submenu, whose items follow it one level deeper, or (with
// `windows`) the menu of the analysis windows, made from the window table.
struct MenuRow {
  int level;
  const char* name;
  const char* caption;
  void (*click)(MainFrm&);
  bool windows = false;
};

const MenuRow kMenus[] = {
    {0, "actionQuit", "終了(&X)", [](MainFrm& f) { f.close(); }},
    {0, "actionPrediction", "一発ゼノバ予想(&D)", [](MainFrm& f) { f.openPrediction(); }},
    {0, "menuAnalyses", "データ分析(&S)", nullptr, true},
    {0, "menuData", "データ管理(&M)", nullptr},
    {1, "actionUpdate", "当選データ最新化(&U)", [](MainFrm& f) { f.startUpdate(); }},
    {1, "actionEntry", "当選データ入力(&I)", [](MainFrm& f) { f.openEntryWindow(); }},
    {0, "menuWindow", "ウィンドウ(&W)", nullptr},
    {1, "actionTileStacked", "上下に並べて表示(&H)",
     [](MainFrm& f) { f.arrangeWindows(MainFrm::Arrangement::Stacked); }},
    {1, "actionTileSideBySide", "左右に並べて表示(&V)",
     [](MainFrm& f) { f.arrangeWindows(MainFrm::Arrangement::SideBySide); }},
    {1, "actionCascade", "重ねて表示(&C)", [](MainFrm& f) { f.arrangeWindows(MainFrm::Arrangement::Cascade); }},
    {1, "actionArrangeIcons", "アイコンの整列(&A)", [](MainFrm& f) { f.arrangeWindows(MainFrm::Arrangement::Icons); }},
    {0, "menuHelp", "ヘルプ(&H)", nullptr},
    {1, "actionHelp", "ヘルプ(&H)", [](MainFrm& f) { f.openHelpOverview(); }},
    {1, "actionAbout", "バージョン情報(&A)", [](MainFrm& f) { f.openAbout(); }},
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
  setAcceptDrops(true);
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
  settings_ = Settings::read(settingsPath_.toStdString());
  predictionState_.reflect = settings_.prediction();  // the prediction window's group
  database_ = makeConnectString(programFolder_.toStdString());
}

// A failed read: the stop box with the reason (and, for a missing or damaged
// database, the backup in its place if the user wants it); nothing is kept.
bool MainFrm::endStartUp(LoadResult r) {
  if (!r && !recoverDatabase(isVisible() ? this : nullptr, database_, r)) {
    emit startUpEnded(false);
    return false;
  }
  history_ = History::fromRows(std::move(r->draws), std::move(r->prizes));
  started_ = true;
  showLatestData();
  if (checksSourcesAtStart()) QTimer::singleShot(0, this, &MainFrm::checkSourcesInBackground);
  emit startUpEnded(true);
  return true;
}

void MainFrm::startUp(HistoryLoader& loader) {
  beginStartUp();
  if (std::optional<LoadResult> read = loader.takeIfReadWell()) {
    endStartUp(std::move(*read));  // a history read well is always kept
    openPredictionOnce();
    return;
  }
  loading_ = true;
  // Only 終了 is there before the history: the program can always be left.
  for (QAction* a : menuBar()->actions()) a->setEnabled(a->objectName() == QLatin1String("actionQuit"));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  loader.whenLoaded(this, [this](LoadResult r) {
    if (!loading_) return;  // closed while the history was read
    loading_ = false;
    QApplication::restoreOverrideCursor();
    // A history put back from its backup came after the boxes that asked and
    // told: the window is shown, and may not be activated again by then.
    const bool recovered = !r;
    if (!endStartUp(std::move(r))) return;  // the program ends on startUpEnded(false)
    for (QAction* a : menuBar()->actions()) a->setEnabled(true);
    if (activated_ || recovered) openPredictionOnce();
  });
}

void MainFrm::buildMenus() {
  std::vector<QMenu*> parents(3, nullptr);
  auto named = [](QMenu* menu, const char* name) {
    menu->setObjectName(QString::fromUtf8(name));
    menu->menuAction()->setObjectName(QString::fromUtf8(name));
    return menu;
  };
  for (size_t i = 0; i < std::size(kMenus); ++i) {
    const MenuRow& m = kMenus[i];
    const QString caption = QString::fromUtf8(m.caption);
    if (m.windows) {
      addWindowItems(named(menuBar()->addMenu(caption), m.name));
      continue;
    }
    if (isSubmenu(i)) {
      parents[m.level + 1] =
          named(m.level == 0 ? menuBar()->addMenu(caption) : parents[m.level]->addMenu(caption), m.name);
      continue;
    }
    QAction* action = m.level == 0 ? menuBar()->addAction(caption) : parents[m.level]->addAction(caption);
    action->setObjectName(QString::fromUtf8(m.name));
    connect(action, &QAction::triggered, this, [this, click = m.click] { click(*this); });
  }
}

// An item per window the menu offers, in its order; rows next to each other
// with the same submenu share it.
void MainFrm::addWindowItems(QMenu* menu) {
  const Submenu* current = nullptr;
  QMenu* sub = nullptr;
  for (const WindowRow* row : menuWindows()) {
    const MenuItem& item = row->menu;
    if (item.separatorBefore) menu->addSeparator();
    if (item.submenu != current || item.separatorBefore) {
      current = item.submenu;
      sub = nullptr;
      if (current) {
        sub = menu->addMenu(QString::fromUtf8(current->caption));
        sub->setObjectName(QString::fromUtf8(current->name));
        sub->menuAction()->setObjectName(QString::fromUtf8(current->name));
      }
    }
    QAction* action = (sub ? sub : menu)->addAction(QString::fromUtf8(item.caption));
    action->setObjectName(QString::fromUtf8(item.name));
    const WindowId id = row->id;
    connect(action, &QAction::triggered, this, [this, id] { openWindow(id); });
  }
}

QMdiSubWindow* MainFrm::findChildWindow(WindowId id) const {
  auto it = children_.find(id);
  if (it == children_.end() || !it->second || it->second->isClosed()) return nullptr;
  return it->second.data();
}

QMdiSubWindow* MainFrm::openWindow(WindowId id) {
  BusyCursor busy;
  if (QMdiSubWindow* open = findChildWindow(id)) {
    if (open->isMinimized()) open->showNormal();
    mdi_->setActiveSubWindow(open);
    open->raise();
    return open;
  }
  const WindowRow& row = windowRow(id);
  if (row.kind == WindowKind::Chart) {  // drawn by the extras module: no window without it
    QString error, details;
    if (!extras(error, &details)) {
      showStop(this, error, details);
      return nullptr;
    }
  }
  auto* frame = new ChildFrame(row.def);
  children_[id] = frame;
  WindowContext context{history_, predictionState_, database_,
                        [this](const ReflectSettings& reflect) { settings_.setPrediction(reflect); }};
  buildWindow(*mdi_, *frame, row, context);
  mdi_->setActiveSubWindow(frame);
  return frame;
}

void MainFrm::openPredictionOnce() {
  if (predictionOpenedOnce_) return;
  predictionOpenedOnce_ = true;
  openPrediction();
}

void MainFrm::openPrediction() { openWindow(WindowId::Prediction); }

QStringList MainFrm::openWindowCaptions() const {
  QStringList captions;
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    const auto* frame = qobject_cast<const ChildFrame*>(w);
    if (frame && !frame->isClosed() && frame != findChildWindow(WindowId::About))
      captions << QString::fromStdString(frame->def().caption);
  }
  return captions;
}

bool MainFrm::noWindowInTheWay(bool ofTheEntryWindow) {
  if (ofTheEntryWindow) {
    const QStringList open = openWindowCaptions();
    if (open.isEmpty()) return true;
    showStop(this, QString::fromUtf8(refusalText()) + QLatin1Char('\n') + open.join(QLatin1Char('\n')));
    return false;
  }
  if (!findChildWindow(WindowId::DataEntry)) return true;
  showStop(this, says::updateRefused());
  return false;
}

void MainFrm::openEntryWindow() {
  // the update replaces the file the entry window would edit
  if (updating_) return showStop(this, says::entryRefusedWhileUpdating());
  if (noWindowInTheWay(true)) openWindow(WindowId::DataEntry);
}

// The download runs under its own progress window, which leaves the program
// usable; the new history is read at the next start.
void MainFrm::startUpdate() {
  if (!noWindowInTheWay(false)) return;
  QString error, details;
  const Extras* x = extras(error, &details);
  if (!x) return showStop(this, error, details);
  x->startUpdate(this, this, QString::fromStdString(database_.path), {});
}

void MainFrm::importFile(const QString& file) {
  if (findChildWindow(WindowId::DataEntry)) {
    showStop(this, says::updateRefused());
    return;
  }
  QString error, details;
  const Extras* x = extras(error, &details);
  if (!x) return showStop(this, error, details);
  x->startUpdate(this, this, QString::fromStdString(database_.path), file);
}

void MainFrm::dragEnterEvent(QDragEnterEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (!loading_ && urls.size() == 1 && urls.front().isLocalFile()) e->acceptProposedAction();
}

void MainFrm::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (loading_ || urls.size() != 1 || !urls.front().isLocalFile()) return;
  e->acceptProposedAction();
  const QString file = urls.front().toLocalFile();
  Message ask{QMessageBox::Warning,
              QStringLiteral("次のファイルから当選データを取り込みます。よろしいですか？\n") + file,
              {},
              QMessageBox::Yes | QMessageBox::No,
              QMessageBox::No};
  QMessageBox* box = showMessageLater(this, ask);
  connect(box, &QMessageBox::finished, this, [this, box, file] {
    if (box->clickedButton() == box->button(QMessageBox::Yes)) importFile(file);
  });
}
void MainFrm::restartProgram() {
  restartRequested_ = true;
  close();
}

std::optional<QRect> rememberedPlace(const std::optional<QRect>& remembered, const QList<QRect>& available) {
  if (!remembered) return std::nullopt;
  // where the title bar is grabbed to move the window
  const QPoint title(remembered->left() + remembered->width() / 2, remembered->top() + 8);
  for (const QRect& a : available) {
    if (!a.contains(title)) continue;
    const QSize size = remembered->size().boundedTo(a.size());
    const int x = std::clamp(remembered->left(), a.left(), a.left() + a.width() - size.width());
    const int y = std::clamp(remembered->top(), a.top(), a.top() + a.height() - size.height());
    return QRect(QPoint(x, y), size);
  }
  return std::nullopt;
}

void MainFrm::showInItsPlace() {
  std::optional<QRect> remembered;
  if (const std::optional<WindowPlace> p = settings_.mainWindowPlace())
    remembered = QRect(p->left, p->top, p->width, p->height);
  QList<QRect> available;
  for (const QScreen* s : QGuiApplication::screens()) available << s->availableGeometry();
  const std::optional<QRect> place = rememberedPlace(remembered, available);
  const QRect at = place ? *place : screen()->availableGeometry();
  move(at.topLeft());
  resize(at.size());
  if (!place || settings_.mainWindowMaximised())
    showMaximized();
  else
    show();
}

void MainFrm::keepPlace() {
  const bool maximised = windowState() & Qt::WindowMaximized;
  const QRect place = maximised || isMinimized() ? normalGeometry() : QRect(pos(), size());
  settings_.setMainWindowPlace({place.left(), place.top(), place.width(), place.height()}, maximised);
}

bool MainFrm::checksSourcesAtStart() const { return settings_.checksSourcesAtStart(); }

void MainFrm::setChecksSourcesAtStart(bool on) { settings_.setChecksSourcesAtStart(on); }

void MainFrm::checkSourcesInBackground() {
  QString error;
  const Extras* x = extras(error);
  if (!x) return;  // the status line stays as it is
  x->checkSources(this, QString::fromStdString(database_.path), history_.draws,
                  [label = QPointer<QLabel>(reminder_)](const QString& text) {
                    if (label && !text.isEmpty()) label->setText(text);
                  });
}

void MainFrm::showStoredLatest(int drawNo, const QString& date) {
  if (!latestData_) return;
  latestData_->setText(QStringLiteral("最新データ：第%1回（%2）").arg(drawNo).arg(date));
  reminder_->setText(QStringLiteral("再起動すると分析と予想に使われます"));
}

// The newest stored draw in the status bar; no question, no network at start.
void MainFrm::showLatestData() {
  if (!latestData_) {
    latestData_ = new QLabel(this);
    latestData_->setObjectName(QStringLiteral("latestData"));
    latestData_->setTextFormat(Qt::PlainText);  // a stored date is the file's text, never markup
    reminder_ = new QLabel(this);
    reminder_->setTextFormat(Qt::PlainText);
    reminder_->setObjectName(QStringLiteral("updateReminder"));
    QPalette red = reminder_->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    reminder_->setPalette(red);
    statusBar()->addWidget(latestData_);
    statusBar()->addWidget(reminder_, 1);
  }
  const StatusLine line = statusLine(history_, todayDate());
  latestData_->setText(QString::fromStdString(line.latest));
  reminder_->setText(QString::fromStdString(line.missing));
}

void MainFrm::openHelpOverview() { showHelp(QString::fromUtf8(kHelpOverviewKeyword)); }
void MainFrm::openAbout() { openWindow(WindowId::About); }

QWidget* MainFrm::helpWindow() const { return help_.data(); }

void MainFrm::showHelp(const QString& keyword) {
  const QString collection = QDir(programFolder_).filePath(QString::fromUtf8(kHelpCollectionFile));
  QString error, details;
  if (const Extras* x = extras(error, &details)) help_ = x->showHelp(help_, this, collection, keyword, error, details);
  if (!help_) showStop(this, error, details);
}

void MainFrm::arrangeWindows(Arrangement arrangement) {
  switch (arrangement) {
    case Arrangement::Cascade:
      cascadeWindows(mdi_);
      break;
    case Arrangement::Stacked:
    case Arrangement::SideBySide:
      tileWindows(mdi_, arrangement == Arrangement::Stacked);
      break;
    case Arrangement::Icons:
      arrangeIcons(mdi_);
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
  mdi_->closeAllSubWindows();
  // a window that keeps unsaved input open (修正する) keeps the program open
  for (QMdiSubWindow* sub : mdi_->subWindowList())
    if (sub->isVisible()) {
      e->ignore();
      return;
    }
  if (help_) help_->close();
  if (started_) {
    if (isVisible()) keepPlace();
    Failure why;
    if (!settings_.write(settingsPath_.toStdString(), nullptr, &why)) {
      // the program still ends; the user learns that the settings were not kept, and why
      execMessage(this, {QMessageBox::Warning,
                         QStringLiteral("予想ウィンドウの設定を設定ファイルに保存できませんでした。\n") +
                             QString::fromStdString(why.message),
                         QString::fromStdString(why.cause)});
    }
    history_ = History();
    started_ = false;
  }
  e->accept();
}

}  // namespace km
