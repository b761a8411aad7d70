#include "update/update_messages.h"

#include <QNetworkReply>

namespace km::says {

QString updateBusy() {
  return QStringLiteral(
      "当選データの最新化は、いま実行中です（進み具合は「当選データ最新化」のウィンドウに出ています）。\n"
      "終わってから、もう一度実行してください。やめるときは、そのウィンドウの「キャンセル」を押します。");
}
QString restartToUse() { return QStringLiteral("分析と予想には、カズマキMiddleを再起動すると使われます。"); }
QString checkSourcesAtStart() {
  return QStringLiteral("起動するたびに取得先を確かめる（状態表示に出すだけで、取り込みはしません）");
}
QString fetching(const QString& sources, const QString& received) {
  return QStringLiteral("当選データを取得しています。\n%1\n\n%2").arg(sources, received);
}
QString receivedBytes(qint64 received, qint64 total) {
  QString amount = QStringLiteral("受信 %L1 バイト").arg(received);
  if (total > 0) amount += QStringLiteral(" / %L1 バイト").arg(total);
  return amount;
}
QString fetchingStarted(const QString& sources) {
  return QStringLiteral("当選データを取得しています。\n%1\n\n受信 0 バイト").arg(sources);
}
QString checking(const QString& sources) { return QStringLiteral("当選データを確かめています。\n%1").arg(sources); }
QString chooseFileCaption() { return QStringLiteral("当選データのファイルを選んでください"); }

QString untouched() { return QStringLiteral("当選データファイルは変更していません。"); }
QString updateCancelled() { return QStringLiteral("当選データの最新化を中止しました。\n") + untouched(); }

QString networkFailure(int error) {
  switch (static_cast<QNetworkReply::NetworkError>(error)) {
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

QString byteSize(qint64 n) {
  return n % (1024 * 1024) == 0 ? QStringLiteral("%1 MiB").arg(n / (1024 * 1024)) : QStringLiteral("%1 バイト").arg(n);
}
QString duration(int ms) {
  if (ms % 60000 == 0) return QStringLiteral("%1分").arg(ms / 60000);
  return QStringLiteral("%1秒").arg(ms / 1000.0);
}
QString drawName(int no) { return QStringLiteral("第%1回").arg(no); }

QString sourceFileMissing(const QString& path) { return QStringLiteral("取得先のファイルがありません: ") + path; }
QString sourceFileForeignLink(const QString& path) {
  return QStringLiteral("取得先のファイルはほかのユーザーのシンボリックリンクのため、読みません: ") + path;
}
QString sourceFileNotRegular(const QString& path) {
  return QStringLiteral("取得先のファイルが通常のファイルではありません: ") + path;
}
QString sourceFileTooLarge(qint64 cap, const QString& path) {
  return QStringLiteral("取得先のファイルが大きすぎます（上限 %1）: ").arg(byteSize(cap)) + path;
}
QString sourceFileUnreadable(const QString& path) { return QStringLiteral("取得先のファイルを読めません: ") + path; }
QString sourceWrong(const QString& text) {
  return QStringLiteral(
             "当選データの取得先が正しくありません（https:// で始まるアドレスか、ファイルを指定してください）: ") +
         text;
}
QString listTooLarge(long long kib) { return QStringLiteral("大きすぎます（%1 KiB まで）").arg(kib); }
QString listForeignLink() { return QStringLiteral("ほかのユーザーが作ったシンボリックリンクのため、読みません"); }
QString listNotRegular(const QString& what) {
  return QStringLiteral("通常のファイルではありません（%1）")
      .arg(what.isEmpty() ? QStringLiteral("特殊なファイル") : what);
}
QString listUnreadable() { return QStringLiteral("読み込めません"); }
QString listUnusable(const QString& fileName, const QString& why, const QString& listFile) {
  return QStringLiteral("取得先の一覧のファイル（%1）を使えません：%2。\n").arg(fileName, why) + listFile;
}
QString listLine(const QString& fileName, int line) { return QStringLiteral("%1 の%2行目: ").arg(fileName).arg(line); }
QString listLineNul() { return QStringLiteral("NUL 文字があります（テキストの行ではありません）。"); }
QString stalled(int ms) { return QStringLiteral("%1間データが届かないため、打ち切りました。").arg(duration(ms)); }
QString overDeadline(int ms) {
  return QStringLiteral("%1以内に転送が終わらないため、打ち切りました。").arg(duration(ms));
}
QString addressWrong() { return QStringLiteral("取得先のアドレスが正しくありません。"); }
QString downloadFailed(const QString& why, const QString& url) {
  return QStringLiteral("当選データをダウンロードできませんでした。\n") + why + QStringLiteral("\n") + url;
}
QString tooSlow(int ms, qint64 bytes, qint64 perSecond) {
  return QStringLiteral("転送が遅すぎるため（%1間で %2 バイト、毎秒 %3 バイト未満）、打ち切りました。")
      .arg(duration(ms))
      .arg(bytes)
      .arg(perSecond);
}
QString tooLarge(qint64 cap) { return QStringLiteral("データが大きすぎます（上限 %1）。").arg(byteSize(cap)); }
QString tooLargeDeclared(qint64 length, qint64 cap) {
  return QStringLiteral("データが大きすぎます（%1 バイト、上限 %2）。").arg(length).arg(byteSize(cap));
}
QString tooManyRedirects(int most) {
  return QStringLiteral("転送（リダイレクト）が%1回を超えたか、同じ所を回っています。").arg(most);
}
QString insecureRedirect() { return QStringLiteral("転送先が HTTPS ではないため、打ち切りました。"); }
QString notFound(const QString& status) { return QStringLiteral("取得先にデータがありません（%1）。").arg(status); }
QString serverRefused(const QString& status) {
  return QStringLiteral("サーバーがデータを渡しませんでした（%1）。").arg(status);
}
QString cutOff(qint64 received) {
  return QStringLiteral("転送の途中で接続が切れました（%1 バイト受信）。").arg(received);
}
QString noSources() { return QStringLiteral("当選データの取得先がありません。"); }
QString sourcesHeading() { return QStringLiteral("\n取得先："); }
QString sourceLine(const QString& name) { return QStringLiteral("\n　") + name + QStringLiteral("："); }
QString sourceNewest(int no, const QString& date) { return QStringLiteral("%1（%2）まで").arg(drawName(no), date); }
QString prizesAdded(int draws) { return QStringLiteral("\n当選金のデータを%1回分追加しました。").arg(draws); }
QString drawRange(int first, int last) { return drawName(first) + QStringLiteral("〜") + drawName(last); }
QString drawsAdded(const QString& range, int count, int latest, const QString& date) {
  return QStringLiteral("%1（%2回分）を追加しました。\n最新：%3（%4）")
      .arg(range)
      .arg(count)
      .arg(drawName(latest), date);
}
QString nothingNew(int newest, const QString& date) {
  return QStringLiteral("取得先に新しい回はありません（取得先の最新：%1%2）。")
      .arg(drawName(newest), date.isEmpty() ? QString() : QStringLiteral(" ") + date);
}
QString staleSource(int days, const QString& fileName, const QString& variable) {
  return QStringLiteral(
             "\n取得先の最新の回が%1日より前のものです。取得先の更新が止まっているかもしれません。"
             "別の取得先は、プログラムフォルダの%2、環境変数 %3 か「kazumaki-tool update データベース "
             "取得先」で指定できます。")
      .arg(days)
      .arg(fileName, variable);
}

}  // namespace km::says
