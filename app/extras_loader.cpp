// The program's extras: the plugin kazumaki-extras.so, loaded on first use,
// or the same plugin linked in as a static one (kazumaki-tool, the tests).
#include "app/extras_loader.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>
#include <cerrno>
#include <cstring>

#include "app/extras_iid.h"
#include "store/files/program_folder.h"

namespace km {

namespace {
QString cannotLoad(const QString& why) {
  return QStringLiteral("ヘルプ・印刷・当選データ最新化の部品を読み込めませんでした。\n%1").arg(why);
}
QString notOfThisBuild(const QString& path) {
  return cannotLoad(QStringLiteral("%1 はこのプログラムと版が合いません。").arg(path));
}
bool ofThisBuild(const QJsonObject& metaData) {
  return metaData.value(QStringLiteral("IID")).toString() == extrasInterfaceId();
}
}  // namespace

QString extrasInterfaceId() { return QStringLiteral(KM_EXTRAS_IID); }

QStringList extrasModulePlaces(const QString& executableFolder) {
  const QDir dir(executableFolder);
  return {dir.filePath(QString::fromLatin1(kExtrasModuleFile)),
          QDir::cleanPath(
              dir.filePath(QStringLiteral(KM_EXTRAS_DIR_FROM_BIN "/") + QString::fromLatin1(kExtrasModuleFile)))};
}

// Why the file at `path` is no plugin to read, before anything reads it (a
// pipe would block the read); empty for a regular file.
QString notAFile(const QString& path, QString* details) {
  const QByteArray name = QFile::encodeName(path);
  struct stat st {};
  if (::stat(name.constData(), &st) == 0) {
    if (S_ISREG(st.st_mode)) return {};
    return cannotLoad(S_ISDIR(st.st_mode) ? QStringLiteral("%1 はフォルダです。").arg(path)
                                          : QStringLiteral("%1 は通常のファイルではありません。").arg(path));
  }
  const int why = errno;
  if (details) *details = QString::fromLocal8Bit(std::strerror(why));
  if (why == ELOOP)
    return cannotLoad(QStringLiteral("%1 はシンボリックリンクが輪になっていて、たどれません。").arg(path));
  struct stat link {};
  if (why == ENOENT && ::lstat(name.constData(), &link) == 0)
    return cannotLoad(QStringLiteral("%1 はリンク先のないシンボリックリンクです。").arg(path));
  if (why == ENOENT) return cannotLoad(QStringLiteral("%1 がありません。").arg(path));
  return cannotLoad(QStringLiteral("%1 を読めません。").arg(path));
}

const Extras* loadExtrasModule(const QString& path, QString& error, QString* details) {
  if (const QString why = notAFile(path, details); !why.isEmpty()) {
    error = why;
    return nullptr;
  }
  QPluginLoader loader(path);
  // The metadata is read from the file; nothing of it is loaded or run yet.
  const QJsonObject metaData = loader.metaData();
  if (metaData.isEmpty()) {
    error = cannotLoad(QStringLiteral("%1 はこのプログラムの部品ではありません。").arg(path));
    if (details) *details = loader.errorString();
    return nullptr;
  }
  if (!ofThisBuild(metaData)) {
    error = notOfThisBuild(path);
    if (details) *details = metaData.value(QStringLiteral("IID")).toString();
    return nullptr;
  }
  // Every symbol is bound now: a plugin that does not fit the program fails
  // here, with the loader's message, rather than on some later call.
  loader.setLoadHints(QLibrary::ResolveAllSymbolsHint);
  QObject* instance = loader.instance();
  if (!instance) {
    error = cannotLoad(path);
    if (details) *details = loader.errorString();
    return nullptr;
  }
  const Extras* x = qobject_cast<Extras*>(instance);
  if (!x) error = notOfThisBuild(path);
  return x;
}

const Extras* loadFirstExtrasModule(const QStringList& places, QString& error, QString* details) {
  QString firstError, firstDetails;
  for (const QString& place : places) {
    if (!QFileInfo(place).exists() && !QFileInfo(place).isSymLink()) continue;
    QString e, d;
    if (const Extras* x = loadExtrasModule(place, e, &d)) return x;
    if (firstError.isEmpty()) firstError = e, firstDetails = d;
  }
  error = !firstError.isEmpty()
              ? firstError
              : cannotLoad(QStringLiteral("%1 がありません。").arg(places.join(QStringLiteral("、"))));
  if (details) *details = firstDetails;
  return nullptr;
}

const Extras* extras(QString& error, QString* details) {
  static const Extras* loaded = nullptr;
  if (loaded) return loaded;
  for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins()) {
    if (!ofThisBuild(plugin.metaData())) continue;
    if ((loaded = qobject_cast<Extras*>(plugin.instance()))) return loaded;
  }
  loaded = loadFirstExtrasModule(extrasModulePlaces(QString::fromStdString(runningExecutableFolder())), error, details);
  return loaded;
}

}  // namespace km
