#pragma once
// A grid view as a screen reader reads it: a table of the grid's rows and
// columns through Qt's accessibility (and so AT-SPI on a Linux desktop).
// Each cell's text is its name, what its colours mean its description (the
// window's legend words where the legend names the colour); the heading
// rows are column headers and the label columns row headers; the cell the
// arrow keys move is the focused cell.  The table's name is the caption of
// the window that holds the view, with the view's own accessible name after
// it where it has one (the prediction window names each of its grids).
#include <QString>
#include <functional>

class QAccessibleEvent;

namespace km {

class GridView;

// Installs the factory that gives every GridView its table, once; the
// GridView constructor calls it.
void installGridAccessibility();

// The view's grid changed: cells made for the old one go, and a screen
// reader is told the table was reset.
void gridAccessibleReset(GridView* view);
// The current cell moved (or the view took the focus): a screen reader is
// told which cell has the focus.
void gridAccessibleFocusMoved(GridView* view);

// The table's name, as above.
QString gridAccessibleName(const GridView* view);

// Where the events above go: none set, to Qt's accessibility when a screen
// reader listens (QAccessible::isActive); one set (the tests, whose
// platform has no accessibility), to it, always.  Returns the one it replaces.
using AccessibleNotifier = std::function<void(QAccessibleEvent* event)>;
AccessibleNotifier setGridAccessibleNotifier(AccessibleNotifier notifier);

}  // namespace km
