#pragma once
// Helpers for widget tests: temporary program folders and modal message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/history_loader.h"
#include "app/main_frm.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/message_box.h"
#include "store/sqlite/database.h"

namespace km::test {

struct ProgramFolder {
  std::filesystem::path dir;
  explicit ProgramFolder(const std::vector<Draw>& draws, bool withDatabase = true) {
    static int counter = 0;
    dir = std::filesystem::temp_directory_path() /
          ("km-ui-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(dir);
    if (withDatabase) writeDatabase(makeConnectString(dir.string()), draws).withCause();
  }
  ~ProgramFolder() { std::filesystem::remove_all(dir); }
  QString path() const { return QString::fromStdString(dir.string()); }
  QString settings() const { return QString::fromStdString((dir / "カズマキ.ini").string()); }
};

// Closes the prediction window the program came up with; it does not open again.
inline void closePredictionWindow(MainFrm& frm) {
  if (QMdiSubWindow* w = frm.findChildWindow(WindowId::Prediction)) w->close();
}

// Runs every call queued so far (QTimer::singleShot(0, ...), queued
// invocations): a marker queued after them has run once they all have.
// True unless the marker did not run within the (generous) time limit.
inline bool runQueuedCalls() {
  bool reached = false;
  QTimer::singleShot(0, [&reached] { reached = true; });
  return QTest::qWaitFor([&reached] { return reached; }, 30000);
}

// Waits until every analysis window in `w` has its grid (a fill in the
// background ends on its own thread).
inline bool waitFilled(QWidget* w) {
  return QTest::qWaitFor(
      [w] {
        for (const AnalysisWindow* a : w->findChildren<AnalysisWindow*>())
          if (!a->isFilled()) return false;
        return true;
      },
      30000);
}

// Answers the next message box with `button` (through the program's one way
// to its boxes, frame/ui/message_box.h), recording its title and text; with
// `then`, the box after it is answered so and recorded in `next`.
struct MessageBoxWatcher {
  QString title, text, details, informative;
  QStringList buttons;  // the captions, in the box's order
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  bool seen = false;
  std::unique_ptr<MessageBoxWatcher> next;
  explicit MessageBoxWatcher(QMessageBox::StandardButton button = QMessageBox::Ok,
                             QMessageBox::StandardButton then = QMessageBox::NoButton) {
    previous_ = setMessageAnswerer([this, button, then](QMessageBox& box) -> QAbstractButton* {
      seen = true;
      title = box.windowTitle();
      text = box.text();
      details = box.detailedText();
      informative = box.informativeText();
      for (QAbstractButton* b : box.buttons()) buttons << b->text();
      icon = box.icon();
      defaultButton = box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::NoButton;
      setMessageAnswerer(std::exchange(previous_, {}));  // the next box goes to whoever answered before
      if (then != QMessageBox::NoButton) next = std::make_unique<MessageBoxWatcher>(then);
      // a box without the wanted button is answered with its first, and the test sees why
      QAbstractButton* b = box.button(button);
      return b ? b : box.buttons().value(0);
    });
  }
  ~MessageBoxWatcher() {
    if (!seen) setMessageAnswerer(std::move(previous_));
  }
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

 private:
  MessageAnswerer previous_;
};

// The program's start in a test, as main() does it: the history of the
// folder's database read by a loader on its own thread while the main window
// is built, shown and activated, and the prediction window opened when the
// history is there.  The loader lives as long as this object.  A message box
// at start that the test does not expect fails the test (answered with its
// first button) instead of waiting for an answer for ever.
struct ProgramStart {
  HistoryLoader loader;
  explicit ProgramStart(const ProgramFolder& folder) : loader(makeConnectString(folder.dir.string())) {}
  // Waits until the start has ended and, when it ended well, until the
  // prediction window is open; false when it failed (its stop box shown).
  bool run(MainFrm& frm, bool boxExpected = false) {
    std::optional<MessageBoxWatcher> unexpected;
    if (!boxExpected) unexpected.emplace();
    const bool ok = start(frm);
    if (unexpected && unexpected->seen) ADD_FAILURE() << "message box at start: " << unexpected->text.toStdString();
    return ok && !(unexpected && unexpected->seen);
  }

 private:
  bool start(MainFrm& frm) {
    QSignalSpy ended(&frm, &MainFrm::startUpEnded);
    frm.startUp(loader);
    frm.show();
    frm.activateWindow();
    if (!QTest::qWaitFor([&] { return !ended.isEmpty(); }, 30000) || !ended.at(0).at(0).toBool()) return false;
    return QTest::qWaitFor([&] { return frm.findChildWindow(WindowId::Prediction) != nullptr; }, 30000);
  }
};

}  // namespace km::test
