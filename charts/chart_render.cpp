#include "charts/chart_render.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "analyses/statistics/distributions.h"
#include "analyses/statistics/draw_statistics.h"
#include "frame/ui/grid_print.h"
#include "store/files/replace_file.h"

namespace km {

namespace {

// Lines told apart by colour (the Okabe–Ito palette, which colour-blind
// readers can tell apart) and by dash and width (grey print).
struct LineLook {
  QColor color;
  Qt::PenStyle dash;
  qreal width;
};
const LineLook kLooks[] = {
    {QColor(0, 114, 178), Qt::SolidLine, 2.2},      // blue
    {QColor(213, 94, 0), Qt::DashLine, 2.2},        // vermillion
    {QColor(0, 158, 115), Qt::DotLine, 2.6},        // bluish green
    {QColor(204, 121, 167), Qt::DashDotLine, 2.2},  // reddish purple
    {QColor(230, 159, 0), Qt::DashDotDotLine, 2.2}  // orange
};
const QColor kChanceGrey(200, 200, 200);
const QColor kObservedFill(86, 180, 233, 150);  // sky blue

QPen pen(const LineLook& look) {
  QPen p(look.color, look.width, look.dash);
  p.setCapStyle(Qt::FlatCap);
  return p;
}

QValueAxis* valueAxis(const QString& title, const QFont& font) {
  auto* a = new QValueAxis;
  a->setTitleText(title);
  a->setTitleFont(font);
  a->setLabelsFont(font);
  a->setLabelFormat(QStringLiteral("%d"));
  return a;
}

// Ticks at round values: the range [lo, hi] widened to ticks (`exact`: kept
// as it is, the ticks falling inside it).
void roundTicks(QValueAxis* axis, double lo, double hi, bool exact = false, int maxTicks = 8) {
  const AxisScale s = niceScale(lo, hi, maxTicks);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(s.step);
  axis->setLabelFormat(s.step < 1 ? QStringLiteral("%.1f") : QStringLiteral("%d"));
  if (exact)
    axis->setRange(lo, hi);
  else
    axis->setRange(s.min, s.max);
}

void attach(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
}

// A histogram's bars as one outline: each value v covers [v - 0.5, v + 0.5].
QAreaSeries* bars(const std::vector<HistogramBin>& bins, const QString& name) {
  auto* upper = new QLineSeries;
  for (const HistogramBin& b : bins) {
    upper->append(b.value - 0.5, static_cast<double>(b.count));
    upper->append(b.value + 0.5, static_cast<double>(b.count));
  }
  auto* area = new QAreaSeries(upper);
  area->setName(name);
  area->setBrush(kObservedFill);
  area->setPen(QPen(kLooks[0].color, 1));
  return area;
}

QLineSeries* expectedLine(const std::vector<HistogramBin>& bins, const QString& name) {
  auto* line = new QLineSeries;
  line->setName(name);
  for (const HistogramBin& b : bins) line->append(b.value, b.expected);
  line->setPen(pen(kLooks[1]));
  return line;
}

double highest(const std::vector<HistogramBin>& bins) {
  double top = 1;
  for (const HistogramBin& b : bins) top = std::max({top, static_cast<double>(b.count), b.expected});
  return top;
}

void trendChart(QChart* chart, const History& history, const ChartChoice& choice, const QFont& font, QString& note) {
  chart->setTitle(QStringLiteral("出現の推移（直近%1回の出現回数）").arg(choice.window));
  auto* x = valueAxis(QStringLiteral("回"), font);
  auto* y = valueAxis(QStringLiteral("直近%1回の出現回数").arg(choice.window), font);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  const Band band = movingCountBand(choice.window);
  std::vector<std::vector<TrendPoint>> lines;
  for (int n : choice.numbers) lines.push_back(movingCounts(history, n, choice.window));
  if (lines.empty() || lines.front().empty()) {
    note = QStringLiteral("本数字5個がそろった回が%1回に足りないため、出現の推移は描けません。").arg(choice.window);
    return;
  }
  const double first = lines.front().front().drawNo, last = lines.front().back().drawNo;
  auto *low = new QLineSeries, *high = new QLineSeries;
  const double lo = std::max(0.0, band.mean - 2 * band.sd), hi = band.mean + 2 * band.sd;
  low->append(first, lo);
  low->append(last, lo);
  high->append(first, hi);
  high->append(last, hi);
  auto* area = new QAreaSeries(high, low);
  area->setName(QStringLiteral("偶然の範囲"));
  area->setBrush(QColor(220, 220, 220));
  area->setPen(Qt::NoPen);
  attach(chart, area, x, y);
  auto* mean = new QLineSeries;
  mean->setName(QStringLiteral("期待値 %1").arg(band.mean, 0, 'f', 1));
  mean->append(first, band.mean);
  mean->append(last, band.mean);
  mean->setPen(QPen(Qt::black, 1, Qt::DashLine));
  attach(chart, mean, x, y);
  double top = hi, bottom = lo;
  for (size_t i = 0; i < lines.size(); ++i) {
    auto* s = new QLineSeries;
    s->setName(QStringLiteral("数字%1").arg(choice.numbers[i]));
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(lines[i].size()));
    for (const TrendPoint& p : lines[i]) {
      points.append(QPointF(p.drawNo, p.count));
      top = std::max(top, static_cast<double>(p.count));
      bottom = std::min(bottom, static_cast<double>(p.count));
    }
    s->replace(points);
    s->setPen(pen(kLooks[i % std::size(kLooks)]));
    attach(chart, s, x, y);
  }
  // the draws shown end to end; the counts from a round value under the
  // lowest of the lines and the band to one over the highest
  roundTicks(x, first, std::max(last, first + 1), true, 10);
  roundTicks(y, std::max(0.0, bottom - 1), top + 1);
}

// A histogram of the draws against what chance gives: its axes (the count
// on the left) with the bars and the expected line on them.
std::pair<QValueAxis*, QValueAxis*> histogram(QChart* chart, const std::vector<HistogramBin>& bins,
                                              const QString& xTitle, const QString& expectedName, const QFont& font) {
  auto* x = valueAxis(xTitle, font);
  auto* y = valueAxis(QStringLiteral("回数"), font);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  attach(chart, bars(bins, QStringLiteral("実際の回数")), x, y);
  attach(chart, expectedLine(bins, expectedName), x, y);
  return {x, y};
}

void sumChart(QChart* chart, const History& history, const QFont& font, QString& note) {
  chart->setTitle(QStringLiteral("合計の分布（本数字5個の合計）"));
  const std::vector<HistogramBin> bins = sumHistogram(history);
  const std::optional<int> latest = latestSum(history);
  if (!latest) {
    note = QStringLiteral("本数字5個がそろった回がないため、合計の分布は描けません。");
    return;
  }
  auto [x, y] = histogram(chart, bins, QStringLiteral("本数字の合計"),
                          QStringLiteral("偶然で期待される回数（169,911通りの組合せすべてから数えた分布）"), font);
  const double top = highest(bins) * 1.1;
  auto* mark = new QLineSeries;
  const int drawNo = history.whole.back().no();
  mark->setName(QStringLiteral("最新の第%1回：合計 %2").arg(drawNo).arg(*latest));
  mark->append(*latest, 0);
  mark->append(*latest, top);
  mark->setPen(QPen(Qt::black, 2.5, Qt::DashDotLine));
  attach(chart, mark, x, y);
  roundTicks(x, kMinSum, kMaxSum, true, 14);
  roundTicks(y, 0, top);
}

void gapChart(QChart* chart, const History& history, const QFont& font, QString& note) {
  chart->setTitle(QStringLiteral("出現間隔の分布（%1回以上は右端にまとめています）").arg(kGapBins));
  const std::vector<HistogramBin> bins = gapHistogram(history, kGapBins);
  long long gaps = 0;
  for (const HistogramBin& b : bins) gaps += b.count;
  if (gaps == 0) {
    note = QStringLiteral("同じ数字が2回以上出ていないため、出現間隔の分布は描けません。");
    return;
  }
  auto [x, y] = histogram(chart, bins, QStringLiteral("出現間隔（何回後にまた出たか）"),
                          QStringLiteral("偶然で期待される回数（幾何分布）"), font);
  roundTicks(x, 0, kGapBins, true, kGapBins / 5);
  roundTicks(y, 0, highest(bins) * 1.05);
}

void prizeChart(QChart* chart, const History& history, const QFont& font, QString& note) {
  chart->setTitle(QStringLiteral("賞金の推移（1口あたりの当せん金と1等の当せん口数）"));
  const std::vector<PrizePoint> points = prizeSeries(history);
  if (points.empty()) {
    note = QStringLiteral("この当選データには賞金のデータがないため、賞金の推移は描けません。");
    return;
  }
  auto* x = valueAxis(QStringLiteral("回"), font);
  // yen on a logarithmic scale: each point at log10 of its yen, the axis
  // labelled at the powers of ten with their separators ("1,000,000")
  auto* yen = new QCategoryAxis;
  yen->setTitleText(QStringLiteral("1口あたりの当せん金（円、対数目盛）"));
  yen->setTitleFont(font);
  yen->setLabelsFont(font);
  yen->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  auto* winners = valueAxis(QStringLiteral("1等の当せん口数"), font);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(yen, Qt::AlignLeft);
  chart->addAxis(winners, Qt::AlignRight);
  double low = 1e12, high = 1;
  for (int tier = 0; tier < kPrizeTiers; ++tier) {
    auto* s = new QLineSeries;
    s->setName(QStringLiteral("%1等").arg(tier + 1));
    QList<QPointF> line;
    for (const PrizePoint& p : points) {
      const double v = static_cast<double>(p.yen[static_cast<size_t>(tier)]);
      if (v <= 0) continue;  // nobody won the tier: no point on a logarithmic scale
      line.append(QPointF(p.drawNo, std::log10(v)));
      low = std::min(low, v);
      high = std::max(high, v);
    }
    s->replace(line);
    s->setPen(pen(kLooks[tier]));
    attach(chart, s, x, yen);
  }
  // the winners axis is ruled by all but the few extreme draws, which stand
  // at its top as marks of their own, named with their counts
  std::vector<double> counts;
  for (const PrizePoint& p : points) counts.push_back(static_cast<double>(p.firstWinners));
  const double cap = robustTop(counts);
  auto* count = new QScatterSeries;
  count->setName(QStringLiteral("1等の口数（右の目盛）"));
  count->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  count->setMarkerSize(4);
  count->setColor(QColor(0, 0, 0));
  count->setBorderColor(QColor(0, 0, 0));
  auto* over = new QScatterSeries;
  over->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  over->setMarkerSize(9);
  over->setColor(QColor(0, 0, 0));
  over->setBorderColor(QColor(0, 0, 0));
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  QStringList overNames;
  for (const PrizePoint& p : points) {
    const double v = static_cast<double>(p.firstWinners);
    if (v <= cap) {
      count->append(p.drawNo, v);
      continue;
    }
    over->append(p.drawNo, cap);
    if (overNames.size() < 3)
      overNames << QStringLiteral("第%1回 %2口").arg(p.drawNo).arg(japanese.toString(p.firstWinners));
  }
  attach(chart, count, x, winners);
  if (over->count() > 0) {
    if (over->count() > overNames.size()) overNames << QStringLiteral("ほか%1回").arg(over->count() - overNames.size());
    over->setName(QStringLiteral("目盛の上の外：") + overNames.join(QStringLiteral("、")));
    attach(chart, over, x, winners);
  } else {
    delete over;
  }
  roundTicks(x, points.front().drawNo, std::max(points.back().drawNo, points.front().drawNo + 1), true, 10);
  if (low > high) low = 1;
  const int lowPower = static_cast<int>(std::floor(std::log10(low))),
            highPower = static_cast<int>(std::ceil(std::log10(high)));
  yen->setRange(lowPower, std::max(highPower, lowPower + 1));
  for (int k = lowPower; k <= std::max(highPower, lowPower + 1); ++k)
    yen->append(japanese.toString(static_cast<qlonglong>(std::llround(std::pow(10, k)))), k);
  roundTicks(winners, 0, cap);
}

ChartOutput fileFailure(const ReplacementFile& file) {
  return {false, QString::fromStdString(file.failure().message), QString::fromStdString(file.failure().cause)};
}

}  // namespace

AxisScale niceScale(double lo, double hi, int maxTicks) {
  if (!(hi > lo)) hi = lo + 1;
  maxTicks = std::max(maxTicks, 1);
  // the smallest step of 1, 2 or 5 times a power of ten (whole counts: at
  // least 1) whose ticks round the range take at most maxTicks steps
  double power = std::pow(10, std::floor(std::log10((hi - lo) / maxTicks)));
  for (;; power *= 10) {
    for (double m : {1.0, 2.0, 5.0}) {
      const double step = std::max(m * power, 1.0);
      AxisScale s;
      s.step = step;
      s.min = std::floor(lo / step + 1e-9) * step;
      s.max = std::ceil(hi / step - 1e-9) * step;
      if (s.max - s.min <= step * maxTicks + 1e-9) return s;
    }
  }
}

double robustTop(std::vector<double> values) {
  if (values.empty()) return 1;
  std::sort(values.begin(), values.end());
  const double highestValue = values.back();
  // the value under which 98% of the draws lie, and room above it
  const double p98 = values[static_cast<size_t>(std::floor(0.98 * static_cast<double>(values.size() - 1)))];
  const double room = std::max(p98 * 1.25, 1.0);
  if (values.size() < 50 || highestValue <= room) return niceScale(0, std::max(highestValue * 1.05, 1.0)).max;
  return niceScale(0, room).max;
}

QChart* makeChart(const History& history, const ChartChoice& choice, QString& note) {
  if (const std::string shortOf = chartShortOfDraws(history, choice); !shortOf.empty()) {
    note = QString::fromStdString(shortOf);
    return nullptr;
  }
  auto* chart = new QChart;
  const QFont font = QApplication::font();
  QFont title = font;
  title.setPointSizeF(font.pointSizeF() * 1.25);
  title.setBold(true);
  chart->setTitleFont(title);
  chart->legend()->setFont(font);
  chart->legend()->setAlignment(Qt::AlignBottom);
  // each line's marker drawn with its own pen: its dash as well as its colour
  chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  chart->setBackgroundRoundness(0);
  chart->setAnimationOptions(QChart::NoAnimation);
  note.clear();
  switch (choice.kind) {
    case ChartKind::Trend:
      trendChart(chart, history, choice, font, note);
      break;
    case ChartKind::SumDistribution:
      sumChart(chart, history, font, note);
      break;
    case ChartKind::GapDistribution:
      gapChart(chart, history, font, note);
      break;
    case ChartKind::Prizes:
      prizeChart(chart, history, font, note);
      break;
  }
  // a filled band or bar is shown by a swatch of its fill (from its series it
  // would be an empty outline, and its name cut short)
  for (QLegendMarker* m : chart->legend()->markers())
    if (m->type() == QLegendMarker::LegendMarkerTypeArea || m->type() == QLegendMarker::LegendMarkerTypeBar)
      m->setShape(QLegend::MarkerShapeRectangle);
  if (note.isEmpty()) return chart;
  delete chart;
  return nullptr;
}

QImage chartImage(const QChartView& view) {
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  view.scene()->render(&painter, QRectF(image.rect()), view.chart()->sceneBoundingRect(), Qt::IgnoreAspectRatio);
  painter.end();
  return image;
}

ChartOutput printChart(const QChartView& view, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return {false, QStringLiteral("印刷を始められません。"), {}};
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF page = printer.pageLayout()
                          .paintRectPixels(printer.resolution())
                          .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
  view.scene()->render(&painter, page, view.chart()->sceneBoundingRect(), Qt::KeepAspectRatio);
  if (!painter.end()) return {false, QStringLiteral("印刷を完了できません。"), {}};
  return {true, {}, {}};
}

ChartOutput saveChartPng(const QChartView& view, const QString& path) {
  ReplacementFile file(path.toStdString());
  if (!file.ok()) return fileFailure(file);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!chartImage(view).save(&buffer, "PNG")) return {false, QStringLiteral("画像を作れません。"), {}};
  if (!file.write(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))) || !file.commit())
    return fileFailure(file);
  return {true, {}, {}};
}

ChartOutput saveChartPdf(const QChartView& view, const QString& title, const QString& path) {
  ReplacementFile file(path.toStdString());
  if (!file.ok()) return fileFailure(file);
  ChartOutput r;
  {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(file.path()));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    setMargins(printer);
    printer.setDocName(title);
    printer.setCreator(QStringLiteral("カズマキMiddle"));
    r = printChart(view, printer);
  }
  if (r.ok && !file.commit()) return fileFailure(file);
  return r;
}

}  // namespace km
