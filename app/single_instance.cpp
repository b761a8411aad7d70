#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cstring>

namespace km {

namespace {
constexpr char kForward[] = "forward\n";

// The socket's address; false when the path does not fit in one.
bool socketAddress(const QByteArray& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  return true;
}
// A folder of the user's own that nobody else may enter: an existing
// directory (not a link), owned by the user, without access for others.
bool privateFolder(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

// `path` made (0700) when it is not there, and checked.
bool ownPrivateFolder(const QByteArray& path) {
  if (path.isEmpty() || !path.startsWith('/')) return false;
  ::mkdir(path.constData(), 0700);
  return privateFolder(path);
}
}  // namespace

QString SingleInstance::runtimeFolder() {
  // the session's own folder, else one of the user's own in the temporary
  // folder, else in the user's cache folder: one another user made or can
  // enter is never used, so nobody else can hold the lock or the socket
  if (const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR"); xdg.startsWith('/') && privateFolder(xdg))
    return QFile::decodeName(xdg);
  const QByteArray inTemp =
      QFile::encodeName(QDir(QDir::tempPath()).filePath(QStringLiteral("kazumaki-%1").arg(::geteuid())));
  if (ownPrivateFolder(inTemp)) return QFile::decodeName(inTemp);
  QByteArray cache = qgetenv("XDG_CACHE_HOME");
  if (!cache.startsWith('/')) cache = qgetenv("HOME").startsWith('/') ? qgetenv("HOME") + "/.cache" : QByteArray();
  if (!cache.isEmpty() && ownPrivateFolder(cache + "/kazumaki")) return QFile::decodeName(cache + "/kazumaki");
  return {};
}

QString SingleInstance::alreadyRunningText() { return QStringLiteral("カズマキMiddleはすでに起動しています。"); }

QString SingleInstance::keyFor(const QString& programFolder) {
  const QFileInfo info(programFolder);
  const QString folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
  const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("kazumaki-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), key_(keyFor(programFolder)) {
  const QString runtime = runtimeFolder();
  if (runtime.isEmpty()) {  // no private place: start, alone or not, rather than not at all
    first_ = true;
    return;
  }
  const QDir folder(runtime);
  socketPath_ = QFile::encodeName(folder.filePath(key_ + QStringLiteral(".socket")));
  const QByteArray lockPath = QFile::encodeName(folder.filePath(key_ + QStringLiteral(".lock")));
  lockFd_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(lockFd_);
    lockFd_ = -1;
    return;  // another process holds the folder
  }
  // A lock file that cannot be made (a foreign file in its place) must not
  // keep the program from starting; nor may a socket that cannot be made
  // (a later start then only shows its message).
  first_ = true;
  sockaddr_un address;
  if (!socketAddress(socketPath_, address)) return;
  socketFd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socketFd_ < 0) return;
  ::unlink(socketPath_.constData());  // left by a process that was killed; ours now
  // the user's own processes only, through the folder: no umask, which
  // would change the mode of files other threads create meanwhile
  if (::bind(socketFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(socketFd_);
    socketFd_ = -1;
    return;
  }
  notifier_ = new QSocketNotifier(socketFd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char buffer[64];
    bool forward = false;
    for (ssize_t n; (n = ::recv(socketFd_, buffer, sizeof buffer, 0)) >= 0;)
      forward = forward || QByteArray(buffer, static_cast<qsizetype>(n)).contains("forward");
    if (forward) emit comeForwardRequested();
  });
}

SingleInstance::~SingleInstance() { release(); }

void SingleInstance::release() {
  if (socketFd_ >= 0) {
    delete notifier_;
    notifier_ = nullptr;
    ::close(socketFd_);
    socketFd_ = -1;
    ::unlink(socketPath_.constData());
  }
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  first_ = false;
}

bool SingleInstance::askFirstToComeForward() const {
  if (first_) return false;
  sockaddr_un address;
  if (!socketAddress(socketPath_, address)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const ssize_t sent = ::sendto(fd, kForward, sizeof kForward - 1, MSG_DONTWAIT,
                                reinterpret_cast<const sockaddr*>(&address), sizeof address);
  ::close(fd);
  return sent == static_cast<ssize_t>(sizeof kForward - 1);
}

}  // namespace km
