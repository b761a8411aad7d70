#include "update/master_update.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QtGlobal>
#include <string_view>

#include "store/files/program_folder.h"
#include "store/files/replace_file.h"
#include "store/messages.h"
#include "update/update_messages.h"

#ifndef KM_UPDATE_URLS
#error "KM_UPDATE_URLS must name the HTTPS addresses of the results lists"
#endif

namespace km {

namespace {

// Reads a local source: a regular file of at most `cap` bytes, not through a
// symbolic link that another user owns.  Empty on success, else why.
QString readSourceFile(const QString& path, qint64 cap, std::string& bytes, QString& details) {
  Result<std::string> file =
      readRegularFile(QFile::encodeName(path).toStdString(), static_cast<unsigned long long>(cap));
  details = QString::fromLocal8Bit(file.cause());
  switch (file.kind()) {
    case Fault::None:
      bytes = std::move(*file);
      details.clear();
      return {};
    case Fault::Missing:
      return says::sourceFileMissing(path);
    case Fault::ForeignLink:
      return says::sourceFileForeignLink(path);
    case Fault::NotRegular:
      return says::sourceFileNotRegular(path);
    case Fault::TooLarge:
      return says::sourceFileTooLarge(cap, path);
    default:
      break;
  }
  return says::sourceFileUnreadable(path);
}

}  // namespace

QList<QUrl> builtInUpdateUrls() {
  QList<QUrl> urls;
  for (const QString& u : QStringLiteral(KM_UPDATE_URLS).split(QLatin1Char(' '), Qt::SkipEmptyParts))
    urls.append(QUrl(u));
  return urls;
}

UpdateSource explicitUpdateSource(const QString& text, const QString& base) {
  UpdateSource s;
  const QString t = text.trimmed();
  if (!t.contains(QLatin1String("://"))) {
    if (!t.isEmpty())
      s.file = QDir::cleanPath(base.isEmpty() ? QFileInfo(t).absoluteFilePath() : QDir(base).absoluteFilePath(t));
  } else {
    QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    // file://localhost/path is the local file /path
    if (scheme == QLatin1String("file") && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
      url.setHost(QString());
    if (url.isValid() && scheme == QLatin1String("file") && url.host().isEmpty() && !url.toLocalFile().isEmpty())
      s.file = QDir::cleanPath(url.toLocalFile());
    else if (url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")) &&
             !url.host().isEmpty())
      s.url = url;
  }
  if (s.file.isEmpty() && s.url.isEmpty()) s.error = says::sourceWrong(text);
  return s;
}

QList<UpdateSource> updateSources(const QString& programFolder) {
  const QString env = qEnvironmentVariable(kUpdateUrlVariable);
  if (!env.isEmpty()) {
    UpdateSource s = explicitUpdateSource(env);
    if (!s.error.isEmpty()) s.error = QString::fromUtf8(kUpdateUrlVariable) + QStringLiteral(": ") + s.error;
    return {s};
  }
  QList<UpdateSource> sources;
  // the user's own list: a small text file of theirs, read within a bound
  const QString listFile = QDir(programFolder).filePath(QString::fromUtf8(kSourcesFileName));
  const std::string listPath = QFile::encodeName(listFile).toStdString();
  struct stat there {};
  if (!programFolder.isEmpty() && ::lstat(listPath.c_str(), &there) == 0) {  // a link that leads nowhere too
    const std::string what = notARegularFile(listPath);
    const Result<std::string> list =
        what.empty() ? readRegularFile(listPath, kSourcesFileCap) : Result<std::string>(Failure{Fault::NotRegular, {}});
    if (!list) {
      QString why;
      switch (list.kind()) {
        case Fault::TooLarge:
          why = says::listTooLarge(kSourcesFileCap / 1024);
          break;
        case Fault::ForeignLink:
          why = says::listForeignLink();
          break;
        case Fault::NotRegular:
          why = says::listNotRegular(QString::fromStdString(what));
          break;
        default:
          why = says::listUnreadable();
          break;
      }
      UpdateSource bad;
      bad.error = says::listUnusable(QString::fromUtf8(kSourcesFileName), why, listFile);
      bad.details = QString::fromLocal8Bit(list.cause());
      sources.append(bad);
    } else {
      const QStringList lines =
          QString::fromUtf8(list->data(), static_cast<qsizetype>(list->size())).split(QLatin1Char('\n'));
      for (int i = 0; i < lines.size() && sources.size() < kMaxListedSources; ++i) {
        const QString at = says::listLine(QString::fromUtf8(kSourcesFileName), i + 1);
        if (lines[i].contains(QChar(0))) {
          UpdateSource bad;
          bad.error = at + says::listLineNul();
          sources.append(bad);
          continue;
        }
        const QString line = lines[i].section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty()) continue;
        UpdateSource s = explicitUpdateSource(line, programFolder);
        if (!s.error.isEmpty()) s.error = at + s.error;
        sources.append(s);
      }
    }
  }
  for (const QUrl& url : builtInUpdateUrls()) sources.append(UpdateSource{url, {}, {}, false});
  return sources;
}

// One source on its way: fetched over the network within the limits, or
// read from its file on the check's thread.  It ends with bytes or a reason.
class MasterUpdate::Fetch : public QObject {
 public:
  Fetch(const UpdateSource& source, const TransferLimits& limits, QNetworkAccessManager* nam, MasterUpdate* owner)
      : QObject(owner), source_(source), limits_(limits), owner_(owner) {
    stall_.setSingleShot(true);
    deadline_.setSingleShot(true);
    connect(&stall_, &QTimer::timeout, this, [this] { failDownload(says::stalled(limits_.stallMs)); });
    connect(&rate_, &QTimer::timeout, this, &Fetch::checkRate);
    connect(&deadline_, &QTimer::timeout, this, [this] { failDownload(says::overDeadline(limits_.deadlineMs)); });
    if (!source_.error.isEmpty()) {
      done(source_.error, source_.details);
      return;
    }
    if (!source_.file.isEmpty()) {
      done_ = true;  // read with the check
      return;
    }
    const QString scheme = source_.url.scheme().toLower();
    if (!source_.url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
      failDownload(says::addressWrong());
      return;
    }
    QNetworkRequest request(source_.url);
    // Redirects: up to ten, never from HTTPS down to plain HTTP.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("kazumaki"));
    reply_ = nam->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &Fetch::onReadyRead);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &Fetch::onMetaData);
    connect(reply_, &QNetworkReply::finished, this, &Fetch::onReplyFinished);
    clock_.start();
    restartStallTimer();
    rate_.start(limits_.rateWindowMs);
    deadline_.start(limits_.deadlineMs);
  }
  ~Fetch() override { abort(); }

  bool finished() const { return done_; }
  const UpdateSource& source() const { return source_; }
  qint64 received() const { return body_.size(); }
  qint64 total() const { return total_; }
  // What it brought, for the check: the bytes, or why there are none.
  SourceInput input() const {
    SourceInput in;
    in.name = source_.display().toStdString();
    in.bytes.assign(body_.constData(), size_t(body_.size()));
    in.error = error_.toStdString();
    in.details = details_.toStdString();
    in.chosenFile = source_.chosen;
    return in;
  }
  // Ends the transfer; no word of it reaches the owner any more.
  void abort() {
    stall_.stop();
    rate_.stop();
    deadline_.stop();
    if (QNetworkReply* reply = reply_) {
      reply_ = nullptr;
      reply->disconnect(this);
      reply->abort();
      reply->deleteLater();
    }
  }

 private:
  static constexpr int kMaxRedirects = 10;

  void done(const QString& error = {}, const QString& details = {}) {
    if (done_) return;
    abort();
    done_ = true;
    error_ = error;
    details_ = details;
    if (!error.isEmpty()) body_.clear();
    // from the event loop: the owner may be in the middle of starting
    QTimer::singleShot(0, owner_, [owner = owner_] { owner->onFetched(); });
  }
  void failDownload(const QString& why, const QString& details = {}) {
    done(says::downloadFailed(why, source_.url.toDisplayString()), details);
  }
  void restartStallTimer() {
    if (!done_ && reply_) stall_.start(limits_.stallMs);
  }
  void checkRate() {
    if (!reply_ || done_) return;
    const qint64 elapsed = clock_.elapsed();
    if (body_.size() * 1000 < limits_.minBytesPerSecond * elapsed)
      failDownload(says::tooSlow(static_cast<int>(elapsed), body_.size(), limits_.minBytesPerSecond));
  }
  void onReadyRead() {
    if (!reply_ || done_) return;
    restartStallTimer();
    body_.append(reply_->read(limits_.maxBytes + 1 - body_.size()));
    if (body_.size() > limits_.maxBytes) {
      failDownload(says::tooLarge(limits_.maxBytes));
      return;
    }
    // Reported here rather than from downloadProgress, which Qt holds back to
    // a few signals a second.
    emit owner_->progress(owner_->receivedBytes(), owner_->announcedBytes());
  }
  void onMetaData() {
    if (!reply_ || done_) return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 300 && status.toInt() < 400) return;  // a redirect's own size
    bool known = false;
    const qint64 length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    total_ = known ? length : -1;
    if (known && length > limits_.maxBytes) failDownload(says::tooLargeDeclared(length, limits_.maxBytes));
  }
  void onReplyFinished() {
    if (!reply_ || done_) return;
    QNetworkReply* reply = reply_;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString statusLine =
        QStringLiteral("HTTP %1 %2")
            .arg(status)
            .arg(QString::fromUtf8(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()))
            .trimmed();
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::NoError) body_.append(reply->read(limits_.maxBytes + 1 - body_.size()));
    if (error == QNetworkReply::TooManyRedirectsError) {
      failDownload(says::tooManyRedirects(kMaxRedirects), reply->errorString());
    } else if (error == QNetworkReply::InsecureRedirectError) {
      failDownload(says::insecureRedirect(), reply->errorString());
    } else if (status >= 400 || (error == QNetworkReply::NoError && status != 200)) {
      failDownload(status == 404 ? says::notFound(statusLine) : says::serverRefused(statusLine), statusLine);
    } else if (error != QNetworkReply::NoError) {
      // the library's words, which may end without saying what failed (a
      // damaged or oversized compressed body: "Decompression failed: ")
      QString words = reply->errorString().trimmed();
      if (words.isEmpty() || words.endsWith(QLatin1Char(':')))
        words += QStringLiteral(" QNetworkReply::NetworkError %1").arg(int(error));
      // a connection cut in the middle of the body is said as such
      const bool cut = body_.size() > 0 || error == QNetworkReply::RemoteHostClosedError;
      failDownload(cut ? says::cutOff(body_.size()) : says::networkFailure(error), words.trimmed());
    } else if (body_.size() > limits_.maxBytes) {
      failDownload(says::tooLarge(limits_.maxBytes));
    } else {
      done();
    }
  }

  UpdateSource source_;
  TransferLimits limits_;
  MasterUpdate* owner_;
  QPointer<QNetworkReply> reply_;
  QTimer stall_, rate_, deadline_;
  QElapsedTimer clock_;
  QByteArray body_;
  qint64 total_ = -1;  // the announced size
  bool done_ = false;
  QString error_, details_;
};

MasterUpdate::MasterUpdate(const QList<UpdateSource>& sources, const QString& target, QObject* parent)
    : QObject(parent), sources_(sources), target_(target) {}

MasterUpdate::~MasterUpdate() {
  for (Fetch* f : fetches_) f->abort();
  stopWorker();
}

void MasterUpdate::stopWorker() {
  // the check stops at its next look at the signal (a read is interrupted)
  stop_.stop();
  if (worker_.joinable()) worker_.join();
}

QString MasterUpdate::sourcesText() const {
  QStringList names;
  for (const UpdateSource& s : sources_) names.append(s.display());
  return names.join(QLatin1Char('\n'));
}

qint64 MasterUpdate::receivedBytes() const {
  qint64 n = 0;
  for (const Fetch* f : fetches_) n += f->received();
  return n;
}

qint64 MasterUpdate::announcedBytes() const {
  qint64 n = 0;
  for (const Fetch* f : fetches_) {
    if (!f->source().file.isEmpty() || !f->source().error.isEmpty()) continue;
    if (f->total() < 0) return -1;
    n += f->total();
  }
  return n > 0 ? n : -1;
}

void MasterUpdate::start() {
  if (started_) return;
  started_ = true;
  // The file must be there before anything is fetched; it is looked at again
  // when the sources have arrived.
  if (!QFileInfo(target_).isFile()) {
    const QString text = QString::fromStdString(says::databaseMissing(target_.toStdString()));
    QTimer::singleShot(0, this, [this, text] { finish(Outcome::Missing, text); });
    return;
  }
  if (sources_.isEmpty()) {
    QTimer::singleShot(0, this, [this] { fail(Outcome::Failed, says::noSources()); });
    return;
  }
  for (const UpdateSource& s : sources_) {
    if (!nam_ && !s.url.isEmpty() && s.error.isEmpty()) nam_ = new QNetworkAccessManager(this);
    fetches_.push_back(new Fetch(s, limits_, nam_, this));
  }
  // every source may have been decided at once (files, errors)
  QTimer::singleShot(0, this, &MasterUpdate::onFetched);
}

void MasterUpdate::cancel() {
  if (outcome_ != Outcome::Running || !started_) return;
  if (!stop_.stop()) return;  // the new file is being written: it ends as it would have
  fail(Outcome::Cancelled, says::updateCancelled());
}

void MasterUpdate::onFetched() {
  if (outcome_ != Outcome::Running || checking_) return;
  for (const Fetch* f : fetches_)
    if (!f->finished()) return;
  std::vector<SourceInput> inputs;
  for (const Fetch* f : fetches_) inputs.push_back(f->input());
  check(std::move(inputs));
}

// The draws are checked, and the database written, on a thread of their own;
// the result comes back to this object's thread as a queued call.
void MasterUpdate::check(std::vector<SourceInput> inputs) {
  checking_ = true;
  emit checkingStarted();
  UpdateOptions options;
  options.limits = ReadLimits{kReadTimeLimit, &stop_};
  options.today = today_.toStdString();
  if (comparing_) options.compareWith = &compareWith_;
  std::vector<QString> files;
  for (const UpdateSource& s : sources_) files.push_back(s.error.isEmpty() ? s.file : QString());
  worker_ = std::thread([this, inputs = std::move(inputs), files = std::move(files), options,
                         target = target_.toStdString(), cap = limits_.maxBytes]() mutable {
    for (size_t i = 0; i < inputs.size() && i < files.size(); ++i) {
      if (files[i].isEmpty() || stop_.stopped()) continue;
      QString details;
      const QString why = readSourceFile(files[i], cap, inputs[i].bytes, details);
      inputs[i].error = why.toStdString();
      inputs[i].details = details.toStdString();
    }
    UpdateResult r = updateHistory(target, inputs, options);
    QMetaObject::invokeMethod(
        this, [this, r = std::move(r)] { onChecked(r); }, Qt::QueuedConnection);
  });
}

namespace {

// One line a source: its newest draw, or why it was left out.
QString sourceLines(const UpdateReport& r) {
  QString lines = says::sourcesHeading();
  for (const SourceReport& s : r.sources) {
    lines += says::sourceLine(QString::fromStdString(s.name));
    if (s.usable)
      lines += says::sourceNewest(s.newest->no, QString::fromStdString(s.newest->date));
    else
      lines += QString::fromStdString(s.reason).replace(QLatin1Char('\n'), QStringLiteral(" "));
  }
  return lines;
}

}  // namespace

void MasterUpdate::onChecked(const UpdateResult& checked) {
  if (worker_.joinable()) worker_.join();
  checking_ = false;
  if (outcome_ != Outcome::Running) return;  // cancelled: nothing was written
  switch (checked.kind()) {
    case Fault::None:
      break;
    case Fault::Missing:
      return finish(Outcome::Missing, QString::fromStdString(checked.message()));
    case Fault::Cancelled:
      return finish(Outcome::Cancelled, says::updateCancelled());
    default:
      return finish(Outcome::Failed,
                    QString::fromStdString(checked.message()) + QStringLiteral("\n") + says::untouched(),
                    QString::fromStdString(checked.cause()));
  }
  const UpdateReport& r = *checked;
  result_ = r;
  const Draw& newest = *r.newest;
  const QString newestDate = newest.date.empty() ? QString() : QString::fromStdString(newest.date);
  // Several sources: each is named with its newest draw or why it was left out.
  const QString perSource = r.sources.size() > 1 ? sourceLines(r) : QString();
  QString conflict = r.conflict.empty() ? QString() : QStringLiteral("\n") + QString::fromStdString(r.conflict);
  if (r.prizesAdded > 0) conflict += says::prizesAdded(r.prizesAdded);
  conflict += QString::fromStdString(r.prizeNotes);
  if (!r.added.empty()) {
    const int first = r.added.front().no, last = r.added.back().no, n = static_cast<int>(r.added.size());
    const QString range = n == 1 ? says::drawName(first) : says::drawRange(first, last);
    const Draw& added = r.added.back();
    finish(Outcome::Updated,
           says::drawsAdded(range, n, added.no, QString::fromStdString(added.date)) + conflict + perSource);
    return;
  }
  {
    QString text = says::nothingNew(newest.no, newestDate);
    if (r.sourceStale)
      text += says::staleSource(kStaleDays, QString::fromUtf8(kSourcesFileName), QString::fromUtf8(kUpdateUrlVariable));

    finish(Outcome::NothingNew, text + conflict + perSource);
  }
}

void MasterUpdate::fail(Outcome outcome, const QString& why, const QString& details) {
  if (outcome_ != Outcome::Running) return;
  for (Fetch* f : fetches_) f->abort();
  finish(outcome, why, details);
}

void MasterUpdate::finish(Outcome outcome, const QString& message, const QString& details) {
  if (outcome_ != Outcome::Running) return;
  outcome_ = outcome;
  message_ = message;
  details_ = details;
  emit finished();
}

}  // namespace km
