#pragma once
// Every sentence the update gives a user (failures, refusals, notes, the
// progress), in one place: each a function of what varies in it.  The
// store's own sentences (a list that cannot be read, a history that cannot be
// written) are in store/messages.h.  Button captions and the window's title
// stay with the window.
#include <QString>

namespace km::says {

// The two refusals the main window gives itself, before the update's plugin
// is loaded: defined here, in the header, so that the program needs nothing
// of the plugin to say them.
// Refusal of an update while the data entry window is open.
inline QString updateRefused() {
  return QStringLiteral(
      "当選データ入力ウィンドウを閉じてから実行してください。\n"
      "入力中のデータベースを置き換えることはできません。");
}
// Refusal of the entry window while an update runs.
inline QString entryRefusedWhileUpdating() {
  return QStringLiteral(
      "当選データの最新化が実行中です。終わってから、もう一度実行してください。\n"
      "最新化が置き換えるデータベースに入力することはできません。");
}

// ---- the window of the update

// A second update while the one the user started runs.
QString updateBusy();
// The line under the success message.
QString restartToUse();
// The option of the outcome box.
QString checkSourcesAtStart();
// The progress: before the first byte, then with what was received.
QString fetchingStarted(const QString& sources);
QString fetching(const QString& sources, const QString& received);
// "受信 1,234 バイト", "受信 1,234 バイト / 5,678 バイト"
QString receivedBytes(qint64 received, qint64 total);
QString checking(const QString& sources);
QString chooseFileCaption();

// ---- the update: sources, downloads, outcome

// "当選データファイルは変更していません。"
QString untouched();
QString updateCancelled();
// The failure of a download, by its QNetworkReply::NetworkError (an int here:
// the main window, which includes this header, does without Qt Network).
QString networkFailure(int error);
// "64 MiB", "1000 バイト"
QString byteSize(qint64 n);
// "30秒", "10分", "0.3秒"
QString duration(int ms);
// "第12回"
QString drawName(int no);
QString sourceFileMissing(const QString& path);
QString sourceFileForeignLink(const QString& path);
QString sourceFileNotRegular(const QString& path);
QString sourceFileTooLarge(qint64 cap, const QString& path);
QString sourceFileUnreadable(const QString& path);
QString sourceWrong(const QString& text);
QString listTooLarge(long long kib);
QString listForeignLink();
// `what`: the kind of file it is, empty when unknown.
QString listNotRegular(const QString& what);
QString listUnreadable();
QString listUnusable(const QString& fileName, const QString& why, const QString& listFile);
// "取得先.txt の3行目: "
QString listLine(const QString& fileName, int line);
QString listLineNul();
QString stalled(int ms);
QString overDeadline(int ms);
QString addressWrong();
QString downloadFailed(const QString& why, const QString& url);
QString tooSlow(int ms, qint64 bytes, qint64 perSecond);
QString tooLarge(qint64 cap);
QString tooLargeDeclared(qint64 length, qint64 cap);
QString tooManyRedirects(int most);
QString insecureRedirect();
QString notFound(const QString& status);
QString serverRefused(const QString& status);
QString cutOff(qint64 received);
QString noSources();
QString sourcesHeading();
QString sourceLine(const QString& name);
QString sourceNewest(int no, const QString& date);
QString prizesAdded(int draws);
QString drawRange(int first, int last);
QString drawsAdded(const QString& range, int count, int latest, const QString& date);
QString nothingNew(int newest, const QString& date);
QString staleSource(int days, const QString& fileName, const QString& variable);

}  // namespace km::says
