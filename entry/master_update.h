#pragma once
// MasterUpdate: fetches the published history database over the network and
// puts it in place of the local one (store/database_update.h), without
// blocking the event loop.  Widget-free: the menu command shows it under a
// progress dialog, kazumaki-tool runs it under a QCoreApplication.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace km {

inline constexpr const char* kUpdateUrlVariable = "KAZUMAKI_UPDATE_URL";
inline constexpr qint64 kUpdateMaxBytes = 64 * 1024 * 1024;
inline constexpr int kUpdateStallMs = 30 * 1000;

// The address the update is fetched from: the environment variable
// KAZUMAKI_UPDATE_URL when it is set, else the address built into the
// program.  error is set (and url empty) when the address is unusable.
struct UpdateSource {
  QUrl url;
  QString error;
};
UpdateSource updateSource();
// The address built into the program (always HTTPS).
QUrl builtInUpdateUrl();
// Checks an address given explicitly (environment or command line): http or
// https with a host.
UpdateSource explicitUpdateSource(const QString& text);

class MasterUpdate : public QObject {
  Q_OBJECT

 public:
  enum class Outcome { Running, Updated, Missing, Failed, Cancelled };

  // Fetches `url` and replaces the database at `target` with it.
  MasterUpdate(const QUrl& url, const QString& target, QObject* parent = nullptr);
  ~MasterUpdate() override;

  // The transfer ends when no byte arrives for this long, or when the body
  // grows beyond maxBytes.
  void setStallTimeout(int ms) { stallMs_ = ms; }
  void setMaxBytes(qint64 n) { maxBytes_ = n; }

  // Starts the transfer; finished() follows later, never from within start().
  void start();
  // Ends a running transfer; the database stays as it was.
  void cancel();

  const QUrl& url() const { return url_; }
  const QString& target() const { return target_; }
  Outcome outcome() const { return outcome_; }
  // The user's message for the outcome: the success text, the missing-file
  // text, or what went wrong and that the database was left as it was.
  const QString& message() const { return message_; }
  int drawsBefore() const { return drawsBefore_; }
  int drawsAfter() const { return drawsAfter_; }
  int lastDrawNo() const { return lastDrawNo_; }

  static QString successText() { return QStringLiteral("当選データを最新化しました。"); }

 signals:
  // Bytes received so far and the announced size (-1 when unknown).
  void progress(qint64 received, qint64 total);
  void finished();

 private:
  void onReadyRead();
  void onRedirected(const QUrl& to);
  void onMetaData();
  void onReplyFinished();
  void fail(Outcome outcome, const QString& why);
  void finish(Outcome outcome, const QString& message);
  void restartStallTimer();

  QUrl url_;
  QString target_;
  int stallMs_ = kUpdateStallMs;
  qint64 maxBytes_ = kUpdateMaxBytes;
  QNetworkAccessManager* nam_ = nullptr;
  QPointer<QNetworkReply> reply_;
  QTimer stall_;
  QByteArray body_;
  qint64 total_ = -1;  // the announced size
  Outcome outcome_ = Outcome::Running;
  QString message_;
  bool started_ = false;
  int drawsBefore_ = -1, drawsAfter_ = 0, lastDrawNo_ = 0;
};

}  // namespace km
