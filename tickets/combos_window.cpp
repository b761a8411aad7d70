#include "tickets/combos_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QThreadPool>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "analyses/popularity/popularity_grid.h"
#include "analyses/tickets/ticket_check.h"
#include "tickets/tickets_model.h"
#include "tickets/tickets_window.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/message_box.h"
#include "frame/ui/wrapped_label.h"

namespace km {

namespace {

constexpr int kDefaultRandomLines = 10;
constexpr std::array<Condition, 5> kCounted = {Condition::Odd, Condition::Low, Condition::Consecutive,
                                               Condition::Recent, Condition::LastDigits};

QString q(const std::string& s) { return QString::fromStdString(s); }

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setBuddy(buddy);
  return l;
}

WrappedLabel* plainLabel(QWidget* parent, const char* name) {
  auto* l = new WrappedLabel({}, parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(QString::fromUtf8(name));
  return l;
}

// A field whose text is refused shows it in the colour of the entry grids' wrong cells.
void markWrong(QLineEdit* f, bool wrong) {
  QPalette p = f->palette();
  p.setColor(QPalette::Base, wrong ? QColor(255, 200, 200) : QApplication::palette().color(QPalette::Base));
  f->setPalette(p);
}

QString yen(long long lines) { return q(yenText(lines * kLinePriceYen)); }

}  // namespace

TicketsWindow* openTicketsWindow(const QWidget* from) {
  const QMdiArea* area = nullptr;
  for (const QWidget* w = from; w && !area; w = w->parentWidget()) area = qobject_cast<const QMdiArea*>(w);
  if (!area) return nullptr;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    if (auto* frame = qobject_cast<ChildFrame*>(sub); frame && frame->isClosed()) continue;
    if (auto* t = qobject_cast<TicketsWindow*>(sub->widget())) return t;
  }
  return nullptr;
}

TicketsAdd addTicketsToFile(const std::string& path, const std::vector<Ticket>& tickets) {
  const Result<TicketList> read = readTicketsFile(path);
  if (read.kind() == Fault::Damaged || read.kind() == Fault::Unreadable)
    return {read.message() + "\n買い目は入れていません。", read.cause()};
  std::vector<Ticket> all = read ? read->tickets : std::vector<Ticket>{};
  if (all.size() + tickets.size() > static_cast<size_t>(kMaxTickets))
    return {"買い目は" + std::to_string(kMaxTickets) + "行までのため、" + std::to_string(tickets.size()) +
                "口は入れられません（あと" + std::to_string(kMaxTickets - static_cast<int>(all.size())) + "行）。\n" +
                path,
            {}};
  all.insert(all.end(), tickets.begin(), tickets.end());
  if (const Done written = writeTicketsFile(path, all); !written) return {written.message(), written.cause()};
  return {};
}

CombosWindow::CombosWindow(const WindowDef& def, const History& history, std::string ticketsPath, QWidget* parent)
    : QWidget(parent),
      history_(history),
      ticketsPath_(std::move(ticketsPath)),
      space_(history),
      popularity_(std::make_shared<const PopularityModel>(fitPopularity(history))) {
  setObjectName(QString::fromUtf8(kCombosWindow));
  setFont(GridView::gridFont());
  QVBoxLayout* layout = windowColumn(this, def);

  // The conditions: the numbers and the sum at the left, the counts at the right.
  auto* conditionsBox = new QGroupBox(
      QStringLiteral("条件（何も選ばない条件は使いません。1つの条件で複数選ぶと、どれかに合う組合せ）"), this);
  auto* grid = new QGridLayout(conditionsBox);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  auto numbersField = [&](const char* name, const QString& example) {
    auto* f = new QLineEdit(conditionsBox);
    f->setObjectName(QString::fromUtf8(name));
    f->setPlaceholderText(example);
    f->setMaxLength(200);
    connect(f, &QLineEdit::textChanged, this, &CombosWindow::readConditions);
    return f;
  };
  auto countRow = [&](Condition c) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    const CountRange r = countRange(c);
    for (int v = r.first; v <= r.last; ++v) {
      auto* b = new QCheckBox(QString::number(v), conditionsBox);
      b->setObjectName(QStringLiteral("countBox%1_%2").arg(static_cast<int>(c)).arg(v));
      connect(b, &QCheckBox::toggled, this, &CombosWindow::readConditions);
      counts_[static_cast<size_t>(c)][static_cast<size_t>(v)] = b;
      row->addWidget(b);
    }
    row->addStretch(1);
    return row;
  };
  auto countLabel = [&](const QString& text, Condition c) {
    const CountRange r = countRange(c);
    return buddyLabel(text, counts_[static_cast<size_t>(c)][static_cast<size_t>(r.first)], conditionsBox);
  };

  axis_ = numbersField("TextAxis", QStringLiteral("例：3 7（4個まで）"));
  grid->addWidget(buddyLabel(QStringLiteral("軸数字(&A)"), axis_, conditionsBox), 0, 0);
  grid->addWidget(axis_, 0, 1, 1, 3);
  grid->addLayout(countRow(Condition::Odd), 0, 5);
  grid->addWidget(countLabel(QStringLiteral("奇数の個数(&O)"), Condition::Odd), 0, 4);

  excluded_ = numbersField("TextExcluded", QStringLiteral("例：1 2"));
  grid->addWidget(buddyLabel(QStringLiteral("除外数字(&E)"), excluded_, conditionsBox), 1, 0);
  grid->addWidget(excluded_, 1, 1, 1, 3);
  grid->addLayout(countRow(Condition::Low), 1, 5);
  grid->addWidget(countLabel(QStringLiteral("低数字（1〜15）の個数(&L)"), Condition::Low), 1, 4);

  sum_ = new QCheckBox(QStringLiteral("合計(&S)"), conditionsBox);
  sum_->setObjectName(QStringLiteral("sumCheck"));
  auto sumSpin = [&](int value, const char* name) {
    auto* s = new QSpinBox(conditionsBox);
    s->setObjectName(QString::fromUtf8(name));
    s->setRange(kMinLineSum, kMaxLineSum);
    s->setValue(value);
    connect(s, &QSpinBox::valueChanged, this, &CombosWindow::readConditions);
    return s;
  };
  sumFrom_ = sumSpin(60, "SpinSumFrom");
  sumTo_ = sumSpin(100, "SpinSumTo");
  connect(sum_, &QCheckBox::toggled, this, &CombosWindow::readConditions);
  grid->addWidget(sum_, 2, 0);
  grid->addWidget(sumFrom_, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("〜"), conditionsBox), 2, 2);
  grid->addWidget(sumTo_, 2, 3);
  grid->addLayout(countRow(Condition::Consecutive), 2, 5);
  grid->addWidget(countLabel(QStringLiteral("連番の数(&R)"), Condition::Consecutive), 2, 4);

  grid->addLayout(countRow(Condition::LastDigits), 3, 1, 1, 3);
  grid->addWidget(countLabel(QStringLiteral("下一桁の種類(&D)"), Condition::LastDigits), 3, 0);
  recentDraws_ = new QSpinBox(conditionsBox);
  recentDraws_->setObjectName(QStringLiteral("recentDrawsBox"));
  recentDraws_->setRange(1, kMaxRecentDraws);
  recentDraws_->setValue(Conditions{}.recentDraws);
  connect(recentDraws_, &QSpinBox::valueChanged, this, &CombosWindow::readConditions);
  auto* recentName = new QHBoxLayout;
  recentName->setSpacing(2);
  recentName->addWidget(buddyLabel(QStringLiteral("直近(&N)"), recentDraws_, conditionsBox));
  recentName->addWidget(recentDraws_);
  recentName->addWidget(new QLabel(QStringLiteral("回に出た数字の個数"), conditionsBox));
  grid->addLayout(recentName, 3, 4);
  grid->addLayout(countRow(Condition::Recent), 3, 5);

  clear_ = new QPushButton(QStringLiteral("条件をすべて外す(&X)"), conditionsBox);
  clear_->setObjectName(QStringLiteral("clearButton"));
  connect(clear_, &QPushButton::clicked, this, [this] {
    const QSignalBlocker a(axis_), e(excluded_), s(sum_);
    axis_->clear();
    excluded_->clear();
    sum_->setChecked(false);
    for (auto& row : counts_)
      for (QCheckBox* b : row)
        if (b) {
          const QSignalBlocker block(b);
          b->setChecked(false);
        }
    readConditions();
  });
  grid->addWidget(clear_, 4, 0, 1, 4, Qt::AlignLeft);
  problem_ = plainLabel(conditionsBox, "LabelProblem");
  QPalette red = problem_->palette();
  red.setColor(QPalette::WindowText, QColor(192, 0, 0));
  problem_->setPalette(red);
  grid->addWidget(problem_, 4, 4, 1, 2);
  grid->setColumnStretch(5, 1);
  layout->addWidget(conditionsBox);

  // The figures, and what they mean.
  figuresView_ = new GridView(this);
  figuresView_->setObjectName(QStringLiteral("figuresView"));
  layout->addWidget(figuresView_, 0, Qt::AlignLeft);
  sentence_ = plainLabel(this, "LabelShares");
  layout->addWidget(sentence_);

  // The lines: how they are made at the left, the lines at the right.
  auto* linesRow = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* waysBox = new QGroupBox(QStringLiteral("口の作り方（条件に合う組合せから）"), this);
  auto* ways = new QGridLayout(waysBox);
  ways->setVerticalSpacing(3);
  const char* modeTexts[] = {"すべて(&B)（10,000口まで）", "無作為に(&K)", "保証つき(&W)"};
  for (size_t m = 0; m < modes_.size(); ++m) {
    modes_[m] = new QRadioButton(QString::fromUtf8(modeTexts[m]), waysBox);
    modes_[m]->setObjectName(QStringLiteral("modeOption%1").arg(m));
    connect(modes_[m], &QRadioButton::toggled, this, &CombosWindow::modeChanged);
  }
  ways->addWidget(modes_[0], 0, 0, 1, 2);

  auto* random = new QHBoxLayout;
  random->setSpacing(4);
  randomCount_ = new QSpinBox(waysBox);
  randomCount_->setObjectName(QStringLiteral("randomCountBox"));
  randomCount_->setRange(1, kMaxLinesShown);
  randomCount_->setValue(kDefaultRandomLines);
  random->addWidget(randomCount_);
  random->addWidget(new QLabel(QStringLiteral("口"), waysBox));
  random->addSpacing(8);
  seed_ = new QLineEdit(waysBox);
  seed_->setObjectName(QStringLiteral("seedField"));
  seed_->setValidator(new QIntValidator(0, static_cast<int>(kMaxSeed), seed_));
  seed_->setText(QString::number(QRandomGenerator::global()->bounded(static_cast<quint32>(kMaxSeed) + 1)));
  seed_->setFixedWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("0000000000")) + 12);
  seed_->setToolTip(QStringLiteral("同じシードと同じ条件からは、同じ口ができます"));
  random->addWidget(buddyLabel(QStringLiteral("シード(&I)"), seed_, waysBox));
  random->addWidget(seed_);
  newSeed_ = new QPushButton(QStringLiteral("シードを変える(&G)"), waysBox);
  newSeed_->setObjectName(QStringLiteral("newSeedButton"));
  connect(newSeed_, &QPushButton::clicked, this, [this] {
    seed_->setText(QString::number(QRandomGenerator::global()->bounded(static_cast<quint32>(kMaxSeed) + 1)));
  });
  random->addWidget(newSeed_);
  random->addStretch(1);
  ways->addWidget(modes_[1], 1, 0);
  ways->addLayout(random, 1, 1);

  pool_ = new QLineEdit(waysBox);
  pool_->setObjectName(QStringLiteral("poolField"));
  pool_->setMaxLength(200);
  auto* poolRow = new QHBoxLayout;
  poolRow->setSpacing(4);
  poolRow->addWidget(buddyLabel(QStringLiteral("数字(&P)"), pool_, waysBox));
  poolRow->addWidget(pool_, 1);
  ways->addWidget(modes_[2], 2, 0);
  ways->addLayout(poolRow, 2, 1);
  auto spin = [&](int from, int to, int value, const char* name) {
    auto* s = new QSpinBox(waysBox);
    s->setObjectName(QString::fromUtf8(name));
    s->setRange(from, to);
    s->setValue(value);
    return s;
  };
  ifDrawn_ = spin(3, 5, 3, "SpinIfDrawn");
  match_ = spin(2, 4, 3, "SpinMatch");
  // M is never below T
  connect(match_, &QSpinBox::valueChanged, this, [this](int t) { ifDrawn_->setMinimum(t); });
  ifDrawn_->setMinimum(match_->value());
  auto* guarantee = new QHBoxLayout;
  guarantee->setSpacing(2);
  guarantee->addWidget(new QLabel(QStringLiteral("当せん数字のうち"), waysBox));
  guarantee->addWidget(ifDrawn_);
  guarantee->addWidget(new QLabel(QStringLiteral("個が選んだ数字に入っていれば、少なくとも1口は"), waysBox));
  guarantee->addWidget(match_);
  guarantee->addWidget(new QLabel(QStringLiteral("個一致"), waysBox));
  guarantee->addStretch(1);
  ways->addLayout(guarantee, 3, 1);

  // 賞金倍率: the order of the lines made and the least factor kept
  auto* factor = new QHBoxLayout;
  factor->setSpacing(4);
  const QString factorTip = QStringLiteral(
      "賞金倍率は、その口が当たったときの賞金の期待値が平均的な買い目の何倍かの推定です"
      "（人気度から）。当たりやすさは変わりません。");
  sortByFactor_ = new QCheckBox(QStringLiteral("賞金倍率の高い順に並べる(&F)"), waysBox);
  sortByFactor_->setObjectName(QStringLiteral("sortByFactorCheck"));
  sortByFactor_->setToolTip(factorTip);
  connect(sortByFactor_, &QCheckBox::toggled, this, &CombosWindow::showMade);
  factor->addWidget(sortByFactor_);
  factor->addSpacing(8);
  minFactor_ = new QDoubleSpinBox(waysBox);
  minFactor_->setObjectName(QStringLiteral("minFactorBox"));
  minFactor_->setRange(0, kMaxMinFactor);
  minFactor_->setSingleStep(kMinFactorStep);
  minFactor_->setDecimals(2);
  minFactor_->setSuffix(QStringLiteral("倍以上"));
  minFactor_->setSpecialValueText(QStringLiteral("すべて"));
  minFactor_->setToolTip(factorTip + QStringLiteral("保証つきの口は、保証を保つため減らさずに並べ替えだけします。"));
  connect(minFactor_, &QDoubleSpinBox::valueChanged, this, &CombosWindow::showMade);
  factor->addWidget(buddyLabel(QStringLiteral("残す口の賞金倍率(&Y)"), minFactor_, waysBox));
  factor->addWidget(minFactor_);
  factor->addStretch(1);
  ways->addLayout(factor, 4, 0, 1, 2);
  factorNote_ = plainLabel(waysBox, "LabelFactor");
  ways->addWidget(factorNote_, 5, 0, 1, 2);
  if (!popularity_->fitted()) {
    // the column 賞金倍率 is left out, and the window says why
    sortByFactor_->setEnabled(false);
    minFactor_->setEnabled(false);
    factorNote_->setText(QStringLiteral("賞金倍率：") + q(notFittedText(*popularity_)));
  } else {
    factorNote_->hide();
  }

  auto* run = new QHBoxLayout;
  make_ = new QPushButton(QStringLiteral("作成(&M)"), waysBox);
  make_->setObjectName(QStringLiteral("makeButton"));
  connect(make_, &QPushButton::clicked, this, &CombosWindow::makeLines);
  cancel_ = new QPushButton(QStringLiteral("キャンセル(&C)"), waysBox);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (stop_) stop_->store(true);
  });
  progress_ = new QProgressBar(waysBox);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 100);
  progress_->hide();
  run->addWidget(make_);
  run->addWidget(cancel_);
  run->addWidget(progress_, 1);
  run->addStretch(0);
  ways->addLayout(run, 6, 0, 1, 2);
  left->addWidget(waysBox);

  result_ = plainLabel(this, "LabelResult");
  left->addWidget(result_);
  handOff_ = new QPushButton(QStringLiteral("当選確認に入れる(&T)"), this);
  handOff_->setObjectName(QStringLiteral("handOffButton"));
  handOff_->setToolTip(QStringLiteral("並んでいる口を、次の回の買い目として当選確認に入れます"));
  connect(handOff_, &QPushButton::clicked, this, &CombosWindow::handOff);
  left->addWidget(handOff_, 0, Qt::AlignLeft);
  left->addStretch(1);
  linesRow->addLayout(left, 1);
  linesView_ = new GridView(this);
  linesView_->setObjectName(QStringLiteral("linesView"));
  linesView_->setGrowsToShowMore(true);
  linesRow->addWidget(linesView_, 0, Qt::AlignTop);
  layout->addLayout(linesRow, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setObjectName(QStringLiteral("closeButton"));
  connect(close_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(close_);
  layout->addLayout(bottom);

  modes_[static_cast<size_t>(Mode::Random)]->setChecked(true);
  showLines({}, QStringLiteral("条件を選び、口の作り方を選んで「作成」を押してください。"), {});
  readConditions();
}

CombosWindow::~CombosWindow() {
  // the search ends at once; its thread owns what it reads
  if (stop_) stop_->store(true);
  if (watcher_) watcher_->disconnect(this);
  if (factorWatcher_) factorWatcher_->disconnect(this);
}

QCheckBox* CombosWindow::countBox(Condition c, int value) const {
  if (value < 0 || value > 5) return nullptr;
  return counts_[static_cast<size_t>(c)][static_cast<size_t>(value)];
}

QString CombosWindow::problem() const { return problems_.join(QLatin1Char('\n')); }

void CombosWindow::readConditions() {
  problems_.clear();
  Conditions c;
  auto numbers = [&](QLineEdit* field, const char* name, NumberSet& out) {
    const NumberSetParse p = parseNumberSet(field->text().toStdString());
    markWrong(field, !p.ok());
    if (p.ok())
      out = p.set;
    else
      problems_ << QStringLiteral("%1：%2。").arg(QString::fromUtf8(name), q(p.error));
  };
  numbers(axis_, "軸数字", c.axis);
  numbers(excluded_, "除外数字", c.excluded);
  Conditions numbersOnly;
  numbersOnly.axis = c.axis;
  numbersOnly.excluded = c.excluded;
  if (const std::string why = conditionsProblem(numbersOnly); !why.empty()) {
    problems_ << q(why);
    c.axis = c.excluded = 0;
  }
  c.sum = sum_->isChecked();
  c.sumFrom = sumFrom_->value();
  c.sumTo = sumTo_->value();
  if (c.sum && c.sumFrom > c.sumTo) {
    problems_ << QStringLiteral("合計の範囲が逆です（%1〜%2）。").arg(c.sumFrom).arg(c.sumTo);
    c.sum = false;
  }
  for (Condition which : kCounted) {
    CountSet s = 0;
    for (size_t v = 0; v < 6; ++v)
      if (QCheckBox* b = counts_[static_cast<size_t>(which)][v]; b && b->isChecked())
        s = static_cast<CountSet>(s | (1u << v));
    switch (which) {
      case Condition::Odd:
        c.odd = s;
        break;
      case Condition::Low:
        c.low = s;
        break;
      case Condition::Consecutive:
        c.consecutive = s;
        break;
      case Condition::Recent:
        c.recent = s;
        break;
      default:
        c.lastDigits = s;
        break;
    }
  }
  c.recentDraws = recentDraws_->value();
  conditions_ = c;
  showFigures();
}

void CombosWindow::showFigures() {
  figures_ = space_.figures(conditions_);
  figuresGrid_ = km::figuresGrid(figures_, conditions_);
  figuresView_->setGrid(&figuresGrid_);
  sentence_->setText(q(sharesSentence(figures_)));
  problem_->setText(problems_.isEmpty() ? QString()
                                        : problem() + QStringLiteral("\n誤りのある条件は使わずに数えています。"));
  problem_->setVisible(!problems_.isEmpty());
  pool_->setPlaceholderText(QStringLiteral("空欄なら条件で残る数字（%1個）").arg(numberCount(figures_.numbersLeft)));
  result_->setText(linesResult_ + staleNote());
  updateButtons();
}

QString CombosWindow::staleNote() const {
  if (lines_.empty() || linesMadeWith_ == conditions_) return {};
  return QStringLiteral("\n（この口は変える前の条件で作りました。今の条件で作るには「作成」を押してください。）");
}

void CombosWindow::showLines(std::vector<TicketNumbers> lines, const QString& result, const QString& note,
                             std::vector<double> factors, bool wheel) {
  made_ = {std::move(lines), std::move(factors), result, note, wheel};
  showMade();
}

FactorChoice CombosWindow::factorChoice() const {
  if (!popularity_->fitted()) return {};
  return {sortByFactor_->isChecked(), minFactor_->value()};
}

void CombosWindow::showMade() {
  if (busy()) return;  // the lines come when the work ends
  const FactorChoice choice = factorChoice();
  FactoredLines kept = chooseByFactor(made_.lines, made_.factors, choice, made_.wheel);
  const std::string said = factorSentence(made_.lines.size(), kept, made_.factors, choice, made_.wheel);
  lines_ = std::move(kept.lines);
  factors_ = std::move(kept.factors);
  linesGrid_ = km::linesGrid(lines_, factors_);
  linesView_->setGrid(&linesGrid_);
  linesResult_ = made_.result + (said.empty() ? QString() : QStringLiteral("\n") + q(said));
  linesNote_ = made_.note;
  if (kept.filtered) linesNote_ += QStringLiteral("・賞金倍率%1倍以上").arg(q(minimumText(choice.minimum)));
  result_->setText(linesResult_ + staleNote());
  updateButtons();
  emit linesShown();
}

void CombosWindow::offerLines(std::vector<TicketNumbers> lines, const QString& result, const QString& note,
                              bool wheel) {
  if (lines.empty() || !popularity_->fitted()) return showLines(std::move(lines), result, note, {}, wheel);
  made_ = {std::move(lines), {}, result, note, wheel};
  startFactors();
}

void CombosWindow::startProgress(const QString& format) {
  progress_->setFormat(format);
  progress_->setValue(0);
  progress_->show();
  lines_.clear();
  factors_.clear();
  linesGrid_ = km::linesGrid(lines_);
  linesView_->setGrid(&linesGrid_);
}

// The factor of 10,000 lines takes about a second: it is worked out on a
// worker thread, from the model fitted when the window opened.
void CombosWindow::startFactors() {
  auto lines = std::make_shared<const std::vector<TicketNumbers>>(made_.lines);
  stop_ = std::make_shared<std::atomic<bool>>(false);
  factorWatcher_ = new QFutureWatcher<std::vector<double>>(this);
  connect(factorWatcher_, &QFutureWatcher<std::vector<double>>::progressValueChanged, progress_,
          &QProgressBar::setValue);
  connect(factorWatcher_, &QFutureWatcher<std::vector<double>>::finished, this, &CombosWindow::factorsEnded);
  auto promise = std::make_shared<QPromise<std::vector<double>>>();
  factorWatcher_->setFuture(promise->future());
  promise->start();
  promise->setProgressRange(0, 100);
  QThreadPool::globalInstance()->start([promise, lines, model = popularity_, stop = stop_] {
    std::vector<double> f =
        km::lineFactors(*model, *lines, stop.get(), [promise](int percent) { promise->setProgressValue(percent); });
    promise->addResult(std::move(f));
    promise->finish();
  });
  startProgress(QStringLiteral("賞金倍率を計算しています… %p%"));
  linesResult_ =
      QStringLiteral("%1口の賞金倍率を計算しています。").arg(q(groupedFigure(static_cast<long long>(lines->size()))));
  result_->setText(linesResult_);
  updateButtons();
}

void CombosWindow::factorsEnded() {
  QFutureWatcher<std::vector<double>>* w = std::exchange(factorWatcher_, nullptr);
  std::vector<double> factors;
  if (w->future().resultCount() > 0) factors = w->future().takeResult();
  w->deleteLater();
  stop_.reset();
  progress_->hide();
  if (factors.size() != made_.lines.size())
    return showLines({}, QStringLiteral("賞金倍率の計算をキャンセルしました。"), {});
  made_.factors = std::move(factors);
  showMade();
}

void CombosWindow::modeChanged() { updateButtons(); }

void CombosWindow::updateButtons() {
  const bool running = busy();
  make_->setEnabled(problems_.isEmpty() && !running);
  cancel_->setEnabled(running);
  handOff_->setEnabled(!lines_.empty() && !running);
  const bool random = modes_[static_cast<size_t>(Mode::Random)]->isChecked();
  const bool wheel = modes_[static_cast<size_t>(Mode::Wheel)]->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{randomCount_, seed_, newSeed_}) w->setEnabled(random);
  for (QWidget* w : std::initializer_list<QWidget*>{pool_, match_, ifDrawn_}) w->setEnabled(wheel);
}

void CombosWindow::makeLines() {
  if (!problems_.isEmpty() || busy()) return;
  linesMadeWith_ = conditions_;
  if (modes_[static_cast<size_t>(Mode::All)]->isChecked()) {
    std::vector<TicketNumbers> kept = space_.keptLines(conditions_, kMaxLinesShown + 1);
    if (kept.empty()) return showLines({}, QStringLiteral("条件に合う組合せはありません。"), {});
    if (kept.size() > static_cast<size_t>(kMaxLinesShown))
      return showLines({},
                       QStringLiteral("条件に合う組合せは%1口あり、%2口を超えるため並べません。条件で絞るか、"
                                      "「無作為に」で口数を決めてください。")
                           .arg(q(groupedFigure(figures_.all.kept)), q(groupedFigure(kMaxLinesShown))),
                       {});
    const long long n = static_cast<long long>(kept.size());
    return offerLines(std::move(kept),
                      QStringLiteral("条件に合う組合せすべて：%1口（%2）。").arg(q(groupedFigure(n)), yen(n)),
                      QStringLiteral("組合せ作成：条件に合うすべて"), false);
  }
  if (modes_[static_cast<size_t>(Mode::Random)]->isChecked()) {
    bool ok = false;
    const qulonglong seed = seed_->text().toULongLong(&ok);
    if (!ok || seed > kMaxSeed)
      return showLines({}, QStringLiteral("シードは0〜%1の整数を入れてください。").arg(kMaxSeed), {});
    const int want = randomCount_->value();
    std::vector<TicketNumbers> lines = space_.sampleLines(conditions_, want, seed);
    if (lines.empty()) return showLines({}, QStringLiteral("条件に合う組合せはありません。"), {});
    const long long n = static_cast<long long>(lines.size());
    const QString said =
        n < want
            ? QStringLiteral("条件に合う組合せは%1口しかないため、すべてを並べました（%2）。")
                  .arg(q(groupedFigure(n)), yen(n))
            : QStringLiteral("条件に合う組合せ%1口から無作為に%2口（%3）。シード%4：同じシードと条件なら同じ口です。")
                  .arg(q(groupedFigure(figures_.all.kept)), q(groupedFigure(n)), yen(n))
                  .arg(seed);
    return offerLines(std::move(lines), said, QStringLiteral("組合せ作成：無作為（シード%1）").arg(seed), false);
  }
  const NumberSetParse pool = parseNumberSet(pool_->text().toStdString());
  if (!pool.ok()) return showLines({}, QStringLiteral("保証つきの数字：%1。").arg(q(pool.error)), {});
  WheelPlan plan = planWheel(space_, conditions_, pool.set, match_->value(), ifDrawn_->value());
  if (!plan.ok()) return showLines({}, q(plan.problem), {});
  startWheel(std::move(plan));
}

void CombosWindow::startWheel(WheelPlan plan) {
  auto shared = std::make_shared<const WheelPlan>(std::move(plan));
  wheelPlan_ = shared;
  stop_ = std::make_shared<std::atomic<bool>>(false);
  watcher_ = new QFutureWatcher<WheelOutcome>(this);
  connect(watcher_, &QFutureWatcher<WheelOutcome>::progressValueChanged, progress_, &QProgressBar::setValue);
  connect(watcher_, &QFutureWatcher<WheelOutcome>::finished, this, &CombosWindow::wheelEnded);
  auto promise = std::make_shared<QPromise<WheelOutcome>>();
  watcher_->setFuture(promise->future());
  promise->start();
  promise->setProgressRange(0, 100);
  QThreadPool::globalInstance()->start([promise, shared, stop = stop_] {
    WheelOutcome o = runWheel(*shared, stop.get(), [promise](int percent) { promise->setProgressValue(percent); });
    promise->addResult(std::move(o));
    promise->finish();
  });
  startProgress(QStringLiteral("保証つきの口を探しています… %p%"));
  linesResult_ = QStringLiteral("保証つきの口を探しています（%1個の数字、%2）。その間もウィンドウは使えます。")
                     .arg(shared->pool.size())
                     .arg(q(guaranteeText(shared->match, shared->ifDrawn)));
  result_->setText(linesResult_);
  updateButtons();
}

void CombosWindow::wheelEnded() {
  QFutureWatcher<WheelOutcome>* w = std::exchange(watcher_, nullptr);
  WheelOutcome o;
  o.status = WheelOutcome::Cancelled;
  if (w->future().resultCount() > 0) o = w->future().takeResult();
  w->deleteLater();
  stop_.reset();
  progress_->hide();
  const WheelPlan& plan = *wheelPlan_;
  const QString said = q(wheelSummary(plan, o));
  if (o.status != WheelOutcome::Made) return showLines({}, said, {});
  offerLines(std::move(o.lines), said,
             QStringLiteral("組合せ作成：保証つき（%1個入れば%2個一致）").arg(plan.ifDrawn).arg(plan.match), true);
}

void CombosWindow::handOff() {
  if (lines_.empty() || busy()) return;
  const int next = std::clamp(history_.stats.LastDrawNo + 1, kMinDrawNo, kMaxDrawNo);
  const long long n = static_cast<long long>(lines_.size());
  const Message ask{QMessageBox::Question,
                    QStringLiteral("%1口（%2）を、第%3回の買い目として当選確認に入れますか？")
                        .arg(q(groupedFigure(n)), yen(n))
                        .arg(next),
                    {},
                    QMessageBox::Yes | QMessageBox::No,
                    QMessageBox::Yes};
  if (execMessage(this, ask) != QMessageBox::Yes) return;
  std::vector<Ticket> tickets;
  tickets.reserve(lines_.size());
  for (const TicketNumbers& l : lines_) tickets.push_back({next, 1, l, linesNote_.toStdString()});
  if (TicketsWindow* open = openTicketsWindow(this)) {
    // the open window writes the file: its lines stay as the user left them
    const int room = kMaxTickets - (open->model()->rowCount() - 1);
    if (n > room)
      return showStop(this, QStringLiteral("買い目は%1行までのため、%2口は入れられません（あと%3行）。")
                                .arg(kMaxTickets)
                                .arg(n)
                                .arg(std::max(room, 0)));
    if (!open->addTickets(tickets)) return;  // it has said why
  } else {
    const TicketsAdd added = addTicketsToFile(ticketsPath_, tickets);
    if (!added.ok()) return showStop(this, q(added.message), q(added.cause));
  }
  result_->setText(
      linesResult_ + staleNote() +
      QStringLiteral("\n当選確認に第%1回の買い目として%2口を入れました。").arg(next).arg(q(groupedFigure(n))));
}

}  // namespace km
