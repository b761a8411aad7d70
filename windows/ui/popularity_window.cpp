#include "windows/ui/popularity_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "analyses/popularity/popularity_grid.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/wrapped_label.h"
#include "store/formats/tickets_file.h"

namespace km {

namespace {

constexpr double kStep = 0.05;  // the scale's lines, 5% apart
const QColor kMoreBoughtBar(214, 69, 65);
const QColor kLessBoughtBar(52, 110, 200);
const QColor kUnclearBar(165, 165, 165);
const QColor kAxis(0, 0, 0);
const QColor kScaleLine(220, 220, 220);

QColor colour(Rgb c) { return QColor(c.r, c.g, c.b); }

QLabel* swatch(Rgb bg, QWidget* parent) {
  const int side = 16;
  QPixmap pm(side, side);
  pm.fill(colour(bg));
  QPainter p(&pm);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(0, 0, side - 1, side - 1);
  p.end();
  auto* l = new QLabel(parent);
  l->setPixmap(pm);
  return l;
}

QLabel* plainLabel(const QString& text, QWidget* parent, const char* name) {
  auto* l = new WrappedLabel(text, parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(QString::fromUtf8(name));
  return l;
}

QString effectTip(const NumberPopularity& p) {
  return QStringLiteral("%1：1等の賞金 %2（95%の範囲 %3〜%4）、人気の順 %5")
      .arg(p.number)
      .arg(QString::fromStdString(percentText(p.effect)), QString::fromStdString(percentText(p.low)),
           QString::fromStdString(percentText(p.high)))
      .arg(p.rank);
}

}  // namespace

PopularityChart::PopularityChart(const PopularityModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("chartPopularity"));
  setFont(GridView::gridFont());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize PopularityChart::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("00")) * 2 * kMaxNumber, fm.height() * 16};
}

QSize PopularityChart::minimumSizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(QStringLiteral("00")) * kMaxNumber, fm.height() * 10};
}

double PopularityChart::span() const {
  double most = kStep;
  if (model_.fitted())
    for (const NumberPopularity& p : model_.numbers) most = std::max({most, std::abs(p.low), std::abs(p.high)});
  return std::ceil(most / kStep - 1e-9) * kStep;
}

QRect PopularityChart::plotArea() const {
  const QFontMetrics fm(font());
  const int left = fm.horizontalAdvance(QStringLiteral("+00%")) + 8;
  const int top = fm.height() * 2 + 4;     // the title and the upper caption
  const int bottom = fm.height() * 2 + 4;  // the numbers and the lower caption
  return QRect(left, top, std::max(1, width() - left - 6), std::max(1, height() - top - bottom));
}

int PopularityChart::yOf(double fraction) const {
  const QRect a = plotArea();
  const double s = span();
  return a.top() + static_cast<int>(std::lround((s - fraction) / (2 * s) * a.height()));
}

QRect PopularityChart::barRect(int number) const {
  if (!model_.fitted() || number < kMinNumber || number > kMaxNumber) return {};
  const QRect a = plotArea();
  const double slot = static_cast<double>(a.width()) / kMaxNumber;
  const int x = a.left() + static_cast<int>(std::lround(slot * (number - 1) + slot * 0.2));
  const int w = std::max(2, static_cast<int>(std::lround(slot * 0.6)));
  const int zero = yOf(0), y = yOf(model_.numbers[static_cast<size_t>(number - 1)].effect);
  return QRect(QPoint(x, std::min(zero, y)), QPoint(x + w - 1, std::max(zero, y)));
}

void PopularityChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics fm(font());
  const QRect a = plotArea();
  p.setPen(kAxis);
  p.drawText(QRect(0, 0, width(), fm.height()), Qt::AlignHCenter | Qt::AlignTop,
             QStringLiteral("その数字を含む買い目が1等に当たったときの賞金（平均との差、線は95%の範囲）"));
  if (!model_.fitted()) {
    p.drawText(a, Qt::AlignCenter, QStringLiteral("人気度を推定できません（理由は上の一文のとおりです）"));
    return;
  }
  // the scale
  const double s = span();
  const int steps = static_cast<int>(std::lround(s / kStep));
  for (int k = -steps; k <= steps; ++k) {
    const int y = yOf(k * kStep);
    p.setPen(k == 0 ? kAxis : kScaleLine);
    p.drawLine(a.left(), y, a.right(), y);
    if (k % 2 != 0 && steps > 4) continue;  // a label every 10% when the scale is tall
    p.setPen(kAxis);
    p.drawText(QRect(0, y - fm.height() / 2, a.left() - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(percentText(k * kStep)).replace(QStringLiteral(".0%"), QStringLiteral("%")));
  }
  p.setPen(QColor(90, 90, 90));
  p.drawText(QRect(a.left() + 4, fm.height() + 2, a.width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("↑ 賞金が多い（あまり買われていない）"));
  p.drawText(QRect(a.left() + 4, a.bottom() + fm.height() + 2, a.width(), fm.height()),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("↓ 賞金が少ない（よく買われている）"));
  // the bars, their intervals and their numbers
  const double slot = static_cast<double>(a.width()) / kMaxNumber;
  for (const NumberPopularity& n : model_.numbers) {
    const QRect bar = barRect(n.number);
    const QColor c = n.high < 0 ? kMoreBoughtBar : n.low > 0 ? kLessBoughtBar : kUnclearBar;
    p.fillRect(bar, c);
    const int mid = bar.center().x(), cap = std::max(2, bar.width() / 4);
    p.setPen(QPen(kAxis, 1));
    p.drawLine(mid, yOf(n.low), mid, yOf(n.high));
    p.drawLine(mid - cap, yOf(n.low), mid + cap, yOf(n.low));
    p.drawLine(mid - cap, yOf(n.high), mid + cap, yOf(n.high));
    const int x = a.left() + static_cast<int>(std::lround(slot * (n.number - 1)));
    p.drawText(QRect(x, a.bottom() + 2, static_cast<int>(std::lround(slot)), fm.height()), Qt::AlignCenter,
               QString::number(n.number));
  }
}

bool PopularityChart::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(e);
    const QRect a = plotArea();
    if (model_.fitted() && a.width() > 0 && help->pos().x() >= a.left() && help->pos().x() <= a.right()) {
      const int number = std::clamp(kMinNumber + (help->pos().x() - a.left()) * kMaxNumber / std::max(1, a.width()),
                                    kMinNumber, kMaxNumber);
      QToolTip::showText(help->globalPos(), effectTip(model_.numbers[static_cast<size_t>(number - 1)]), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QWidget::event(e);
}

PopularityWindow::PopularityWindow(const WindowDef& def, const History& history, QWidget* parent)
    : QWidget(parent), model_(std::make_unique<const PopularityModel>(fitPopularity(history))) {
  setObjectName(QString::fromUtf8(kPopularityWindow));
  setFont(GridView::gridFont());
  grid_ = popularityGrid(*model_);

  QVBoxLayout* layout = windowColumn(this, def);
  quality_ = plainLabel(QString::fromStdString(qualitySentence(*model_)), this, "LabelQuality");
  layout->addWidget(quality_);

  auto* middle = new QHBoxLayout;
  chart_ = new PopularityChart(*model_, this);
  middle->addWidget(chart_, 1);
  gridView_ = new GridView(this);
  gridView_->setObjectName(QStringLiteral("gridView"));
  gridView_->setGrid(&grid_);
  gridView_->setLegend(def.legend);
  gridView_->setGrowsToShowMore(true);
  // beyond its whole size the grid keeps to the top
  auto* side = new QVBoxLayout;
  side->addWidget(gridView_, 1);
  side->addStretch(0);
  middle->addLayout(side, 0);
  layout->addLayout(middle, 1);

  auto* lineRow = new QHBoxLayout;
  auto* caption = new QLabel(QStringLiteral("この数字なら"), this);
  caption->setObjectName(QStringLiteral("lineLabel"));
  lineRow->addWidget(caption);
  lineField_ = new QLineEdit(this);
  lineField_->setObjectName(QStringLiteral("lineField"));
  lineField_->setPlaceholderText(QStringLiteral("例：3 7 12 20 31"));
  lineField_->setFixedWidth(QFontMetrics(font()).horizontalAdvance(QLatin1Char('0')) * 22);
  lineField_->setEnabled(model_->fitted());
  caption->setBuddy(lineField_);
  lineRow->addWidget(lineField_);
  lineRow->addStretch(1);
  layout->addLayout(lineRow);
  // short lines, one a tier, that never wrap
  lineResult_ = new QLabel(this);
  lineResult_->setTextFormat(Qt::PlainText);
  lineResult_->setObjectName(QStringLiteral("lineResult"));
  layout->addWidget(lineResult_);
  connect(lineField_, &QLineEdit::textChanged, this, &PopularityWindow::checkLine);

  auto* bottom = new QHBoxLayout;
  for (const LegendItem& item : def.legend) {
    bottom->addWidget(swatch(item.sampleBg, this));
    bottom->addWidget(new QLabel(QString::fromStdString(item.label), this));
    bottom->addSpacing(12);
  }
  bottom->addStretch(1);
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  connect(closeButton_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(closeButton_);
  layout->addLayout(bottom);
  checkLine();
}

void PopularityWindow::checkLine() {
  if (!model_->fitted()) return lineResult_->setText(QString::fromStdString(notFittedText(*model_)));
  if (lineField_->text().trimmed().isEmpty())
    return lineResult_->setText(QStringLiteral(
        "5個の数字を入れると、次の回に当たったときの1等・3等・4等の賞金の推定を、平均と並べて示します。"));
  const NumbersParse p = parseTicketNumbers(lineField_->text().toStdString());
  if (!p.ok()) return lineResult_->setText(QString::fromStdString(p.error + "。"));
  lineResult_->setText(QString::fromStdString(lineEstimateText(*model_, estimateLine(*model_, p.numbers))));
}

}  // namespace km
