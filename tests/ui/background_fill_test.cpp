// A window whose fill runs in the background: the window opens at once, shows
// its progress when the fill takes long, shows the grid when it is done, and
// a closed window's fill stops.  And a cell's own tooltip.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QProgressBar>
#include <QTest>
#include <QToolTip>
#include <atomic>
#include <string>

#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"

namespace km {
namespace {

// The fill waits for the test's word, reporting its progress and watching for its cancellation.
std::atomic<bool> release{false}, started{false}, sawCancel{false};

AnalysisWindow::BackgroundFill slowFill(const std::string& text) {
  return [text](FillProgress& progress) {
    started = true;
    for (int done = 0; !release; done = (done + 1) % 100) {
      progress.report(done, 100);
      if (progress.cancelled()) {
        sawCancel = true;
        return Grid();
      }
      QThread::yieldCurrentThread();
    }
    Grid g(2, 1);
    g.setText(2, 1, text);
    return g;
  };
}

const WindowDef kSlow{"遅い分析", "遅い分析", "", 3000, 2000, {}};

bool waitFor(const std::function<bool()>& f) { return QTest::qWaitFor(f, 30000); }

TEST(BackgroundFill, OpensAtOnceShowsProgressThenTheGrid) {
  release = false;
  AnalysisWindow w(kSlow, slowFill("3 on"), nullptr);
  QSize viewWhenFilled;
  QObject::connect(&w, &AnalysisWindow::filled, [&] { viewWhenFilled = w.gridView()->size(); });
  w.resize(600, 400);
  w.show();
  EXPECT_FALSE(w.isFilled());
  ASSERT_TRUE(waitFor([&] { return w.progressBar()->isVisible() && w.progressBar()->maximum() == 100; }));
  release = true;
  ASSERT_TRUE(waitFor([&] { return w.isFilled(); }));
  EXPECT_EQ(w.grid().text(2, 1), "3 on");
  EXPECT_EQ(w.gridView()->grid(), &w.grid());
  QApplication::sendPostedEvents();  // any layout still to come
  EXPECT_EQ(viewWhenFilled, w.gridView()->size()) << "laid out before anyone hears of it";
  EXPECT_TRUE(viewWhenFilled.isValid() && !viewWhenFilled.isEmpty());
  EXPECT_FALSE(w.progressBar()->isVisible());
}

TEST(BackgroundFill, ClosingTheWindowStopsTheFill) {
  release = false;
  started = false;
  sawCancel = false;
  {
    AnalysisWindow w(kSlow, slowFill(""), nullptr);
    ASSERT_TRUE(waitFor([] { return started.load(); }));
  }
  EXPECT_TRUE(waitFor([] { return sawCancel.load(); }));
}

TEST(GridToolTips, ACellsOwnTipShowsOverItsText) {
  Grid g(2, 1);
  g.setColWidth(-1, 6);
  g.setText(1, 1, "12");
  g.setToolTip(1, 1, "最後の同時出現：第7回");
  GridView v;
  v.setGrid(&g);
  v.resize(v.sizeHint());
  v.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
  for (const auto& [col, tip] : {std::pair{2, QString()}, std::pair{1, QStringLiteral("最後の同時出現：第7回")}}) {
    const QPoint at((v.columnX(col) + v.columnX(col + 1)) / 2, v.rowY(1) + 3);
    QHelpEvent e(QEvent::ToolTip, at, v.viewport()->mapToGlobal(at));
    QApplication::sendEvent(v.viewport(), &e);
    if (tip.isEmpty()) {
      EXPECT_FALSE(QToolTip::isVisible());
    } else {
      ASSERT_TRUE(waitFor([] { return QToolTip::isVisible(); }));
      EXPECT_EQ(QToolTip::text(), tip);
    }
  }
  QToolTip::hideText();
}

}  // namespace
}  // namespace km
