#pragma once
// One running program per program folder: two would edit one database from
// two data entry windows, and the last to exit would overwrite the other's
// settings.  The first start holds a lock keyed by the folder and listens on
// a local datagram socket of the same key; a later start finds the lock
// taken, asks the first to come to the front and ends.  Both live in a
// folder of the user's own, so that no other user can hold them.
#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace km {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
  ~SingleInstance() override;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the program for the folder.
  bool isFirst() const { return first_; }
  // Lets go of the folder (the lock and the socket), so that a program
  // started after this call is the first: the hand-over of a restart.
  void release();
  // From a later start: asks the first to come to the front; true when it
  // took the request.
  bool askFirstToComeForward() const;

  // The message of a later start.
  static QString alreadyRunningText();
  // The key of a folder: the same for every spelling of one folder.
  static QString keyFor(const QString& programFolder);
  // Where the lock and the socket are: $XDG_RUNTIME_DIR, else the folder
  // kazumaki-UID in the temporary folder, else kazumaki in the user's cache
  // folder; only a folder of the user's own that no one else can enter.
  // Empty when there is none (the program then starts without the lock).
  static QString runtimeFolder();

 signals:
  // A later start asked this one to come to the front.
  void comeForwardRequested();

 private:
  QString key_;
  int lockFd_ = -1;
  bool first_ = false;
  int socketFd_ = -1;
  QByteArray socketPath_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace km
