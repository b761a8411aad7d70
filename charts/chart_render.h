#pragma once
// The charts of the グラフ window, drawn with Qt Charts: built from the
// history, drawn into an image or onto paper.  Part of the extras module.
#include <QImage>
#include <QString>
#include <vector>

#include "analyses/statistics/chart_choice.h"
#include "store/history.h"

class QChart;
class QChartView;
class QPrinter;

namespace km {

// The chart `choice` asks for, in the program's user-interface font, or null
// with `note` (Japanese) saying why there is nothing to draw.  The caller owns it.
QChart* makeChart(const History& history, const ChartChoice& choice, QString& note);

// An axis with round ticks: from `min` to `max` every `step`, a step of 1,
// 2 or 5 times a power of ten, at most `maxTicks` steps between `lo` and
// `hi`, with min <= lo and max >= hi on a tick.
struct AxisScale {
  double min = 0, max = 1, step = 1;
};
AxisScale niceScale(double lo, double hi, int maxTicks = 8);

// The largest value a count axis shows so that one extreme value does not
// flatten the others: a round number above all but the top 2% of the
// values (and above every value when they are few or close together).
double robustTop(std::vector<double> values);

struct ChartOutput {
  bool ok = false;
  QString error;    // Japanese
  QString details;  // the system's words
};

// The view's chart drawn on white at the view's size.
QImage chartImage(const QChartView& view);
// Prints the view's chart on one page, as large as the page allows in its proportions.
ChartOutput printChart(const QChartView& view, QPrinter& printer);
// The chart as a PNG image at the view's size, or as an A4 landscape PDF; written atomically.
ChartOutput saveChartPng(const QChartView& view, const QString& path);
ChartOutput saveChartPdf(const QChartView& view, const QString& title, const QString& path);

}  // namespace km
