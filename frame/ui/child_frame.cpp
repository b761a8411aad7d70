#include "frame/ui/child_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
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
