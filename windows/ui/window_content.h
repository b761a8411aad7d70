#pragma once
// Building a child window from its row of the window table: the one way the
// program, kazumaki-tool and the tests turn a window into widgets.
#include <functional>
#include <vector>

#include "frame/ui/child_frame.h"
#include "store/sqlite/database.h"
#include "windows/window_table.h"

class QMdiArea;

namespace km {

// What the windows are built from: the main window's history and prediction
// state (the prediction window changes its switches, and gives them to
// `keepPrediction` after each change), and the database the data entry window
// edits (当選確認 keeps tickets.csv beside it).
struct WindowContext {
  const History& history;
  PredictionState& prediction;
  ConnectString database;
  std::function<void(const ReflectSettings&)> keepPrediction = {};
};

// Builds the content of `row`'s window into `frame` (made for that row),
// puts the frame into `area` at the top left at the table's size (at most
// the size of the area when it is shown, but for the entry window) and
// shows it.  Returns the grids the window shows, in order (none for the data
// entry and About windows); they live as long as the frame.
std::vector<const Grid*> buildWindow(QMdiArea& area, ChildFrame& frame, const WindowRow& row, WindowContext& ctx);

}  // namespace km
