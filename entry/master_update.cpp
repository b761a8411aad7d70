#include "entry/master_update.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QtGlobal>
#include <string_view>

#include "store/replace_file.h"

#ifndef KM_UPDATE_URL
#error "KM_UPDATE_URL must name the HTTPS address of the results list"
#endif

namespace km {

namespace {

const QString kUntouched = QStringLiteral("当選データファイルは変更していません。");

QString networkReason(QNetworkReply::NetworkError e) {
  switch (e) {
    case QNetworkReply::ConnectionRefusedError:
      return QStringLiteral("サーバーに接続を拒否されました。");
    case QNetworkReply::RemoteHostClosedError:
      return QStringLiteral("サーバーが接続を切りました。");
    case QNetworkReply::HostNotFoundError:
      return QStringLiteral("サーバーが見つかりません。インターネットに接続しているか確かめてください。");
    case QNetworkReply::TimeoutError:
      return QStringLiteral("接続がタイムアウトしました。");
    case QNetworkReply::SslHandshakeFailedError:
      return QStringLiteral("安全な接続（TLS）を確立できません。サーバーの証明書を信頼できません。");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
      return QStringLiteral("ネットワークに接続できません。");
    case QNetworkReply::TooManyRedirectsError:
      return QStringLiteral("転送（リダイレクト）が多すぎます。");
    case QNetworkReply::InsecureRedirectError:
      return QStringLiteral("安全でない転送先です。");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
      return QStringLiteral("プロキシサーバーに接続できません。");
    default:
      return QStringLiteral("通信中にエラーが起きました。");
  }
}

QString mebibytes(qint64 n) {
  return n % (1024 * 1024) == 0 ? QStringLiteral("%1 MiB").arg(n / (1024 * 1024)) : QStringLiteral("%1 バイト").arg(n);
}

// "30秒", "10分", "0.3秒"
QString duration(int ms) {
  if (ms % 60000 == 0) return QStringLiteral("%1分").arg(ms / 60000);
  return QStringLiteral("%1秒").arg(ms / 1000.0);
}

QString draw(int no) { return QStringLiteral("第%1回").arg(no); }

// Reads a local source: a regular file of at most `cap` bytes, not through a
// symbolic link that another user owns.  Empty on success, else why.
QString readSourceFile(const QString& path, qint64 cap, std::string& bytes, QString& details) {
  FileRead file = readRegularFile(QFile::encodeName(path).toStdString(), static_cast<unsigned long long>(cap));
  details = QString::fromLocal8Bit(file.cause);
  switch (file.status) {
    case FileRead::Read:
      bytes = std::move(file.bytes);
      details.clear();
      return {};
    case FileRead::Missing:
      return QStringLiteral("取得先のファイルがありません: ") + path;
    case FileRead::ForeignLink:
      return QStringLiteral("取得先のファイルはほかのユーザーのシンボリックリンクのため、読みません: ") + path;
    case FileRead::NotRegular:
      return QStringLiteral("取得先のファイルが通常のファイルではありません: ") + path;
    case FileRead::TooLarge:
      return QStringLiteral("取得先のファイルが大きすぎます（上限 %1）: ").arg(mebibytes(cap)) + path;
    case FileRead::Unreadable:
      break;
  }
  return QStringLiteral("取得先のファイルを読めません: ") + path;
}

}  // namespace

QUrl builtInUpdateUrl() { return QUrl(QStringLiteral(KM_UPDATE_URL)); }

UpdateSource explicitUpdateSource(const QString& text) {
  UpdateSource s;
  const QString t = text.trimmed();
  if (!t.contains(QLatin1String("://"))) {
    if (!t.isEmpty()) s.file = QFileInfo(t).absoluteFilePath();
  } else {
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && scheme == QLatin1String("file") && !url.toLocalFile().isEmpty())
      s.file = url.toLocalFile();
    else if (url.isValid() && (scheme == QLatin1String("https") || scheme == QLatin1String("http")) &&
             !url.host().isEmpty())
      s.url = url;
  }
  if (s.file.isEmpty() && s.url.isEmpty())
    s.error = QStringLiteral(
                  "当選データの取得先が正しくありません（https:// で始まるアドレスか、ファイルを指定してください）: ") +
              text;
  return s;
}

UpdateSource updateSource() {
  const QString env = qEnvironmentVariable(kUpdateUrlVariable);
  if (!env.isEmpty()) {
    UpdateSource s = explicitUpdateSource(env);
    if (!s.error.isEmpty()) s.error = QString::fromUtf8(kUpdateUrlVariable) + QStringLiteral(": ") + s.error;
    return s;
  }
  return UpdateSource{builtInUpdateUrl(), {}, {}};
}

MasterUpdate::MasterUpdate(const UpdateSource& source, const QString& target, QObject* parent)
    : QObject(parent), source_(source), target_(target) {
  stall_.setSingleShot(true);
  deadline_.setSingleShot(true);
  connect(&stall_, &QTimer::timeout, this, [this] {
    failDownload(QStringLiteral("%1間データが届かないため、打ち切りました。").arg(duration(limits_.stallMs)));
  });
  connect(&rate_, &QTimer::timeout, this, &MasterUpdate::checkRate);
  connect(&deadline_, &QTimer::timeout, this, [this] {
    failDownload(QStringLiteral("%1以内に転送が終わらないため、打ち切りました。").arg(duration(limits_.deadlineMs)));
  });
}

MasterUpdate::~MasterUpdate() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
    delete reply_;
  }
  stop_.stop();
  if (worker_.joinable()) worker_.join();
}

void MasterUpdate::start() {
  if (started_) return;
  started_ = true;
  // The file must be there before anything is fetched; it is looked at again
  // when the source has arrived.
  if (!QFileInfo(target_).isFile()) {
    const QString text = QString::fromStdString(missingDatabaseText(target_.toStdString()));
    QTimer::singleShot(0, this, [this, text] { finish(Outcome::Missing, text); });
    return;
  }
  if (!source_.file.isEmpty()) {
    QTimer::singleShot(0, this, [this] { check({}); });
    return;
  }
  const QString scheme = source_.url.scheme().toLower();
  if (!source_.url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
    QTimer::singleShot(0, this, [this] { failDownload(QStringLiteral("取得先のアドレスが正しくありません。")); });
    return;
  }
  nam_ = new QNetworkAccessManager(this);
  QNetworkRequest request(source_.url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(10);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("kazumaki"));
  reply_ = nam_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, &MasterUpdate::onReadyRead);
  connect(reply_, &QNetworkReply::redirected, this, &MasterUpdate::onRedirected);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &MasterUpdate::onMetaData);
  connect(reply_, &QNetworkReply::finished, this, &MasterUpdate::onReplyFinished);
  clock_.start();
  restartStallTimer();
  rate_.start(limits_.rateWindowMs);
  deadline_.start(limits_.deadlineMs);
}

void MasterUpdate::cancel() {
  if (outcome_ != Outcome::Running || !started_) return;
  if (!stop_.stop()) return;  // the new file is being written: it ends as it would have
  fail(Outcome::Cancelled, QStringLiteral("当選データの最新化を中止しました。\n") + kUntouched);
}

void MasterUpdate::restartStallTimer() {
  if (outcome_ == Outcome::Running && reply_) stall_.start(limits_.stallMs);
}

void MasterUpdate::checkRate() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  const qint64 elapsed = clock_.elapsed();
  if (body_.size() * 1000 < limits_.minBytesPerSecond * elapsed)
    failDownload(QStringLiteral("転送が遅すぎるため（%1間で %2 バイト、毎秒 %3 バイト未満）、打ち切りました。")
                     .arg(duration(static_cast<int>(elapsed)))
                     .arg(body_.size())
                     .arg(limits_.minBytesPerSecond));
}

void MasterUpdate::onReadyRead() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  restartStallTimer();
  body_.append(reply_->read(limits_.maxBytes + 1 - body_.size()));
  if (body_.size() > limits_.maxBytes) {
    failDownload(QStringLiteral("データが大きすぎます（上限 %1）。").arg(mebibytes(limits_.maxBytes)));
    return;
  }
  // Reported here rather than from downloadProgress, which Qt holds back to
  // a few signals a second.
  emit progress(body_.size(), total_);
}

void MasterUpdate::onRedirected(const QUrl& to) {
  if (!reply_ || outcome_ != Outcome::Running) return;
  const QUrl next = reply_->url().resolved(to);
  if (next.scheme().toLower() != QLatin1String("https")) {
    failDownload(QStringLiteral("転送先が HTTPS ではないため、打ち切りました: ") + next.toDisplayString());
    return;
  }
  restartStallTimer();
  emit reply_->redirectAllowed();
}

void MasterUpdate::onMetaData() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (status.isValid() && status.toInt() >= 300 && status.toInt() < 400) return;  // a redirect's own size
  bool known = false;
  const qint64 length = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
  total_ = known ? length : -1;
  if (known && length > limits_.maxBytes)
    failDownload(
        QStringLiteral("データが大きすぎます（%1 バイト、上限 %2）。").arg(length).arg(mebibytes(limits_.maxBytes)));
}

void MasterUpdate::onReplyFinished() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  stall_.stop();
  rate_.stop();
  deadline_.stop();
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString statusLine =
      QStringLiteral("HTTP %1 %2")
          .arg(status)
          .arg(QString::fromUtf8(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()))
          .trimmed();
  if (status >= 400 || (reply->error() == QNetworkReply::NoError && status != 200)) {
    failDownload(status == 404 ? QStringLiteral("取得先にデータがありません（%1）。").arg(statusLine)
                               : QStringLiteral("サーバーがデータを渡しませんでした（%1）。").arg(statusLine),
                 statusLine);
    return;
  }
  if (reply->error() != QNetworkReply::NoError) {
    // the library's words, which may end without saying what failed (a
    // damaged or oversized compressed body: "Decompression failed: ")
    QString words = reply->errorString().trimmed();
    if (words.isEmpty() || words.endsWith(QLatin1Char(':')))
      words += QStringLiteral(" QNetworkReply::NetworkError %1").arg(int(reply->error()));
    failDownload(networkReason(reply->error()), words.trimmed());
    return;
  }
  body_.append(reply->read(limits_.maxBytes + 1 - body_.size()));
  if (body_.size() > limits_.maxBytes) {
    failDownload(QStringLiteral("データが大きすぎます（上限 %1）。").arg(mebibytes(limits_.maxBytes)));
    return;
  }
  QByteArray body = std::move(body_);
  body_.clear();
  check(std::move(body));
}

// The draws are checked, and the database written, on a thread of their own;
// the result comes back to this object's thread as a queued call.
void MasterUpdate::check(QByteArray body) {
  checking_ = true;
  emit checkingStarted();
  UpdateOptions options;
  options.limits = ReadLimits{kReadTimeLimit, &stop_};
  options.today = today_.toStdString();
  worker_ = std::thread([this, body = std::move(body), options, target = target_.toStdString(), file = source_.file,
                         cap = limits_.maxBytes] {
    UpdateResult r;
    std::string bytes;
    QString details;
    const QString why = file.isEmpty() ? QString() : readSourceFile(file, cap, bytes, details);
    if (!why.isEmpty()) {
      r.reason = why.toStdString();
      r.details = details.toStdString();
    } else {
      r = updateHistory(target, file.isEmpty() ? std::string_view(body.constData(), size_t(body.size())) : bytes,
                        options);
    }
    QMetaObject::invokeMethod(
        this, [this, r = std::move(r)] { onChecked(r); }, Qt::QueuedConnection);
  });
}

void MasterUpdate::onChecked(const UpdateResult& r) {
  if (worker_.joinable()) worker_.join();
  checking_ = false;
  if (outcome_ != Outcome::Running) return;  // cancelled: nothing was written
  result_ = r;
  const QString details = QString::fromStdString(r.details);
  const Draw& newest = r.newest;
  const QString newestDate = newest.date.empty() ? QString() : QString::fromStdString(newest.date);
  switch (r.status) {
    case UpdateResult::Added: {
      const int first = r.added.front().no, last = r.added.back().no, n = static_cast<int>(r.added.size());
      const QString range = n == 1 ? draw(first) : draw(first) + QStringLiteral("〜") + draw(last);
      const Draw& added = r.added.back();
      finish(Outcome::Updated, QStringLiteral("%1（%2回分）を追加しました。\n最新：%3（%4）")
                                   .arg(range)
                                   .arg(n)
                                   .arg(draw(added.no), QString::fromStdString(added.date)));
      break;
    }
    case UpdateResult::NothingNew: {
      QString text = QStringLiteral("取得先に新しい回はありません（取得先の最新：%1%2）。")
                         .arg(draw(newest.no), newestDate.isEmpty() ? QString() : QStringLiteral(" ") + newestDate);
      if (r.sourceStale)
        text += QStringLiteral(
                    "\n取得先の最新の回が%1日より前のものです。取得先の更新が止まっているかもしれません。"
                    "別の取得先は、環境変数 %2 か「kazumaki-tool update データベース 取得先」で指定できます。")
                    .arg(kStaleDays)
                    .arg(QString::fromUtf8(kUpdateUrlVariable));
      finish(Outcome::NothingNew, text);
      break;
    }
    case UpdateResult::Missing:
      finish(Outcome::Missing, QString::fromStdString(r.reason));
      break;
    case UpdateResult::Cancelled:
      finish(Outcome::Cancelled, QStringLiteral("当選データの最新化を中止しました。\n") + kUntouched);
      break;
    case UpdateResult::Refused:
      finish(Outcome::Failed, QString::fromStdString(r.reason) + QStringLiteral("\n") + kUntouched, details);
      break;
  }
}

void MasterUpdate::failDownload(const QString& why, const QString& details) {
  fail(Outcome::Failed,
       QStringLiteral("当選データをダウンロードできませんでした。\n") + why + QStringLiteral("\n") +
           source_.url.toDisplayString() + QStringLiteral("\n") + kUntouched,
       details);
}

void MasterUpdate::fail(Outcome outcome, const QString& why, const QString& details) {
  if (outcome_ != Outcome::Running) return;
  if (QNetworkReply* reply = reply_) {
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
  body_.clear();
  finish(outcome, why, details);
}

void MasterUpdate::finish(Outcome outcome, const QString& message, const QString& details) {
  if (outcome_ != Outcome::Running) return;
  stall_.stop();
  rate_.stop();
  deadline_.stop();
  outcome_ = outcome;
  message_ = message;
  details_ = details;
  emit finished();
}

}  // namespace km
