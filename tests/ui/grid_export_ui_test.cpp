// Selecting, copying, saving and printing the cells of a grid view.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analyses/intervals/appearance_interval.h"
#include "frame/grid_export.h"
#include "frame/grid_setup.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_actions.h"
#include "frame/ui/grid_print.h"
#include "frame/ui/grid_view.h"
#include "prediction/ui/prediction_window.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "windows/ui/window_content.h"
#include "windows/window_table.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

// 6 columns, a yellow header row that stays while 39 numbered rows scroll.
Grid numbered() {
  Grid g = makeGrid({.cols = 6, .rows = 40, .visibleCols = 6, .visibleRows = 10, .frozenRows = 1});
  g.setColors(Block{1, 1, 6, 1}, kRed, kLightYellow);
  for (int c = 1; c <= 6; ++c) g.setText(c, 1, "H" + std::to_string(c));
  for (int r = 2; r <= 40; ++r)
    for (int c = 1; c <= 6; ++c) g.setText(c, r, std::to_string(r * 10 + c));
  g.setBg(Block::cell(2, 3), kLightCyan);
  g.setBorder(Block::all(), kAllSides);
  return g;
}

struct ShownView {
  Grid grid = numbered();
  GridView view;
  ShownView() {
    view.setGrid(&grid);
    view.resize(view.sizeHint());
    view.show();
    view.activateWindow();
    view.setFocus();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
  }
  QPoint centre(int c, int r) const {  // rows in view without scrolling
    return QPoint((view.columnX(c) + view.columnX(c + 1)) / 2, (view.rowY(r) + view.rowY(r + 1)) / 2);
  }
  QWidget* vp() const { return view.viewport(); }
};

using test::slurp;

struct TempDir {
  fs::path dir;
  TempDir() {
    static int n = 0;
    dir = fs::temp_directory_path() / ("km-export-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
    fs::create_directories(dir);
  }
  ~TempDir() { fs::remove_all(dir); }
  QString path(const char* name) const { return QString::fromStdString((dir / name).string()); }
};

bool near(QColor a, QColor b, int tol = 12) {
  return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol &&
         std::abs(a.blue() - b.blue()) <= tol;
}

int count(const QImage& img, QRect r, QColor c) {
  int n = 0;
  r = r.intersected(img.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += near(img.pixelColor(x, y), c) ? 1 : 0;
  return n;
}

QString tool(const QString& program, const QStringList& args, int* status) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) {
    *status = -1;
    return {};
  }
  *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

TEST(GridViewSelection, ClickDragShiftClickAndKeys) {
  ShownView s;
  EXPECT_TRUE(s.view.selectedRange().empty());  // nothing looks selected at first
  QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.centre(2, 3));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{2, 3, 2, 3}));
  QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, s.centre(4, 5));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{2, 3, 4, 5}));
  // drag from (5,2) to (3,4)
  QTest::mousePress(s.vp(), Qt::LeftButton, {}, s.centre(5, 2));
  QTest::mouseMove(s.vp(), s.centre(4, 3));
  QTest::mouseMove(s.vp(), s.centre(3, 4));
  QTest::mouseRelease(s.vp(), Qt::LeftButton, {}, s.centre(3, 4));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{3, 2, 5, 4}));
  // Shift+arrows grow from the anchor, a plain arrow moves one cell
  QTest::keyClick(&s.view, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&s.view, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(s.view.selectedRange(), (CellRange{2, 2, 5, 5}));
  QTest::keyClick(&s.view, Qt::Key_Right);
  EXPECT_EQ(s.view.selectedRange(), (CellRange{3, 5, 3, 5}));
  // Ctrl+End goes to the last row and scrolls it into view; the header row stays
  QTest::keyClick(&s.view, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(s.view.selectedRange(), (CellRange{6, 40, 6, 40}));
  EXPECT_EQ(s.view.verticalScrollBar()->value(), s.view.verticalScrollBar()->maximum());
  int col = 0, row = 0;
  ASSERT_TRUE(s.view.cellAt(QPoint(s.centre(1, 1)), &col, &row));
  EXPECT_EQ(row, 1);
  // Ctrl+A selects every cell
  QTest::keyClick(&s.view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(s.view.selectedRange(), (CellRange{1, 1, 6, 40}));
  QTest::keyClick(&s.view, Qt::Key_Escape);
  EXPECT_TRUE(s.view.selectedRange().empty());
}

TEST(GridViewSelection, RowAndColumnEdgesSelectWholeRowsAndColumns) {
  ShownView s;
  QTest::mouseClick(s.vp(), Qt::LeftButton, {}, QPoint(1, s.centre(1, 4).y()));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{1, 4, 6, 4}));
  QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, s.centre(3, 6));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{1, 4, 6, 6}));
  QTest::mouseClick(s.vp(), Qt::LeftButton, {}, QPoint(s.centre(3, 1).x(), 1));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{3, 1, 3, 40}));
}

TEST(GridViewSelection, DrawnTranslucentOverTheCellColours) {
  ShownView s;
  auto corner = [&](int c, int r) { return QPoint(s.view.columnX(c) + 3, s.view.rowY(r) + 3); };
  const QPoint cyan = corner(2, 3), white = corner(5, 5);
  const QImage before = s.vp()->grab().toImage();
  ASSERT_TRUE(near(before.pixelColor(cyan), QColor(200, 255, 255)));
  QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.centre(1, 2));
  QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, s.centre(3, 4));
  const QImage after = s.vp()->grab().toImage();
  const QColor hl = s.view.palette().color(QPalette::Highlight);
  const QColor tinted = after.pixelColor(cyan);
  EXPECT_FALSE(near(tinted, QColor(200, 255, 255), 4)) << "selection not drawn";
  EXPECT_FALSE(near(tinted, hl, 20)) << "selection hides the cell colour";
  // the tint leans from the cell colour towards the highlight
  EXPECT_LT(std::abs(tinted.red() - hl.red()), std::abs(200 - hl.red()));
  EXPECT_EQ(after.pixelColor(white), before.pixelColor(white));  // outside the block
  // a white and a cyan cell stay distinguishable under the selection
  EXPECT_NE(after.pixelColor(corner(1, 3)), tinted);
}

TEST(GridViewCopy, CtrlCPutsTsvAndAColouredHtmlTableOnTheClipboard) {
  ShownView s;
  QApplication::clipboard()->clear();
  QTest::mouseClick(s.vp(), Qt::LeftButton, {}, s.centre(1, 1));
  QTest::mouseClick(s.vp(), Qt::LeftButton, Qt::ShiftModifier, s.centre(2, 3));
  QTest::keyClick(&s.view, Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_EQ(data->text(), QStringLiteral("H1\tH2\n21\t22\n31\t32\n"));
  ASSERT_TRUE(data->hasHtml());
  const QString html = data->html();
  EXPECT_TRUE(html.contains(QStringLiteral("background-color:#FFFFC8;color:#FF0000;"))) << html.toStdString();
  EXPECT_TRUE(html.contains(QStringLiteral("background-color:#C8FFFF;")));  // cell (2,3)
  EXPECT_EQ(html.count(QStringLiteral("<tr>")), 3);
}

TEST(GridViewMenu, RightClickMenuItemsAndShortcuts) {
  ShownView s;
  QStringList texts;
  bool copyEnabled = false;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* a : menu->actions())
        if (!a->isSeparator()) {
          texts << a->text();
          if (a->objectName() == QLatin1String("gridCopy")) copyEnabled = a->isEnabled();
        }
      menu->close();
      timer.stop();
    }
  });
  timer.start();
  // a right click on a cell selects it for the menu
  QTest::mouseClick(s.vp(), Qt::RightButton, {}, s.centre(3, 4));
  EXPECT_EQ(s.view.selectedRange(), (CellRange{3, 4, 3, 4}));
  emit s.view.customContextMenuRequested(s.centre(3, 4));
  EXPECT_EQ(texts, (QStringList{QStringLiteral("コピー"), QStringLiteral("CSVで保存..."), QStringLiteral("印刷..."),
                                QStringLiteral("印刷プレビュー..."), QStringLiteral("PDFで保存...")}));
  EXPECT_TRUE(copyEnabled);
  auto shortcut = [&](const char* name) {
    auto* a = s.view.findChild<QAction*>(QString::fromLatin1(name));
    return a ? a->shortcut() : QKeySequence();
  };
  EXPECT_EQ(shortcut("gridCopy"), QKeySequence(QKeySequence::Copy));
  EXPECT_EQ(shortcut("gridSelectAll"), QKeySequence(QKeySequence::SelectAll));
  EXPECT_EQ(shortcut("gridPrint"), QKeySequence(QKeySequence::Print));
}

TEST(GridCsv, AnalysisWindowSavesItsGridAtomically) {
  const History h = History::fromRows(test::rotatingDraws(12));
  PredictionState state;
  WindowContext context{h, state, {}};
  const WindowRow& row = windowRow(WindowId::AppearanceInterval);
  QMdiArea area;
  auto* frame = new ChildFrame(row.def);
  buildWindow(area, *frame, row, context);
  auto* w = qobject_cast<AnalysisWindow*>(frame->widget());
  ASSERT_TRUE(w);
  EXPECT_EQ(gridTitle(w->gridView()), QStringLiteral("出現間隔分析"));
  const std::vector<const Grid*> grids = windowGrids(w->gridView());
  ASSERT_EQ(grids.size(), 1u);
  EXPECT_EQ(grids[0], &w->grid());

  TempDir tmp;
  const QString path = tmp.path("出現間隔分析.csv");
  std::ofstream(path.toStdString(), std::ios::binary) << "old";
  ASSERT_TRUE(saveGridsCsv(w, grids, path));
  const std::string bytes = slurp(path.toStdString());
  EXPECT_EQ(bytes, gridsToCsvFile(grids));
  EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
  // each record is a grid row: as many CR LF as rows, no bare LF
  size_t crlf = 0, lf = 0;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\n') (i > 0 && bytes[i - 1] == '\r' ? crlf : lf)++;
  EXPECT_EQ(crlf, static_cast<size_t>(w->grid().maxRows()));
  EXPECT_EQ(lf, 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.dir), fs::directory_iterator()), 1);  // no leftovers

  // a folder that does not exist: a message says why, nothing is written
  test::MessageBoxWatcher box;
  EXPECT_FALSE(saveGridsCsv(w, grids, tmp.path("missing/出現間隔分析.csv")));
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.startsWith(QStringLiteral("表をCSVファイルに保存できませんでした。\n")))
      << box.text.toStdString();
  EXPECT_GT(box.text.split(QLatin1Char('\n')).size(), 2);  // the path and the reason
  EXPECT_FALSE(fs::exists(tmp.dir / "missing"));
}

TEST(GridCsv, PredictionWindowSavesItsFourGridsInOrder) {
  PredictionState state;
  const History h = History::fromRows(test::rotatingDraws(8));
  WindowContext context{h, state, {}};
  const WindowRow& row = windowRow(WindowId::Prediction);
  QMdiArea area;
  auto* frame = new ChildFrame(row.def);
  buildWindow(area, *frame, row, context);
  auto* w = qobject_cast<PredictionWindow*>(frame->widget());
  ASSERT_TRUE(w);
  for (int i = 0; i < 4; ++i) {
    const std::vector<const Grid*> grids = windowGrids(w->gridView(i));
    ASSERT_EQ(grids.size(), 4u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(grids[k], &w->grid(k));
  }
  EXPECT_EQ(gridTitle(w->gridView(2)), QStringLiteral("一発ゼノバ予想"));
}

TEST(GridPrint, PaginationRepeatsRoomForTheHeader) {
  // header rows 1-2 (30 px), rows of 10 px, 100 px pages: 7 rows a page
  std::vector<int> h(2, 15);
  h.resize(2 + 20, 10);
  auto pages = paginateRows(h, 2, 30, 100);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].first, 3);
  EXPECT_EQ(pages[0].last, 9);
  EXPECT_EQ(pages[1].first, 10);
  EXPECT_EQ(pages[1].last, 16);
  EXPECT_EQ(pages[2].first, 17);
  EXPECT_EQ(pages[2].last, 22);
  // no header: 10 rows a page; a row taller than a page gets one of its own
  EXPECT_EQ(paginateRows(h, 0, 0, 100).size(), 3u);
  pages = paginateRows({10, 500, 10}, 0, 0, 100);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[1].first, 2);
  EXPECT_EQ(pages[1].last, 2);
  EXPECT_TRUE(paginateRows({}, 0, 0, 100).empty());
}

TEST(GridPrint, LongWindowToPdfHasItsPagesAndTheHeaderOnEachPage) {
  const History h = History::fromRows(test::rotatingDraws(300));
  const Grid grid = fillAppearanceInterval(h);
  ASSERT_EQ(grid.frozenRows(), 2);
  const QColor header(grid.cell(2, 1).bg.r, grid.cell(2, 1).bg.g, grid.cell(2, 1).bg.b);
  ASSERT_EQ(header, QColor(255, 200, 200));

  TempDir tmp;
  const QString pdf = tmp.path("interval.pdf");
  const PrintResult r = printGridToPdf(grid, QStringLiteral("出現間隔分析"), pdf);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  EXPECT_GT(r.pages, 3);
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp.dir), fs::directory_iterator()), 1);  // no leftovers

  // the file's own page count
  const std::string bytes = slurp(pdf.toStdString());
  ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
  int status = 0;
  const QString info = tool(QStringLiteral("pdfinfo"), {pdf}, &status);
  ASSERT_EQ(status, 0) << "pdfinfo (poppler-utils) is needed";
  EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(r.pages)))) << info.toStdString();
  EXPECT_TRUE(info.contains(QStringLiteral("A4")));

  // pages 1, 2 and the last: the header band at the top, no header colour under it
  // (the window repeats its header rows after the last draw, at the end of the last page)
  for (int page : {1, 2, r.pages}) {
    SCOPED_TRACE(page);
    const QString png = tmp.path("page");
    tool(QStringLiteral("pdftoppm"),
         {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
          QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, png},
         &status);
    ASSERT_EQ(status, 0);
    const QImage img(png + QStringLiteral(".png"));
    ASSERT_FALSE(img.isNull());
    const int top = img.height() / 6;
    EXPECT_GT(count(img, QRect(0, 0, img.width(), top), header), 200);
    EXPECT_LT(count(img, QRect(0, top, img.width(), img.height() / 2), header), 20);
    // draw rows fill the page below the header (light yellow draw numbers)
    if (page != r.pages) {
      EXPECT_GT(count(img, QRect(0, img.height() / 2, img.width(), img.height() / 3), QColor(255, 255, 200)), 200);
    }
  }
}

TEST(GridPrint, PdfThatCannotBeWrittenSaysWhy) {
  TempDir tmp;
  const Grid g = numbered();
  const PrintResult r = printGridToPdf(g, QStringLiteral("表"), tmp.path("missing/out.pdf"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.isEmpty());
  EXPECT_FALSE(fs::exists(tmp.dir / "missing"));
}
