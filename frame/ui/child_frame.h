#pragma once
// ChildFrame: the child window that hosts every analysis, prediction and data
// entry window inside the main window.  Loading shows the hourglass, clears
// the main window's propEnd, places the window at the top left with its size
// from the window table and builds the content; unloading sets propEnd again.
#include <QMdiSubWindow>
#include <functional>

#include "frame/window_def.h"

namespace km {

class ChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  using ContentFactory = std::function<QWidget*(QWidget* parent)>;

  // mainWindow must have the property "propEnd".
  ChildFrame(QObject* mainWindow, const WindowDef& def, const ContentFactory& makeContent);

  const WindowDef& def() const { return def_; }
  QSize sizeHint() const override { return tableSize_; }

  // Window sizes are given in twips.
  static QSize twipsToPixels(const QWidget* w, int widthTwips, int heightTwips);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QObject* main_;
  WindowDef def_;
  QSize tableSize_;
};

// Closes the child window that holds `content` (the close buttons use it).
void closeChildOf(QWidget* content);

// Hourglass for the lifetime of the object; pending events run once so it shows.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace km
