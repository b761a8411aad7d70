#include "frame/ui/entry_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "frame/grid_export.h"
#include "frame/ui/grid_actions.h"
#include "frame/ui/grid_view.h"

namespace km {

namespace {

// Editors centred like the cells, in the grid's font, without a frame.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* w = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      edit->setAlignment(Qt::AlignCenter);
      edit->setFrame(false);
      edit->setFont(GridView::gridFont());
    }
    return w;
  }
};

}  // namespace

EntryGrid::EntryGrid(QWidget* parent) : QTableView(parent) {
  setFont(GridView::gridFont());
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setGridStyle(Qt::SolidLine);
  setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(0, 0, 0); }"));
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setItemDelegate(new CellDelegate(this));
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setFrameShape(QFrame::Box);
  setFrameShadow(QFrame::Plain);
  horizontalHeader()->setFont(GridView::gridFont());
  verticalHeader()->setFont(GridView::gridFont());
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  // Tab and Shift+Tab go on to the next and previous control; the arrow keys move within
  setTabKeyNavigation(false);
}

void EntryGrid::commitOpenEditor() {
  const QModelIndex cur = currentIndex();
  if (!cur.isValid()) return;
  if (QWidget* editor = indexWidget(cur); editor && state() == QAbstractItemView::EditingState) {
    emit itemDelegate()->commitData(editor);
    emit itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void EntryGrid::keyPressEvent(QKeyEvent* e) {
  if (state() != QAbstractItemView::EditingState) {
    if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {  // the menu key of keyboards without one
      const QRect cell = visualRect(currentIndex());
      QContextMenuEvent menu(QContextMenuEvent::Keyboard, cell.center(), viewport()->mapToGlobal(cell.center()));
      contextMenuEvent(&menu);
      return;
    }
    if (e->matches(QKeySequence::Copy)) {
      copySelection();
      return;
    }
    if (e->matches(QKeySequence::Paste)) {
      paste();
      return;
    }
    const QModelIndex cur = currentIndex();
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && cur.isValid()) {
      if (cur.row() + 1 < model()->rowCount()) setCurrentIndex(model()->index(cur.row() + 1, cur.column()));
      return;
    }
    if (e->key() == Qt::Key_Delete || e->key() == Qt::Key_Backspace) {
      QModelIndexList cells = selectionModel()->selectedIndexes();
      if (cells.isEmpty() && cur.isValid()) cells.append(cur);
      std::sort(cells.begin(), cells.end());
      for (const QModelIndex& i : cells)
        if (i.flags() & Qt::ItemIsEditable && !i.data().toString().isEmpty())
          if (!model()->setData(i, QString(), Qt::EditRole)) break;  // a failed write is reported once
      return;
    }
  }
  QTableView::keyPressEvent(e);
}

// The selected block (or the current cell) as tab-separated text and an HTML
// table, like the copy of every other grid.
void EntryGrid::copySelection() {
  QModelIndexList cells = selectionModel()->selectedIndexes();
  if (cells.isEmpty() && currentIndex().isValid()) cells.append(currentIndex());
  if (cells.isEmpty()) return;
  int r1 = cells.first().row(), r2 = r1, c1 = cells.first().column(), c2 = c1;
  for (const QModelIndex& i : cells) {
    r1 = std::min(r1, i.row());
    r2 = std::max(r2, i.row());
    c1 = std::min(c1, i.column());
    c2 = std::max(c2, i.column());
  }
  Grid block(c2 - c1 + 1, r2 - r1 + 1);
  for (int r = r1; r <= r2; ++r) {
    for (int c = c1; c <= c2; ++c) {
      const QModelIndex i = model()->index(r, c);
      const int col = c - c1 + 1, row = r - r1 + 1;
      block.setText(col, row, i.data().toString().toStdString());
      const QColor bg = i.data(Qt::BackgroundRole).value<QColor>(), fg = i.data(Qt::ForegroundRole).value<QColor>();
      if (bg.isValid()) block.setBg(Block::cell(col, row), RGB(bg.red(), bg.green(), bg.blue()));
      if (fg.isValid()) block.setFg(Block::cell(col, row), RGB(fg.red(), fg.green(), fg.blue()));
    }
  }
  QApplication::clipboard()->setMimeData(gridMimeData(block, wholeGrid(block)));
}

// A tab-separated block from the clipboard, from the current cell on: each
// value goes through the same check as a typed one (sound values are
// written, any other text stays in the grid, marked); the draw-number column
// and cells past the grid are left alone.
void EntryGrid::paste() {
  const QModelIndex start = currentIndex();
  if (!start.isValid()) return;
  QString text = QApplication::clipboard()->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QStringList lines = text.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (int r = 0; r < lines.size(); ++r) {
    const QStringList fields = lines[r].split(QLatin1Char('\t'));
    for (int c = 0; c < fields.size(); ++c) {
      const QModelIndex i = model()->index(start.row() + r, start.column() + c);
      if (!i.isValid() || !(i.flags() & Qt::ItemIsEditable)) continue;
      if (!model()->setData(i, fields[c].trimmed(), Qt::EditRole)) return;  // a failed write is reported once
    }
  }
}

void EntryGrid::inputMethodEvent(QInputMethodEvent* e) {
  // The view opens the editor on the first composed text but does not hand
  // the text over: pass it on, replacing the cell's text as a typed key does.
  const QModelIndex cur = currentIndex();
  if (!editing() && cur.isValid() && (cur.flags() & Qt::ItemIsEditable) &&
      (!e->commitString().isEmpty() || !e->preeditString().isEmpty())) {
    if (edit(cur, QAbstractItemView::AnyKeyPressed, e)) {
      if (auto* editor = qobject_cast<QLineEdit*>(indexWidget(cur))) {
        editor->clear();
        QCoreApplication::sendEvent(editor, e);
      }
      return;
    }
  }
  QTableView::inputMethodEvent(e);
}

bool EntryGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  const bool opened = QTableView::edit(index, trigger, event);
  if (opened) edited_ = index;
  return opened;
}

void EntryGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  const bool tab = hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem;
  QTableView::closeEditor(editor, tab ? QAbstractItemDelegate::NoHint : hint);
  if (hint == QAbstractItemDelegate::SubmitModelCache && edited_.isValid()) {  // Enter: on to the line below
    if (edited_.row() + 1 < model()->rowCount()) setCurrentIndex(model()->index(edited_.row() + 1, edited_.column()));
  }
  if (tab && edited_.isValid()) {
    // Tab while typing: on along the line being typed, the view staying on
    // it; past its last (first) editable cell, on to the next (previous) control
    const int step = hint == QAbstractItemDelegate::EditNextItem ? 1 : -1;
    int col = edited_.column() + step;
    while (col >= 0 && col < model()->columnCount() &&
           !(model()->index(edited_.row(), col).flags() & Qt::ItemIsEditable))
      col += step;
    if (col < 0 || col >= model()->columnCount()) {
      focusNextPrevChild(step > 0);
      return;
    }
    const QModelIndex next = model()->index(edited_.row(), col);
    setCurrentIndex(next);
    scrollTo(next);
    edit(next);
  }
}

void EntryGrid::contextMenuEvent(QContextMenuEvent* e) {
  // the menu key (or Shift+F10) on a cell: the menu of the line header of the current line
  if (e->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid() && lineMenu) {
    const QHeaderView* vh = verticalHeader();
    const QPoint at(vh->width() / 2, vh->sectionViewportPosition(currentIndex().row()) + vh->defaultSectionSize() / 2);
    lineMenu(currentIndex().row(), vh->viewport()->mapToGlobal(at));
    return;
  }
  QTableView::contextMenuEvent(e);
}

}  // namespace km
