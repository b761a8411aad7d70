#pragma once
// MasterUpdate: brings the history up to date from its source, without
// blocking the event loop.  The source is fetched over the network (or read
// from a local file); its draws are then checked and joined to the history
// on a thread of their own (store/sqlite/database_update.h).  Widget-free: the menu
// command shows it under a progress dialog, kazumaki-tool runs it under a
// QCoreApplication.
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <thread>
#include <vector>

#include "store/sqlite/database_update.h"

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
  bool chosen = false;   // a file the user picked (it may hold only the draws after the last stored one)
  QString details = {};  // the system's words behind the error, where there are any
  // The source as the user named it: the address or the file's path.
  QString display() const { return file.isEmpty() ? url.toDisplayString() : file; }
};
// The public results lists built into the program, in the order they are asked.
QList<QUrl> builtInUpdateUrls();
// The file in the program folder where the user lists sources of their own,
// one address or file a line (# begins a comment; a file named by a relative
// path is in the program folder); they are asked before the built-in lists.
inline constexpr const char* kSourcesFileName = "取得先.txt";
// The sources file is a short list: a larger one is refused, and so are more lines.
inline constexpr long long kSourcesFileCap = 64 * 1024;
inline constexpr int kMaxListedSources = 20;
// The sources asked, in order: the environment variable KAZUMAKI_UPDATE_URL
// alone when it is set; else the lines of the sources file in
// `programFolder`, then the built-in lists.  A line that names no source
// (or holds a NUL) is one source with its error set, and so is a sources file
// that cannot be read (no regular file, a link loop or one that leads
// nowhere, too large, unreadable), with its reason.
QList<UpdateSource> updateSources(const QString& programFolder);
// A source given explicitly (environment, sources file or command line): an
// http or https address with a host, a file:// address (file://localhost/
// too) or a path to a file, a relative path taken from `base` (the current
// folder when empty).
UpdateSource explicitUpdateSource(const QString& text, const QString& base = {});

class MasterUpdate : public QObject {
  Q_OBJECT

 public:
  enum class Outcome { Running, Updated, NothingNew, Missing, Failed, Cancelled };

  // Updates the database at `target` from `sources`, fetched side by side.
  MasterUpdate(const QList<UpdateSource>& sources, const QString& target, QObject* parent = nullptr);
  MasterUpdate(const UpdateSource& source, const QString& target, QObject* parent = nullptr)
      : MasterUpdate(QList<UpdateSource>{source}, target, parent) {}
  // Ends a running update (a check running on its thread is stopped first).
  ~MasterUpdate() override;

  void setLimits(const TransferLimits& limits) { limits_ = limits; }
  const TransferLimits& limits() const { return limits_; }
  // Only looks: the sources are compared with `draws` (the history read at
  // start) and nothing is written; the outcome is Updated when they have
  // draws beyond them (result().added), else NothingNew.
  void compareOnly(std::vector<Draw> draws) { compareWith_ = std::move(draws), comparing_ = true; }
  // The date the source's newest draw is compared with (YYYY-MM-DD; default today).
  void setToday(const QString& date) { today_ = date; }

  // Starts the update; finished() follows later, never from within start().
  void start();
  // Ends a running update; the database stays as it was.  Once the new file
  // is being written the update cannot be stopped and ends as it would have.
  void cancel();

  const QList<UpdateSource>& sources() const { return sources_; }
  // The sources as a progress line names them.
  QString sourcesText() const;
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
  class Fetch;
  void onFetched();
  void check(std::vector<SourceInput> inputs);
  void onChecked(const UpdateResult& r);
  void fail(Outcome outcome, const QString& why, const QString& details = {});
  void finish(Outcome outcome, const QString& message, const QString& details = {});
  void stopWorker();
  // Bytes received from every source so far, and the sizes they announced (-1 while one is unknown).
  qint64 receivedBytes() const;
  qint64 announcedBytes() const;

  QList<UpdateSource> sources_;
  QString target_;
  TransferLimits limits_;
  QString today_;
  QNetworkAccessManager* nam_ = nullptr;
  std::vector<Fetch*> fetches_;  // children of this object
  Outcome outcome_ = Outcome::Running;
  bool started_ = false;
  bool checking_ = false;
  QString message_, details_;
  UpdateResult result_;
  StopSignal stop_;
  std::vector<Draw> compareWith_;
  bool comparing_ = false;
  std::thread worker_;
};

}  // namespace km
