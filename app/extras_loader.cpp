// The program's extras: the plugin kazumaki-extras.so, loaded on first use,
// or the same plugin linked in as a static one (kazumaki-tool, the tests).
#include "app/extras_loader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>

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

const Extras* loadExtrasModule(const QString& path, QString& error, QString* details) {
  if (!QFileInfo(path).isFile()) {
    error = cannotLoad(QStringLiteral("%1 がありません。").arg(path));
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

const Extras* extras(QString& error, QString* details) {
  static const Extras* loaded = nullptr;
  if (loaded) return loaded;
  for (const QStaticPlugin& plugin : QPluginLoader::staticPlugins()) {
    if (!ofThisBuild(plugin.metaData())) continue;
    if ((loaded = qobject_cast<Extras*>(plugin.instance()))) return loaded;
  }
  const QStringList places = extrasModulePlaces(QString::fromStdString(runningExecutableFolder()));
  for (const QString& place : places) {
    if (!QFileInfo::exists(place)) continue;
    loaded = loadExtrasModule(place, error, details);
    return loaded;
  }
  error = cannotLoad(QStringLiteral("%1 がありません。").arg(places.join(QStringLiteral("、"))));
  return nullptr;
}

}  // namespace km
