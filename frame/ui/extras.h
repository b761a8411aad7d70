#pragma once
// The help, printing, the charts and the history update need libraries that the program
// does not load at start (the help engine with its database driver, printing,
// and the network with its proxy and Kerberos libraries: a few milliseconds
// of every start).  They sit in a module, kazumaki-extras.so, loaded on the
// first command that needs one of them.  Tests and kazumaki-tool link the
// same code in and get the same table without loading anything.
#include <QString>
#include <functional>
#include <vector>

#include "store/history.h"

class QObject;
class QWidget;

namespace km {

class Grid;
struct History;
struct WindowDef;
struct LegendItem;

struct Extras {
  // Shows the help window at `keyword`: `window` when it is open, else a new
  // one under `parent`.  Returns the window, or null with `error` (Japanese)
  // and `details` (the help engine's own words) set when the help files
  // cannot be read (no window is left behind then).
  QWidget* (*showHelp)(QWidget* window, QWidget* parent, const QString& collectionFile, const QString& keyword,
                       QString& error, QString& details);
  // The grid menu's "印刷...", "印刷プレビュー..." and "PDFで保存...", with the window's legend.
  void (*printGridWithDialog)(QWidget* parent, const Grid& grid, const QString& title,
                              const std::vector<LegendItem>& legend);
  void (*previewGrid)(QWidget* parent, const Grid& grid, const QString& title, const std::vector<LegendItem>& legend);
  void (*saveGridPdfWithDialog)(QWidget* parent, const Grid& grid, const QString& title,
                                const std::vector<LegendItem>& legend);
  // The update of the database at `target` under its progress dialog (null
  // when one is already running under `parent`), from the configured sources
  // or, when `file` is given, from that file the user chose.
  QWidget* (*startUpdate)(QWidget* parent, const QString& target, const QString& file);
  // A look at the configured sources in the background, nothing written: `done`
  // gets the status line's text when they have draws beyond `stored`, else an
  // empty text (also when no source could be read).
  void (*checkSources)(QObject* parent, const QString& target, const std::vector<Draw>& stored,
                       const std::function<void(const QString&)>& done);
  // The グラフ window's content (it draws with Qt Charts), with its own copy of the history.
  QWidget* (*makeChartWindow)(const WindowDef& def, const History& history, QWidget* parent);
};

inline constexpr const char* kExtrasModuleFile = "kazumaki-extras.so";
inline constexpr const char* kExtrasEntry = "kazumaki_extras_of_build";
// The module's entry: the table, or null when `buildId` is not the id of the
// build the module comes from (KM_BUILD_ID, made from the sources of both, so
// that the classes passed through the table are laid out alike).
using ExtrasEntry = const Extras* (*)(const char* buildId);

// The table, loaded on the first call; null, with `error` (Japanese) saying
// why and the loader's own message in `details`, when it cannot be had.  A
// failed load is tried again on the next call.
const Extras* extras(QString& error, QString* details = nullptr);

// The table of the code linked into this program (the module returns the same).
const Extras& linkedExtras();

}  // namespace km
