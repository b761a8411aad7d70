#include "frame/ui/grid_print.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
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
#include <numeric>

#include "frame/grid_geometry.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/message_box.h"
#include "store/files/replace_file.h"

namespace km {

QString defaultPath(const QString& title, const QString& suffix) {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) dir = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  return dir + QLatin1Char('/') + title + QLatin1Char('.') + suffix;
}

void proposePdfFile(QPrintDialog& dialog, const QString& title) {
  // the dialog's own proposal is the working folder or the home folder
  if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
    file->setText(defaultPath(title, QStringLiteral("pdf")));
}

void setMargins(QPrinter& printer) { printer.setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter); }

namespace {

int sum(const std::vector<int>& v, int from, int to) {  // elements [from, to)
  return std::accumulate(v.begin() + from, v.begin() + to, 0);
}

// Pages of consecutive items from item `first` (1-based) on: each takes as
// many as fit in its room (`firstRoom` on the first page, `room` after), and
// at least one.
std::vector<PrintSpan> packSpans(const std::vector<int>& sizes, int first, int firstRoom, int room) {
  std::vector<PrintSpan> pages;
  const int count = static_cast<int>(sizes.size());
  for (int item = first; item <= count;) {
    const int fits = pages.empty() ? firstRoom : room;
    int used = sizes[item - 1];
    int last = item;
    while (last < count && used + sizes[last] <= fits) used += sizes[last++];
    pages.push_back({item, last});
    item = last + 1;
  }
  return pages;
}

}  // namespace

std::vector<PrintSpan> paginateRows(const std::vector<int>& heights, int frozen, int headerHeight, int pageHeight) {
  const int rows = static_cast<int>(heights.size());
  frozen = std::clamp(frozen, 0, rows);
  if (rows == 0) return {};
  if (frozen == rows) return {PrintSpan{1, rows}};
  return packSpans(heights, frozen + 1, pageHeight - headerHeight, pageHeight - headerHeight);
}

std::vector<PrintSpan> paginateColumns(const std::vector<int>& widths, int labelCols, int pageWidth) {
  labelCols = std::clamp(labelCols, 0, static_cast<int>(widths.size()));
  return packSpans(widths, 1, pageWidth, pageWidth - sum(widths, 0, labelCols));
}

PrintPlan planPrint(const std::vector<int>& widths, const std::vector<int>& heights, int labelCols, int frozenRows,
                    double paperWidth, double paperHeight) {
  PrintPlan plan;
  const int cols = static_cast<int>(widths.size()), rows = static_cast<int>(heights.size());
  plan.labelCols = std::clamp(labelCols, 0, cols);
  if (sum(widths, 0, plan.labelCols) * 3 > paperWidth) plan.labelCols = 0;
  auto pageWidth = [&](double scale) { return static_cast<int>(std::floor(paperWidth / scale)); };
  auto acrossAt = [&](double scale) { return paginateColumns(widths, plan.labelCols, pageWidth(scale)).size(); };
  if (sum(widths, 0, cols) > paperWidth) {
    // as few pages across as the smallest size needs, at the largest size that keeps to them
    const size_t fewest = acrossAt(kMinPrintScale);
    double lo = kMinPrintScale, hi = 1;
    if (acrossAt(hi) <= fewest) lo = hi;
    for (int i = 0; i < 40 && hi - lo > 1e-4; ++i) {
      const double mid = (lo + hi) / 2;
      (acrossAt(mid) <= fewest ? lo : hi) = mid;
    }
    plan.scale = lo;
  }
  if (plan.across = paginateColumns(widths, plan.labelCols, pageWidth(plan.scale)); plan.across.size() == 1)
    plan.labelCols = 0;
  const int pageHeight = static_cast<int>(std::floor(paperHeight / plan.scale));
  plan.headerRows = std::clamp(frozenRows, 0, rows);
  // nothing scrolls under them, or they leave no room: printed once like any rows
  if (plan.headerRows == rows || sum(heights, 0, plan.headerRows) * 2 > pageHeight) plan.headerRows = 0;
  plan.down = paginateRows(heights, plan.headerRows, sum(heights, 0, plan.headerRows), pageHeight);
  return plan;
}

QString pageLabel(int page, int across, int down) {
  const int pages = across * down;
  if (across <= 1) return QStringLiteral("%1 / %2").arg(page).arg(pages);
  return QStringLiteral("%1 / %2（横 %3/%4・縦 %5/%6）")
      .arg(page)
      .arg(pages)
      .arg((page - 1) % across + 1)
      .arg(across)
      .arg((page - 1) / across + 1)
      .arg(down);
}

QPageLayout::Orientation printOrientation(const Grid& grid) {
  const GridGeometry g = gridGeometry(grid, 96, 96);
  return g.colX.back() > g.rowY.back() ? QPageLayout::Landscape : QPageLayout::Portrait;
}

namespace {

// The legend on one line from `at`: each sample on its framed swatch, then its label.
void drawLegend(QPainter& painter, const std::vector<LegendItem>& legend, QPoint at, int height) {
  const QFontMetrics fm(painter.font(), painter.device());
  int x = at.x();
  for (const LegendItem& item : legend) {
    const QRect swatch(x, at.y() + (height - fm.height()) / 2, fm.height(), fm.height());
    painter.fillRect(swatch, QColor(item.sampleBg.r, item.sampleBg.g, item.sampleBg.b));
    painter.setPen(Qt::black);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.setPen(QColor(item.sampleFg.r, item.sampleFg.g, item.sampleFg.b));
    painter.drawText(swatch, Qt::AlignCenter, QString::fromStdString(item.sample));
    x = swatch.right() + 1 + fm.horizontalAdvance(QLatin1Char(' ')) / 2;
    const QString label = QString::fromStdString(item.label);
    painter.setPen(Qt::black);
    painter.drawText(QRect(x, at.y(), fm.horizontalAdvance(label), height), Qt::AlignLeft | Qt::AlignVCenter, label);
    x += fm.horizontalAdvance(label) + fm.height();
  }
}

}  // namespace

PrintResult printGrid(QPrinter& printer, const Grid& source, const QString& title,
                      const std::vector<LegendItem>& legend) {
  PrintResult result;
  // The pages are painted by a grid view of its own, kept off the screen,
  // with the header rows on top and the page's rows scrolled in below them.
  Grid grid = source;
  grid.setScrollBars(ScrollBars::None);
  GridView view;
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.setScrollBarsOff(true);
  view.setGrid(&grid);
  std::vector<int> widths, heights;
  for (int c = 1; c <= grid.maxCols(); ++c) widths.push_back(view.columnX(c + 1) - view.columnX(c));
  for (int r = 1; r <= grid.maxRows(); ++r) heights.push_back(view.rowY(r + 1) - view.rowY(r));

  QPainter painter;
  if (!painter.begin(&printer)) {
    result.error = printer.outputFileName().isEmpty()
                       ? QStringLiteral("プリンタを使えません。プリンタの電源と接続、設定を確かめてください。")
                       : QStringLiteral("ファイルに書き込めません。\n%1").arg(printer.outputFileName());
    return result;
  }
  const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
  QFont textFont = GridView::gridFont();
  textFont.setPointSize(10);
  const QFontMetrics fm(textFont, &printer);
  const int band = fm.height() * 2;                             // caption above, page number below
  const int legendBand = legend.empty() ? 0 : fm.height() * 2;  // the legend over the page number
  // A view pixel is natural device pixels on paper at the screen's size.
  const double natural = printer.resolution() / static_cast<double>(view.logicalDpiX());
  const PrintPlan plan = planPrint(widths, heights, grid.labelCols(), grid.frozenRows(), paper.width() / natural,
                                   (paper.height() - 2 * band - legendBand) / natural);
  // the view keeps the repeated rows and columns in view on every page
  view.setPageLabelCols(plan.labelCols);
  if (plan.headerRows != grid.frozenRows()) {
    grid.setFrozenRows(plan.headerRows);
    view.refresh();
  }
  result.pages = plan.pages();
  result.across = static_cast<int>(plan.across.size());
  result.down = static_cast<int>(plan.down.size());
  result.scale = plan.scale;
  const int header = view.rowY(plan.headerRows + 1);
  const int labels = view.columnX(plan.labelCols + 1);
  const double toDevice = natural * plan.scale;

  const int from = printer.fromPage() > 0 ? printer.fromPage() : 1;
  const int to = printer.toPage() > 0 ? std::min(printer.toPage(), result.pages) : result.pages;
  view.resize(100, 100);
  view.show();
  bool firstPage = true;
  for (int i = from; i <= to; ++i) {
    const PrintSpan& cols = plan.across[(i - 1) % result.across];
    const PrintSpan& rows = plan.down[(i - 1) / result.across];
    if (!firstPage && !printer.newPage()) {
      result.error = QStringLiteral("ページを追加できません。");
      return result;
    }
    firstPage = false;
    painter.setFont(textFont);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, paper.width(), band), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.drawText(QRect(0, paper.height() - band, paper.width(), band), Qt::AlignHCenter | Qt::AlignVCenter,
                     pageLabel(i, result.across, result.down));
    drawLegend(painter, legend, QPoint(0, paper.height() - band - legendBand), legendBand);

    // The view is the page: the label columns (after the first page across)
    // and this page's columns, the header rows and this page's rows, scrolled
    // as a user would scroll the window to them.
    const int left = cols.first > 1 ? labels : 0;
    const int width = left + view.columnX(cols.last + 1) - view.columnX(cols.first);
    const int height = header + view.rowY(rows.last + 1) - view.rowY(rows.first);
    view.resize(width + 2 * view.frameWidth(), height + 2 * view.frameWidth());
    view.verticalScrollBar()->setValue(rows.first - plan.headerRows - 1);
    view.horizontalScrollBar()->setValue(view.columnX(cols.first) - left);
    // Recorded as a picture first: a widget rendered straight onto a printer
    // arrives as one huge bitmap, a picture keeps texts and lines as such.
    QPicture picture;
    QPainter recorder(&picture);
    view.viewport()->render(&recorder, QPoint(), QRegion(0, 0, width, height), QWidget::DrawWindowBackground);
    recorder.end();
    painter.save();
    painter.translate(0, band);
    // a picture plays back scaled from its resolution to the printer's
    const double replay = picture.logicalDpiX() / static_cast<double>(printer.logicalDpiX());
    painter.scale(toDevice * replay, toDevice * replay);
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

PrintResult printGridToPdf(const Grid& grid, const QString& title, const QString& path,
                           const std::vector<LegendItem>& legend) {
  ReplacementFile file(path.toStdString());
  auto failed = [&file](PrintResult& r) {
    r.ok = false;
    r.error = QString::fromStdString(file.failure().message);
    r.details = QString::fromStdString(file.failure().cause);
    return r;
  };
  if (!file.ok()) {
    PrintResult r;
    return failed(r);
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(file.path()));
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(printOrientation(grid));
  setMargins(printer);
  printer.setDocName(title);
  printer.setCreator(QStringLiteral("カズマキMiddle"));
  PrintResult r = printGrid(printer, grid, title, legend);
  if (r.ok && !file.commit()) return failed(r);
  return r;
}

void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                         const std::vector<LegendItem>& legend) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  printer.setPageOrientation(printOrientation(grid));
  setMargins(printer);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  proposePdfFile(dialog, title);
  if (dialog.exec() != QDialog::Accepted) return;
  const PrintResult r = printGrid(printer, grid, title, legend);
  if (!r.ok) showStop(parent, QStringLiteral("印刷できませんでした。\n%1").arg(r.error), r.details);
}

void previewGrid(QWidget* parent, const Grid& grid, const QString& title, const std::vector<LegendItem>& legend) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(title);
  printer.setPageOrientation(printOrientation(grid));
  setMargins(printer);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("印刷プレビュー - %1").arg(title));
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&grid, &title, &legend](QPrinter* p) { printGrid(*p, grid, title, legend); });
  dialog.exec();
}

void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                           const std::vector<LegendItem>& legend) {
  QFileDialog dialog(parent, QStringLiteral("PDFで保存"), defaultPath(title, QStringLiteral("pdf")),
                     QStringLiteral("PDFファイル (*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  const PrintResult r = printGridToPdf(grid, title, path, legend);
  if (!r.ok) showStop(parent, QStringLiteral("表をPDFファイルに保存できませんでした。\n%1").arg(r.error), r.details);
}

}  // namespace km
