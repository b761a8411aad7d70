#pragma once
// 当選データ入力: the result data entry window.  An editable grid of every
// stored draw with its date, a popup on the line headers to insert or delete
// a line, the check of the numbers and dates on 閉じる, and the question
// 修正する／破棄して終了 when the window is closed otherwise with texts that
// were never written.
#include <QTableView>
#include <QWidget>
#include <memory>

#include "frame/ui/entry_grid.h"
#include "frame/window_def.h"
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"

class QMenu;
class QAction;
class QPushButton;
class QLabel;

namespace km {

class EntryModel;

class DataEntryWindow : public QWidget {
  Q_OBJECT
 public:
  // The history of `cs` under the description line of `def`; busyTimeoutMs:
  // how long a write waits for another program's lock.
  DataEntryWindow(const WindowDef& def, const ConnectString& cs, QWidget* parent = nullptr,
                  int busyTimeoutMs = EntryStore::kDefaultBusyTimeoutMs);

  // The store is opened (the key derived, the write lock waited for) on a
  // thread of its own; until then the window says 「開いています...」 and
  // nothing can be edited.
  bool opening() const { return opening_ != nullptr; }

  EntryGrid* grid() const { return grid_; }
  EntryModel* model() const { return model_; }
  QPushButton* closeButton() const { return closeButton_; }
  QMenu* editMenu() const { return editMenu_; }
  QAction* addLineAction() const { return addLineAction_; }
  QAction* delLineAction() const { return deleteLineAction_; }

  // The popup on the line header of `line` (0-based) at a global position:
  // shown only for a line that holds data while the selection covers no more
  // than one line; that line becomes the selected line.  An empty history
  // offers 行追加 alone, anywhere on the line headers (line -1), for the
  // first draw.  True when shown.
  bool openEditMenu(int line, const QPoint& globalPos);

  void addLine();
  void deleteLine();
  // 閉じる: checks the numbers and dates and closes the window when they are sound.
  void checkAndClose();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  struct OpenedStore;
  void openStore(const ConnectString& cs, int busyTimeoutMs);
  void storeOpened(const std::shared_ptr<OpenedStore>& result);
  void showStop(const QString& text, const QString& details = {});
  bool confirm(const QString& text);
  void selectCell(int line, int column);

  QLabel* opening_ = nullptr;  // 「開いています...」 while the store is opened
  EntryModel* model_ = nullptr;
  EntryGrid* grid_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QAction* addLineAction_ = nullptr;
  QAction* deleteLineAction_ = nullptr;
};

}  // namespace km
