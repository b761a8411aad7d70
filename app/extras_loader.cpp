// The program's extras: kazumaki-extras.so, loaded on first use.
#include "app/extras_loader.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "km_build_id.h"
#include "store/files/program_folder.h"

namespace km {

namespace {
QString cannotLoad(const QString& why) {
  return QStringLiteral("ヘルプ・印刷・当選データ最新化の部品を読み込めませんでした。\n%1").arg(why);
}
}  // namespace

QStringList extrasModulePlaces(const QString& executableFolder) {
  const QDir dir(executableFolder);
  return {dir.filePath(QString::fromLatin1(kExtrasModuleFile)),
          QDir::cleanPath(
              dir.filePath(QStringLiteral(KM_EXTRAS_DIR_FROM_BIN "/") + QString::fromLatin1(kExtrasModuleFile)))};
}

const Extras* loadExtrasModule(const QString& path, QString& error, QString* details) {
  // Every symbol is bound now: a module that does not fit the program fails
  // here, with the loader's message, rather than on some later call.
  void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = cannotLoad(path);
    if (details && why) *details = QString::fromLocal8Bit(why);
    return nullptr;
  }
  auto entry = reinterpret_cast<ExtrasEntry>(dlsym(handle, kExtrasEntry));
  const Extras* table = entry ? entry(KM_BUILD_ID) : nullptr;
  if (!table) {
    error = cannotLoad(QStringLiteral("%1 はこのプログラムと版が合いません。").arg(path));
    dlclose(handle);
    return nullptr;
  }
  return table;
}

const Extras* extras(QString& error, QString* details) {
  static const Extras* loaded = nullptr;
  if (loaded) return loaded;
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
