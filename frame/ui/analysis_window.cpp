#include "frame/ui/analysis_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QThreadPool>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "frame/grid_geometry.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/wrapped_label.h"

namespace km {

namespace {

// A legend sample: the mark in its colours on a small framed swatch.
QLabel* legendSample(const LegendItem& item, QWidget* parent) {
  const int side = 16;
  QPixmap pm(side, side);
  pm.fill(QColor(item.sampleBg.r, item.sampleBg.g, item.sampleBg.b));
  QPainter p(&pm);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(0, 0, side - 1, side - 1);
  if (!item.sample.empty()) {
    p.setFont(GridView::gridFont());
    p.setPen(QColor(item.sampleFg.r, item.sampleFg.g, item.sampleFg.b));
    p.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QString::fromStdString(item.sample));
  }
  p.end();
  auto* l = new QLabel(parent);
  l->setPixmap(pm);
  return l;
}

}  // namespace

QVBoxLayout* windowColumn(QWidget* window, const WindowDef& def) {
  // Margins and gaps in twips: 2 px and 4 px at 96 DPI.
  const int margin = twipsToPixels(30, window->logicalDpiX()), gap = twipsToPixels(60, window->logicalDpiY());
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(margin, gap, margin, gap);
  layout->setSpacing(gap);
  auto* description = new WrappedLabel(QString::fromStdString(def.description), window);
  description->setObjectName(QStringLiteral("descriptionLabel"));
  layout->addWidget(description);
  return layout;
}

AnalysisWindow::AnalysisWindow(const WindowDef& def, Grid grid, QWidget* parent)
    : QWidget(parent), grid_(std::move(grid)) {
  setFont(GridView::gridFont());

  QVBoxLayout* layout = windowColumn(this, def);

  // The grid, with the legend and the close button right under it, grows
  // with the window to show more cells, up to all of them, and keeps to the
  // top left beyond that: a maximised window shows more rows, not a grid in
  // one corner and its button in another.
  auto* body = new QWidget(this);
  body->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* bodyLayout = new QVBoxLayout(body);
  bodyLayout->setContentsMargins(0, 0, 0, 0);
  bodyLayout->setSpacing(layout->spacing());
  gridView_ = new GridView(body);
  gridView_->setObjectName(QStringLiteral("gridView"));
  gridView_->setGrid(&grid_);
  gridView_->setGrowsToShowMore(true);
  gridView_->setLegend(def.legend);
  bodyLayout->addWidget(gridView_, 1);  // no alignment: that would keep it at its designed size

  auto* bottom = new QHBoxLayout;
  for (const LegendItem& item : def.legend) {
    bottom->addWidget(legendSample(item, body));
    bottom->addWidget(new QLabel(QString::fromStdString(item.label), body));
    bottom->addSpacing(12);
  }
  bottom->addStretch(1);
  progress_ = new QProgressBar(body);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setFormat(QStringLiteral("計算中… %p%"));
  progress_->setRange(0, 0);  // busy until the fill gives its count
  progress_->hide();
  bottom->addWidget(progress_);
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), body);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(closeButton_);
  connect(closeButton_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(closeButton_);
  bodyLayout->addLayout(bottom);
  body_ = body;
  keepBodyToGrid();
  connect(gridView_, &GridView::largestSizeChanged, this, &AnalysisWindow::keepBodyToGrid);
  layout->addWidget(body, 1);  // beyond its largest size it stays at the top left of its room
  layout->addStretch(0);       // the room left under it once it shows every cell
}

// The body is never larger than the whole grid with the row under it.
void AnalysisWindow::keepBodyToGrid() {
  const QSize most = gridView_->maximumSize();
  QLayout* l = body_->layout();
  const QLayoutItem* bottom = l->itemAt(l->count() - 1);
  body_->setMaximumSize(std::max(most.width(), bottom->minimumSize().width()),
                        most.height() + l->spacing() + bottom->sizeHint().height());
}

AnalysisWindow::AnalysisWindow(const WindowDef& def, BackgroundFill fill, QWidget* parent)
    : AnalysisWindow(def, Grid(), parent) {
  fillInBackground(std::move(fill));
}

namespace {

// The fill's progress, handed to the window through the promise.
class PromiseProgress final : public FillProgress {
 public:
  explicit PromiseProgress(QPromise<Grid>& p) : p_(p) {}
  void report(int done, int total) override {
    if (total != total_) p_.setProgressRange(0, total_ = total);
    p_.setProgressValue(done);
  }
  bool cancelled() const override { return p_.isCanceled(); }

 private:
  QPromise<Grid>& p_;
  int total_ = -1;
};

}  // namespace

void AnalysisWindow::fillInBackground(BackgroundFill fill) {
  filled_ = false;
  watcher_ = new QFutureWatcher<Grid>(this);
  connect(watcher_, &QFutureWatcher<Grid>::progressRangeChanged, progress_, &QProgressBar::setRange);
  connect(watcher_, &QFutureWatcher<Grid>::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(watcher_, &QFutureWatcher<Grid>::finished, this, [this] {
    if (watcher_->future().resultCount() > 0) grid_ = watcher_->future().takeResult();
    filled_ = true;
    progress_->hide();
    gridView_->refresh();
    keepBodyToGrid();
    layout()->activate();  // the grid at its size before anyone looks
    emit filled();
  });
  QTimer::singleShot(300, progress_, [this] { progress_->setVisible(!filled_); });

  auto promise = std::make_shared<QPromise<Grid>>();
  watcher_->setFuture(promise->future());
  promise->start();
  QThreadPool::globalInstance()->start([promise, fill = std::move(fill)] {
    PromiseProgress progress(*promise);
    Grid g = fill(progress);
    if (!promise->isCanceled()) promise->addResult(std::move(g));
    promise->finish();
  });
}

AnalysisWindow::~AnalysisWindow() {
  if (watcher_) watcher_->future().cancel();
}

}  // namespace km
