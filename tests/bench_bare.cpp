// The yardstick of the start-up benchmark: a bare Qt program with a main
// window, an MDI area and one sub-window.  It reports like
// `kazumaki --benchmark start` when the sub-window has painted and quits.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;
const auto kLaunch = Clock::now();

double peakRssMiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return 0;
}

void step(const char* what) {
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - kLaunch).count();
  std::printf("%9.1f ms %7.1f MiB  %s\n", ms, peakRssMiB(), what);
  std::fflush(stdout);
}

class Content : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* e) override {
    QLabel::paintEvent(e);
    if (!done_) {
      done_ = true;
      QTimer::singleShot(0, [] {
        step("sub-window painted");
        std::_Exit(0);
      });
    }
  }

 private:
  bool done_ = false;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  step("application ready");
  QMainWindow w;
  auto* mdi = new QMdiArea(&w);
  w.setCentralWidget(mdi);
  auto* sub = mdi->addSubWindow(new Content(QStringLiteral("bare")));
  sub->resize(400, 300);
  w.resize(1024, 768);
  w.showMaximized();
  w.activateWindow();
  sub->show();
  return app.exec();
}
