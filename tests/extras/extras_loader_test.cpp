// The program's extras module: loaded on first use, refused with the reason
// when it is missing or not this program's.  This test program is linked as
// the program is (its own code exported to the module, no help, printing or
// network library of its own).
#include "app/extras_loader.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/main_frm.h"
#include "help/help_files.h"
#include "km_build_id.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

const QString kBuiltFolder = QStringLiteral(KM_PROGRAM_FOLDER);
const QString kCannotLoad = QStringLiteral("ヘルプ・印刷・当選データ最新化の部品を読み込めませんでした。\n");

bool mapped(const char* library) {
  QFile maps(QStringLiteral("/proc/self/maps"));
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

}  // namespace

TEST(ExtrasModule, LoadsFromTheProgramFolderWithItsLibrariesAndShowsTheHelp) {
  EXPECT_FALSE(mapped("libQt6Help")) << "the help library comes with the module, not before";
  EXPECT_FALSE(mapped("libQt6Network"));
  EXPECT_FALSE(mapped("libQt6PrintSupport"));
  QString error;
  const Extras* x = loadExtrasModule(QDir(kBuiltFolder).filePath(QString::fromLatin1(kExtrasModuleFile)), error);
  ASSERT_NE(x, nullptr) << error.toStdString();
  EXPECT_TRUE(mapped("libQt6Help") && mapped("libQt6Network") && mapped("libQt6PrintSupport"));

  const QString collection = QDir(kBuiltFolder).filePath(QString::fromUtf8(kHelpCollectionFile));
  QString details;
  QWidget* help = x->showHelp(nullptr, nullptr, collection, QString::fromUtf8(kHelpOverviewKeyword), error, details);
  ASSERT_NE(help, nullptr) << error.toStdString();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->metaObject()->className(), std::string("km::HelpWindow"));
  EXPECT_EQ(x->showHelp(help, nullptr, collection, QStringLiteral("出現間隔分析"), error, details), help)
      << "the open window is reused";
  delete help;

  error.clear();
  EXPECT_EQ(x->showHelp(nullptr, nullptr, QStringLiteral("/nonexistent/カズマキM.qhc"), QString(), error, details),
            nullptr);
  EXPECT_FALSE(error.isEmpty());
}

TEST(ExtrasModule, AMissingOrForeignModuleIsRefusedWithTheReason) {
  QString error, details;
  EXPECT_EQ(loadExtrasModule(QStringLiteral("/nonexistent/kazumaki-extras.so"), error, &details), nullptr);
  EXPECT_EQ(error, kCannotLoad + QStringLiteral("/nonexistent/kazumaki-extras.so"));
  EXPECT_TRUE(details.contains(QStringLiteral("No such file")))
      << "the loader's own message: " << details.toStdString();

  // a library that is not the module has no entry to ask
  EXPECT_EQ(loadExtrasModule(QStringLiteral("libz.so.1"), error), nullptr);
  EXPECT_EQ(error, kCannotLoad + QStringLiteral("libz.so.1 はこのプログラムと版が合いません。"));
}

// The module of this build, copied elsewhere, loads; the same copy bearing
// another build's id is refused with the message.
TEST(ExtrasModule, AModuleOfAnotherBuildIsRefused) {
  QFile built(QDir(kBuiltFolder).filePath(QString::fromLatin1(kExtrasModuleFile)));
  ASSERT_TRUE(built.open(QIODevice::ReadOnly));
  const QByteArray bytes = built.readAll();
  const QByteArray id = QByteArrayLiteral("kazumaki-build-id:" KM_BUILD_ID);
  const qsizetype at = bytes.indexOf(id);
  ASSERT_GE(at, 0) << "the module carries its id";
  QTemporaryDir dir;
  for (const bool foreign : {false, true}) {
    QByteArray copy = bytes;
    if (foreign) copy[at + id.size() - 1] = copy[at + id.size() - 1] == '0' ? '1' : '0';
    const QString path = dir.filePath(QStringLiteral("%1/%2").arg(foreign).arg(QString::fromLatin1(kExtrasModuleFile)));
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(copy) == copy.size());
    out.close();
    QString error;
    const Extras* x = loadExtrasModule(path, error);
    EXPECT_EQ(x != nullptr, !foreign) << error.toStdString();
    EXPECT_TRUE(!foreign || error == kCannotLoad + path + QStringLiteral(" はこのプログラムと版が合いません。"))
        << error.toStdString();
  }
}

TEST(ExtrasModule, IsLookedForBesideTheProgramThenInTheInstalledLibraryFolder) {
  EXPECT_EQ(extrasModulePlaces(QStringLiteral("/opt/k/bin")),
            QStringList({QStringLiteral("/opt/k/bin/kazumaki-extras.so"),
                         QDir::cleanPath(QStringLiteral("/opt/k/bin/" KM_EXTRAS_DIR_FROM_BIN "/kazumaki-extras.so"))}));
  EXPECT_TRUE(extrasModulePlaces(QStringLiteral("/opt/k/bin")).at(1).startsWith(QStringLiteral("/opt/k/lib/")));
}

// This test program has no module beside it: the help command says so and
// the program goes on.
TEST(ExtrasModule, WithoutTheModuleTheHelpCommandSaysWhyAndNothingOpens) {
  test::ProgramFolder folder(test::draws({{1, {1, 3, 17, 20, 25, 26}}}));
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start(folder);
  ASSERT_TRUE(start.run(frm));
  test::MessageBoxWatcher box;
  frm.findChild<QAction*>(QStringLiteral("mnuHelpFile"))->trigger();
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.startsWith(kCannotLoad)) << box.text.toStdString();
  EXPECT_TRUE(box.text.contains(QStringLiteral("kazumaki-extras.so がありません。")));
  EXPECT_EQ(frm.helpWindow(), nullptr);
}
