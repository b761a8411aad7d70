#pragma once
// The arrangements of the child windows in the main window's area.  Every
// child window takes part alike, the prediction window as much as any
// analysis window.
class QMdiArea;

namespace km {

// Cascade: from the top left, each window one title bar lower and to the
// right of the one before, in their stacking order, so that the window in
// front stays in front and every title bar shows above the windows after
// it.  Each window takes its own size as far as the area has room for it;
// a cascade that reaches the bottom starts again at the top.
void cascadeWindows(QMdiArea* area);

// One above another, each the full width of the area (stacked), or side by
// side, each the full height; in stacking order.
void tileWindows(QMdiArea* area, bool stacked);

// The minimised windows in a row along the bottom edge.
void arrangeIcons(QMdiArea* area);

}  // namespace km
