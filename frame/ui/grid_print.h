#pragma once
// Printing a grid: every page fitted to the paper's width, the grid's frozen
// header rows repeated at the top of each page, the window's caption above
// and the page number below.  The cells are painted by a GridView, so paper
// shows what the screen shows.
#include <QString>
#include <vector>

#include "frame/grid.h"

class QPrinter;
class QWidget;

namespace km {

// One printed page: the header rows (when repeated) and rows first..last.
struct PrintPage {
  int first = 0, last = 0;
};

// Splits the rows after the `frozen` header rows into pages.  heights[i] is
// the height of row i+1; each page holds `pageHeight` including the header
// rows' height `headerHeight`.  A row taller than a page gets a page of its own.
std::vector<PrintPage> paginateRows(const std::vector<int>& heights, int frozen, int headerHeight, int pageHeight);

struct PrintResult {
  bool ok = false;
  int pages = 0;
  double scale = 0;  // device pixels per grid view pixel
  QString error;
};

// Paints every page (or the range chosen in the print dialog) on the printer.
PrintResult printGrid(QPrinter& printer, const Grid& grid, const QString& title);

// Writes the grid as an A4 PDF file, atomically.
PrintResult printGridToPdf(const Grid& grid, const QString& title, const QString& path);

// The dialogs behind the grid menu's "印刷...", "印刷プレビュー..." and "PDFで保存...".
void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title);
void previewGrid(QWidget* parent, const Grid& grid, const QString& title);
void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title);

}  // namespace km
