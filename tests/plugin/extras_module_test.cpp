// The extras plugin, kazumaki-extras.so, as the program loads it: a file that
// is missing, no plugin, of another build or unloadable is refused with the
// reason, and one of another build or no plugin is never mapped to run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

#include "app/extras_loader.h"
#include "help/help_files.h"
#include "store/history.h"
#include "tests/core/test_history.h"
#include "windows/window_table.h"

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
  std::function<QByteArray()> bytes;  // the file's content; null: no file, or what `place` makes
  bool loads;
  const char* why;      // the message's last line after the file's path ("" when it loads)
  const char* details;  // part of the loader's own words in the details ("" for none asked)
  std::function<void(const QByteArray& path)> place = nullptr;  // something other than a file in its place
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
    // none of these is read: a pipe would block the read for ever
    {"Folder", nullptr, false, " はフォルダです。", "", [](const QByteArray& p) { ::mkdir(p.constData(), 0755); }},
    {"Pipe", nullptr, false, " は通常のファイルではありません。", "",
     [](const QByteArray& p) { ::mkfifo(p.constData(), 0644); }},
    {"LinkLoop", nullptr, false, " はシンボリックリンクが輪になっていて、たどれません。", "",
     [](const QByteArray& p) { EXPECT_EQ(::symlink(p.constData(), p.constData()), 0); }},
    {"DanglingLink", nullptr, false, " はリンク先のないシンボリックリンクです。", "",
     [](const QByteArray& p) { EXPECT_EQ(::symlink((p + ".gone").constData(), p.constData()), 0); }},
};

class ExtrasPlugin : public ::testing::TestWithParam<PluginCase> {};

TEST_P(ExtrasPlugin, IsLoadedOnlyWhenItIsThisBuildsPlugin) {
  const PluginCase& c = GetParam();
  QTemporaryDir dir;
  const QString path =
      dir.filePath(QStringLiteral("%1/%2").arg(QString::fromLatin1(c.name), QString::fromLatin1(kExtrasModuleFile)));
  QDir().mkpath(QFileInfo(path).path());
  if (c.bytes) {
    const QByteArray bytes = c.bytes();
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  } else if (c.place) {
    c.place(QFile::encodeName(path));
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
  // the charts, drawn with the program's own figures
  std::vector<Draw> draws;
  for (int no = 1; no <= 60; ++no)
    draws.push_back(test::draw(no, {no % 31 + 1, (no + 5) % 31 + 1, (no + 11) % 31 + 1, (no + 17) % 31 + 1,
                                    (no + 23) % 31 + 1, (no + 29) % 31 + 1}));
  const History history = History::fromRows(std::move(draws));
  QWidget* chart = x->makeChartWindow(windowRow(WindowId::Charts).def, history, nullptr);
  ASSERT_NE(chart, nullptr);
  delete chart;
  error.clear();
  EXPECT_EQ(x->showHelp(nullptr, nullptr, QStringLiteral("/nonexistent/カズマキM.qhc"), QString(), error, details),
            nullptr);
  EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, ExtrasPlugin, ::testing::ValuesIn(kPluginCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The program's code, the store's and SQLite's among them, is the program's
// alone: a second copy in the plugin would take the database's locks apart.
TEST(ExtrasPlugin, CarriesNoCopyOfTheStoreOrOfSQLite) {
  const QByteArray plugin = builtPlugin();
  ASSERT_FALSE(plugin.isEmpty());
  for (const char* part : {"SQLite format 3", "libsqlcipher", "libsqlite3", "当選データファイルが見つかりません"})
    EXPECT_FALSE(plugin.contains(part)) << part;
  QString error;
  ASSERT_NE(loadExtrasModule(kBuiltPlugin, error), nullptr) << error.toStdString();
  QFile maps(QStringLiteral("/proc/self/maps"));
  ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
  EXPECT_FALSE(maps.readAll().contains("libsqlcipher"));
}

TEST(ExtrasPlugin, AStalePluginBesideTheProgramIsPassedOverForOneOfThisBuild) {
  QTemporaryDir dir;
  const QString stale = dir.filePath(QString::fromLatin1(kExtrasModuleFile));
  {
    const QByteArray bytes = ofAnotherBuild();
    QFile out(stale);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  }
  QString error;
  EXPECT_NE(loadFirstExtrasModule({stale, kBuiltPlugin}, error), nullptr) << error.toStdString();
  EXPECT_FALSE(loadedToRun(stale));
  // with nothing of this build after it, the stale one's refusal is said
  EXPECT_EQ(loadFirstExtrasModule({stale, dir.filePath(QStringLiteral("none.so"))}, error), nullptr);
  EXPECT_EQ(error, kCannotLoad + stale + QStringLiteral(" はこのプログラムと版が合いません。"));
}

TEST(ExtrasPlugin, IsLookedForBesideTheProgramThenInTheInstalledLibraryFolder) {
  const QStringList places = extrasModulePlaces(QStringLiteral("/opt/k/bin"));
  ASSERT_EQ(places.size(), 2);
  EXPECT_EQ(places.at(0), QStringLiteral("/opt/k/bin/kazumaki-extras.so"));
  EXPECT_TRUE(places.at(1).startsWith(QStringLiteral("/opt/k/lib/")) &&
              places.at(1).endsWith(QStringLiteral("/kazumaki/kazumaki-extras.so")))
      << places.at(1).toStdString();
}

}  // namespace
