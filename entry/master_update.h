#pragma once
// MasterUpdate: brings the history up to date from its source, without
// blocking the event loop.  The source is fetched over the network (or read
// from a local file); its draws are then checked and joined to the history
// on a thread of their own (store/database_update.h).  Widget-free: the menu
// command shows it under a progress dialog, kazumaki-tool runs it under a
// QCoreApplication.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <thread>

#include "store/database_update.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace km {

inline constexpr const char* kUpdateUrlVariable = "KAZUMAKI_UPDATE_URL";

// Bounds on a transfer.  It ends when no byte arrives for stallMs, when after
// rateWindowMs fewer than minBytesPerSecond have arrived on average, when it
// has not ended after deadlineMs, or when the body grows beyond maxBytes.
struct TransferLimits {
  int stallMs = 30 * 1000;
  int rateWindowMs = 30 * 1000;
  qint64 minBytesPerSecond = 1024;
  int deadlineMs = 10 * 60 * 1000;
  qint64 maxBytes = 64 * 1024 * 1024;
};

// Where the update comes from: an address (https://, or http:// when given
// explicitly) or a local file.  error is set (and both empty) when the source
// is unusable.
struct UpdateSource {
  QUrl url;
  QString file;
  QString error;
  // The source as the user named it: the address or the file's path.
  QString display() const { return file.isEmpty() ? url.toDisplayString() : file; }
};
// The environment variable KAZUMAKI_UPDATE_URL when it is set, else the
// address built into the program (the public results list).
UpdateSource updateSource();
QUrl builtInUpdateUrl();
// A source given explicitly (environment or command line): an http or https
// address with a host, a file:// address or a path to a file.
UpdateSource explicitUpdateSource(const QString& text);

class MasterUpdate : public QObject {
  Q_OBJECT

 public:
  enum class Outcome { Running, Updated, NothingNew, Missing, Failed, Cancelled };

  // Updates the database at `target` from `source`.
  MasterUpdate(const UpdateSource& source, const QString& target, QObject* parent = nullptr);
  // Ends a running update (a check running on its thread is stopped first).
  ~MasterUpdate() override;

  void setLimits(const TransferLimits& limits) { limits_ = limits; }
  const TransferLimits& limits() const { return limits_; }
  // The date the source's newest draw is compared with (YYYY-MM-DD; default today).
  void setToday(const QString& date) { today_ = date; }

  // Starts the update; finished() follows later, never from within start().
  void start();
  // Ends a running update; the database stays as it was.  Once the new file
  // is being written the update cannot be stopped and ends as it would have.
  void cancel();

  const UpdateSource& source() const { return source_; }
  const QString& target() const { return target_; }
  Outcome outcome() const { return outcome_; }
  // The source has arrived and its draws are being checked.
  bool checking() const { return checking_; }
  // The user's message for the outcome, in Japanese: what was added, that
  // there is nothing new, or what went wrong and that the database was left
  // as it was.
  const QString& message() const { return message_; }
  // The technical account behind a failure (the network's, the server's or
  // SQLite's own words), or empty.
  const QString& details() const { return details_; }
  const UpdateResult& result() const { return result_; }

 signals:
  // Bytes received so far and the announced size (-1 when unknown).
  void progress(qint64 received, qint64 total);
  // The source has arrived; its draws are being checked.
  void checkingStarted();
  void finished();

 private:
  void onReadyRead();
  void onRedirected(const QUrl& to);
  void onMetaData();
  void onReplyFinished();
  void checkRate();
  void check(QByteArray body);
  void onChecked(const UpdateResult& r);
  void fail(Outcome outcome, const QString& why, const QString& details = {});
  void failDownload(const QString& why, const QString& details = {});
  void finish(Outcome outcome, const QString& message, const QString& details = {});
  void restartStallTimer();

  UpdateSource source_;
  QString target_;
  TransferLimits limits_;
  QString today_;
  QNetworkAccessManager* nam_ = nullptr;
  QPointer<QNetworkReply> reply_;
  QTimer stall_, rate_, deadline_;
  QElapsedTimer clock_;
  QByteArray body_;
  qint64 total_ = -1;  // the announced size
  Outcome outcome_ = Outcome::Running;
  bool started_ = false;
  bool checking_ = false;
  QString message_, details_;
  UpdateResult result_;
  StopSignal stop_;
  std::thread worker_;
};

}  // namespace km
