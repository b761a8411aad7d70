#pragma once
// What every grid view offers besides showing its grid: the right-click menu
// "コピー", "CSVで保存...", "印刷...", "印刷プレビュー...", "PDFで保存..." and
// the shortcuts Ctrl+C (copy), Ctrl+A (select all) and Ctrl+P (print).
#include <QString>
#include <vector>

#include "frame/grid.h"
#include "frame/grid_selection.h"

class QMimeData;
class QWidget;

namespace km {

class GridView;

// Adds the actions and the menu to a view (its constructor does it).
void installGridActions(GridView* view);

// The selection as the clipboard holds it: tab-separated text and an HTML table.
QMimeData* gridMimeData(const Grid& grid, CellRange range);
// Puts the view's selection on the clipboard; false when nothing is selected.
bool copySelection(const GridView* view);

// The caption of the child window that holds the view ("表" when none).
QString gridTitle(const QWidget* view);
// The grids of the window that holds the view, in the window's order.
std::vector<const Grid*> windowGrids(const GridView* view);

// Writes the grids as a CSV file, atomically; on failure a message box says why.
bool saveGridsCsv(QWidget* parent, const std::vector<const Grid*>& grids, const QString& path);

}  // namespace km
