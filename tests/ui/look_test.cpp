// Every window on the shipped history, as a user sees it: no cut-off text,
// every grid inside its window and filling it, Japanese toolkit texts, the
// keyboard and small screens.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_frm.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/window_placement.h"
#include "prediction/ui/prediction_window.h"
#include "store/formats/csv.h"
#include "tests/ui/ui_helpers.h"
#include "windows/window_table.h"

using namespace km;

namespace {

std::vector<Draw> shippedDraws() {
  std::ifstream in(KM_SHIPPED_CSV, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  CsvResult r = parseHistoryCsv(buf.str());
  EXPECT_TRUE(r.ok) << r.error;
  return r.draws;
}

// One main window over the shipped history for every test of this file.
struct Shipped : ::testing::Test {
  static inline test::ProgramFolder* folder = nullptr;
  static void SetUpTestSuite() { folder = new test::ProgramFolder(shippedDraws()); }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  MainFrm frm{folder->path(), folder->settings()};
  test::ProgramStart start{*folder};
  void SetUp() override { ASSERT_TRUE(start.run(frm)); }
  // The main window on screen, large enough for any child window.
  void showLarge() {
    frm.resize(1600, 1200);
    frm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  }
};

// Waits for a state; the QTRY_ macros would report to QTest, not here.
template <class F>
bool waitFor(F f) {
  return QTest::qWaitFor(f, 5000);
}

bool allDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Room a cell's text has: the cell, and for a text that may run over, every
// empty neighbour on the sides it grows to.
int room(const GridView& v, const Grid& g, int c, int r) {
  const Cell& cell = g.cell(c, r);
  int left = c, right = c;
  if (cell.overflow) {
    if (cell.halign != HAlign::Right)
      while (right < g.maxCols() && g.text(right + 1, r).empty()) ++right;
    if (cell.halign != HAlign::Left)
      while (left > 1 && g.text(left - 1, r).empty()) --left;
  }
  return v.columnX(right + 1) - v.columnX(left);
}

}  // namespace

// Every header text and every number up to four digits shows in full, in the
// grid's own font; the frequency window's three-digit scale is narrowed to fit
// its columns; a text that cannot show is one the grid shows in a tooltip.
TEST_F(Shipped, NoWindowCutsOffAText) {
  int checked = 0;
  for (const WindowRow& row : windowTable()) {
    const WindowDef& def = row.def;
    QMdiSubWindow* sub = frm.openWindow(row.id);
    ASSERT_TRUE(sub) << def.name;
    ASSERT_TRUE(test::waitFilled(sub)) << def.name;
    for (GridView* v : sub->findChildren<GridView*>()) {
      const Grid& g = *v->grid();
      const QFontMetrics fm(v->font());
      EXPECT_EQ(QFontInfo(v->font()).family(), QStringLiteral("IPAGothic"));
      int cut = 0;
      for (int r = 1; r <= g.maxRows(); ++r) {
        for (int c = 1; c <= g.maxCols(); ++c) {
          const std::string& t = g.text(c, r);
          if (t.empty()) continue;
          ++checked;
          // the ink between the lines: the cell's last pixel is its right line
          const bool fits = fm.tightBoundingRect(QString::fromStdString(t).trimmed()).width() <= room(*v, g, c, r) - 1;
          const bool mustFit = !allDigits(t) || t.size() <= 4;
          const bool scale = def.name == "出現頻度分析" && allDigits(t) && t.size() == 3;
          const int ink = fm.tightBoundingRect(QString::fromStdString(t).trimmed()).width();
          if (mustFit && !scale && cut < 5) {
            EXPECT_TRUE(fits) << def.name << " (" << c << "," << r << ") \"" << t << "\" needs " << ink << " px in "
                              << room(*v, g, c, r) << (++cut == 5 ? " (and more)" : "");
          }
          if (scale) {
            EXPECT_FALSE(v->isTextCut(c, r)) << def.name << " (" << c << "," << r << ") \"" << t << "\" narrowed";
          } else if (!fits) {
            EXPECT_TRUE(v->isTextCut(c, r)) << def.name << " (" << c << "," << r << ") \"" << t << "\"";
          } else if (!g.cell(c, r).overflow) {
            EXPECT_FALSE(v->isTextCut(c, r)) << def.name << " \"" << t << "\"";
          }
        }
      }
    }
    sub->close();
  }
  EXPECT_GT(checked, 10000);
}

// Every grid lies inside its window at its full size; the per-draw grids fill
// the window's width and leave no empty band above the close button.
TEST_F(Shipped, EveryGridFitsItsWindow) {
  showLarge();
  for (const WindowRow& row : windowTable()) {
    const WindowDef& def = row.def;
    QMdiSubWindow* sub = frm.openWindow(row.id);
    ASSERT_TRUE(sub) << def.name;
    ASSERT_TRUE(test::waitFilled(sub)) << def.name;
    // the designed size, grown by at most a few per cent where the grids need it
    const QSize designed = ChildFrame::twipsToPixels(sub, def.width, def.height);
    EXPECT_GE(sub->width(), designed.width()) << def.name;
    EXPECT_GE(sub->height(), designed.height()) << def.name;
    EXPECT_LE(sub->width(), designed.width() * 103 / 100) << def.name;
    EXPECT_LE(sub->height(), designed.height() * 110 / 100) << def.name;
    QWidget* content = sub->widget();
    ASSERT_TRUE(content);
    ASSERT_TRUE(waitFor([&] { return content->isVisible(); }));
    for (GridView* v : sub->findChildren<GridView*>()) {
      const QRect r(v->mapTo(content, QPoint(0, 0)), v->size());
      EXPECT_TRUE(content->rect().contains(r))
          << def.name << ": grid at " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << " in "
          << content->width() << "x" << content->height();
      const Grid& g = *v->grid();
      if (g.maxCols() > 0) {
        // an analysis grid takes what room is left beyond that (it shows more cells)
        EXPECT_TRUE(v->width() >= v->sizeHint().width() && v->height() >= v->sizeHint().height())
            << def.name << ": the grid is squeezed to " << v->width() << "x" << v->height() << " from "
            << v->sizeHint().width() << "x" << v->sizeHint().height();
      }
      auto* analysis = qobject_cast<AnalysisWindow*>(content);
      if (!analysis || g.maxCols() == 0) continue;
      // designed to fill: at least 96 % of the width, and the rows down to the button row
      EXPECT_GE(r.width(), content->width() * 96 / 100) << def.name << ": " << r.width() << " of " << content->width();
      const int buttonTop = analysis->closeButton()->mapTo(content, QPoint(0, 0)).y();
      const int band = buttonTop - r.bottom() - 1;
      EXPECT_LE(band, 16) << def.name << ": " << band << " px empty above the close button";
      EXPECT_GE(content->height() - 1 -
                    (analysis->closeButton()->mapTo(content, QPoint(0, 0)).y() + analysis->closeButton()->height() - 1),
                0)
          << def.name;
    }
    sub->close();
  }
}

// A cut-off cell shows its whole text in a tooltip, drawn in full; a cell
// whose text fits shows none.
TEST(GridTooltip, CutOffCellShowsItsTextInATooltip) {
  Grid g(3, 2);
  g.setColWidth(-1, 2);
  g.setText(1, 1, "12");
  g.setText(2, 1, "123456");
  g.setText(3, 1, "7");
  g.setBorder(Block::all(), kAllSides);
  GridView v;
  v.setGrid(&g);
  v.resize(v.sizeHint());
  v.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
  ASSERT_FALSE(v.isTextCut(1, 1));
  ASSERT_TRUE(v.isTextCut(2, 1));
  const QString text = QStringLiteral("123456");

  auto centre = [&](int c, int r) {
    return QPoint((v.columnX(c) + v.columnX(c + 1)) / 2, (v.rowY(r) + v.rowY(r + 1)) / 2);
  };
  QHelpEvent fitting(QEvent::ToolTip, centre(1, 1), v.viewport()->mapToGlobal(centre(1, 1)));
  QApplication::sendEvent(v.viewport(), &fitting);
  EXPECT_FALSE(QToolTip::isVisible());

  QHelpEvent help(QEvent::ToolTip, centre(2, 1), v.viewport()->mapToGlobal(centre(2, 1)));
  QApplication::sendEvent(v.viewport(), &help);
  ASSERT_TRUE(waitFor([&] { return QToolTip::isVisible(); }));
  EXPECT_EQ(QToolTip::text(), text);
  QWidget* tip = nullptr;
  for (QWidget* t : QApplication::topLevelWidgets())
    if (t->inherits("QTipLabel") && t->isVisible()) tip = t;
  ASSERT_TRUE(tip);
  const QImage img = tip->grab().toImage();
  // the ink of the text: columns with a pixel much darker than the tip's background
  const int bg = qGray(img.pixel(2, 2));
  int first = img.width(), last = -1;
  for (int x = 2; x < img.width() - 2; ++x)
    for (int y = 2; y < img.height() - 2; ++y)
      if (qGray(img.pixel(x, y)) + 100 < bg) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  const int ink = QFontMetrics(tip->font()).tightBoundingRect(text).width();
  ASSERT_GE(last, first) << "no text drawn in the tooltip";
  // all six digits drawn: the ink spans the text's, far more than the cell's width
  EXPECT_GE(last - first + 1, ink - 1) << "ink " << first << ".." << last << ", text " << ink;
  EXPECT_GT(last - first + 1, v.columnX(3) - v.columnX(2) + 10);
  QToolTip::hideText();
}

// kazumaki-tool reports every window exactly as the program lays it out:
// the same grids, the same pixels.
TEST_F(Shipped, ToolReportsTheGeometryTheProgramLaysOut) {
  showLarge();
  const std::string db = (folder->dir / "Kazumaki.mdb").string();
  ASSERT_TRUE(std::filesystem::exists(db));
  // the settings the program started with: none (the file is written at exit)
  if (!std::filesystem::exists(folder->settings().toStdString())) std::ofstream{folder->settings().toStdString()};
  for (const WindowRow& row : windowTable()) {
    const WindowDef& def = row.def;
    QMdiSubWindow* sub = frm.openWindow(row.id);
    ASSERT_TRUE(sub) << def.name;
    ASSERT_TRUE(test::waitFilled(sub)) << def.name;
    ASSERT_TRUE(waitFor([&] { return sub->widget()->isVisible(); }));
    std::vector<const Grid*> grids;
    for (GridView* v : sub->findChildren<GridView*>()) grids.push_back(v->grid());
    const WindowPlacement placement = measureWindow(sub);
    const std::string shown = windowToJson(def, grids, &placement);
    sub->close();

    const std::string cmd =
        std::string(KM_TOOL) + " grid '" + db + "' '" + def.name + "' --ini '" + folder->settings().toStdString() + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string out;
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    ASSERT_EQ(pclose(pipe), 0) << def.name;
    EXPECT_TRUE(out == shown) << def.name << "\ntool:    " << out.substr(0, 400)
                              << "\nprogram: " << shown.substr(0, 400);
    EXPECT_NE(out.find("\"width_px\":" + std::to_string(placement.widthPx)), std::string::npos);
    EXPECT_NE(out.find("\"font\":{\"family\":\"IPAGothic\",\"point_size\":9}"), std::string::npos) << def.name;
  }
}

// The toolkit speaks Japanese: the child window's system menu and the
// standard buttons.
TEST_F(Shipped, ToolkitTextsAreJapanese) {
  QMdiSubWindow* sub = frm.openWindow(WindowId::AppearanceInterval);
  ASSERT_TRUE(sub && sub->systemMenu());
  const QList<QAction*> actions = sub->systemMenu()->actions();
  ASSERT_FALSE(actions.isEmpty());
  for (QAction* a : actions) {
    if (a->isSeparator()) continue;
    const QString t = a->text();
    EXPECT_TRUE(std::any_of(t.begin(), t.end(), [](QChar c) { return c.unicode() > 0x3000; })) << t.toStdString();
  }
  QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"), QStringLiteral("x"),
                  QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')).left(2), QStringLiteral("はい"));
  EXPECT_EQ(QFontInfo(box.font()).family(), QStringLiteral("IPAGothic"));
  EXPECT_EQ(QFontInfo(frm.menuBar()->font()).family(), QStringLiteral("IPAGothic"));
}

// Ctrl+F4 closes the active child window with several child windows open;
// so does Ctrl+W.
TEST_F(Shipped, CtrlF4ClosesTheActiveChildWindow) {
  frm.show();
  frm.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  // the program comes up with the prediction window
  ASSERT_TRUE(waitFor([&] { return frm.findChildWindow(WindowId::Prediction) != nullptr; }));
  QMdiSubWindow* first = frm.openWindow(WindowId::CarryOver);
  QMdiSubWindow* second = frm.openWindow(WindowId::Consecutive);
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(waitFor([&] { return frm.mdiArea()->activeSubWindow() == second; }));
  QStringList keys;
  for (QAction* a : second->systemMenu()->actions())
    for (const QKeySequence& k : a->shortcuts()) keys << k.toString(QKeySequence::PortableText);
  EXPECT_TRUE(keys.contains(QStringLiteral("Ctrl+F4"))) << keys.join(' ').toStdString();
  EXPECT_TRUE(keys.contains(QStringLiteral("Ctrl+W"))) << keys.join(' ').toStdString();
  QTest::keyClick(frm.mdiArea()->activeSubWindow()->widget(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_TRUE(waitFor([&] { return !frm.findChildWindow(WindowId::Consecutive); }));
  EXPECT_TRUE(frm.findChildWindow(WindowId::CarryOver));
  // Ctrl+W as before
  ASSERT_TRUE(waitFor([&] { return frm.mdiArea()->activeSubWindow() != nullptr; }));
  QMdiSubWindow* next = frm.mdiArea()->activeSubWindow();
  const std::string name = next->objectName().toStdString();
  QTest::keyClick(next->widget(), Qt::Key_W, Qt::ControlModifier);
  ASSERT_TRUE(waitFor([&] { return !frm.findChildWindow(findWindow(name)->id); })) << name;
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 1);
}

// Arranged smaller than designed, the prediction window scrolls: no label
// over a grid, every option button its full size, the close button in view.
TEST_F(Shipped, PredictionWindowArrangedSmallStaysUsable) {
  frm.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  QMdiSubWindow* sub = frm.openWindow(WindowId::Prediction);
  ASSERT_TRUE(sub);
  sub->resize(300, 250);
  auto* w = qobject_cast<PredictionWindow*>(sub->widget());
  ASSERT_TRUE(w);
  ASSERT_TRUE(waitFor([&] { return w->isVisible(); }));
  QApplication::sendPostedEvents();
  for (int i = 0; i < 4; ++i) {
    GridView* g = w->gridView(i);
    EXPECT_EQ(g->size(), g->sizeHint());
    const QRect gr(g->mapTo(w, QPoint(0, 0)), g->size());
    for (QLabel* l : w->findChildren<QLabel*>()) {
      if (!l->isVisible()) continue;
      const QRect lr(l->mapTo(w, QPoint(0, 0)), l->size());
      EXPECT_FALSE(lr.intersects(gr)) << l->text().toStdString() << " over grid " << i;
    }
  }
  for (int i = 0; i < PredictionState::kSettingCount; ++i) {
    EXPECT_GE(w->reflectOnButton(i)->width(), w->reflectOnButton(i)->sizeHint().width()) << i;
    EXPECT_GE(w->reflectOffButton(i)->width(), w->reflectOffButton(i)->sizeHint().width()) << i;
  }
  const QRect close(w->closeButton()->mapTo(w, QPoint(0, 0)), w->closeButton()->size());
  EXPECT_TRUE(w->rect().contains(close));
}

// The grid shows that it has the keyboard focus, and the keys scroll it.
TEST(GridFocus, FrameInTheHighlightColourAndKeysScroll) {
  Grid g(3, 100);
  g.setVisible(3, 10);
  g.setScrollBars(ScrollBars::Vertical);
  g.setBorder(Block::all(), kAllSides);
  QWidget other;
  auto* layout = new QVBoxLayout(&other);
  auto& v = *new GridView(&other);
  layout->addWidget(&v);
  auto* button = new QPushButton(QStringLiteral("x"), &other);
  layout->addWidget(button);
  v.setGrid(&g);
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  button->setFocus();
  ASSERT_TRUE(waitFor([&] { return button->hasFocus(); }));
  const QColor highlight = v.palette().color(QPalette::Highlight);
  const QPoint probe(1, v.viewport()->height() / 2);  // on the left edge, between two lines
  EXPECT_NE(v.viewport()->grab().toImage().pixelColor(probe), highlight);
  v.setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(waitFor([&] { return v.hasFocus(); }));
  EXPECT_EQ(v.viewport()->grab().toImage().pixelColor(probe), highlight);

  // the keys move the current cell, as in a spreadsheet, and the view follows it
  QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(v.verticalScrollBar()->value(), v.verticalScrollBar()->maximum());
  EXPECT_GT(v.firstScrolledRow(), 80);
  QTest::keyClick(&v, Qt::Key_PageUp);
  EXPECT_LT(v.verticalScrollBar()->value(), v.verticalScrollBar()->maximum());
  QTest::keyClick(&v, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(v.firstScrolledRow(), 1);
}
