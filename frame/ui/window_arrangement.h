#pragma once
// The arrangements of the child windows in the main window's area.  Every
// child window takes part alike, the prediction window as much as any
// analysis window.
#include <QSize>

class QMdiArea;
class QMdiSubWindow;

namespace km {

class GridView;

// A tiled window keeps at least this many rows of each grid in view under
// its heading rows, and this many of its columns.
inline constexpr int kLeastGridRows = 3;
inline constexpr int kLeastGridColumns = 3;

// The least size of a grid view: its heading rows and kLeastGridRows rows
// under them, its first kLeastGridColumns columns, and the scroll bars that
// reach the rest.
QSize leastGridSize(const GridView& v);
// The least size of a child window: each grid at its least size, and the
// description, the legend and 閉じる whole.
QSize leastWindowSize(QMdiSubWindow* w);

// Cascade: from the top left, each window one title bar lower and to the
// right of the one before, in their stacking order, so that the window in
// front stays in front and every title bar shows above the windows after
// it.  Each window takes its own size as far as the area has room for it;
// a cascade that reaches the bottom starts again at the top.
void cascadeWindows(QMdiArea* area);

// One above another, each the full width of the area (stacked), or side by
// side, each the full height; in stacking order.  The area is shared
// equally as far as every window keeps its least size; a window that needs
// more takes it from the others.  When even the least sizes are more than
// the area, each window has its least size and the area scrolls to the
// windows beyond it.
void tileWindows(QMdiArea* area, bool stacked);

// The minimised windows in a row along the bottom edge.
void arrangeIcons(QMdiArea* area);

}  // namespace km
