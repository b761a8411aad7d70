#include "help/about_dialog.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/ui/child_frame.h"

namespace km {

namespace {

// The product name and the edition are set in a heavy Mincho face, the rest
// in the program's Gothic face.
QFont minchoFont(qreal points) {
  QFont f(QStringLiteral("HGS明朝E"));
  f.setPointSizeF(points);
  f.setBold(true);  // the face is extra bold by design
  return f;
}

QFont gothicFont(qreal points) {
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPointSizeF(points);
  return f;
}

QLabel* label(const char* name, const QString& text, const QFont& font, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setFont(font);
  return l;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QWidget(parent) {
  setFont(gothicFont(9));
  product_ = label("lblProduct", QStringLiteral("カズマキ"), minchoFont(26), this);
  edition_ = label("lblEdition", QStringLiteral("Middle"), minchoFont(18), this);
  version_ = label("lblVersion", QStringLiteral(" Ver2.30"), gothicFont(11), this);
  tagline_ = label("lblTagline", QStringLiteral("過去の当選数字から、次の一回を読み解く。"), gothicFont(10), this);
  product_->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
  edition_->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));

  auto* name = new QHBoxLayout;
  name->setSpacing(10);
  name->addWidget(product_, 0, Qt::AlignBottom);
  name->addWidget(edition_, 0, Qt::AlignBottom);
  name->addStretch(1);
  name->addWidget(version_, 0, Qt::AlignBottom);

  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  closeButton_ = new QPushButton(QStringLiteral("閉じる"), this);
  closeButton_->setObjectName(QStringLiteral("closeButton"));
  giveCloseShortcut(closeButton_);
  connect(closeButton_, &QPushButton::clicked, this, [this] { closeChildOf(this); });
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(closeButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->addLayout(name);
  layout->addWidget(rule);
  layout->addWidget(tagline_);
  layout->addStretch(1);
  layout->addLayout(bottom);
}

}  // namespace km
