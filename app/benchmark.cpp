#include "app/benchmark.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "app/main_frm.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"
#include "windows/window_table.h"

namespace km {

namespace {
double msBetween(Benchmark::Clock::time_point a, Benchmark::Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}
}  // namespace

bool Benchmark::parse(int argc, char** argv, bool& on, Mode& mode, std::string& error) {
  on = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) != "--benchmark") continue;
    const std::string what = i + 1 < argc ? argv[i + 1] : "";
    if (what != "start" && what != "all") {
      error = "--benchmark の後には start か all を指定してください。";
      return false;
    }
    on = true;
    mode = what == "all" ? Mode::All : Mode::Start;
  }
  return true;
}

double Benchmark::peakRssMiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;  // in kB
  return 0;
}

Benchmark::Benchmark(MainFrm& frm, Mode mode, Clock::time_point launch, std::FILE* out)
    : QObject(&frm), frm_(frm), mode_(mode), launch_(launch), out_(out) {
  step("application ready");
  qApp->installEventFilter(this);
  connect(&frm_, &MainFrm::startUpEnded, this, [this](bool ok) {
    step(ok ? "history read" : "history not read");
    started_ = ok;
  });
  // The prediction window is opened by the main window itself.
  connect(frm_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (!target_ && w && w == frm_.findChildWindow(WindowId::Prediction) && next_ == 0)
      watch(w, "prediction window painted");
  });
}

void Benchmark::step(const std::string& what) {
  std::fprintf(out_, "%9.1f ms %7.1f MiB  %s\n", msBetween(launch_, Clock::now()), peakRssMiB(), what.c_str());
  std::fflush(out_);
}

void Benchmark::watch(QMdiSubWindow* w, std::string what) {
  target_ = w;
  targetName_ = std::move(what);
  painted_.clear();
}

bool Benchmark::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() != QEvent::Paint) return false;
  if (!mainPainted_ && watched == frm_.mdiArea()->viewport()) {
    mainPainted_ = true;
    QTimer::singleShot(0, this, [this] { step("main window painted"); });
  }
  if (target_ && watched->parent() && qobject_cast<GridView*>(watched->parent()) &&
      target_->isAncestorOf(static_cast<QWidget*>(watched->parent())) &&
      std::find(painted_.begin(), painted_.end(), watched) == painted_.end()) {
    painted_.push_back(watched);
    if (!checkQueued_) {
      checkQueued_ = true;
      QTimer::singleShot(0, this, &Benchmark::check);  // after the paint has run
    }
  }
  return false;
}

// The target counts as shown when every grid in it has painted.
void Benchmark::check() {
  checkQueued_ = false;
  if (!target_) return;
  for (const AnalysisWindow* a : target_->findChildren<AnalysisWindow*>()) {
    if (a->isFilled()) continue;
    // a fill in the background: what counts is the paint of its grid
    painted_.clear();
    connect(a, &AnalysisWindow::filled, this, &Benchmark::check, Qt::UniqueConnection);
    return;
  }
  const auto views = target_->findChildren<GridView*>();
  for (GridView* v : views)
    if (std::find(painted_.begin(), painted_.end(), v->viewport()) == painted_.end()) return;
  step(targetName_);
  target_ = nullptr;
  if (mode_ == Mode::Start) return finish();
  QTimer::singleShot(0, this, &Benchmark::openNext);
}

void Benchmark::openNext() {
  const auto table = windowTable();
  while (next_ < table.size() && table[next_].kind != WindowKind::Analysis) ++next_;
  if (next_ >= table.size()) {
    step("all windows painted");
    measureLargestGrid();
    return finish();
  }
  const WindowRow& row = table[next_++];
  // the window is watched before it is built, so that its first paint counts
  target_ = nullptr;
  QMdiSubWindow* w = frm_.openWindow(row.id);
  if (!w) return openNext();
  watch(w, row.def.name + " painted");
  QTimer::singleShot(0, this, &Benchmark::check);
}

// Repaints of the largest grid as it stands, then page after page scrolled.
void Benchmark::measureLargestGrid() {
  GridView* largest = nullptr;
  long long cells = -1;
  for (GridView* v : frm_.findChildren<GridView*>()) {
    if (!v->grid() || !v->isVisible()) continue;
    const long long n = static_cast<long long>(v->grid()->maxCols()) * v->grid()->maxRows();
    if (n > cells) {
      cells = n;
      largest = v;
    }
  }
  if (!largest) return;
  // in front of the others, so that every pixel of it is painted
  for (QWidget* w = largest; w; w = w->parentWidget()) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
      frm_.mdiArea()->setActiveSubWindow(sub);
      sub->raise();
      break;
    }
  }
  constexpr int kRepaints = 100;
  auto t = Clock::now();
  for (int i = 0; i < kRepaints; ++i) largest->viewport()->repaint();
  const double repaintMs = msBetween(t, Clock::now()) / kRepaints;
  QScrollBar* bar = largest->verticalScrollBar();
  int pages = 0;
  t = Clock::now();
  for (int i = 0; i < kRepaints; ++i) {
    bar->setValue(bar->value() >= bar->maximum() ? 0 : bar->value() + bar->pageStep());
    largest->viewport()->repaint();
    ++pages;
  }
  const double scrollMs = msBetween(t, Clock::now());
  char line[160];
  std::snprintf(line, sizeof line, "largest grid (%lld cells): %.2f ms a repaint, %.0f pages a second scrolled", cells,
                repaintMs, pages * 1000.0 / std::max(scrollMs, 1e-3));
  step(line);
}

// Quits at once, without tearing the windows down: nothing is written.
void Benchmark::finish() {
  std::fflush(out_);
  std::_Exit(0);
}

}  // namespace km
