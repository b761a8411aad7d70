// Messages a user can act on: Japanese from their first line, the technical
// account in the details; a database that cannot be read at start is put
// back from its backup when the user wants it.
#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/main_frm.h"
#include "frame/grid_setup.h"
#include "frame/ui/grid_actions.h"
#include "frame/ui/grid_print.h"
#include "help/help_window.h"
#include "store/files/program_folder.h"
#include "store/sqlite/database_restore.h"
#include "store/sqlite/database_update.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

std::vector<Draw> someDraws(int n) {
  std::vector<Draw> out;
  for (int i = 1; i <= n; ++i) out.push_back(test::draws({{i, {1, 3, 17, 20, 25, (i % 31) + 1}}})[0]);
  return out;
}

void write(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
std::string junk() { return std::string(8192, '\x5a'); }

// The first line of a message is Japanese: no Latin letter opens it, and no
// library's or system's words are in the text at all.
void expectJapanese(const QString& text) {
  ASSERT_FALSE(text.isEmpty());
  EXPECT_FALSE(text.at(0).isLetter() && text.at(0).unicode() < 0x80) << text.toStdString();
  for (const char* word : {"SQLite", "コード ", "No such", "denied", "not a database", "error"})
    EXPECT_FALSE(text.contains(QString::fromUtf8(word))) << word << " in " << text.toStdString();
}

enum class Db { Sound, Damaged, Empty, Missing };
enum class Backup { None, Sound, Damaged };

struct StartCase {
  const char* what;
  Db db;
  Backup backup;
  QMessageBox::StandardButton answer;
  bool offered, started, restored;
};

class StartWithABadDatabase : public ::testing::TestWithParam<StartCase> {};

// A window manager that never hands the main window its activation.
struct NoActivation : QObject {
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::WindowActivate; }
};

TEST_P(StartWithABadDatabase, SaysWhatToDoAndOffersTheBackup) {
  const StartCase& c = GetParam();
  SCOPED_TRACE(c.what);
  test::ProgramFolder folder(someDraws(5));
  const fs::path db = folder.dir / kDatabaseFileName;
  const fs::path bak = backupPathFor(db.string()), damaged = damagedPathFor(db.string());
  if (c.backup == Backup::Sound) {
    ASSERT_EQ(writeDatabase({bak.string(), databasePassword()}, someDraws(4)).withCause(), "");
  }
  if (c.backup == Backup::Damaged) write(bak, junk());
  if (c.db == Db::Damaged) write(db, junk());
  if (c.db == Db::Empty) write(db, "");
  if (c.db == Db::Missing) fs::remove(db);
  if (c.db == Db::Missing && c.backup == Backup::Sound) {
    // the folder of a build or a copy holding only the backup stays the program folder
    const fs::path user = folder.dir / "data";
    const km::ProgramFolder f =
        locateProgramFolder({folder.dir.string(), (folder.dir / "share").string(), user.string(), {}});
    EXPECT_TRUE(f.ok) << f.message;
    EXPECT_EQ(f.path, folder.dir.string());
    EXPECT_FALSE(fs::exists(user)) << "no data folder is made before the user has chosen";
  }
  const std::string backupBytes = fs::exists(bak) ? test::slurp(bak.string()) : "";
  const std::string dbBytes = fs::exists(db) ? test::slurp(db.string()) : "";
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder.dir)) names.insert(e.path().filename().string());

  MainFrm frm(folder.path(), folder.settings());
  NoActivation noActivation;
  if (c.restored) frm.installEventFilter(&noActivation);  // the start goes on all the same
  test::MessageBoxWatcher box(c.answer, c.restored ? QMessageBox::Ok : QMessageBox::NoButton);
  test::ProgramStart start{folder};
  EXPECT_EQ(start.run(frm, true), c.started);
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
  expectJapanese(box.text);
  EXPECT_TRUE(box.text.contains(QString::fromStdString(db.string()))) << "which file";
  if (c.db == Db::Empty) {
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("当選データファイルが空です（0バイト）。")))
        << box.text.toStdString();
  }
  const bool offered = box.buttons.contains(QStringLiteral("バックアップ（Kazumaki.mdb.bak）から戻す"));
  EXPECT_EQ(offered, c.offered) << box.buttons.join(QLatin1Char('|')).toStdString();
  if (c.db == Db::Damaged) {
    EXPECT_TRUE(box.details.contains(QStringLiteral("SQLite"))) << "the library's words, apart";
  }
  if (c.db == Db::Damaged && !c.offered) {
    EXPECT_TRUE(box.text.contains(QStringLiteral("置き換えて"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(folder.path())) << "where the file goes";
  }
  if (c.restored) {
    EXPECT_EQ(frm.history().recordCount(), 4);
    EXPECT_EQ(test::slurp(db.string()), backupBytes);
    EXPECT_EQ(fs::exists(damaged), c.db != Db::Missing);
    if (c.db != Db::Missing) {
      EXPECT_EQ(test::slurp(damaged.string()), dbBytes) << "the damaged file is kept";
    }
    // what was put back is said before the start goes on
    ASSERT_TRUE(box.next && box.next->seen);
    EXPECT_EQ(box.next->icon, QMessageBox::Information);
    for (const QString& part : {QStringLiteral("バックアップ（Kazumaki.mdb.bak）から戻しました"),
                                QString::fromStdString(db.string()), QStringLiteral("第4回"), QStringLiteral("4回分")})
      EXPECT_TRUE(box.next->text.contains(part)) << part.toStdString() << " in " << box.next->text.toStdString();
    EXPECT_EQ(box.next->text.contains(QStringLiteral("Kazumaki.mdb.damaged")), c.db != Db::Missing);
  } else {
    std::set<std::string> after;
    for (const auto& e : fs::directory_iterator(folder.dir)) after.insert(e.path().filename().string());
    EXPECT_EQ(after, names) << "nothing is made or moved";
    EXPECT_EQ(fs::exists(db) ? test::slurp(db.string()) : "", dbBytes) << "nothing is touched";
  }
  EXPECT_EQ(fs::exists(bak) ? test::slurp(bak.string()) : "", backupBytes) << "the backup stays";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartWithABadDatabase,
    ::testing::Values(
        StartCase{"damaged, no backup", Db::Damaged, Backup::None, QMessageBox::Ok, false, false, false},
        StartCase{"damaged, damaged backup", Db::Damaged, Backup::Damaged, QMessageBox::Ok, false, false, false},
        StartCase{"damaged, put back", Db::Damaged, Backup::Sound, QMessageBox::Yes, true, true, true},
        StartCase{"damaged, not put back", Db::Damaged, Backup::Sound, QMessageBox::No, true, false, false},
        StartCase{"empty, put back", Db::Empty, Backup::Sound, QMessageBox::Yes, true, true, true},
        StartCase{"missing, put back", Db::Missing, Backup::Sound, QMessageBox::Yes, true, true, true},
        StartCase{"missing, not put back", Db::Missing, Backup::Sound, QMessageBox::No, true, false, false},
        StartCase{"missing, no backup", Db::Missing, Backup::None, QMessageBox::Ok, false, false, false}));

// Files that cannot be written: the reason in Japanese, the system's words apart.
TEST(Messages, SavingAndPrintingToAFolderThatIsNotThere) {
  const fs::path missing = fs::temp_directory_path() / ("km-no-such-folder-" + std::to_string(::getpid()));
  Grid g = makeGrid({.cols = 3, .rows = 3});
  g.setText(1, 1, "1");
  QWidget parent;
  test::MessageBoxWatcher box;
  EXPECT_FALSE(saveGridsCsv(&parent, {&g}, QString::fromStdString((missing / "a.csv").string())));
  ASSERT_TRUE(box.seen);
  expectJapanese(box.text);
  EXPECT_TRUE(box.details.contains(QStringLiteral("No such file"))) << box.details.toStdString();

  const PrintResult pdf = printGridToPdf(g, QStringLiteral("表"), QString::fromStdString((missing / "a.pdf").string()));
  EXPECT_FALSE(pdf.ok);
  expectJapanese(pdf.error);
  EXPECT_TRUE(pdf.details.contains(QStringLiteral("No such file"))) << pdf.details.toStdString();
}

TEST(Messages, SettingsThatCannotBeWrittenAtTheEnd) {
  test::ProgramFolder folder(someDraws(3));
  fs::create_directories(folder.dir / "カズマキ.ini");  // a folder where the file goes
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start{folder};
  ASSERT_TRUE(start.run(frm));
  test::MessageBoxWatcher box;
  frm.close();
  ASSERT_TRUE(box.seen);
  expectJapanese(box.text);
  EXPECT_TRUE(box.text.contains(folder.settings())) << box.text.toStdString();
}

TEST(Messages, AHelpFileThatIsNoHelp) {
  const fs::path file = fs::temp_directory_path() / ("km-help-" + std::to_string(::getpid()) + ".qhc");
  write(file, "not a help collection");
  HelpWindow help(QString::fromStdString(file.string()));
  fs::remove(file);
  EXPECT_FALSE(help.isReady());
  expectJapanese(help.errorText());
}

}  // namespace
