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
#include <QMdiArea>
#include <QMdiSubWindow>
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
#include "store/messages.h"

namespace km {

namespace {

constexpr int kVisibleLines = 50;
constexpr double kRowHeightPoints = 10;
constexpr double kDrawNoWidthChars = 5;
constexpr double kNumberWidthChars = 7;
constexpr double kDateWidthChars = 11;  // YYYY-MM-DD
constexpr double kCountWidthChars = 7;  // 当せん口数: "59,593"
constexpr double kYenWidthChars = 10;   // 当せん金: "16,868,900"

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
  grid_->setAccessibleName(QString::fromStdString(def.caption));
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
  int columnsWidth = drawNoCell.width() + kNumberFields * numberCell.width() + dateWidth;
  for (int c = kFirstPrizeColumn - 1; c < kLastPrizeColumn; ++c) {
    const int w =
        cellPixels((c - kFirstPrizeColumn + 1) % 2 == 0 ? kCountWidthChars : kYenWidthChars, kRowHeightPoints).width();
    grid_->setColumnWidth(c, w);
    columnsWidth += w;
  }
  const int frame = 2 * grid_->frameWidth();
  const int gridWidth = vh->width() + columnsWidth + frame + grid_->verticalScrollBar()->sizeHint().width();
  const int gridHeight = hh->height() + kVisibleLines * rowHeight + frame;
  // every column, or fewer where the window has less room (the columns then
  // scroll sideways, the line numbers staying at the left); its lines, or
  // fewer (a few at least): a maximised window in a small main window shows
  // the grid's end, which the scroll bar reaches
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid_->setMaximumWidth(gridWidth);
  grid_->setMinimumWidth(vh->width() + drawNoCell.width() + 3 * numberCell.width() + frame +
                         grid_->verticalScrollBar()->sizeHint().width());
  grid_->setMinimumHeight(hh->height() + 3 * rowHeight + frame);
  grid_->setMaximumHeight(gridHeight);
  layout->addWidget(grid_, 1);  // as large as there is room for, up to all its columns and lines
  layout->addStretch(0);        // the room under it when it shows them all

  auto* bottom = new QHBoxLayout;
  // beside the button, where its going moves nothing
  opening_ = new QLabel(QStringLiteral("開いています..."), this);
  opening_->setObjectName(QStringLiteral("opening"));
  bottom->addWidget(opening_);
  bottom->addStretch(1);
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(closeButton_);
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
  grid_->lineMenu = [this](int line, const QPoint& at) { openEditMenu(line, at); };

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

namespace {

// The child window a widget stands in (nullptr: none).
QWidget* frameOf(QWidget* w) {
  for (; w; w = w->parentWidget())
    if (qobject_cast<QMdiSubWindow*>(w)) return w;
  return nullptr;
}

}  // namespace

void DataEntryWindow::storeOpened(const std::shared_ptr<OpenedStore>& result) {
  const bool open = result->store != nullptr;
  const QString error = open ? model_->load(std::move(result->store)) : QString::fromStdString(result->error);
  const QString details = open ? model_->details() : QString::fromStdString(result->details);
  delete opening_;
  opening_ = nullptr;
  grid_->setEnabled(true);
  // on the newest draw, where a new one is typed after it
  if (model_->rowCount() > 0) {
    const QModelIndex newest = model_->index(model_->rowCount() - 1, 1);
    grid_->setCurrentIndex(newest);
    grid_->scrollTo(newest);
  }
  // the keys go to the grid, which could not take them while it was off,
  // unless the user has moved on to 閉じる or another window meanwhile
  if (QWidget* focus = QApplication::focusWidget();
      !focus || focus == this || !focus->isVisible() || !qobject_cast<QMdiSubWindow*>(frameOf(focus)))
    if (QMdiSubWindow* frame = qobject_cast<QMdiSubWindow*>(frameOf(this));
        frame && frame->mdiArea() && frame->mdiArea()->activeSubWindow() == frame)
      grid_->setFocus(Qt::OtherFocusReason);
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
  // no title of its own: the program's name, as the main window's title bar reads
  QMessageBox box(QMessageBox::Warning, QStringLiteral("カズマキMiddle"), text, QMessageBox::Yes | QMessageBox::No,
                  this);
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
    const QString text = QString::fromStdString(at.column == kDateColumn         ? says::wrongDates()
                                                : at.column >= kFirstPrizeColumn ? says::wrongPrize()
                                                                                 : says::wrongNumbers());

    // where and why in plain words, and the two ways on
    const QString header = model_->headerData(at.column - 1, Qt::Horizontal).toString().remove(QLatin1Char('\n'));
    QString why = model_->problem(at.line, at.column);
    if (why.isEmpty()) why = QString::fromStdString(at.reason);
    const QString informative = QStringLiteral(
                                    "第%1回の%2「%3」：%4\n"
                                    "セルを直してから、もう一度「閉じる」を押してください。"
                                    "直さずに閉じるときは、ウィンドウの×で閉じて「破棄して終了」を選ぶと、"
                                    "保存されていない入力を捨てて閉じます。")
                                    .arg(model_->cellText(at.line, 1).c_str(), header,
                                         QString::fromStdString(model_->cellText(at.line, at.column)), why);
    execMessage(this,
                {QMessageBox::Critical, text, {}, QMessageBox::Ok, QMessageBox::NoButton, {}, false, informative});
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
