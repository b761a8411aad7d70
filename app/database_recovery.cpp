#include "app/database_recovery.h"

#include <QDir>
#include <QFileInfo>

#include "frame/ui/message_box.h"
#include "store/sqlite/database_restore.h"

namespace km {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// What the user can do about a file that is missing or damaged, when no
// backup can stand in for it.
QString whatToDo(const LoadResult& r, const ConnectString& cs) {
  const QFileInfo file(q(cs.path));
  const QString folder = QDir::toNativeSeparators(file.absolutePath());
  switch (r.failure) {
    case LoadFailure::Missing:
      return QStringLiteral("%1 をフォルダ %2 に置いてから、もう一度起動してください。").arg(file.fileName(), folder);
    case LoadFailure::Damaged:
      return QStringLiteral(
                 "このファイルを、正しい %1（インストールしたもの、またはコピーしておいたもの）と置き換えてから、"
                 "もう一度起動してください。置き換える場所: %2")
          .arg(file.fileName(), folder);
    default:
      return {};
  }
}

}  // namespace

bool recoverDatabase(QWidget* parent, const ConnectString& cs, LoadResult& r) {
  const bool replaceable = r.failure == LoadFailure::Missing || r.failure == LoadFailure::Damaged;
  QString details = q(r.details);
  if (replaceable) {
    const BackupCheck backup = checkBackup(cs);
    const QString backupName = QFileInfo(q(backup.path)).fileName();
    if (backup.usable) {
      QString text = q(r.message) + QStringLiteral("\n\nバックアップ（%1、第%2回まで、%3回分）から戻せます。")
                                        .arg(backupName)
                                        .arg(backup.lastDrawNo)
                                        .arg(backup.draws);
      if (r.failure == LoadFailure::Damaged)
        text +=
            QStringLiteral("今のファイルは %1 として残します。").arg(QFileInfo(q(damagedPathFor(cs.path))).fileName());
      const Message offer{QMessageBox::Warning,
                          text,
                          details,
                          QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No,
                          {{QMessageBox::Yes, QStringLiteral("バックアップ（%1）から戻す").arg(backupName)},
                           {QMessageBox::No, QStringLiteral("終了")}}};
      if (execMessage(parent, offer) != QMessageBox::Yes) return false;
      const RestoreResult restored = restoreFromBackup(cs);
      if (!restored.ok) {
        showStop(parent, q(restored.message), q(restored.details));
        return false;
      }
      r = loadHistory(cs);
      if (r.ok) return true;
      details = q(r.details);  // the backup read no better: said as any other failure
    } else if (backup.exists) {
      details += (details.isEmpty() ? QString() : QStringLiteral("\n")) +
                 QStringLiteral("%1: %2").arg(backupName, q(backup.reason));
    }
  }
  const QString todo = whatToDo(r, cs);
  showStop(parent, q(r.message) + (todo.isEmpty() ? QString() : QStringLiteral("\n\n") + todo), details);
  return false;
}

}  // namespace km
