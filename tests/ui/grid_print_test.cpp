// How grids go on paper: pages across and down, the size, the repeated
// header rows and label columns, the page labels; and a wide window's PDF
// read back with poppler's pdftotext.
#include "frame/ui/grid_print.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "frame/grid_setup.h"
#include "store/formats/csv.h"
#include "store/sqlite/database.h"
#include "windows/window_table.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

struct ColumnCase {
  std::vector<int> widths;
  int labelCols, pageWidth;
  std::vector<PrintSpan> pages;
};

class PaginateColumns : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(PaginateColumns, SplitsAfterTheLabelColumns) {
  const ColumnCase& c = GetParam();
  EXPECT_EQ(paginateColumns(c.widths, c.labelCols, c.pageWidth), c.pages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaginateColumns,
    ::testing::Values(ColumnCase{{10, 10, 10}, 1, 100, {{1, 3}}},  // fits
                      ColumnCase{
                          {20, 30, 30, 30, 30}, 1, 70, {{1, 2}, {3, 3}, {4, 4}, {5, 5}}},  // 20 of each later page
                      ColumnCase{{20, 30, 30, 30, 30}, 0, 70, {{1, 2}, {3, 4}, {5, 5}}},   // no labels
                      ColumnCase{{10, 200, 10}, 1, 100, {{1, 1}, {2, 2}, {3, 3}}},  // too wide: a page of its own
                      ColumnCase{{}, 1, 100, {}}));

struct PlanCase {
  const char* what;
  int cols, colWidth, rows, rowHeight, labelCols, frozen;
  int across, down;
  double minScale, maxScale;
  int labelsRepeated, headerRows;
};

class PlanPrint : public ::testing::TestWithParam<PlanCase> {};

// Pages of 1000 x 1400 screen pixels.
TEST_P(PlanPrint, PagesAndScale) {
  const PlanCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const PrintPlan p = planPrint(std::vector<int>(c.cols, c.colWidth), std::vector<int>(c.rows, c.rowHeight),
                                c.labelCols, c.frozen, 1000, 1400);
  EXPECT_EQ(p.across.size(), static_cast<size_t>(c.across));
  EXPECT_EQ(p.down.size(), static_cast<size_t>(c.down));
  EXPECT_GE(p.scale, c.minScale);
  EXPECT_LE(p.scale, c.maxScale);
  EXPECT_GE(p.scale, kMinPrintScale);
  EXPECT_EQ(p.labelCols, c.labelsRepeated);
  EXPECT_EQ(p.headerRows, c.headerRows);
  // every column and row on some page, in order
  int col = 1;
  for (const PrintSpan& s : p.across) EXPECT_EQ(s.first, std::exchange(col, s.last + 1));
  EXPECT_EQ(col, c.cols + 1);
  int row = p.headerRows + 1;
  for (const PrintSpan& s : p.down) EXPECT_EQ(s.first, std::exchange(row, s.last + 1));
  EXPECT_EQ(row, c.rows + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanPrint,
    ::testing::Values(
        PlanCase{"fits: as on the screen", 10, 50, 20, 20, 1, 2, 1, 1, 1, 1, 0, 2},
        PlanCase{"a little too wide: shrunk onto one page", 11, 100, 20, 20, 1, 0, 1, 1, 0.9, 0.91, 0, 0},
        PlanCase{"far too wide: pages across at no less than the floor", 300, 17, 33, 16, 1, 0, 4, 1, 0.6, 1, 1, 0},
        PlanCase{"long: pages down, header rows on each", 10, 50, 1400, 16, 1, 2, 1, 17, 1, 1, 0, 2},
        PlanCase{"label columns wider than a third of a page are not repeated", 300, 17, 10, 16, 20, 0, 4, 1, 0.6, 1, 0,
                 0},
        PlanCase{"header rows taller than half a page are not repeated", 10, 50, 200, 16, 1, 50, 1, 3, 1, 1, 0, 0}));

TEST(PageLabel, NamesThePlaceAcrossAndDown) {
  const struct {
    int page, across, down;
    const char* label;
  } cases[] = {{1, 1, 1, "1 / 1"},
               {5, 1, 22, "5 / 22"},
               {2, 3, 2, "2 / 6（横 2/3・縦 1/2）"},
               {4, 3, 2, "4 / 6（横 1/3・縦 2/2）"},
               // the last page across is still in the first band down; more bands down than pages across
               {3, 3, 2, "3 / 6（横 3/3・縦 1/2）"},
               {5, 2, 3, "5 / 6（横 1/2・縦 3/3）"}};
  for (const auto& c : cases) EXPECT_EQ(pageLabel(c.page, c.across, c.down).toStdString(), c.label);
}

TEST(PrintOrientation, LandscapeForAGridWiderThanTall) {
  EXPECT_EQ(printOrientation(Grid(300, 30)), QPageLayout::Landscape);
  EXPECT_EQ(printOrientation(Grid(10, 300)), QPageLayout::Portrait);
}

// One word of pdftotext -bbox: its page, text and height (the text's size in points).
struct Word {
  int page;
  QString text;
  double top, bottom;
  double height() const { return bottom - top; }
};

std::vector<Word> pdfWords(const QString& pdf, double* pageWidth, double* pageHeight) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
  EXPECT_TRUE(p.waitForFinished(60000)) << "pdftotext (poppler-utils) is needed";
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  std::vector<Word> words;
  int page = 0;
  static const QRegularExpression line(
      QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)"|<word xMin="[\d.]+" yMin="([\d.]+)" )re"
                     R"re(xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re"));
  for (auto it = line.globalMatch(out); it.hasNext();) {
    const auto m = it.next();
    if (!m.captured(1).isEmpty()) {
      ++page;
      *pageWidth = m.captured(1).toDouble();
      *pageHeight = m.captured(2).toDouble();
    } else {
      words.push_back({page, m.captured(5), m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
  }
  return words;
}

std::vector<Draw> shippedDraws() {
  std::ifstream in(KM_SHIPPED_CSV, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  return parseHistoryCsv(buf.str()).draws;
}

// A window printed to PDF and read back: the pages across and down it needs,
// and the words that stand on every page (its repeated heading rows and label
// column, a heading over many columns, its legend).
struct PrintedWindow {
  const char* window;
  bool across, down;  // more than one page that way
  std::vector<QString> onEveryPage;
};

class PrintedWindows : public ::testing::TestWithParam<PrintedWindow> {};

TEST_P(PrintedWindows, EveryPageCarriesTheHeadingsAndTheLegend) {
  const PrintedWindow& c = GetParam();
  SCOPED_TRACE(c.window);
  static const History history = History::fromRows(shippedDraws());
  const PredictionState settings;
  const WindowRow* w = findWindow(c.window);
  const Grid grid = w->fill({history, settings}).front();
  const fs::path pdf = fs::temp_directory_path() / ("km-print-" + std::to_string(::getpid()) + ".pdf");
  const PrintResult r =
      printGridToPdf(grid, QString::fromStdString(w->def.caption), QString::fromStdString(pdf.string()), w->def.legend);
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  double width = 0, height = 0;
  const std::vector<Word> words = pdfWords(QString::fromStdString(pdf.string()), &width, &height);
  fs::remove(pdf);
  EXPECT_EQ(r.across > 1, c.across);
  EXPECT_EQ(r.down > 1, c.down);
  ASSERT_FALSE(words.empty());
  double smallest = 100;
  std::vector<std::map<QString, int>> onPage(r.pages + 1);
  for (const Word& w : words) {
    smallest = std::min(smallest, w.height());
    ++onPage[w.page][w.text];
  }
  EXPECT_GE(smallest, 9 * kMinPrintScale - 0.05) << "a 9-point cell text stays at least the floor";
  for (int page = 1; page <= r.pages; ++page) {
    SCOPED_TRACE(page);
    for (const QString& word : c.onEveryPage) EXPECT_GE(onPage[page][word], 1) << word.toStdString();
    int pageLabels = 0;
    for (const auto& [word, n] : onPage[page]) pageLabels += word.contains(QStringLiteral("（横")) ? n : 0;
    EXPECT_EQ(pageLabels, c.across ? 1 : 0);
  }
  // The legend has a band of its own between the grid and the page number:
  // no word of the grid stands level with the legend's labels.
  std::set<QString> labels, samples;
  for (const LegendItem& item : w->def.legend) {
    labels.insert(QString::fromStdString(item.label));
    samples.insert(QString::fromStdString(item.sample));
  }
  for (int page = 1; page <= r.pages && !labels.empty(); ++page) {
    double top = height, bottom = 0;
    for (const Word& word : words)
      if (word.page == page && labels.contains(word.text))
        top = std::min(top, word.top), bottom = std::max(bottom, word.bottom);
    ASSERT_LT(top, bottom) << "page " << page << " has its legend";
    QString level;  // words of the grid level with the legend
    for (const Word& word : words)
      if (word.page == page && word.bottom > top && word.top < bottom && !labels.contains(word.text) &&
          !samples.contains(word.text))
        level += word.text + QLatin1Char(' ');
    EXPECT_TRUE(level.isEmpty()) << "page " << page << ": " << level.toStdString() << "on the legend's line";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PrintedWindows,
    ::testing::Values(
        // the widest: pages across, each with the 数字 column and the merged title
        PrintedWindow{"出現頻度分析", true, false, {QStringLiteral("数字"), QStringLiteral("度（回）")}},
        // a long one: pages down, each under both heading rows
        PrintedWindow{"出現回数分析",
                      false,
                      true,
                      {QStringLiteral("前回までの出現回数合計(回)"), QStringLiteral("回数"), QStringLiteral("ボ数字")}},
        PrintedWindow{"引っ張り分析", false, true, {QStringLiteral("ボーナス数字"), QStringLiteral(":前回の数字")}},
        PrintedWindow{"分割6データ分析", false, true, {QStringLiteral("回"), QStringLiteral("：ボーナス数字")}},
        // one page with its legend
        PrintedWindow{
            "相性分析", false, false, {QStringLiteral("：偶然より2σ以上多い"), QStringLiteral("：1σ以上少ない")}}));

}  // namespace

// kazumaki-tool grid DB WINDOW --pdf FILE prints through the same code.
TEST(GridPrint, TheToolPrintsAsTheProgramDoes) {
  const fs::path dir = fs::temp_directory_path() / ("km-print-tool-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string db = (dir / "Kazumaki.mdb").string(), pdf = (dir / "出現頻度分析.pdf").string();
  ASSERT_EQ(writeDatabase({db, databasePassword()}, shippedDraws()), "");
  QProcess tool;
  tool.start(QStringLiteral(KM_TOOL),
             {QStringLiteral("grid"), QString::fromStdString(db), QStringLiteral("出現頻度分析"),
              QStringLiteral("--pdf"), QString::fromStdString(pdf)});
  ASSERT_TRUE(tool.waitForFinished(60000));
  const QString out = QString::fromUtf8(tool.readAllStandardOutput());
  EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
  double width = 0, height = 0;
  const std::vector<Word> words = pdfWords(QString::fromStdString(pdf), &width, &height);
  const int pages = words.empty() ? 0 : words.back().page;
  EXPECT_GT(pages, 1);
  EXPECT_TRUE(out.contains(QStringLiteral("%1ページ（横 %1・縦 1）").arg(pages))) << out.toStdString();
  fs::remove_all(dir);
}

// 印刷... offers the PDF file where PDFで保存... does, not the working folder.
TEST(GridPrint, ThePrintDialogOffersThePdfWhereSaveAsPdfDoes) {
  Grid g = makeGrid({.cols = 3, .rows = 3});
  QString offered;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))) offered = file->text();
    poll.stop();
    dialog->reject();
  });
  poll.start();
  printGridWithDialog(nullptr, g, QStringLiteral("出現間隔分析"), {});
  EXPECT_EQ(offered, defaultPath(QStringLiteral("出現間隔分析"), QStringLiteral("pdf")));
}
