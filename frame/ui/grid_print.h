#pragma once
// Printing a grid.  A grid that fits the paper's width prints at its size on
// the screen; a wider one is shrunk to fit, but never below kMinPrintScale of
// that size: beyond that it goes on over further pages across.  Pages are
// numbered across first, then down (the first band of rows on pages 1, 2, 3
// from left to right, the next band below them on the following pages).  The
// grid's frozen header rows are repeated at the top of every page and its
// label columns (the draw number or the number that names each row) at the
// left of every page across; a heading that runs over several columns shows
// its title on every page across it.  The window's caption stands above each
// page, its legend (if any) and the page number below it.  A grid wider than tall prints across the paper
// (landscape) unless the user chooses otherwise.  The cells are painted by a
// GridView, so paper shows what the screen shows.
#include <QPageLayout>
#include <QString>
#include <vector>

class QPrintDialog;

#include "frame/grid.h"
#include "frame/window_def.h"

class QPrinter;
class QWidget;

namespace km {

// The smallest print size, as a share of the screen's: a 9-point cell text
// stays at least 5.4 points.
inline constexpr double kMinPrintScale = 0.6;

// A run of rows or columns on one page, 1-based and inclusive.
struct PrintSpan {
  int first = 0, last = 0;
  friend bool operator==(PrintSpan, PrintSpan) = default;
};

// Splits the rows after the `frozen` header rows into pages.  heights[i] is
// the height of row i+1; each page holds `pageHeight` including the header
// rows' height `headerHeight`.  A row taller than a page gets a page of its own.
std::vector<PrintSpan> paginateRows(const std::vector<int>& heights, int frozen, int headerHeight, int pageHeight);

// Splits the columns into pages of `pageWidth`: the first page from column 1,
// every further page after the `labelCols` label columns it repeats.
// widths[i] is the width of column i+1.  A column wider than a page gets a
// page of its own.
std::vector<PrintSpan> paginateColumns(const std::vector<int>& widths, int labelCols, int pageWidth);

// How a grid goes on paper: its size and its pages.
struct PrintPlan {
  double scale = 1;    // of the size on the screen
  int headerRows = 0;  // repeated at the top of every page
  int labelCols = 0;   // repeated at the left of every page across
  std::vector<PrintSpan> across, down;
  int pages() const { return static_cast<int>(across.size() * down.size()); }
};

// The plan for columns and rows of these sizes (screen pixels) on pages of
// paperWidth x paperHeight (screen pixels at the screen's size): the largest
// scale up to 1 that needs no more pages across than kMinPrintScale does.
// Header rows taller than half a page and label columns wider than a third
// of one are printed once, like the other rows and columns.
PrintPlan planPrint(const std::vector<int>& widths, const std::vector<int>& heights, int labelCols, int frozenRows,
                    double paperWidth, double paperHeight);

// "2 / 6（横 1/3・縦 2/2）" for page 2 of 3 across and 2 down, or "2 / 6"
// when the grid is one page wide.  `page` counts from 1.
QString pageLabel(int page, int across, int down);

// Landscape for a grid wider than tall.
QPageLayout::Orientation printOrientation(const Grid& grid);

struct PrintResult {
  bool ok = false;
  int pages = 0, across = 0, down = 0;
  double scale = 0;  // of the size on the screen
  QString error;     // Japanese
  QString details;   // the system's words, if any
};

// Paints every page (or the range chosen in the print dialog) on the printer.
PrintResult printGrid(QPrinter& printer, const Grid& grid, const QString& title,
                      const std::vector<LegendItem>& legend = {});

// Writes the grid as an A4 PDF file in the grid's orientation, atomically.
PrintResult printGridToPdf(const Grid& grid, const QString& title, const QString& path,
                           const std::vector<LegendItem>& legend = {});

// The file a save dialog offers first: the title in the documents folder
// (the home folder when there is none).  The print dialog offers the same
// file for printing to a PDF file.
QString defaultPath(const QString& title, const QString& suffix);
void proposePdfFile(QPrintDialog& dialog, const QString& title);
// The margins of every printout; a printer that cannot print so near the
// edge widens them.
void setMargins(QPrinter& printer);

// The dialogs behind the grid menu's "印刷...", "印刷プレビュー..." and "PDFで保存...".
void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                         const std::vector<LegendItem>& legend);
void previewGrid(QWidget* parent, const Grid& grid, const QString& title, const std::vector<LegendItem>& legend);
void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                           const std::vector<LegendItem>& legend);

}  // namespace km
