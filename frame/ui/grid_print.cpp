#include "frame/ui/grid_print.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPicture>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

#include "frame/ui/grid_view.h"
#include "store/replace_file.h"

namespace km {

namespace {

const QString kMessageTitle = QStringLiteral("メッセ－ジ");

QString defaultPath(const QString& title, const QString& suffix) {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  return dir + QLatin1Char('/') + title + QLatin1Char('.') + suffix;
}

}  // namespace

std::vector<PrintPage> paginateRows(const std::vector<int>& heights, int frozen, int headerHeight, int pageHeight) {
  std::vector<PrintPage> pages;
  const int rows = static_cast<int>(heights.size());
  frozen = std::clamp(frozen, 0, rows);
  if (rows == 0) return pages;
  if (frozen == rows) return {PrintPage{1, rows}};
  const int room = pageHeight - headerHeight;
  int row = frozen + 1;
  while (row <= rows) {
    int used = heights[row - 1];
    int last = row;
    while (last < rows && used + heights[last] <= room) used += heights[last++];
    pages.push_back({row, last});
    row = last + 1;
  }
  return pages;
}

PrintResult printGrid(QPrinter& printer, const Grid& source, const QString& title) {
  PrintResult result;
  // The page is painted by a grid view of its own, kept off the screen, with
  // its frozen rows on top and the page's rows scrolled in below them.
  Grid grid = source;
  grid.setScrollBars(ScrollBars::None);
  GridView view;
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.setGrid(&grid);
  const int width = std::max(1, view.columnX(grid.maxCols() + 1));
  std::vector<int> heights;
  for (int r = 1; r <= grid.maxRows(); ++r) heights.push_back(view.rowY(r + 1) - view.rowY(r));

  QPainter painter;
  if (!painter.begin(&printer)) {
    result.error = printer.outputFileName().isEmpty()
                       ? QStringLiteral("プリンタを開けません。")
                       : QStringLiteral("ファイルを書き込めません: %1").arg(printer.outputFileName());
    return result;
  }
  const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
  QFont textFont = GridView::gridFont();
  textFont.setPointSize(10);
  const QFontMetrics fm(textFont, &printer);
  const int band = fm.height() * 2;  // caption above, page number below
  // Natural size is the screen's; a wider grid shrinks to the paper's width.
  const double natural = printer.resolution() / static_cast<double>(view.logicalDpiX());
  result.scale = std::min(natural, paper.width() / static_cast<double>(width));
  const int pageHeight = static_cast<int>(std::floor((paper.height() - 2 * band) / result.scale));
  int frozen = std::min(grid.frozenRows(), grid.maxRows());
  int header = view.rowY(frozen + 1);
  if (frozen > 0 && (frozen == grid.maxRows() || header > pageHeight / 2)) {
    // nothing scrolls under them, or they leave no room: printed once like any rows
    grid.setFrozenRows(0);
    view.refresh();
    frozen = 0;
    header = 0;
  }
  const std::vector<PrintPage> pages = paginateRows(heights, frozen, header, pageHeight);
  result.pages = static_cast<int>(pages.size());

  const int from = printer.fromPage() > 0 ? printer.fromPage() : 1;
  const int to = printer.toPage() > 0 ? std::min(printer.toPage(), result.pages) : result.pages;
  view.resize(width + 2 * view.frameWidth(), 10);
  view.show();
  bool firstPage = true;
  for (int i = from; i <= to; ++i) {
    const PrintPage& pg = pages[i - 1];
    if (!firstPage && !printer.newPage()) {
      result.error = QStringLiteral("ページを追加できません。");
      return result;
    }
    firstPage = false;
    painter.setFont(textFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, paper.width(), band), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.drawText(QRect(0, paper.height() - band, paper.width(), band), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("%1 / %2").arg(i).arg(result.pages));

    // the view's height is the header rows and this page's rows, scrolled to the page's first row
    const int height = header + view.rowY(pg.last + 1) - view.rowY(pg.first);
    view.resize(width + 2 * view.frameWidth(), height + 2 * view.frameWidth());
    view.verticalScrollBar()->setValue(pg.first - frozen - 1);
    // Recorded as a picture first: a widget rendered straight onto a printer
    // arrives as one huge bitmap, a picture keeps texts and lines as such.
    QPicture picture;
    QPainter recorder(&picture);
    view.viewport()->render(&recorder, QPoint(0, 0), QRegion(0, 0, width, height), QWidget::DrawWindowBackground);
    recorder.end();
    painter.save();
    painter.translate(0, band);
    // a picture plays back scaled from its resolution to the printer's
    const double replay = picture.logicalDpiX() / static_cast<double>(printer.logicalDpiX());
    painter.scale(result.scale * replay, result.scale * replay);
    painter.drawPicture(0, 0, picture);
    painter.restore();
  }
  if (!painter.end()) {
    result.error = QStringLiteral("印刷を完了できません。");
    return result;
  }
  result.ok = true;
  return result;
}

PrintResult printGridToPdf(const Grid& grid, const QString& title, const QString& path) {
  ReplacementFile file(path.toStdString());
  if (!file.ok()) {
    PrintResult r;
    r.error = QString::fromStdString(file.error());
    return r;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(file.path()));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setDocName(title);
  printer.setCreator(QStringLiteral("カズマキMiddle"));
  PrintResult r = printGrid(printer, grid, title);
  if (r.ok && !file.commit()) {
    r.ok = false;
    r.error = QString::fromStdString(file.error());
  }
  return r;
}

void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  if (dialog.exec() != QDialog::Accepted) return;
  const PrintResult r = printGrid(printer, grid, title);
  if (!r.ok) QMessageBox::critical(parent, kMessageTitle, QStringLiteral("印刷できませんでした。\n%1").arg(r.error));
}

void previewGrid(QWidget* parent, const Grid& grid, const QString& title) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷プレビュー - %1").arg(title));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&grid, &title](QPrinter* p) { printGrid(*p, grid, title); });
  dialog.exec();
}

void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title) {
  QFileDialog dialog(parent, QStringLiteral("PDFで保存"), defaultPath(title, QStringLiteral("pdf")),
                     QStringLiteral("PDFファイル (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  const PrintResult r = printGridToPdf(grid, title, path);
  if (!r.ok)
    QMessageBox::critical(parent, kMessageTitle,
                          QStringLiteral("PDFファイルを保存できませんでした。\n%1\n%2").arg(path, r.error));
}

}  // namespace km
