#pragma once
// ChildFrame: the child window that hosts every analysis, prediction and data
// entry window inside the main window.  Loading shows the hourglass, places
// the window at the top left with its size from the window table and builds
// the content.
#include <QMdiSubWindow>
#include <functional>

class QPushButton;

#include "frame/window_def.h"

namespace km {

class ChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  using ContentFactory = std::function<QWidget*(QWidget* parent)>;

  // The frame is empty until load(), so that its owner can register it first.
  explicit ChildFrame(const WindowDef& def);
  // Builds the content under the hourglass.
  void load(const ContentFactory& makeContent);

  const WindowDef& def() const { return def_; }
  // True once the window has been closed; it is deleted when control returns
  // to the event loop, and choosing its menu item again opens a new one.
  bool isClosed() const { return closed_; }
  QSize sizeHint() const override { return tableSize_; }

  // Window sizes are given in twips.
  static QSize twipsToPixels(const QWidget* w, int widthTwips, int heightTwips);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void growToShowGrids();

  WindowDef def_;
  QSize tableSize_;
  bool closed_ = false;
};

// Closes the child window that holds `content` (the close buttons use it).
void closeChildOf(QWidget* content);

// A child window's close button keeps its caption 「閉じる」 as it stands and
// is pressed by Alt+C while its window has the focus (the mnemonic the
// caption would carry), which its tooltip names.
inline constexpr const char* kCloseKeys = "Alt+C";
void giveCloseShortcut(QPushButton* button);

// Hourglass for the lifetime of the object.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace km
