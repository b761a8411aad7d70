#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace km {

QString SingleInstance::alreadyRunningText() { return QStringLiteral("カズマキMiddleはすでに起動しています。"); }

QString SingleInstance::keyFor(const QString& programFolder) {
  const QFileInfo info(programFolder);
  const QString folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
  const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("kazumaki-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), key_(keyFor(programFolder)) {
  const QByteArray lockPath = QDir(QDir::tempPath()).filePath(key_ + QStringLiteral(".lock")).toLocal8Bit();
  lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    return;  // another process holds the folder
  }
  // A lock file that cannot be made (a foreign file in its place) must not
  // keep the program from starting.
  first_ = true;
  QLocalServer::removeServer(key_);  // left by a process that was killed; ours now
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) {
      connect(s, &QLocalSocket::readyRead, this, [this, s] {
        if (s->readAll().contains("forward")) emit comeForwardRequested();
        s->disconnectFromServer();
      });
      connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    }
  });
  server_->listen(key_);
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::askFirstToComeForward() const {
  if (first_) return false;
  QLocalSocket s;
  s.connectToServer(key_);
  if (!s.waitForConnected(2000)) return false;
  s.write("forward\n");
  const bool sent = s.waitForBytesWritten(2000);
  s.disconnectFromServer();
  return sent;
}

}  // namespace km
