#include "entry/master_update.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QtGlobal>
#include <string_view>

#include "store/database_update.h"

#ifndef KM_UPDATE_URL
#error "KM_UPDATE_URL must name the HTTPS address of the published database"
#endif

namespace km {

namespace {

const QString kUntouched = QStringLiteral("当選データファイルは変更していません。");

QString downloadFailed(const QString& why, const QUrl& url) {
  return QStringLiteral("当選データをダウンロードできませんでした。\n") + why + QStringLiteral("\n") +
         url.toDisplayString() + QStringLiteral("\n") + kUntouched;
}

QString networkReason(QNetworkReply::NetworkError e) {
  switch (e) {
    case QNetworkReply::ConnectionRefusedError:
      return QStringLiteral("サーバーに接続を拒否されました。");
    case QNetworkReply::RemoteHostClosedError:
      return QStringLiteral("サーバーが接続を切りました。");
    case QNetworkReply::HostNotFoundError:
      return QStringLiteral("サーバーが見つかりません。");
    case QNetworkReply::TimeoutError:
      return QStringLiteral("接続がタイムアウトしました。");
    case QNetworkReply::SslHandshakeFailedError:
      return QStringLiteral("安全な接続（TLS）を確立できません。");
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

}  // namespace

QUrl builtInUpdateUrl() { return QUrl(QStringLiteral(KM_UPDATE_URL)); }

UpdateSource explicitUpdateSource(const QString& text) {
  UpdateSource s;
  const QUrl url(text.trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")) || url.host().isEmpty()) {
    s.error = QStringLiteral(
                  "当選データの取得先が正しくありません（http:// または https:// で始まるアドレスを指定して"
                  "ください）: ") +
              text;
    return s;
  }
  s.url = url;
  return s;
}

UpdateSource updateSource() {
  const QString env = qEnvironmentVariable(kUpdateUrlVariable);
  if (!env.isEmpty()) {
    UpdateSource s = explicitUpdateSource(env);
    if (!s.error.isEmpty()) s.error = QString::fromUtf8(kUpdateUrlVariable) + QStringLiteral(": ") + s.error;
    return s;
  }
  return UpdateSource{builtInUpdateUrl(), {}};
}

MasterUpdate::MasterUpdate(const QUrl& url, const QString& target, QObject* parent)
    : QObject(parent), url_(url), target_(target) {
  stall_.setSingleShot(true);
  connect(&stall_, &QTimer::timeout, this, [this] {
    fail(Outcome::Failed,
         downloadFailed(QStringLiteral("%1秒間データが届かないため、打ち切りました。").arg(stallMs_ / 1000.0), url_));
  });
}

MasterUpdate::~MasterUpdate() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
    delete reply_;
  }
}

void MasterUpdate::start() {
  if (started_) return;
  started_ = true;
  // The file must be there before anything is fetched; it is looked at again
  // when the download is complete.
  if (!QFileInfo(target_).isFile()) {
    const QString text = QString::fromStdString(missingDatabaseText(target_.toStdString()));
    QTimer::singleShot(0, this, [this, text] { finish(Outcome::Missing, text); });
    return;
  }
  const QString scheme = url_.scheme().toLower();
  if (!url_.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
    const QString text = downloadFailed(QStringLiteral("取得先のアドレスが正しくありません。"), url_);
    QTimer::singleShot(0, this, [this, text] { finish(Outcome::Failed, text); });
    return;
  }
  nam_ = new QNetworkAccessManager(this);
  QNetworkRequest request(url_);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
  request.setMaximumRedirectsAllowed(10);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("kazumaki"));
  reply_ = nam_->get(request);
  connect(reply_, &QNetworkReply::readyRead, this, &MasterUpdate::onReadyRead);
  connect(reply_, &QNetworkReply::redirected, this, &MasterUpdate::onRedirected);
  connect(reply_, &QNetworkReply::metaDataChanged, this, &MasterUpdate::onMetaData);
  connect(reply_, &QNetworkReply::finished, this, &MasterUpdate::onReplyFinished);
  restartStallTimer();
}

void MasterUpdate::cancel() {
  if (outcome_ != Outcome::Running || !started_) return;
  fail(Outcome::Cancelled, QStringLiteral("当選データの最新化を中止しました。\n") + kUntouched);
}

void MasterUpdate::restartStallTimer() {
  if (outcome_ == Outcome::Running) stall_.start(stallMs_);
}

void MasterUpdate::onReadyRead() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  restartStallTimer();
  body_.append(reply_->read(maxBytes_ + 1 - body_.size()));
  if (body_.size() > maxBytes_) {
    fail(Outcome::Failed,
         downloadFailed(QStringLiteral("データが大きすぎます（上限 %1）。").arg(mebibytes(maxBytes_)), url_));
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
    fail(
        Outcome::Failed,
        downloadFailed(QStringLiteral("転送先が HTTPS ではないため、打ち切りました: ") + next.toDisplayString(), url_));
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
  if (known && length > maxBytes_) {
    fail(Outcome::Failed,
         downloadFailed(
             QStringLiteral("データが大きすぎます（%1 バイト、上限 %2）。").arg(length).arg(mebibytes(maxBytes_)),
             url_));
  }
}

void MasterUpdate::onReplyFinished() {
  if (!reply_ || outcome_ != Outcome::Running) return;
  stall_.stop();
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString statusText =
      QStringLiteral("サーバーの応答: %1 %2")
          .arg(status)
          .arg(QString::fromUtf8(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()));
  if (reply->error() != QNetworkReply::NoError) {
    if (status >= 400)
      fail(Outcome::Failed, downloadFailed(statusText.trimmed(), url_));
    else
      fail(Outcome::Failed, downloadFailed(networkReason(reply->error()) + QStringLiteral("（") + reply->errorString() +
                                               QStringLiteral("）"),
                                           url_));
    return;
  }
  if (status != 200) {
    fail(Outcome::Failed, downloadFailed(statusText.trimmed(), url_));
    return;
  }
  body_.append(reply->read(maxBytes_ + 1 - body_.size()));
  if (body_.size() > maxBytes_) {
    fail(Outcome::Failed,
         downloadFailed(QStringLiteral("データが大きすぎます（上限 %1）。").arg(mebibytes(maxBytes_)), url_));
    return;
  }
  const ReplaceResult r =
      replaceHistoryDatabase(target_.toStdString(), std::string_view(body_.constData(), size_t(body_.size())));
  body_.clear();
  drawsBefore_ = r.drawsBefore;
  drawsAfter_ = r.drawsAfter;
  lastDrawNo_ = r.lastDrawNo;
  const QString why = QString::fromStdString(r.message);
  switch (r.status) {
    case ReplaceResult::Replaced:
      finish(Outcome::Updated, successText());
      break;
    case ReplaceResult::Missing:
      finish(Outcome::Missing, why);
      break;
    case ReplaceResult::Invalid:
      finish(Outcome::Failed, QStringLiteral("ダウンロードしたファイルは当選データとして使えません。\n") + why +
                                  QStringLiteral("\n") + kUntouched);
      break;
    case ReplaceResult::WriteFailed:
      finish(Outcome::Failed, QStringLiteral("当選データファイルを置き換えられませんでした。\n") + why +
                                  QStringLiteral("\n") + kUntouched);
      break;
  }
}

void MasterUpdate::fail(Outcome outcome, const QString& why) {
  if (outcome_ != Outcome::Running) return;
  stall_.stop();
  if (QNetworkReply* reply = reply_) {
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
  }
  body_.clear();
  finish(outcome, why);
}

void MasterUpdate::finish(Outcome outcome, const QString& message) {
  if (outcome_ != Outcome::Running) return;
  stall_.stop();
  outcome_ = outcome;
  message_ = message;
  emit finished();
}

}  // namespace km
