#pragma once
// The program's message boxes, titled "メッセ－ジ".  The text says in Japanese
// what happened and what the user can do; the technical account of a failure
// (the library's or the system's own words, a status line) is given apart:
// it goes to the box's details and, as one line, to the log.
#include <QMessageBox>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace km {

QString messageTitle();

struct Message {
  QMessageBox::Icon icon = QMessageBox::Critical;
  QString text = {};     // Japanese, from its first line
  QString details = {};  // technical account; empty: none
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  // Standard buttons under captions of their own: the action the text offers
  // ("バックアップ（Kazumaki.mdb.bak）から戻す") instead of はい.
  std::vector<std::pair<QMessageBox::StandardButton, QString>> captions = {};
  // The failure is in the log already (the store logs what it reports): the
  // box does not write it a second time.
  bool logged = false;
  // A plain account under the text: where, why and what to do (not logged).
  QString informative = {};
};

// The box, not yet shown (the details, when there are any, are logged now).
QMessageBox* makeMessageBox(QWidget* parent, const Message& m);
// Shown and answered before it returns: the button pressed.
QMessageBox::StandardButton execMessage(QWidget* parent, const Message& m);
// `box` (made elsewhere) shown and answered the same way.
QMessageBox::StandardButton execMessageBox(QMessageBox& box);
// A stop box with OK, answered before it returns.
void showStop(QWidget* parent, const QString& text, const QString& details = {});
// Shown application-modal without waiting (for signal handlers, which must
// return at once); the box deletes itself when answered.
QMessageBox* showMessageLater(QWidget* parent, const Message& m);

// Who answers the boxes above.  None (the program): the user.  One set (the
// tests): every box is handed to it instead of waiting for the user, and the
// button it returns is pressed (none: a box of execMessage is answered
// NoButton); a box of execMessage is then not shown, one of showMessageLater is
// handed over once the event loop runs (after its caller has added to it).
using MessageAnswerer = std::function<QAbstractButton*(QMessageBox& box)>;
// Sets the answerer (an empty one gives the boxes back to the user) and returns the one it replaces.
MessageAnswerer setMessageAnswerer(MessageAnswerer answerer);

}  // namespace km
