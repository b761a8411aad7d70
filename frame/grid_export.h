#pragma once
// Texts that take a grid out of the program: the clipboard's tab-separated
// text and HTML table, and CSV files for spreadsheet programs.
#include <iosfwd>
#include <string>
#include <vector>

#include "frame/grid.h"
#include "frame/grid_selection.h"

namespace km {

// Tab-separated text of a block: one line per row, each ended by "\n", cells
// separated by "\t".  A cell whose text holds a tab, a line break or starts
// with a double quote is put in double quotes with its quotes doubled, as
// spreadsheet programs read it.
std::string rangeToTsv(const Grid& g, CellRange range);

// The block as an HTML table that keeps each cell's background and text
// colour, alignment and lines, for pasting into a spreadsheet program.
std::string rangeToHtml(const Grid& g, CellRange range);

// The whole grid as CSV: one record per grid row, one field per grid column,
// each cell's text as the grid holds it; fields quoted only where they hold
// a comma, a double quote or a line break; records ended by CR LF.  No BOM.
std::string gridToCsvRecords(const Grid& g);

// A CSV file of one or more grids: a UTF-8 BOM, then each grid's records,
// grids separated by one empty line.
std::string gridsToCsvFile(const std::vector<const Grid*>& grids);
// The same text, written to `os` row by row.
void writeGridsCsv(std::ostream& os, const std::vector<const Grid*>& grids);

inline CellRange wholeGrid(const Grid& g) {
  return g.maxCols() > 0 && g.maxRows() > 0 ? CellRange{1, 1, g.maxCols(), g.maxRows()} : CellRange{};
}

}  // namespace km
