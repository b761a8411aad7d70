#include "charts/chart_window.h"

#include <gtest/gtest.h>

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "charts/chart_render.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"
#include "tests/ui/ui_helpers.h"
#include "windows/window_table.h"

using namespace km;

namespace {

// 300 draws of rotating numbers, draws 101..300 with prizes.
History chartHistory() {
  PrizeTable prizes;
  for (int no = 101; no <= 300; ++no)
    prizes[no] = Prize{{no % 4, 30, 900, 20000}, {no % 4 ? 10000000 / (no % 4) : 0, 150000, 12000, 1000}};
  return History::fromRows(test::rotatingDraws(300), prizes);
}

// Pixels of the plot area that are not the background.
int inkInPlotArea(const QImage& image, const QRectF& plot) {
  const QRgb background = image.pixel(plot.toRect().topLeft() + QPoint(1, 1));
  int ink = 0;
  const QRect r = plot.toRect().adjusted(2, 2, -2, -2);
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) ink += image.pixel(x, y) != background;
  return ink;
}

}  // namespace

// Every chart is drawn off-screen at the asked size with lines or bars in
// its plot area.
TEST(ChartWindow, EveryChartDrawsIntoItsPlotAreaAtTheAskedSize) {
  const History h = chartHistory();
  for (int kind = 0; kind < static_cast<int>(kChartNames.size()); ++kind) {
    SCOPED_TRACE(std::string(kChartNames[static_cast<size_t>(kind)]));
    QString note;
    QChart* chart = makeChart(h, {static_cast<ChartKind>(kind), {3, 17}, 52}, note);
    ASSERT_NE(chart, nullptr) << note.toStdString();
    QChartView view(chart);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(640, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->plotArea().width() > 100; }));
    const QImage image = chartImage(view);
    EXPECT_EQ(image.size(), QSize(640, 400));
    EXPECT_GT(inkInPlotArea(image, chart->plotArea()), 2000);
    ASSERT_FALSE(chart->axes(Qt::Horizontal).isEmpty());
    EXPECT_FALSE(chart->axes(Qt::Horizontal).front()->titleText().isEmpty()) << "the axes are named";
  }
}

// Without prizes, or with too few draws for the chart's chance line, a note stands in for the chart.
TEST(ChartWindow, ANoteInsteadOfAnEmptyChart) {
  const History noPrizes = History::fromRows(test::rotatingDraws(60));
  ChartWindow w(windowRow(WindowId::Charts).def, noPrizes);
  const struct {
    ChartKind kind;
    int window;
    const char* note;  // empty: a chart
  } cases[] = {
      {ChartKind::Prizes, 52, "賞金のデータがない"},
      {ChartKind::Trend, 104, "（104回以上必要です）。本数字5個がそろった回は60回です。"},
      {ChartKind::Trend, 52, ""},
      {ChartKind::SumDistribution, 52, "データが足りないため計算できません（242回以上必要です）"},
      {ChartKind::GapDistribution, 52, ""},
  };
  for (const auto& c : cases) {
    w.draw({c.kind, {1}, c.window});
    EXPECT_EQ(w.view() == nullptr, *c.note != 0) << c.note;
    EXPECT_TRUE(w.note().contains(QString::fromUtf8(c.note))) << w.note().toStdString();
  }
  const History empty;
  ChartWindow none(windowRow(WindowId::Charts).def, empty);
  for (ChartKind k : {ChartKind::SumDistribution, ChartKind::GapDistribution}) {
    none.draw({k, {1}, 52});
    EXPECT_EQ(none.view(), nullptr);
  }
}

// The numbers typed (full-width digits too) choose the lines, each named by
// its number; a wrong entry is said and leaves the chart as it was.
TEST(ChartWindow, TypedNumbersChooseTheLines) {
  ChartWindow w(windowRow(WindowId::Charts).def, chartHistory());
  auto* numbers = w.findChild<QLineEdit*>(QStringLiteral("chartNumbers"));
  auto* error = w.findChild<QLabel*>(QStringLiteral("chartNumbersError"));
  ASSERT_TRUE(numbers && error);
  const struct {
    const char* text;
    std::vector<int> numbers;
    bool wrong;
  } cases[] = {
      {"７，１２", {7, 12}, false},
      {"0,40", {7, 12}, true},
      {"1 2 3 4 5", {1, 2, 3, 4, 5}, false},
      {"1,2,3,4,5,6", {1, 2, 3, 4, 5}, true},
  };
  for (const auto& c : cases) {
    numbers->setText(QString::fromUtf8(c.text));
    emit numbers->editingFinished();
    EXPECT_EQ(w.choice().numbers, c.numbers) << c.text;
    EXPECT_EQ(!error->text().isEmpty(), c.wrong) << c.text;
    ASSERT_NE(w.view(), nullptr);
    // the band, the expected line and one line a number
    const QList<QAbstractSeries*> series = w.view()->chart()->series();
    EXPECT_EQ(series.size(), static_cast<qsizetype>(c.numbers.size() + 2)) << c.text;
    for (int n : c.numbers)
      EXPECT_TRUE(std::any_of(series.begin(), series.end(),
                              [&](QAbstractSeries* l) { return l->name() == QStringLiteral("数字%1").arg(n); }))
          << c.text << " " << n;
  }
  auto* kind = w.findChild<QComboBox*>(QStringLiteral("chartKind"));
  kind->setCurrentIndex(static_cast<int>(ChartKind::GapDistribution));
  EXPECT_EQ(w.choice().kind, ChartKind::GapDistribution);
  EXPECT_FALSE(numbers->isEnabled()) << "the numbers are for 出現の推移 only";
}

// Round ticks over the range they must hold: a step of 1, 2 or 5 times a
// power of ten, the range widened to ticks.
TEST(ChartAxes, RoundTicksHoldTheDataAndTheBand) {
  const struct {
    double lo, hi;
    int maxTicks;
    AxisScale want;
  } cases[] = {
      {5, 27, 8, {5, 30, 5}},  // not 0/6/13/20/27
      {8.3, 24.2, 8, {5, 25, 5}},   {104, 1400, 10, {0, 1400, 200}},
      {0, 0.5, 8, {0, 1, 1}},  // counts never step by less than one
      {0, 1129, 8, {0, 1200, 200}}, {15, 145, 14, {10, 150, 10}},
      {3, 3, 8, {3, 4, 1}},  // an empty range is one step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.lo) + ".." + std::to_string(c.hi));
    const AxisScale s = niceScale(c.lo, c.hi, c.maxTicks);
    EXPECT_DOUBLE_EQ(s.min, c.want.min);
    EXPECT_DOUBLE_EQ(s.max, c.want.max);
    EXPECT_DOUBLE_EQ(s.step, c.want.step);
  }
}

// The winners axis is ruled by all but an extreme draw or two; the draws
// over it are named in the legend, and the yen axis reads with separators.
TEST(ChartAxes, OneExtremeDrawDoesNotRuleTheWinnersAxisAndIsNamed) {
  std::vector<double> winners(500);
  for (size_t i = 0; i < winners.size(); ++i) winners[i] = static_cast<double>(5 + i % 30);
  EXPECT_EQ(robustTop(winners), 40) << "all of them, with a round top";
  winners[123] = 1129;
  EXPECT_EQ(robustTop(winners), 50) << "the one of 1129 stands above the axis";
  EXPECT_EQ(robustTop({1, 2, 3}), 4);
  EXPECT_EQ(robustTop({}), 1);

  History h = chartHistory();
  h.prizes[200].winners[0] = 1129;
  QString note;
  std::unique_ptr<QChart> prizes(makeChart(h, {ChartKind::Prizes, {1}, 52}, note));
  ASSERT_TRUE(prizes);
  QStringList all;
  for (QAbstractSeries* s : prizes->series()) all << s->name();
  EXPECT_TRUE(all.join(",").contains(QStringLiteral("第200回 1,129口"))) << all.join(",").toStdString();
  auto* yen = qobject_cast<QCategoryAxis*>(prizes->axes(Qt::Vertical).front());
  ASSERT_TRUE(yen);
  EXPECT_TRUE(yen->categoriesLabels().contains(QStringLiteral("10,000,000")))
      << yen->categoriesLabels().join(",").toStdString();
}

// kazumaki-tool draws each chart to a PNG of the asked size and to a PDF.
TEST(ChartTool, DrawsEveryChartToPngAndPdf) {
  const test::ProgramFolder folder(test::rotatingDraws(300));
  const std::string db = (folder.dir / "Kazumaki.mdb").string();
  for (const char* name : {"出現の推移", "合計の分布", "出現間隔の分布"}) {
    const std::string png = (folder.dir / "c.png").string(), pdf = (folder.dir / "c.pdf").string();
    test::ToolRun r = test::runTool("chart " + db + " " + name + " --numbers 3,4 --size 500x300 --png " + png);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(500, 300)) << name;
    r = test::runTool("chart " + db + " " + name + " --pdf " + pdf);
    EXPECT_EQ(r.status, 0) << r.out;
    QFile f(QString::fromStdString(pdf));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    EXPECT_TRUE(f.read(5) == "%PDF-") << name;
  }
  // a refusal says why in Japanese, not the usage alone, and writes nothing
  const std::string png = (folder.dir / "w.png").string(), pdf = (folder.dir / "w.pdf").string();
  const struct {
    std::string args;
    int status;
    const char* says;
  } refusals[] = {
      {"賞金の推移 --png " + png, 1, "この当選データには賞金のデータがない"},
      {"グラフ --png " + png, 1, "「グラフ」というグラフはありません"},
      {"出現の推移 --window 53 --png " + png, 2,
       "--window「53」：直近何回の出現回数を描くかは、52、104、260 のどれかで"},
      {"出現の推移 --window x --png " + png, 2, "--window「x」"},
      {"合計の分布 --png " + png + " --pdf " + pdf, 2, "--png と --pdf は、どちらか一方だけを指定してください"},
      {"合計の分布", 2, "書き出すファイルを --png ファイル か --pdf ファイル で指定してください"},
  };
  for (const auto& c : refusals) {
    const test::ToolRun r = test::runTool("chart " + db + " " + c.args);
    EXPECT_EQ(r.status >> 8, c.status) << c.args;
    EXPECT_NE(r.out.find(std::string("kazumaki-tool: ") + c.says), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("使い方"), std::string::npos) << "the reason, not the usage: " << r.out;
    EXPECT_FALSE(std::filesystem::exists(png) || std::filesystem::exists(pdf)) << c.args;
  }
}
