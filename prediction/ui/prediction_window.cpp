#include "prediction/ui/prediction_window.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <utility>

#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/wrapped_label.h"

namespace km {

namespace {

constexpr const char* kPredictionFrame = "当選予想";
constexpr const char* kPredictionDescription =
    "各データ分析の結果を元に周期法、消去法、連発ゼノバ、一発ゼノバの各手法を用いて当選数字を予想します。";
constexpr const char* kOptionsFrame = "データ分析オプション";
constexpr const char* kOptionsDescription = "各データ分析の分析結果を当選予想へ反映するかを設定します。";

QLabel* wrappedLabel(const char* text, QWidget* parent) { return new WrappedLabel(QString::fromUtf8(text), parent); }

}  // namespace

PredictionWindow::PredictionWindow(PredictionState& state, const History& history, QWidget* parent,
                                   std::function<void(const ReflectSettings&)> changed)
    : QWidget(parent), state_(state), history_(history), changed_(std::move(changed)) {
  setObjectName(QStringLiteral("一発ゼノバ"));
  setFont(GridView::gridFont());

  // Frames and grids scroll when the window is arranged smaller than they
  // need; the close button stays in view below them.
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 4);
  outer->setSpacing(4);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("scrollArea"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* body = new QWidget(scroll);
  scroll->setWidget(body);
  outer->addWidget(scroll, 1);
  auto* top = new QVBoxLayout(body);
  top->setContentsMargins(6, 4, 6, 0);
  top->setSpacing(4);
  auto* columns = new QHBoxLayout;
  columns->setSpacing(6);
  top->addLayout(columns, 1);

  // Left: the predictions.
  auto* predictions = new QGroupBox(QString::fromUtf8(kPredictionFrame), this);
  predictions->setObjectName(QStringLiteral("predictionsBox"));
  auto* pl = new QVBoxLayout(predictions);
  pl->setContentsMargins(6, 4, 6, 6);
  pl->setSpacing(2);
  pl->addWidget(wrappedLabel(kPredictionDescription, predictions));
  for (int i = 0; i < kPredictionGridCount; ++i) {
    pl->addSpacing(4);
    auto* caption = wrappedLabel(kPredictionGridCaptions[i], predictions);
    caption->setObjectName(QStringLiteral("gridCaption%1").arg(i));
    pl->addWidget(caption);
    gridViews_[i] = new GridView(predictions);
    gridViews_[i]->setObjectName(QStringLiteral("gridView"));
    gridViews_[i]->setProperty("index", i);
    // a screen reader names each grid by its caption, without the mark before it
    gridViews_[i]->setAccessibleName(caption->text().remove(QStringLiteral("●")));
    pl->addWidget(gridViews_[i], 0, Qt::AlignLeft);
  }
  pl->addStretch(1);
  columns->addWidget(predictions, 0);

  // Right: the reflect settings, two columns of six frames.
  auto* options = new QGroupBox(QString::fromUtf8(kOptionsFrame), this);
  options->setObjectName(QStringLiteral("optionsBox"));
  auto* ol = new QVBoxLayout(options);
  ol->setContentsMargins(4, 4, 4, 6);
  ol->setSpacing(4);
  ol->addWidget(wrappedLabel(kOptionsDescription, options));
  auto* frames = new QGridLayout;
  frames->setHorizontalSpacing(3);
  frames->setVerticalSpacing(2);
  constexpr int kPerColumn = PredictionState::kSettingCount / 2;
  for (int i = 0; i < PredictionState::kSettingCount; ++i) {
    // A captioned box per setting, its two buttons one above the other: the
    // caption wraps between its words rather than widen the window, and the
    // longest name ("■下一桁連続出現回数分析") keeps to one line.
    auto* frame = new QFrame(options);
    frame->setObjectName(QStringLiteral("optionFrame%1").arg(i));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* fl = new QVBoxLayout(frame);
    fl->setContentsMargins(3, 2, 3, 2);  // the caption keeps clear of the box on both sides
    fl->setSpacing(0);
    auto* caption = wrappedLabel(kSettingCaptions[i], frame);
    caption->setObjectName(QStringLiteral("optionCaption%1").arg(i));
    fl->addWidget(caption);
    reflectOnButtons_[i] = new QRadioButton(QStringLiteral("反映する"), frame);
    reflectOnButtons_[i]->setObjectName(QStringLiteral("reflectOnOption"));
    reflectOnButtons_[i]->setProperty("index", i);
    reflectOffButtons_[i] = new QRadioButton(QStringLiteral("反映しない"), frame);
    reflectOffButtons_[i]->setObjectName(QStringLiteral("reflectOffOption"));
    reflectOffButtons_[i]->setProperty("index", i);
    fl->addWidget(reflectOnButtons_[i]);
    fl->addWidget(reflectOffButtons_[i]);
    pairs_[i] = new QButtonGroup(this);
    pairs_[i]->setExclusive(true);
    pairs_[i]->addButton(reflectOnButtons_[i], 1);
    pairs_[i]->addButton(reflectOffButtons_[i], 0);
    // Only the user's clicks change a setting, not setting the buttons below.
    connect(reflectOnButtons_[i], &QRadioButton::clicked, this, [this, i] { reflectOn(i); });
    connect(reflectOffButtons_[i], &QRadioButton::clicked, this, [this, i] { reflectOff(i); });
    frames->addWidget(frame, i % kPerColumn, i / kPerColumn);
  }
  ol->addLayout(frames);
  ol->addStretch(1);
  columns->addWidget(options, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(closeButton_);
  connect(closeButton_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(closeButton_);
  bottom->addSpacing(6);
  outer->addLayout(bottom);

  // Opening: the option buttons from the settings, then the grids, the scan
  // and the display sequence.
  for (int i = 0; i < PredictionState::kSettingCount; ++i)
    (state_.reflect[i] ? reflectOnButtons_[i] : reflectOffButtons_[i])->setChecked(true);
  openPrediction(state_, history_, grids_);
  for (int i = 0; i < kPredictionGridCount; ++i) {
    gridViews_[i]->setGrid(&grids_[i]);
    gridViews_[i]->setFixedSize(gridViews_[i]->sizeHint());  // exactly its rows and columns
  }
}

void PredictionWindow::reflectOn(int index) {
  state_.reflect[index] = true;
  redisplay();
}

void PredictionWindow::reflectOff(int index) {
  state_.reflect[index] = false;
  redisplay();
}

void PredictionWindow::redisplay() {
  if (changed_) changed_(state_.reflect);
  runDisplaySequence(state_, history_.recordCount(), grids_);
  for (GridView* v : gridViews_) v->refresh();
}

}  // namespace km
