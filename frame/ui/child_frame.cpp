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
  // The window menu's keys (Ctrl+F4 and Ctrl+W close) belong to the window
  // that has the focus: with every child window claiming them for the whole
  // main window, two open windows made them ambiguous and neither closed.
  if (QMenu* menu = systemMenu())
    for (QAction* a : menu->actions()) a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
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
