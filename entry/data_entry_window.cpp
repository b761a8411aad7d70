#include "entry/data_entry_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPromise>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>

#include "entry/entry_model.h"
#include "frame/grid.h"
#include "frame/grid_export.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_actions.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/message_box.h"
#include "frame/ui/wrapped_label.h"

namespace km {

namespace {

constexpr int kVisibleLines = 50;
constexpr double kRowHeightPoints = 10;
constexpr double kDrawNoWidthChars = 5;
constexpr double kNumberWidthChars = 7;
constexpr double kDateWidthChars = 11;  // YYYY-MM-DD

// Pixel sizes of a column width in characters and a row height in points,
// converted exactly as the analysis grids convert theirs.
QSize cellPixels(double chars, double points) {
  Grid g(1, 1);
  g.setColWidth(1, chars);
  g.setRowHeight(1, points);
  GridView measure;
  measure.setGrid(&g);
  return QSize(measure.columnX(2), measure.rowY(2));
}

}  // namespace

// --- DataEntryWindow ----------------------------------------------------------

DataEntryWindow::DataEntryWindow(const WindowDef& def, const ConnectString& cs, QWidget* parent, int busyTimeoutMs)
    : QWidget(parent) {
  setFont(GridView::gridFont());
  model_ = new EntryModel(nullptr, this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  auto* description = new WrappedLabel(QString::fromStdString(def.description), this);
  description->setObjectName(QStringLiteral("descriptionLabel"));
  layout->addWidget(description);

  grid_ = new EntryGrid(this);
  grid_->setObjectName(QStringLiteral("gridView"));
  grid_->setModel(model_);
  const QSize numberCell = cellPixels(kNumberWidthChars, kRowHeightPoints);
  const QSize drawNoCell = cellPixels(kDrawNoWidthChars, kRowHeightPoints);
  const int rowHeight = numberCell.height();
  QHeaderView* vh = grid_->verticalHeader();
  vh->setMinimumSectionSize(1);
  vh->setDefaultSectionSize(rowHeight);
  const QFontMetrics fm(GridView::gridFont());
  vh->setFixedWidth(fm.horizontalAdvance(QStringLiteral("00000")) + 10);
  QHeaderView* hh = grid_->horizontalHeader();
  hh->setMinimumSectionSize(1);
  hh->setFixedHeight(std::max(rowHeight, 2 * fm.height() + 4));  // "ボーナス数字" takes two lines
  const int dateWidth = cellPixels(kDateWidthChars, kRowHeightPoints).width();
  grid_->setColumnWidth(0, drawNoCell.width());
  for (int c = 1; c < kDateColumn - 1; ++c) grid_->setColumnWidth(c, numberCell.width());
  grid_->setColumnWidth(kDateColumn - 1, dateWidth);
  const int frame = 2 * grid_->frameWidth();
  const int gridWidth = vh->width() + drawNoCell.width() + kNumberFields * numberCell.width() + dateWidth + frame +
                        grid_->verticalScrollBar()->sizeHint().width();
  const int gridHeight = hh->height() + kVisibleLines * rowHeight + frame;
  grid_->setFixedWidth(gridWidth);
  // its lines, or fewer (a few at least) where the window has less room: a
  // maximised window in a small main window shows the grid's end, which
  // the scroll bar reaches
  grid_->setMinimumHeight(hh->height() + 3 * rowHeight + frame);
  grid_->setMaximumHeight(gridHeight);
  layout->addWidget(grid_, 1, Qt::AlignLeft);  // as tall as there is room for, up to its lines
  layout->addStretch(0);                       // the room under it when it shows them all

  auto* bottom = new QHBoxLayout;
  // beside the button, where its going moves nothing
  opening_ = new QLabel(QStringLiteral("開いています..."), this);
  opening_->setObjectName(QStringLiteral("opening"));
  bottom->addWidget(opening_);
  bottom->addStretch(1);
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  connect(closeButton_, &QPushButton::clicked, this, &DataEntryWindow::checkAndClose);
  bottom->addWidget(closeButton_);
  layout->addLayout(bottom);

  editMenu_ = new QMenu(QStringLiteral("編集(&E)"), this);
  editMenu_->setObjectName(QStringLiteral("editMenu"));
  addLineAction_ = editMenu_->addAction(QStringLiteral("行追加"));
  addLineAction_->setObjectName(QStringLiteral("addLineAction"));
  deleteLineAction_ = editMenu_->addAction(QStringLiteral("行削除"));
  deleteLineAction_->setObjectName(QStringLiteral("deleteLineAction"));
  connect(addLineAction_, &QAction::triggered, this, &DataEntryWindow::addLine);
  connect(deleteLineAction_, &QAction::triggered, this, &DataEntryWindow::deleteLine);
  connect(vh, &QHeaderView::customContextMenuRequested, this,
          [this, vh](const QPoint& pos) { openEditMenu(vh->logicalIndexAt(pos), vh->viewport()->mapToGlobal(pos)); });

  // A failed write is told after the edit has finished, never inside it.
  connect(model_, &EntryModel::writeFailed, this, &DataEntryWindow::showStop, Qt::QueuedConnection);

  grid_->setEnabled(false);
  openStore(cs, busyTimeoutMs);
}

struct DataEntryWindow::OpenedStore {
  std::unique_ptr<EntryStore> store;
  std::string error, details;
};

void DataEntryWindow::openStore(const ConnectString& cs, int busyTimeoutMs) {
  // A window closed meanwhile drops the result: the store goes with the
  // promise, and its lock with it.
  using Result = std::shared_ptr<OpenedStore>;
  auto* watcher = new QFutureWatcher<Result>(this);
  connect(watcher, &QFutureWatcher<Result>::finished, this, [this, watcher] {
    if (watcher->future().resultCount() > 0) storeOpened(watcher->future().result());
    watcher->deleteLater();
  });
  auto promise = std::make_shared<QPromise<Result>>();
  watcher->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, cs, busyTimeoutMs] {
    auto opened = std::make_shared<OpenedStore>();
    opened->store = EntryStore::open(cs, opened->error, busyTimeoutMs, &opened->details);
    promise->addResult(std::move(opened));
    promise->finish();
  });
}

void DataEntryWindow::storeOpened(const std::shared_ptr<OpenedStore>& result) {
  const bool open = result->store != nullptr;
  const QString error = open ? model_->load(std::move(result->store)) : QString::fromStdString(result->error);
  const QString details = open ? model_->details() : QString::fromStdString(result->details);
  delete opening_;
  opening_ = nullptr;
  grid_->setEnabled(true);
  if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 1));
  if (!error.isEmpty()) {
    // Nothing can be changed: say why, then close the window.
    showStop(error, details);
    closeChildOf(this);
  }
}

bool DataEntryWindow::openEditMenu(int line, const QPoint& globalPos) {
  if (!model_->writable()) return false;
  if (model_->rowCount() == 0 && line == -1) {
    deleteLineAction_->setEnabled(false);
    editMenu_->popup(globalPos);
    return true;
  }
  if (line < 0 || line >= model_->rowCount()) return false;
  deleteLineAction_->setEnabled(true);
  int first = line, last = line;
  const QModelIndexList selected = grid_->selectionModel()->selectedIndexes();
  if (!selected.isEmpty()) {
    first = last = selected.first().row();
    for (const QModelIndex& i : selected) {
      first = std::min(first, i.row());
      last = std::max(last, i.row());
    }
  }
  if (first != last) return false;
  // The line pointed at is the line the commands work on.
  const int col = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 1;
  grid_->selectionModel()->setCurrentIndex(model_->index(line, col),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  editMenu_->popup(globalPos);
  return true;
}

bool DataEntryWindow::confirm(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString(), text, QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::No);
  return execMessageBox(box) == QMessageBox::Yes;
}

void DataEntryWindow::showStop(const QString& text, const QString& details) { km::showStop(this, text, details); }

void DataEntryWindow::addLine() {
  if (!confirm(QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？"))) return;
  const QModelIndex cur = grid_->currentIndex();
  if (!cur.isValid() && model_->rowCount() > 0) return;
  const int col = cur.isValid() ? cur.column() : 1;
  const int row = cur.isValid() ? cur.row() : -1;  // -1: the first draw of an empty history
  if (const QString e = model_->insertLineAfter(row); !e.isEmpty()) {
    showStop(e, model_->details());
    return;
  }
  const QModelIndex next = model_->index(std::min(row + 1, model_->rowCount() - 1), col);
  grid_->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
}

void DataEntryWindow::deleteLine() {
  if (!confirm(QStringLiteral("選択された行を削除します。よろしいですか？"))) return;
  const QModelIndex cur = grid_->currentIndex();
  if (!cur.isValid()) return;
  const int col = cur.column();
  const int row = cur.row();
  if (const QString e = model_->deleteLine(row); !e.isEmpty()) {
    showStop(e, model_->details());
    return;
  }
  if (model_->rowCount() > 0)
    grid_->selectionModel()->setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1), col),
                                             QItemSelectionModel::ClearAndSelect);
}

void DataEntryWindow::selectCell(int line, int column) {
  const QModelIndex cell = model_->index(line - 1, column - 1);
  grid_->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
  grid_->scrollTo(cell);
  grid_->setFocus();
}

void DataEntryWindow::checkAndClose() {
  grid_->commitOpenEditor();
  const auto wrong = findWrongCell(
      model_->rowCount(), [this](int line, int col) { return model_->cellText(line, col); }, model_->today());
  const auto unsaved = model_->firstUnsaved();
  if (wrong || unsaved) {
    // the first of the two: a text never written may be sound in itself (a repeat of a later field)
    const bool useUnsaved =
        unsaved && (!wrong || std::pair(unsaved->line, unsaved->column) < std::pair(wrong->line, wrong->column));
    const CellPosition at = useUnsaved ? *unsaved : *wrong;
    showStop(QString::fromUtf8(at.column == kDateColumn ? kWrongDateMessage : kWrongNumberMessage));
    selectCell(at.line, at.column);
    return;
  }
  closeChildOf(this);
}

void DataEntryWindow::closeEvent(QCloseEvent* e) {
  // Closed otherwise than by 閉じる (the close box, 終了): texts that were
  // never written are corrected or dropped, as the user chooses.
  grid_->commitOpenEditor();
  if (const int n = model_->unsavedCount(); n > 0) {
    const auto pressed = execMessage(
        this,
        {QMessageBox::Warning,
         QStringLiteral("誤りのあるセルが%1件あり、データベースに保存されていません。\n"
                        "「修正する」で最初のセルに戻ります。「破棄して終了」でそれらのセルの入力を捨てて閉じます"
                        "（保存済みのデータはそのまま残ります）。")
             .arg(n),
         {},
         QMessageBox::Retry | QMessageBox::Discard,
         QMessageBox::Retry,
         {{QMessageBox::Retry, QStringLiteral("修正する")}, {QMessageBox::Discard, QStringLiteral("破棄して終了")}}});
    if (pressed != QMessageBox::Discard) {
      const auto first = model_->firstUnsaved();
      if (first) selectCell(first->line, first->column);
      e->ignore();
      return;
    }
    model_->dropUnsaved();
  }
  e->accept();
}

}  // namespace km
