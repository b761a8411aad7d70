#pragma once
// The editable grid of the entry windows (当選データ入力, 当選確認):
// spreadsheet keys on a table view.
#include <QColor>
#include <QTableView>
#include <functional>

namespace km {

// The grid: spreadsheet keys on top of the table view.  Typing replaces the
// cell, F2 or a double click edits it, Enter commits and moves down, Tab
// while typing commits and moves right along the line (past its end on to
// the next control), Delete empties the selected cells; text from an input
// method starts the edit like a typed key.  Not typing, Tab and Shift+Tab
// leave the grid and the arrow keys move within it.
class EntryGrid : public QTableView {
  Q_OBJECT
 public:
  explicit EntryGrid(QWidget* parent = nullptr);
  using QTableView::edit;
  bool editing() const { return state() == QAbstractItemView::EditingState; }
  // Commits the text of an open editor, if any.
  void commitOpenEditor();
  // Ctrl+C and Ctrl+V: the selected block out, a tab-separated block in.
  void copySelection();
  virtual void paste();
  // The menu key (or Shift+F10) opens this with the current line (0-based)
  // and where the menu shows, as a right click on the line's header does.
  std::function<void(int line, const QPoint& at)> lineMenu;

  // The background of a text that is not written to the file.
  static QColor wrongBack() { return QColor(255, 170, 170); }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  QPersistentModelIndex edited_;  // the cell of the open editor
};

}  // namespace km
