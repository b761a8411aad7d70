#include "app/database_recovery.h"

#include <QDir>
#include <QFileInfo>

#include "frame/ui/message_box.h"
#include "store/sqlite/database_restore.h"
#include "store/sqlite/database_update.h"

namespace km {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// What the user can do about a file that is missing or damaged, when no
// backup can stand in for it.
QString whatToDo(const LoadResult& r, const ConnectString& cs) {
  const QFileInfo file(q(cs.path));
  const QString folder = QDir::toNativeSeparators(file.absolutePath());
  switch (r.kind()) {
    case Fault::Missing:
      return QStringLiteral("%1 をフォルダ %2 に置いてから、もう一度起動してください。").arg(file.fileName(), folder);
    case Fault::Damaged:
      return QStringLiteral(
                 "このファイルを、正しい %1（インストールしたもの、またはコピーしておいたもの）と置き換えてから、"
                 "もう一度起動してください。置き換える場所: %2")
          .arg(file.fileName(), folder);
    default:
      return {};
  }
}

// What was put back, for the box that says so before the start goes on.
QString restoredText(const ConnectString& cs, const LoadResult& r, bool keptDamaged) {
  const QString backupName = QFileInfo(q(backupPathFor(cs.path))).fileName();
  const Draw* newest = nullptr;
  for (const Draw& d : r->draws)
    if (!newest || d.no > newest->no) newest = &d;
  QString text = QStringLiteral("当選データファイルをバックアップ（%1）から戻しました。\n%2\n\n")
                     .arg(backupName, QDir::toNativeSeparators(q(cs.path)));
  text += newest ? QStringLiteral("第%1回%2まで、%3回分の当選データで起動します。")
                       .arg(newest->no)
                       .arg(newest->date.empty() ? QString() : QStringLiteral("（%1）").arg(q(newest->date)))
                       .arg(r->draws.size())
                 : QStringLiteral("当選データなしで起動します。");
  if (keptDamaged)
    text += QStringLiteral("\n戻す前のファイルは %1 として残してあります。")
                .arg(QFileInfo(q(damagedPathFor(cs.path))).fileName());
  return text;
}

}  // namespace

bool recoverDatabase(QWidget* parent, const ConnectString& cs, LoadResult& r) {
  const bool replaceable = r.kind() == Fault::Missing || r.kind() == Fault::Damaged;
  // The store has logged the failed read (and the backup's, if any) already.
  QString details = q(r.cause());
  if (replaceable) {
    const BackupCheck backup = checkBackup(cs);
    const QString backupName = QFileInfo(q(backup.path)).fileName();
    if (backup.usable) {
      const bool keepsDamaged = r.kind() == Fault::Damaged;
      QString text = q(r.message()) + QStringLiteral("\n\nバックアップ（%1、第%2回まで、%3回分）から戻せます。")
                                          .arg(backupName)
                                          .arg(backup.lastDrawNo)
                                          .arg(backup.draws);
      if (keepsDamaged)
        text +=
            QStringLiteral("今のファイルは %1 として残します。").arg(QFileInfo(q(damagedPathFor(cs.path))).fileName());
      const Message offer{QMessageBox::Warning,
                          text,
                          details,
                          QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No,
                          {{QMessageBox::Yes, QStringLiteral("バックアップ（%1）から戻す").arg(backupName)},
                           {QMessageBox::No, QStringLiteral("終了")}},
                          true};
      if (execMessage(parent, offer) != QMessageBox::Yes) return false;
      const Done restored = restoreFromBackup(cs);
      if (!restored) {
        showStop(parent, q(restored.message()), q(restored.cause()));
        return false;
      }
      r = loadHistory(cs);
      if (r) {
        execMessage(parent, {QMessageBox::Information, restoredText(cs, r, keepsDamaged)});
        return true;
      }
      details = q(r.cause());  // the backup read no better: said as any other failure
    } else if (backup.exists) {
      details += (details.isEmpty() ? QString() : QStringLiteral("\n")) +
                 QStringLiteral("%1: %2").arg(backupName, q(backup.reason));
    }
  }
  const QString todo = whatToDo(r, cs);
  execMessage(parent, {QMessageBox::Critical,
                       q(r.message()) + (todo.isEmpty() ? QString() : QStringLiteral("\n\n") + todo),
                       details,
                       QMessageBox::Ok,
                       QMessageBox::NoButton,
                       {},
                       true});
  return false;
}

}  // namespace km
