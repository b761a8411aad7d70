#include "frame/ui/child_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

#include "frame/grid_geometry.h"

namespace km {

BusyCursor::BusyCursor() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

QSize ChildFrame::twipsToPixels(const QWidget* w, int widthTwips, int heightTwips) {
  return QSize(km::twipsToPixels(widthTwips, w->logicalDpiX()), km::twipsToPixels(heightTwips, w->logicalDpiY()));
}

ChildFrame::ChildFrame(ChildHost* host, const WindowDef& def) : host_(host), def_(def) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QString::fromStdString(def.name));
  setWindowTitle(QString::fromStdString(def.caption));
  QPixmap noIcon(16, 16);
  noIcon.fill(Qt::transparent);
  setWindowIcon(QIcon(noIcon));
  // Ctrl+F4 closes the window, as in every multiple-document program, and
  // Ctrl+W too (the toolkit gives only one of them, depending on the desktop).
  if (QMenu* menu = systemMenu()) {
    const QList<QKeySequence> close = QKeySequence::keyBindings(QKeySequence::Close);
    for (QAction* a : menu->actions())
      if (!a->shortcuts().isEmpty() && a->shortcuts() == close)
        a->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)});
  }
  tableSize_ = twipsToPixels(this, def.width, def.height);
  move(0, 0);
  resize(tableSize_);
}

void ChildFrame::load(const ContentFactory& makeContent) {
  BusyCursor busy;
  if (host_) host_->setPropEnd(false);
  setWidget(makeContent(this));
}

void ChildFrame::closeEvent(QCloseEvent* e) {
  QMdiSubWindow::closeEvent(e);
  if (e->isAccepted() && host_) host_->setPropEnd(true);
}

void closeChildOf(QWidget* content) {
  for (QWidget* w = content; w; w = w->parentWidget()) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
      sub->close();
      return;
    }
  }
}

}  // namespace km
