#pragma once
// kazumaki --benchmark start|all: the program starts as it always does and
// reports, one line per step, the milliseconds since it was launched and the
// peak resident memory so far; `all` then opens every analysis window through
// the same command as its menu item and finally times repainting and
// scrolling the largest grid.  A window counts as shown once every grid in it
// has painted.  The program then quits at once: nothing is written.
#include <QObject>
#include <QPointer>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

class QMdiSubWindow;

namespace km {

class MainFrm;

class Benchmark : public QObject {
  Q_OBJECT

 public:
  enum class Mode { Start, All };
  using Clock = std::chrono::steady_clock;

  // Reads "--benchmark start|all" from the command line.  Returns false on a
  // command line it cannot take (the reason in `error`); `on` says whether
  // a benchmark was asked for.
  static bool parse(int argc, char** argv, bool& on, Mode& mode, std::string& error);
  // The peak resident memory of the process in MiB (0 where unknown).
  static double peakRssMiB();

  Benchmark(MainFrm& frm, Mode mode, Clock::time_point launch, std::FILE* out = stdout);

  // One report line: "<ms since launch> ms <peak RSS> MiB <step>".
  void step(const std::string& what);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void watch(QMdiSubWindow* w, std::string what);
  void check();
  void openNext();
  void measureLargestGrid();
  void finish();

  MainFrm& frm_;
  Mode mode_;
  Clock::time_point launch_;
  std::FILE* out_;
  bool mainPainted_ = false;
  bool started_ = false;
  QPointer<QMdiSubWindow> target_;
  std::string targetName_;
  std::vector<QObject*> painted_;  // grid viewports of the target that have painted
  bool checkQueued_ = false;
  size_t next_ = 0;  // into the window table
};

}  // namespace km
