// kazumaki-tool: import and export of the draw history, and the JSON dump of
// any window's grids as the program fills them.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QMdiArea>

#include "app/fonts.h"
#include "frame/grid_json.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/window_placement.h"
#include "prediction/ui/prediction_window.h"
#include "windows/window_table.h"
#include "store/csv.h"
#include "store/database.h"

namespace {

int usage() {
  std::cerr << "usage:\n"
               "  kazumaki-tool import-csv CSV DB      create or replace DB from CSV\n"
               "  kazumaki-tool export-csv DB          print DB's history as CSV\n"
               "  kazumaki-tool grid DB WINDOW [--ini FILE]\n"
               "                                       print WINDOW's grids as JSON\n";
  return 2;
}

km::ConnectString connectTo(const std::string& path) { return km::ConnectString{path, km::databasePassword()}; }

int importCsv(const std::string& csvPath, const std::string& dbPath) {
  std::ifstream in(csvPath, std::ios::binary);
  if (!in) {
    std::cerr << "kazumaki-tool: cannot read " << csvPath << "\n";
    return 1;
  }
  std::stringstream buf;
  buf << in.rdbuf();
  const km::CsvResult r = km::parseHistoryCsv(buf.str());
  if (!r.ok) {
    std::cerr << "kazumaki-tool: " << csvPath << ": " << r.error << "\n";
    return 1;
  }
  const std::string err = km::writeDatabase(connectTo(dbPath), r.draws);
  if (!err.empty()) {
    std::cerr << "kazumaki-tool: " << err << "\n";
    return 1;
  }
  return 0;
}

bool load(const std::string& dbPath, bool withDates, km::LoadResult& r) {
  r = km::loadHistory(connectTo(dbPath), withDates);
  if (!r.ok) std::cerr << "kazumaki-tool: " << r.message << "\n";
  return r.ok;
}

int exportCsv(const std::string& dbPath) {
  km::LoadResult r;
  if (!load(dbPath, true, r)) return 1;
  std::cout << km::historyToCsv(r.rows);
  return std::cout.good() ? 0 : 1;
}

// The window is built and laid out as the program shows it, on an
// off-screen display at 96 DPI, so that the pixel geometry reported is the
// one the program lays out.
int grid(const std::string& dbPath, const std::string& window, const std::string& ini) {
  const km::WindowDef* w = km::findWindow(window);
  if (!w) {
    std::cerr << "kazumaki-tool: no window named " << window << "\n";
    return 1;
  }
  km::LoadResult r;
  if (!load(dbPath, false, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows));

  int argc = 3;
  char arg0[] = "kazumaki-tool", arg1[] = "-platform", arg2[] = "offscreen";
  char* argv[] = {arg0, arg1, arg2, nullptr};
  // The toolkit's notes about the off-screen display are not the tool's output.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << "kazumaki-tool: " << msg.toStdString() << "\n";
  });
  QApplication app(argc, argv);
  km::installFontSubstitutions();
  QMdiArea area;
  area.resize(4000, 4000);
  km::PredictionState state;
  state.ReadInitFile(ini);
  auto* frame = new km::ChildFrame(nullptr, *w);
  std::vector<const km::Grid*> grids;
  frame->load([&](QWidget* parent) -> QWidget* {
    if (w->name == km::kPredictionWindow) {
      auto* p = new km::PredictionWindow(state, history, parent);
      for (int i = 0; i < km::kPredictionGridCount; ++i) grids.push_back(&p->grid(i));
      return p;
    }
    auto* a = new km::AnalysisWindow(*w, history, parent);
    grids.push_back(&a->grid());
    return a;
  });
  area.addSubWindow(frame);
  frame->move(0, 0);
  frame->resize(frame->sizeHint());
  area.show();
  frame->show();
  QCoreApplication::sendPostedEvents();  // the pending layouts, nothing else
  const km::WindowPlacement placement = km::measureWindow(frame);
  std::cout << km::windowToJson(*w, grids, &placement);
  return std::cout.good() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 3 && a[0] == "import-csv") return importCsv(a[1], a[2]);
    if (a.size() == 2 && a[0] == "export-csv") return exportCsv(a[1]);
    if (a.size() == 3 && a[0] == "grid") return grid(a[1], a[2], "カズマキ.ini");
    if (a.size() == 5 && a[0] == "grid" && a[3] == "--ini") return grid(a[1], a[2], a[4]);
    return usage();
  } catch (const std::exception& e) {
    std::cerr << "kazumaki-tool: " << e.what() << "\n";
    return 1;
  }
}
