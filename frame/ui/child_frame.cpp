#include "frame/ui/child_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "frame/grid_geometry.h"
#include "frame/ui/grid_view.h"

namespace km {

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

QSize ChildFrame::twipsToPixels(const QWidget* w, int widthTwips, int heightTwips) {
  return QSize(km::twipsToPixels(widthTwips, w->logicalDpiX()), km::twipsToPixels(heightTwips, w->logicalDpiY()));
}

ChildFrame::ChildFrame(const WindowDef& def) : def_(def) {
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
  setWidget(makeContent(this));
  growToShowGrids();
}

void ChildFrame::changeEvent(QEvent* e) {
  QMdiSubWindow::changeEvent(e);
  // the frame's title bar and edges are known once the window is in its area
  if (e->type() == QEvent::ParentChange) growToShowGrids();
}

// The designed size holds its grids in most windows; where it cannot (a
// description that wraps onto two lines, rows a little taller than the
// designed ones), the window grows by what its grids lack, so that no grid
// is squeezed below the rows and columns it shows.
void ChildFrame::growToShowGrids() {
  QWidget* content = widget();
  QLayout* layout = content ? content->layout() : nullptr;
  if (!layout || !parentWidget()) return;
  const QSize frame = QMdiSubWindow::sizeHint() - content->sizeHint();
  const QSize room = tableSize_ - frame;
  const QMargins m = layout->contentsMargins();
  int needW = 0;
  for (const GridView* v : content->findChildren<GridView*>())
    needW = std::max(needW, v->sizeHint().width() + m.left() + m.right());
  const int needH =
      layout->hasHeightForWidth() ? layout->totalHeightForWidth(room.width()) : layout->totalSizeHint().height();
  const QSize lack(std::max(needW - room.width(), 0), std::max(needH - room.height(), 0));
  if (lack.isNull()) return;
  tableSize_ += lack;
  resize(tableSize_);
}

void ChildFrame::closeEvent(QCloseEvent* e) {
  QMdiSubWindow::closeEvent(e);
  if (!e->isAccepted()) return;
  closed_ = true;
}

void closeChildOf(QWidget* content) {
  for (QWidget* w = content; w; w = w->parentWidget()) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
      sub->close();
      return;
    }
  }
}

void giveCloseShortcut(QPushButton* button) {
  // a window shortcut: in a child window it acts only while that window has the focus
  button->setShortcut(QKeySequence(QString::fromLatin1(kCloseKeys)));
  button->setToolTip(QStringLiteral("閉じる（%1）").arg(QString::fromLatin1(kCloseKeys)));
}

}  // namespace km
