#include "charts/chart_window.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "charts/chart_render.h"
#include "frame/grid_geometry.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_print.h"
#include "frame/ui/message_box.h"
#include "frame/ui/wrapped_label.h"

namespace km {

ChartWindow::ChartWindow(const WindowDef& def, const History& history, QWidget* parent)
    : QWidget(parent), history_(history), title_(QString::fromStdString(def.caption)) {
  QVBoxLayout* layout = windowColumn(this, def);

  auto* controls = new QHBoxLayout;
  // each control reached by the mnemonic of its label
  auto labelled = [this, controls](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    controls->addWidget(l);
    controls->addWidget(buddy);
  };
  kind_ = new QComboBox(this);
  kind_->setObjectName(QStringLiteral("chartKind"));
  for (std::string_view name : kChartNames) kind_->addItem(QString::fromUtf8(name.data(), qsizetype(name.size())));
  labelled(QStringLiteral("グラフ(&G)"), kind_);
  controls->addSpacing(12);
  numbers_ = new QLineEdit(this);
  numbers_->setObjectName(QStringLiteral("chartNumbers"));
  numbers_->setMaxLength(40);
  numbers_->setPlaceholderText(QStringLiteral("例：7,12"));
  numbers_->setToolTip(QStringLiteral("1〜31の数字を1〜5個、カンマか空白で区切って入れ、Enterキーで描きます"));
  labelled(QStringLiteral("数字（1〜5個）(&N)"), numbers_);
  window_ = new QComboBox(this);
  window_->setObjectName(QStringLiteral("chartWindow"));
  for (int n : kTrendWindows) window_->addItem(QStringLiteral("%1回").arg(n), n);
  labelled(QStringLiteral("直近(&R)"), window_);
  numbersError_ = new QLabel(this);
  numbersError_->setObjectName(QStringLiteral("chartNumbersError"));
  numbersError_->setTextFormat(Qt::PlainText);
  QPalette red = numbersError_->palette();
  red.setColor(QPalette::WindowText, QColor(192, 0, 0));
  numbersError_->setPalette(red);
  controls->addWidget(numbersError_, 1);
  layout->addLayout(controls);

  stack_ = new QStackedWidget(this);
  view_ = new QChartView(stack_);
  view_->setObjectName(QStringLiteral("chartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->setFocusPolicy(Qt::StrongFocus);  // reached by Tab: the menu key opens its menu
  view_->setAccessibleName(title_);
  connect(view_, &QWidget::customContextMenuRequested, this, &ChartWindow::contextMenu);
  note_ = new QLabel(stack_);
  note_->setObjectName(QStringLiteral("chartNote"));
  note_->setTextFormat(Qt::PlainText);
  note_->setAlignment(Qt::AlignCenter);
  note_->setWordWrap(true);
  stack_->addWidget(view_);
  stack_->addWidget(note_);
  layout->addWidget(stack_, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  close->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(close);
  connect(close, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  bottom->addWidget(close);
  layout->addLayout(bottom);

  auto changed = [this] {
    choice_.kind = static_cast<ChartKind>(kind_->currentIndex());
    choice_.window = window_->currentData().toInt();
    redraw();
  };
  connect(kind_, &QComboBox::currentIndexChanged, this, changed);
  connect(window_, &QComboBox::currentIndexChanged, this, changed);
  connect(numbers_, &QLineEdit::editingFinished, this, [this] {
    const auto parsed = parseChartNumbers(numbers_->text().normalized(QString::NormalizationForm_KC).toStdString());
    if (!parsed) {
      numbersError_->setText(QStringLiteral("1〜31の異なる数字を1〜5個入れてください。"));
      return;
    }
    numbersError_->clear();
    if (*parsed == choice_.numbers) return;
    choice_.numbers = *parsed;
    redraw();
  });
  draw(choice_);
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::draw(const ChartChoice& choice) {
  choice_ = choice;
  {
    const QSignalBlocker a(kind_), b(window_);
    kind_->setCurrentIndex(static_cast<int>(choice.kind));
    window_->setCurrentIndex(std::max(0, window_->findData(choice.window)));
  }
  QStringList texts;
  for (int n : choice.numbers) texts << QString::number(n);
  numbers_->setText(texts.join(QLatin1Char(',')));
  numbersError_->clear();
  redraw();
}

QChartView* ChartWindow::view() const { return stack_->currentWidget() == view_ ? view_ : nullptr; }
QString ChartWindow::note() const { return stack_->currentWidget() == note_ ? note_->text() : QString(); }

void ChartWindow::redraw() {
  const bool trend = choice_.kind == ChartKind::Trend;
  numbers_->setEnabled(trend);
  window_->setEnabled(trend);
  QString note;
  QChart* chart = makeChart(history_, choice_, note);
  if (!chart) {
    note_->setText(note);
    stack_->setCurrentWidget(note_);
    return;
  }
  QChart* old = view_->chart();
  view_->setChart(chart);  // the view owns the new chart; the old one is ours to delete
  delete old;
  stack_->setCurrentWidget(view_);
}

void ChartWindow::contextMenu(const QPoint& at) {
  QMenu menu(this);
  const QString title = QStringLiteral("%1_%2").arg(title_, kind_->currentText());
  menu.addAction(QStringLiteral("印刷..."), this, [this, title] {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title_);
    printer.setPageOrientation(QPageLayout::Landscape);
    setMargins(printer);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    proposePdfFile(dialog, title);
    if (dialog.exec() != QDialog::Accepted) return;
    const ChartOutput r = printChart(*view_, printer);
    if (!r.ok) showStop(this, QStringLiteral("印刷できませんでした。\n%1").arg(r.error), r.details);
  });
  auto save = [this, title](const QString& caption, const QString& suffix, const QString& filter, bool pdf) {
    QFileDialog dialog(this, caption, defaultPath(title, suffix), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    const ChartOutput r = pdf ? saveChartPdf(*view_, title, path) : saveChartPng(*view_, path);
    if (!r.ok) showStop(this, QStringLiteral("グラフを保存できませんでした。\n%1").arg(r.error), r.details);
  };
  menu.addAction(QStringLiteral("PDFで保存..."), this, [save] {
    save(QStringLiteral("PDFで保存"), QStringLiteral("pdf"), QStringLiteral("PDFファイル (*.pdf)"), true);
  });
  menu.addAction(QStringLiteral("画像で保存..."), this, [save] {
    save(QStringLiteral("画像で保存"), QStringLiteral("png"), QStringLiteral("PNG画像 (*.png)"), false);
  });
  menu.exec(view_->mapToGlobal(at));
}

QWidget* makeChartWindow(const WindowDef& def, const History& history, QWidget* parent) {
  return new ChartWindow(def, history, parent);
}

}  // namespace km
