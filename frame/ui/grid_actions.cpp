#include "frame/ui/grid_actions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>

#include "frame/grid_export.h"
#include "frame/ui/extras.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/message_box.h"
#include "store/files/replace_file.h"

namespace km {

namespace {

QAction* addAction(GridView* view, const QString& text, const char* name, const QKeySequence& key = {}) {
  auto* a = new QAction(text, view);
  a->setObjectName(QString::fromLatin1(name));
  if (!key.isEmpty()) {
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  }
  view->addAction(a);
  return a;
}

void saveCsvWithDialog(GridView* view) {
  const QString title = gridTitle(view);
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  // as defaultPath (grid_print.h) chooses it for the PDF and the print dialog
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  QFileDialog dialog(view, QStringLiteral("CSVで保存"), dir + QLatin1Char('/') + title + QStringLiteral(".csv"),
                     QStringLiteral("CSVファイル (*.csv)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  saveGridsCsv(view, windowGrids(view), dialog.selectedFiles().constFirst());
}

}  // namespace

QMimeData* gridMimeData(const Grid& grid, CellRange range) {
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(rangeToTsv(grid, range)));
  data->setHtml(QString::fromStdString(rangeToHtml(grid, range)));
  return data;
}

bool copySelection(const GridView* view) {
  if (!view->grid() || view->selectedRange().empty()) return false;
  QApplication::clipboard()->setMimeData(gridMimeData(*view->grid(), view->selectedRange()));
  return true;
}

QString gridTitle(const QWidget* view) {
  for (const QWidget* w = view; w; w = w->parentWidget())
    if (auto* sub = qobject_cast<const QMdiSubWindow*>(w); sub && !sub->windowTitle().isEmpty())
      return sub->windowTitle();
  return QStringLiteral("表");
}

std::vector<const Grid*> windowGrids(const GridView* view) {
  const QWidget* top = view;
  for (const QWidget* w = view; w; w = w->parentWidget()) {
    if (qobject_cast<const QMdiSubWindow*>(w)) {
      top = w;
      break;
    }
  }
  std::vector<const Grid*> grids;
  if (top == view) {
    if (view->grid()) grids.push_back(view->grid());
    return grids;
  }
  for (const GridView* v : top->findChildren<GridView*>())
    if (v->grid()) grids.push_back(v->grid());
  return grids;
}

bool saveGridsCsv(QWidget* parent, const std::vector<const Grid*>& grids, const QString& path) {
  Failure failure;
  if (replaceFileContents(path.toStdString(), gridsToCsvFile(grids), nullptr, {}, &failure)) return true;
  showStop(parent,
           QStringLiteral("表をCSVファイルに保存できませんでした。\n%1").arg(QString::fromStdString(failure.message)),
           QString::fromStdString(failure.cause));
  return false;
}

namespace {
// Printing is done by the extras plugin, loaded on the first print.
using PrintCommand = void (Extras::*)(QWidget* parent, const Grid& grid, const QString& title,
                                      const std::vector<LegendItem>& legend) const;
void runPrintCommand(GridView* view, PrintCommand command) {
  if (!view->grid()) return;
  QString error, details;
  const Extras* x = extras(error, &details);
  if (!x) {
    showStop(view, error, details);
    return;
  }
  (x->*command)(view, *view->grid(), gridTitle(view), view->legend());
}
}  // namespace

void installGridActions(GridView* view) {
  QAction* copy = addAction(view, QStringLiteral("コピー"), "gridCopy", QKeySequence::Copy);
  QAction* selectAll = addAction(view, QStringLiteral("すべて選択"), "gridSelectAll", QKeySequence::SelectAll);
  QAction* csv = addAction(view, QStringLiteral("CSVで保存..."), "gridSaveCsv");
  QAction* print = addAction(view, QStringLiteral("印刷..."), "gridPrint", QKeySequence::Print);
  QAction* preview = addAction(view, QStringLiteral("印刷プレビュー..."), "gridPrintPreview");
  QAction* pdf = addAction(view, QStringLiteral("PDFで保存..."), "gridSavePdf");

  QObject::connect(copy, &QAction::triggered, view, [view] { copySelection(view); });
  QObject::connect(selectAll, &QAction::triggered, view, [view] { view->selectAll(); });
  QObject::connect(csv, &QAction::triggered, view, [view] { saveCsvWithDialog(view); });
  QObject::connect(print, &QAction::triggered, view, [view] { runPrintCommand(view, &Extras::printGridWithDialog); });
  QObject::connect(preview, &QAction::triggered, view, [view] { runPrintCommand(view, &Extras::previewGrid); });
  QObject::connect(pdf, &QAction::triggered, view, [view] { runPrintCommand(view, &Extras::saveGridPdfWithDialog); });

  view->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(view, &QWidget::customContextMenuRequested, view, [=](const QPoint& pos) {
    copy->setEnabled(!view->selectedRange().empty());
    QMenu menu(view);
    menu.addAction(copy);
    menu.addSeparator();
    menu.addAction(csv);
    menu.addSeparator();
    menu.addAction(print);
    menu.addAction(preview);
    menu.addAction(pdf);
    menu.exec(view->viewport()->mapToGlobal(pos));
    copy->setEnabled(true);  // Ctrl+C stays live
  });
}

}  // namespace km
