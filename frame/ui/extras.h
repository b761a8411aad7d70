#pragma once
// The help, printing, the charts and the history update need libraries that the program
// does not load at start (the help engine with its database driver, printing,
// and the network with its proxy and Kerberos libraries: a few milliseconds
// of every start).  They sit in a Qt plugin, kazumaki-extras.so, loaded on the
// first command that needs one of them (app/extras_loader.h).  Tests and
// kazumaki-tool link the same plugin in as a static one.
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
class UpdateHost;

// What the program asks of the plugin; it calls the plugin through this alone.
class Extras {
 public:
  virtual ~Extras() = default;

  // Shows the help window at `keyword`: `window` when it is open, else a new
  // one under `parent`.  Returns the window, or null with `error` (Japanese)
  // and `details` (the help engine's own words) set when the help files
  // cannot be read (no window is left behind then).
  virtual QWidget* showHelp(QWidget* window, QWidget* parent, const QString& collectionFile, const QString& keyword,
                            QString& error, QString& details) const = 0;
  // The grid menu's "印刷...", "印刷プレビュー..." and "PDFで保存...", with the window's legend.
  virtual void printGridWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                                   const std::vector<LegendItem>& legend) const = 0;
  virtual void previewGrid(QWidget* parent, const Grid& grid, const QString& title,
                           const std::vector<LegendItem>& legend) const = 0;
  virtual void saveGridPdfWithDialog(QWidget* parent, const Grid& grid, const QString& title,
                                     const std::vector<LegendItem>& legend) const = 0;
  // The update of the database at `target` under its progress dialog (null
  // when one is already running under `parent`), from the configured sources
  // or, when `file` is given, from that file the user chose.  `host` (which
  // lives as long as `parent`'s window; may be null) is told when it starts
  // and ends and what it added.
  virtual QWidget* startUpdate(QWidget* parent, UpdateHost* host, const QString& target, const QString& file) const = 0;
  // A look at the configured sources in the background, nothing written: `done`
  // gets the status line's text when they have draws beyond `stored`, else an
  // empty text (also when no source could be read).
  virtual void checkSources(QObject* parent, const QString& target, const std::vector<Draw>& stored,
                            const std::function<void(const QString&)>& done) const = 0;
  // The グラフ window's content (it draws with Qt Charts), with its own copy of the history.
  virtual QWidget* makeChartWindow(const WindowDef& def, const History& history, QWidget* parent) const = 0;
};

inline constexpr const char* kExtrasModuleFile = "kazumaki-extras.so";

// The plugin's interface, loaded on the first call; null, with `error`
// (Japanese) saying why and the loader's own message in `details`, when it
// cannot be had.  A failed load is tried again on the next call.
const Extras* extras(QString& error, QString* details = nullptr);

}  // namespace km
