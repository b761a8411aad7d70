#include "frame/ui/message_box.h"

#include <QAbstractButton>
#include <QTimer>

#include "store/sqlite/database.h"

namespace km {

QString messageTitle() { return QStringLiteral("メッセ－ジ"); }

namespace {
MessageAnswerer& answerer() {
  static MessageAnswerer current;
  return current;
}
}  // namespace

MessageAnswerer setMessageAnswerer(MessageAnswerer next) { return std::exchange(answerer(), std::move(next)); }

QMessageBox* makeMessageBox(QWidget* parent, const Message& m) {
  auto* box = new QMessageBox(m.icon, messageTitle(), m.text, m.buttons, parent);
  box->setTextFormat(Qt::PlainText);  // texts from files and servers are shown as they are, never as markup
  if (m.defaultButton != QMessageBox::NoButton) box->setDefaultButton(m.defaultButton);
  for (const auto& [button, caption] : m.captions)
    if (QAbstractButton* b = box->button(button)) b->setText(caption);
  if (!m.informative.isEmpty()) box->setInformativeText(m.informative);
  if (!m.details.isEmpty()) box->setDetailedText(m.details);
  if (!m.details.isEmpty() && !m.logged) {
    QString line = m.text + QStringLiteral(" / ") + m.details;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    writeLog(line.toStdString());
  }
  return box;
}

QMessageBox::StandardButton execMessage(QWidget* parent, const Message& m) {
  QMessageBox* box = makeMessageBox(parent, m);
  const auto pressed = execMessageBox(*box);
  delete box;
  return pressed;
}

QMessageBox::StandardButton execMessageBox(QMessageBox& box) {
  // a copy: the answerer may set another while it answers
  const MessageAnswerer answer = answerer();
  if (!answer) return static_cast<QMessageBox::StandardButton>(box.exec());
  QAbstractButton* pressed = answer(box);
  return pressed ? box.standardButton(pressed) : QMessageBox::NoButton;
}

void showStop(QWidget* parent, const QString& text, const QString& details) {
  execMessage(parent, {QMessageBox::Critical, text, details});
}

QMessageBox* showMessageLater(QWidget* parent, const Message& m) {
  QMessageBox* box = makeMessageBox(parent, m);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  box->show();
  if (answerer()) {
    QTimer::singleShot(0, box, [box] {
      if (const MessageAnswerer answer = answerer())
        if (QAbstractButton* pressed = answer(*box)) pressed->click();
    });
  }
  return box;
}

}  // namespace km
