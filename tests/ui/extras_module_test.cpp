// The extras plugin, kazumaki-extras.so, as the program loads it: a file that
// is missing, no plugin, of another build or unloadable is refused with the
// reason, and one of another build or no plugin is never mapped to run.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

#include "app/extras_loader.h"
#include "help/help_files.h"

using namespace km;

namespace {

const QString kBuiltPlugin = QDir(QStringLiteral(KM_PROGRAM_FOLDER)).filePath(QString::fromLatin1(kExtrasModuleFile));
const QString kCannotLoad = QStringLiteral("ヘルプ・印刷・当選データ最新化の部品を読み込めませんでした。\n");

// Whether `path` is mapped with its code executable (loaded, its initialisers run).
bool loadedToRun(const QString& path) {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : maps.readAll().split('\n'))
    if (line.contains(" r-xp ") && line.endsWith(QFile::encodeName(path))) return true;
  return false;
}

QByteArray builtPlugin() {
  QFile f(kBuiltPlugin);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every occurrence of `from` in `bytes` replaced by `to`, of the same length.
QByteArray replaced(QByteArray bytes, const QByteArray& from, const QByteArray& to) {
  EXPECT_EQ(from.size(), to.size());
  EXPECT_TRUE(bytes.contains(from)) << from.toStdString();
  return bytes.replace(from, to);
}

struct PluginCase {
  const char* name;
  std::function<QByteArray()> bytes;  // the file's content; null: no file
  bool loads;
  const char* why;      // the message's last line after the file's path ("" when it loads)
  const char* details;  // part of the loader's own words in the details ("" for none asked)
};

QByteArray ofAnotherBuild() {
  const QByteArray id = extrasInterfaceId().toLatin1();
  QByteArray other = id;
  other.back() = other.back() == '0' ? '1' : '0';
  return replaced(builtPlugin(), id, other);
}

const PluginCase kPluginCases[] = {
    {"ThisBuild", builtPlugin, true, "", ""},
    {"Missing", nullptr, false, " がありません。", ""},
    {"NoPlugin",
     [] {
       return QByteArray(
           "\x7f"
           "ELF not really",
           14);
     },
     false, " はこのプログラムの部品ではありません。", ""},
    {"AnotherBuild", ofAnotherBuild, false, " はこのプログラムと版が合いません。", ""},
    // a library the plugin needs is not there: the loader says which
    {"ItsLibraryMissing",
     [] {
       return replaced(builtPlugin(), QByteArrayLiteral("libQt6Charts.so.6"), QByteArrayLiteral("libQt6Chartz.so.6"));
     },
     false, "", "libQt6Chartz.so.6"},
};

class ExtrasPlugin : public ::testing::TestWithParam<PluginCase> {};

TEST_P(ExtrasPlugin, IsLoadedOnlyWhenItIsThisBuildsPlugin) {
  const PluginCase& c = GetParam();
  QTemporaryDir dir;
  const QString path =
      dir.filePath(QStringLiteral("%1/%2").arg(QString::fromLatin1(c.name), QString::fromLatin1(kExtrasModuleFile)));
  if (c.bytes) {
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray bytes = c.bytes();
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  }
  QString error, details;
  const Extras* x = loadExtrasModule(path, error, &details);
  EXPECT_EQ(x != nullptr, c.loads) << error.toStdString();
  EXPECT_EQ(loadedToRun(path), c.loads) << "a refused file's code is never mapped to run";
  if (!c.loads) {
    EXPECT_EQ(error, kCannotLoad + path + QString::fromUtf8(c.why));
  }
  EXPECT_TRUE(details.contains(QString::fromUtf8(c.details))) << details.toStdString();
  if (!x) return;

  // the plugin's help window, reused while it is open; a collection that cannot be read gives the reason
  const QString collection = QDir(QStringLiteral(KM_PROGRAM_FOLDER)).filePath(QString::fromUtf8(kHelpCollectionFile));
  QWidget* help = x->showHelp(nullptr, nullptr, collection, QString::fromUtf8(kHelpOverviewKeyword), error, details);
  ASSERT_NE(help, nullptr) << error.toStdString();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(x->showHelp(help, nullptr, collection, QStringLiteral("出現間隔分析"), error, details), help);
  delete help;
  error.clear();
  EXPECT_EQ(x->showHelp(nullptr, nullptr, QStringLiteral("/nonexistent/カズマキM.qhc"), QString(), error, details),
            nullptr);
  EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ExtrasPlugin, ::testing::ValuesIn(kPluginCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExtrasPlugin, IsLookedForBesideTheProgramThenInTheInstalledLibraryFolder) {
  const QStringList places = extrasModulePlaces(QStringLiteral("/opt/k/bin"));
  ASSERT_EQ(places.size(), 2);
  EXPECT_EQ(places.at(0), QStringLiteral("/opt/k/bin/kazumaki-extras.so"));
  EXPECT_TRUE(places.at(1).startsWith(QStringLiteral("/opt/k/lib/")) &&
              places.at(1).endsWith(QStringLiteral("/kazumaki/kazumaki-extras.so")))
      << places.at(1).toStdString();
}

}  // namespace
