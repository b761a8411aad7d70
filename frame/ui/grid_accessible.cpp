#include "frame/ui/grid_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>
#include <mutex>
#include <utility>

#include "frame/cell_meaning.h"
#include "frame/ui/grid_actions.h"
#include "frame/ui/grid_view.h"

namespace km {

namespace {

class GridTableAccessible;

// Which table interface belongs to which view, while it lives.
QHash<const GridView*, GridTableAccessible*>& tables() {
  static QHash<const GridView*, GridTableAccessible*> t;
  return t;
}

int headingRows(const Grid& g) { return std::min(g.frozenRows(), g.maxRows()); }
bool isHeadingRow(const Grid& g, int row) { return row <= headingRows(g); }
// A cell's text as words: without the spaces that place it in its cell, and
// a heading spaced out letter by letter ("本 数 字") read as its word.
QString spokenText(const std::string& text) {
  const QString t = QString::fromStdString(text).trimmed();
  if (t.size() < 3) return t;
  for (qsizetype i = 0; i < t.size(); ++i)
    if (t[i].isSpace() != (i % 2 == 1)) return t;
  QString word;
  for (qsizetype i = 0; i < t.size(); i += 2) word += t[i];
  return word;
}

bool isLabelColumn(const Grid& g, int col) { return col <= std::min(g.labelCols(), g.maxCols() - 1); }

// One cell, by its 0-based row and column in the grid.
class GridCellAccessible final : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  GridCellAccessible(GridView* view, int row, int col) : view_(view), row_(row), col_(col) {}

  bool isValid() const override { return view_ && view_->grid() && view_->grid()->contains(col_ + 1, row_ + 1); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    const Grid& g = *view_->grid();
    switch (t) {
      case QAccessible::Name:
        return spokenText(g.text(col_ + 1, row_ + 1));
      case QAccessible::Description: {
        if (role() != QAccessible::Cell) return {};
        QString d = QString::fromStdString(cellColourMeaning(g, col_ + 1, row_ + 1, view_->legend()));
        const std::string& tip = g.toolTip(col_ + 1, row_ + 1);
        if (!tip.empty()) d += (d.isEmpty() ? QString() : QStringLiteral("。")) + QString::fromStdString(tip);
        return d;
      }
      default:
        return {};
    }
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = view_->cellRect(col_ + 1, row_ + 1);
    return QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }

  QAccessible::Role role() const override {
    if (!isValid()) return QAccessible::Cell;
    const Grid& g = *view_->grid();
    if (isHeadingRow(g, row_ + 1)) return QAccessible::ColumnHeader;
    if (isLabelColumn(g, col_ + 1)) return QAccessible::RowHeader;
    return QAccessible::Cell;
  }

  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.selectable = true;
    s.focusable = true;
    s.readOnly = true;
    s.selected = isSelected();
    s.focused = view_->hasFocus() && isCurrent();
    s.active = s.focused;
    const QRect inView = view_->cellRect(col_ + 1, row_ + 1).intersected(view_->viewport()->rect());
    s.offscreen = inView.isEmpty();
    s.invisible = s.offscreen;
    return s;
  }

  void* interface_cast(QAccessible::InterfaceType t) override {
    return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
  }

  // QAccessibleTableCellInterface
  bool isSelected() const override { return view_ && view_->selectedRange().contains(col_ + 1, row_ + 1); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override;
  int columnIndex() const override { return col_; }
  // a row of the table: the rows under the heading rows count from 0 (a
  // heading cell stands over them, at 0)
  int rowIndex() const override {
    if (!isValid()) return -1;
    const int headings = headingRows(*view_->grid());
    return row_ < headings ? 0 : row_ - headings;
  }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  int gridRow() const { return row_; }
  bool isCurrent() const {
    const GridSelection& s = view_->selection();
    return !s.empty() && s.currentCol() == col_ + 1 && s.currentRow() == row_ + 1;
  }

 private:
  QPointer<GridView> view_;
  int row_, col_;
};

class GridTableAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit GridTableAccessible(GridView* view) : QAccessibleWidget(view, QAccessible::Table), key_(view) {
    tables().insert(view, this);
  }
  ~GridTableAccessible() override {
    tables().remove(key_);  // the view may be gone already
    dropCells();
  }

  GridView* view() const { return static_cast<GridView*>(widget()); }
  const Grid* grid() const { return view()->grid(); }
  // The table's rows are the grid's rows under its heading rows, whose
  // cells are the column headers (as a table view has them); its children
  // are every cell of the grid, headings first, in the grid's order.
  int headings() const { return grid() ? headingRows(*grid()) : 0; }
  int gridRows() const { return grid() ? grid()->maxRows() : 0; }
  int rows() const { return gridRows() - headings(); }
  int cols() const { return grid() ? grid()->maxCols() : 0; }
  // The cell at a grid row and column (0-based).
  QAccessibleInterface* gridCell(int row, int col) const {
    if (row < 0 || col < 0 || row >= gridRows() || col >= cols()) return nullptr;
    const int key = row * cols() + col;
    if (auto it = cells_.constFind(key); it != cells_.cend()) return QAccessible::accessibleInterface(*it);
    auto* cell = new GridCellAccessible(view(), row, col);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }

  void dropCells() {
    for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    cells_.clear();
  }

  // QAccessibleInterface
  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name:
        return gridAccessibleName(view());
      case QAccessible::Description:
        return QStringLiteral("%1行 %2列の表。矢印キーでセルを移り、Tabキーで表を出ます").arg(rows()).arg(cols());
      default:
        return QAccessibleWidget::text(t);
    }
  }
  int childCount() const override { return gridRows() * cols(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= childCount()) return nullptr;
    return gridCell(index / cols(), index % cols());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child || child->parent() != this) return -1;
    const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
    return cell ? cell->gridRow() * cols() + cell->columnIndex() : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    int col = 0, row = 0;
    if (!view()->cellAt(view()->viewport()->mapFromGlobal(QPoint(x, y)), &col, &row)) return nullptr;
    return gridCell(row - 1, col - 1);
  }
  QAccessibleInterface* focusChild() const override {
    const GridSelection& s = view()->selection();
    if (!view()->hasFocus() || s.empty()) return nullptr;
    return gridCell(s.currentRow() - 1, s.currentCol() - 1);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiSelectable = true;
    s.extSelectable = true;
    return s;
  }
  void* interface_cast(QAccessible::InterfaceType t) override {
    if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
  }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= rows()) return nullptr;
    return gridCell(row + headings(), column);
  }
  int selectedCellCount() const override {
    const CellRange r = view()->selectedRange();
    return r.cols() * r.rows();
  }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> list;
    const CellRange r = view()->selectedRange();
    if (r.empty()) return list;
    // a whole grid selected stays a count: a reader does not fetch thousands of cells
    if (static_cast<long long>(r.cols()) * r.rows() > 1000) return list;
    for (int row = r.row1; row <= r.row2; ++row)
      for (int col = r.col1; col <= r.col2; ++col) list.append(gridCell(row - 1, col - 1));
    return list;
  }
  QString columnDescription(int column) const override {
    QStringList words;
    if (!grid()) return {};
    for (int row = 1; isHeadingRow(*grid(), row); ++row)
      if (const QString t = headingText(column + 1, row); !t.isEmpty() && !words.contains(t)) words << t;
    return words.join(QLatin1Char(' '));
  }
  QString rowDescription(int row) const override {
    QStringList words;
    if (!grid()) return {};
    for (int col = 1; isLabelColumn(*grid(), col); ++col)
      if (const std::string& t = grid()->text(col, row + headings() + 1); !t.empty()) words << spokenText(t);
    return words.join(QLatin1Char(' '));
  }
  int selectedColumnCount() const override { return selectedColumns().size(); }
  int selectedRowCount() const override { return selectedRows().size(); }
  int columnCount() const override { return cols(); }
  int rowCount() const override { return rows(); }
  QList<int> selectedColumns() const override {
    QList<int> list;
    const CellRange r = view()->selectedRange();
    if (!r.empty() && r.row1 <= headings() + 1 && r.row2 == gridRows())
      for (int c = r.col1; c <= r.col2; ++c) list << c - 1;
    return list;
  }
  QList<int> selectedRows() const override {
    QList<int> list;
    const CellRange r = view()->selectedRange();
    if (!r.empty() && r.col1 == 1 && r.col2 == cols())
      for (int row = std::max(r.row1, headings() + 1); row <= r.row2; ++row) list << row - headings() - 1;
    return list;
  }
  bool isColumnSelected(int column) const override { return selectedColumns().contains(column); }
  bool isRowSelected(int row) const override { return selectedRows().contains(row); }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { dropCells(); }

  // The heading text that stands over a column in a heading row: its own,
  // or that of a heading running over it from the left (one band without
  // lines between its columns).
  QString headingText(int col, int row) const {
    const Grid& g = *grid();
    for (int c = col; c >= 1; --c) {
      if (!g.text(c, row).empty()) return spokenText(g.text(c, row));
      if (g.verticalEdge(c - 1, row).visible()) break;
    }
    return {};
  }
  // The heading cells over a column above row `below`: per heading row the
  // cell whose text stands over it, the nearest first (a reader that takes
  // one takes the column's own name, not the title over several).
  QList<QAccessibleInterface*> headingCells(int col, int below) const {
    QList<QAccessibleInterface*> list;
    const Grid& g = *grid();
    for (int row = std::min(below - 1, headingRows(g)); row >= 1; --row) {
      for (int c = col; c >= 1; --c) {
        if (!g.text(c, row).empty()) {
          list << gridCell(row - 1, c - 1);
          break;
        }
        if (g.verticalEdge(c - 1, row).visible()) break;
      }
    }
    return list;
  }

 private:
  const GridView* key_;
  mutable QHash<int, QAccessible::Id> cells_;
};

AccessibleNotifier& notifier() {
  static AccessibleNotifier n;
  return n;
}

void notify(QAccessibleEvent* e) {
  if (notifier())
    notifier()(e);
  else if (QAccessible::isActive())
    QAccessible::updateAccessibility(e);
}

bool listened() { return notifier() || QAccessible::isActive(); }

GridTableAccessible* tableOf(const GridView* view) {
  if (!view) return nullptr;
  return tables().value(view, nullptr);
}

QList<QAccessibleInterface*> GridCellAccessible::columnHeaderCells() const {
  GridTableAccessible* t = tableOf(view_);
  if (!t || !isValid()) return {};
  return t->headingCells(col_ + 1, row_ + 1);
}

QList<QAccessibleInterface*> GridCellAccessible::rowHeaderCells() const {
  GridTableAccessible* t = tableOf(view_);
  QList<QAccessibleInterface*> list;
  if (!t || !isValid()) return list;
  const Grid& g = *view_->grid();
  if (isHeadingRow(g, row_ + 1) || isLabelColumn(g, col_ + 1)) return list;
  for (int col = 1; isLabelColumn(g, col); ++col) list << t->gridCell(row_, col - 1);
  return list;
}

QAccessibleInterface* gridFactory(const QString&, QObject* object) {
  if (auto* view = qobject_cast<GridView*>(object)) return new GridTableAccessible(view);
  return nullptr;
}

}  // namespace

void installGridAccessibility() {
  static std::once_flag once;
  std::call_once(once, [] { QAccessible::installFactory(gridFactory); });
}

QString gridAccessibleName(const GridView* view) {
  const QString own = view->accessibleName();
  const QString title = gridTitle(view);
  if (own.isEmpty()) return title;
  if (title == QStringLiteral("表")) return own;  // the view stands in no window
  return title + QStringLiteral("　") + own;
}

void gridAccessibleReset(GridView* view) {
  GridTableAccessible* t = tableOf(view);
  if (!t) return;
  t->dropCells();
  if (listened()) {
    QAccessibleTableModelChangeEvent e(view, QAccessibleTableModelChangeEvent::ModelReset);
    notify(&e);
  }
}

void gridAccessibleFocusMoved(GridView* view) {
  if (!listened() || !view->hasFocus()) return;
  const GridSelection& s = view->selection();
  if (s.empty() || !view->grid()) return;
  QAccessibleEvent e(view, QAccessible::Focus);
  e.setChild((s.currentRow() - 1) * view->grid()->maxCols() + (s.currentCol() - 1));
  notify(&e);
}

AccessibleNotifier setGridAccessibleNotifier(AccessibleNotifier n) { return std::exchange(notifier(), std::move(n)); }

}  // namespace km
