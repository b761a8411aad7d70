#include "tickets/tickets_window.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <set>

#include "analyses/popularity/popularity_model.h"
#include "analyses/tickets/ticket_check.h"
#include "tickets/tickets_model.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/message_box.h"
#include "frame/ui/wrapped_label.h"

namespace km {

namespace {

constexpr int kVisibleTicketLines = 8;
constexpr int kFewestWins = 4;  // the rows of wins the list keeps when the lines around it grow
constexpr int kMaxErrorsShown = 10;

WrappedLabel* plainLabel(const QString& text, QWidget* parent, const char* name) {
  auto* l = new WrappedLabel(text, parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(QString::fromUtf8(name));
  return l;
}

}  // namespace

void TicketsGrid::paste() {
  if (pasteLines && pasteLines(QApplication::clipboard()->text())) return;
  EntryGrid::paste();
}

TicketsWindow::TicketsWindow(const WindowDef& def, const History& history, std::string path, QWidget* parent,
                             const ConnectString& database, PredictionLines predictionLines)
    : QWidget(parent), history_(history), path_(std::move(path)), predictionLines_(std::move(predictionLines)) {
  setObjectName(QStringLiteral("当選確認"));
  setFont(GridView::gridFont());
  model_ = new TicketsModel(path_, history_.stats.LastDrawNo + 1, this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setSpacing(4);
  layout->addWidget(plainLabel(QString::fromStdString(def.description), this, "descriptionLabel"));

  // The tickets.
  damaged_ = plainLabel({}, this, "LabelDamaged");
  QPalette red = damaged_->palette();
  red.setColor(QPalette::WindowText, QColor(192, 0, 0));
  damaged_->setPalette(red);
  layout->addWidget(damaged_);
  tickets_ = new TicketsGrid(this);
  tickets_->setObjectName(QStringLiteral("ticketsView"));
  tickets_->setAccessibleName(QString::fromStdString(def.caption) + QStringLiteral("　買い目"));
  tickets_->setModel(model_);
  tickets_->pasteLines = [this](const QString& text) { return pasteLines(text); };
  const QFontMetrics fm(GridView::gridFont());
  const int rowHeight = fm.height() + 6;
  tickets_->verticalHeader()->setDefaultSectionSize(rowHeight);
  tickets_->verticalHeader()->setFixedWidth(fm.horizontalAdvance(QStringLiteral("0000")) + 10);
  tickets_->horizontalHeader()->setFixedHeight(rowHeight);
  const int digit = fm.horizontalAdvance(QStringLiteral("0"));
  tickets_->setColumnWidth(TicketsModel::From, digit * 7);
  tickets_->setColumnWidth(TicketsModel::Draws, digit * 8);
  for (int c = TicketsModel::FirstNumber; c <= TicketsModel::LastNumber; ++c) tickets_->setColumnWidth(c, digit * 6);
  tickets_->setColumnWidth(TicketsModel::Factor, digit * 10);
  tickets_->horizontalHeader()->setSectionResizeMode(TicketsModel::Note, QHeaderView::Stretch);
  // what each line would pay if it won, against the average line (人気度)
  auto popularity = std::make_shared<const PopularityModel>(fitPopularity(history_));
  if (popularity->fitted())
    model_->setFactorOf([popularity](const TicketNumbers& numbers) {
      return std::optional<double>(estimateLine(*popularity, numbers).factor);
    });
  tickets_->setFixedHeight(tickets_->horizontalHeader()->height() + kVisibleTicketLines * rowHeight +
                           2 * tickets_->frameWidth());
  layout->addWidget(tickets_);

  auto* ticketButtons = new QHBoxLayout;
  ticketButtons->addWidget(
      plainLabel(QStringLiteral("数字は全角でも、「3 7 12 20 31」のように1つのセルにまとめても入力できます。"
                                "数字5個ずつの行を貼り付けると（Ctrl+V）、次の回の買い目として加わります。"),
                 this, "LabelHint"),
      1);
  delete_ = new QPushButton(QStringLiteral("行削除(&R)"), this);
  delete_->setObjectName(QStringLiteral("deleteButton"));
  connect(delete_, &QPushButton::clicked, this, &TicketsWindow::deleteSelectedLines);
  ticketButtons->addWidget(delete_, 0, Qt::AlignTop);
  prediction_ = new QPushButton(QStringLiteral("一発ゼノバ予想を入れる(&Y)"), this);
  prediction_->setObjectName(QStringLiteral("predictionButton"));
  prediction_->setToolTip(QStringLiteral("一発ゼノバ予想の数字5個の行を、次の回の買い目として入れます"));
  prediction_->setEnabled(static_cast<bool>(predictionLines_));
  connect(prediction_, &QPushButton::clicked, this, &TicketsWindow::addPrediction);
  ticketButtons->addWidget(prediction_, 0, Qt::AlignTop);
  afresh_ = new QPushButton(QStringLiteral("壊れたファイルを残して新しく始める(&N)"), this);
  afresh_->setObjectName(QStringLiteral("afreshButton"));
  connect(afresh_, &QPushButton::clicked, this, &TicketsWindow::startAfresh);
  ticketButtons->addWidget(afresh_, 0, Qt::AlignTop);
  layout->addLayout(ticketButtons);

  // Any line over the whole history.
  auto* lineRow = new QHBoxLayout;
  auto* lineCaption = new QLabel(QStringLiteral("この数字なら(&L)"), this);
  lineCaption->setObjectName(QStringLiteral("lineLabel"));
  lineRow->addWidget(lineCaption);
  lineField_ = new QLineEdit(this);
  lineField_->setObjectName(QStringLiteral("lineField"));
  lineField_->setPlaceholderText(QStringLiteral("例：3 7 12 20 31"));
  lineField_->setFixedWidth(digit * 22);
  lineCaption->setBuddy(lineField_);
  lineRow->addWidget(lineField_);
  lineRow->addStretch(1);
  layout->addLayout(lineRow);
  lineResult_ = plainLabel({}, this, "lineResult");
  layout->addWidget(lineResult_);
  connect(lineField_, &QLineEdit::textChanged, this, &TicketsWindow::checkLine);

  // The wins.
  view_ = new GridView(this);
  view_->setObjectName(QStringLiteral("gridView"));
  view_->setLegend(def.legend);  // what the marks mean, for a screen reader
  view_->setAccessibleName(QStringLiteral("当せん"));
  // The list takes the room the window has under the lines above it, however
  // few wins there are: the lines under it and 閉じる stay right below it,
  // with no empty band over 閉じる.  When a line above or below it grows (a
  // line checked over the history, the wins whose prize is unknown) it gives
  // up rows, down to its heading and a few wins, rather than lie under them.
  {
    const Grid sample = km::ticketsGrid({}, {});
    GridView measure;
    measure.setGrid(&sample);
    view_->setMinimumHeight(2 * view_->frameWidth() + (1 + kFewestWins) * (measure.rowY(2) - measure.rowY(1)));
  }
  view_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
  layout->addWidget(view_, 1, Qt::AlignLeft);
  // the marks of the wins: a swatch of each colour and its meaning (the window's own texts)
  QString legend;
  for (const LegendItem& item : def.legend)
    legend +=
        QStringLiteral("<span style=\"background-color:rgb(%1,%2,%3)\">&nbsp;&nbsp;&nbsp;&nbsp;</span>%4&nbsp;&nbsp;")
            .arg(item.sampleBg.r)
            .arg(item.sampleBg.g)
            .arg(item.sampleBg.b)
            .arg(QString::fromStdString(item.label).toHtmlEscaped());
  auto* legendLabel = new QLabel(legend, this);
  legendLabel->setObjectName(QStringLiteral("legendLabel"));
  legendLabel->setTextFormat(Qt::RichText);
  layout->addWidget(legendLabel);
  chance_ = plainLabel({}, this, "LabelChance");
  layout->addWidget(chance_);
  // two short lines that never wrap (a wrap could split "1,100円" after its comma)
  totals_ = new QLabel(this);
  totals_->setTextFormat(Qt::PlainText);
  totals_->setObjectName(QStringLiteral("totalsLabel"));
  layout->addWidget(totals_);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  close_ = new QPushButton(QStringLiteral("閉じる"), this);
  close_->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(close_);
  connect(close_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(close_);
  layout->addLayout(bottom);

  connect(model_, &TicketsModel::ticketsChanged, this, &TicketsWindow::refresh);
  // A failed write is told after the edit has finished, never inside it.
  connect(
      model_, &TicketsModel::writeFailed, this,
      [this](const QString& text, const QString& details) { showStop(this, text, details); }, Qt::QueuedConnection);

  const Result<TicketList> read = model_->load();
  const bool bad = read.kind() == Fault::Damaged || read.kind() == Fault::Unreadable;
  damaged_->setText(bad ? QString::fromStdString(read.message()) : QString());
  damaged_->setVisible(bad);
  afresh_->setVisible(read.kind() == Fault::Damaged);
  delete_->setEnabled(!bad);
  if (bad) {
    const Message m{QMessageBox::Warning, QString::fromStdString(read.message()), QString::fromStdString(read.cause())};
    QTimer::singleShot(0, this, [this, m] { showMessageLater(this, m); });
  }
  checkLine();
  if (!database.path.empty()) readDates(database);
}

TicketsWindow::~TicketsWindow() {
  stop_.stop();
  if (dateReader_.joinable()) dateReader_.join();
}

// Every draw's date, read on a thread of its own (bounded by the read's time
// limit, stopped when the window goes); a failed read leaves the dates out.
void TicketsWindow::readDates(const ConnectString& database) {
  QPointer<TicketsWindow> self(this);
  datesRead_ = false;
  dateReader_ = std::thread([this, self, database] {
    LoadResult r = loadHistory(database, true, ReadLimits{kReadTimeLimit, &stop_});
    std::map<int, std::string> dates;
    std::optional<PrizeTable> prizes;
    if (r) {
      for (const Draw& d : r->draws)
        if (!d.date.empty()) dates.emplace(d.no, d.date);
      prizes = std::move(r->prizes);
    }
    QMetaObject::invokeMethod(
        qApp,
        [self, dates = std::move(dates), prizes = std::move(prizes)]() mutable {
          if (!self) return;
          self->datesRead_ = true;
          self->dates_ = std::move(dates);
          // the prizes as the file holds them now: those typed since the start count too
          if (prizes && *prizes != self->history_.prizes) {
            self->withPrizes_ = std::make_unique<History>(self->history_);
            self->withPrizes_->prizes = std::move(*prizes);
          }
          self->refresh();
          self->checkLine();
        },
        Qt::QueuedConnection);
  });
}

void TicketsWindow::refresh() {
  const std::vector<Ticket>& tickets = model_->tickets();
  TicketsCheck check = checkTickets(checked(), tickets);
  for (TicketWin& w : check.wins)
    if (auto it = dates_.find(w.draw); w.date.empty() && it != dates_.end()) w.date = it->second;
  grid_ = km::ticketsGrid(check, tickets);
  view_->setGrid(&grid_);
  chance_->setText(QString::fromStdString(chanceSentence(chanceReturn(checked()), check)));
  totals_->setText(QString::fromStdString(totalsText(check)));
}

void TicketsWindow::checkLine() {
  const std::string text = lineField_->text().toStdString();
  if (lineField_->text().trimmed().isEmpty()) {
    lineResult_->setText(
        QStringLiteral("5個の数字を入れると、保存されている全回で買っていたらどうだったかを示します。"));
    return;
  }
  const Result<TicketNumbers> p = parseTicketNumbers(text);
  if (!p) return lineResult_->setText(QString::fromStdString(p.message() + "。"));
  LineOverHistory r = checkLineOverHistory(checked(), *p);
  if (auto it = r.best ? dates_.find(r.best->draw) : dates_.end(); it != dates_.end() && r.best->date.empty())
    r.best->date = it->second;
  lineResult_->setText(QString::fromStdString(lineOverHistoryText(r)));
}

bool TicketsWindow::addTickets(const std::vector<Ticket>& tickets, bool skipKnown) {
  std::vector<Ticket> added;
  auto same = [](const Ticket& a, const Ticket& b) {
    return a.from == b.from && a.draws == b.draws && a.numbers == b.numbers;
  };
  for (const Ticket& t : tickets) {
    auto known = [&](const std::vector<Ticket>& in) {
      return std::any_of(in.begin(), in.end(), [&](const Ticket& k) { return same(k, t); });
    };
    if (!skipKnown || (!known(model_->tickets()) && !known(added))) added.push_back(t);
  }
  if (added.empty() && !model_->locked()) return true;
  if (model_->appendTickets(added) < static_cast<int>(added.size())) {
    const QString why = model_->locked()
                            ? QStringLiteral("買い目のファイルが壊れているため、買い目を加えられません。")
                            : QStringLiteral("買い目は%1行までです。これ以上は加えられません。").arg(kMaxTickets);
    showMessageLater(this, {QMessageBox::Warning, why + QLatin1Char('\n') + QString::fromStdString(path_)});
    return false;
  }
  tickets_->scrollToBottom();
  return true;
}

void TicketsWindow::addPrediction() {
  if (!predictionLines_) return;
  std::vector<std::string> left;
  const std::vector<Ticket> lines = predictionLines_(&left);
  const int before = static_cast<int>(model_->tickets().size());
  if (!addTickets(lines, true)) return;  // said why
  const int added = static_cast<int>(model_->tickets().size()) - before;
  QString text =
      QStringLiteral("一発ゼノバ予想の%1行を、第%2回の買い目として入れました。").arg(added).arg(model_->nextDraw());
  if (added < static_cast<int>(lines.size()))
    text += QStringLiteral("（%1行は同じ回の買い目にすでにあります）").arg(static_cast<int>(lines.size()) - added);
  if (!left.empty()) {
    text += QStringLiteral("\n次の予想は数字5個の行ではないため、入れていません：");
    for (const std::string& l : left) text += QStringLiteral("\n・") + QString::fromStdString(l);
  }
  showMessageLater(this, {QMessageBox::Information, text});
}

bool TicketsWindow::pasteLines(const QString& text) {
  const PastedLines p = parsePastedLines(text.toStdString());
  if (p.lines.empty()) return false;
  std::vector<Ticket> tickets;
  for (const TicketNumbers& n : p.lines) tickets.push_back({model_->nextDraw(), 1, n, {}});
  addTickets(tickets);
  if (!p.errors.empty()) {
    QString text = QStringLiteral("次の行は数字5個ではないため入れませんでした。");
    for (size_t i = 0; i < p.errors.size() && i < static_cast<size_t>(kMaxErrorsShown); ++i)
      text += QLatin1Char('\n') + QString::fromStdString(p.errors[i]);
    if (p.errors.size() > static_cast<size_t>(kMaxErrorsShown))
      text += QStringLiteral("\nほか%1行").arg(p.errors.size() - kMaxErrorsShown);
    showMessageLater(this, {QMessageBox::Warning, text});
  }
  return true;
}

void TicketsWindow::deleteSelectedLines() {
  std::set<int> rows;
  for (const QModelIndex& i : tickets_->selectionModel()->selectedIndexes()) rows.insert(i.row());
  if (rows.empty() && tickets_->currentIndex().isValid()) rows.insert(tickets_->currentIndex().row());
  model_->removeLines({rows.begin(), rows.end()});
}

void TicketsWindow::startAfresh() {
  const Message ask{
      QMessageBox::Question,
      QStringLiteral("壊れた買い目のファイルを別の名前（tickets.csv.damaged）で残し、空の買い目から始めますか？\n") +
          QString::fromStdString(path_),
      {},
      QMessageBox::Yes | QMessageBox::No,
      QMessageBox::No};
  if (execMessage(this, ask) != QMessageBox::Yes) return;
  const Result<std::string> aside = model_->startAfresh();
  if (!aside) return showStop(this, QString::fromStdString(aside.message()), QString::fromStdString(aside.cause()));
  damaged_->setText(QStringLiteral("壊れたファイルは %1 として残しました。").arg(QString::fromStdString(*aside)));
  afresh_->setVisible(false);
  delete_->setEnabled(true);
}

}  // namespace km
