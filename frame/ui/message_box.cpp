#include "frame/ui/message_box.h"

#include <QAbstractButton>

#include "store/sqlite/database.h"

namespace km {

QString messageTitle() { return QStringLiteral("メッセ－ジ"); }

QMessageBox* makeMessageBox(QWidget* parent, const Message& m) {
  auto* box = new QMessageBox(m.icon, messageTitle(), m.text, m.buttons, parent);
  box->setTextFormat(Qt::PlainText);  // texts from files and servers are shown as they are, never as markup
  if (m.defaultButton != QMessageBox::NoButton) box->setDefaultButton(m.defaultButton);
  for (const auto& [button, caption] : m.captions)
    if (QAbstractButton* b = box->button(button)) b->setText(caption);
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
  const auto pressed = static_cast<QMessageBox::StandardButton>(box->exec());
  delete box;
  return pressed;
}

void showStop(QWidget* parent, const QString& text, const QString& details) {
  execMessage(parent, {QMessageBox::Critical, text, details});
}

QMessageBox* showMessageLater(QWidget* parent, const Message& m) {
  QMessageBox* box = makeMessageBox(parent, m);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::ApplicationModal);
  box->show();
  return box;
}

}  // namespace km
