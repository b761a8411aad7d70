// No write that another process reports done is lost to the update: the
// update, run by the built plugin inside a program as the program runs it, is
// held at each of its steps while this process reads the history (as 当選確認
// does) and another process adds a draw with kazumaki-tool.  Whatever the
// tool reports added must be in the file afterwards.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "app/extras_loader.h"
#include "frame/ui/update_host.h"
#include "store/files/replace_file.h"
#include "store/sqlite/database.h"
#include "store/sqlite/database_update.h"
#include "tests/core/test_process.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

const QString kBuiltPlugin = QDir(QStringLiteral(KM_PROGRAM_FOLDER)).filePath(QString::fromLatin1(kExtrasModuleFile));

// The main window as the update sees it.
struct Host : UpdateHost {
  int started = 0, ended = 0;
  void updateRunning(bool running) override { ++(running ? started : ended); }
  void showStoredLatest(int, const QString&) override {}
  void restartProgram() override {}
  bool checksSourcesAtStart() const override { return false; }
  void setChecksSourcesAtStart(bool) override {}
};

// What happens at the held step, on the update's thread.
struct Held {
  std::mutex m;
  std::string step;  // the step to hold at
  int occurrence = 1;
  std::map<std::string, int> seen;
  std::string database;
  bool reached = false, readHere = false;
  test::ToolRun writer{-1, {}};
};
Held held;

void atStep(const char* name) {
  std::lock_guard<std::mutex> lock(held.m);
  if (held.reached || held.step != name || ++held.seen[name] != held.occurrence) return;
  held.reached = true;
  // this process reads the history meanwhile, and closes it again
  held.readHere = loadHistory({held.database, databasePassword()}).ok;
  // another process adds the next draw, and says whether it did
  held.writer = test::runTool("add " + held.database + " 2 5 11 17 23 30");
}
bool atFileStep(const char* name) {
  atStep(name);
  return true;
}

struct HeldCase {
  const char* name;
  const char* step;
  int occurrence;
  bool writerGetsIn;  // the update's lock does not keep it out at this step
  bool updateAdds;    // the update still adds its draws (before its lock, the draw added differs from the list's)
};

// The steps in order: the sources read; the history locked and read; the new
// file on disk; the backup about to be written; the backup written and the
// new file about to be renamed over the old (the first rename is the
// backup's own); the new file in place; the update done but for closing.
const HeldCase kHeldCases[] = {
    {"SourcesRead", "read", 1, true, false},           {"HistoryLocked", "locked", 1, false, true},
    {"NewFileSynced", "sync", 1, false, true},         {"BeforeTheBackup", "backup", 1, false, true},
    {"BeforeTheRename", "rename", 2, false, true},     {"AfterTheRename", "renamed", 2, true, true},
    {"WrittenNotYetClosed", "written", 1, true, true},
};

void PrintTo(const HeldCase& c, std::ostream* os) { *os << c.name; }

class HeldUpdate : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldUpdate, NoWriteReportedDoneIsLost) {
  const HeldCase& c = GetParam();
  QString error, details;
  const Extras* x = loadExtrasModule(kBuiltPlugin, error, &details);
  ASSERT_NE(x, nullptr) << error.toStdString() << " " << details.toStdString();

  const test::ProgramFolder folder({});
  const std::string db = (folder.dir / "Kazumaki.mdb").string();
  std::filesystem::copy_file(std::string(KM_PROGRAM_FOLDER) + "/Kazumaki.mdb", db,
                             std::filesystem::copy_options::overwrite_existing);
  const LoadResult before = loadHistory({db, databasePassword()});
  ASSERT_TRUE(before.ok && before.rows.size() == 1400) << before.message;
  const std::string list = (folder.dir / "list.csv").string();
  std::ofstream(list) << "draw,date,n1,n2,n3,n4,n5,bonus\n"
                         "1401,2026-08-25,3,9,14,22,28,7\n"
                         "1402,2026-09-01,1,2,4,8,16,31\n";

  {
    std::lock_guard<std::mutex> lock(held.m);
    held.step = c.step;
    held.occurrence = c.occurrence;
    held.seen.clear();
    held.database = db;
    held.reached = false;
  }
  const UpdateStepHook oldUpdateHook = setUpdateStepHook(atStep);
  const ReplacementStepHook oldFileHook = setReplacementStepHook(atFileStep);
  {
    test::MessageBoxWatcher outcome(QMessageBox::No);  // あとで
    QWidget window;
    Host host;
    ASSERT_NE(x->startUpdate(&window, &host, QString::fromStdString(db), QString::fromStdString(list)), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.seen; }, 120000));
    EXPECT_EQ(outcome.text.contains(QStringLiteral("を追加しました")), c.updateAdds) << outcome.text.toStdString();
    EXPECT_EQ(host.started, 1);
    EXPECT_EQ(host.ended, 1);
  }
  setUpdateStepHook(oldUpdateHook);
  setReplacementStepHook(oldFileHook);

  std::lock_guard<std::mutex> lock(held.m);
  ASSERT_TRUE(held.reached) << "the update never came to " << c.step;
  EXPECT_TRUE(held.readHere) << "a read beside the update";
  const LoadResult after = loadHistory({db, databasePassword()});
  ASSERT_TRUE(after.ok) << after.message;
  const bool added = held.writer.status == 0;
  EXPECT_EQ(added, c.writerGetsIn) << held.writer.out;
  // the update's two draws are in when it said so, and nothing else unless the other writer said so
  EXPECT_EQ(after.rows.size(), 1400u + (c.updateAdds ? 2 : 0) + (added ? 1 : 0));
  if (c.updateAdds) {
    ASSERT_GE(after.rows.size(), 1402u);
    EXPECT_EQ(after.rows[1401].no, 1402);
    EXPECT_EQ(after.rows[1401][Bonus], 31);
  }
  if (!added) return;
  // what the tool reported added is there, as it was written
  const int no = std::atoi(held.writer.out.c_str());
  const auto it = std::find_if(after.rows.begin(), after.rows.end(), [no](const Draw& d) { return d.no == no; });
  ASSERT_NE(it, after.rows.end()) << "draw " << no << " reported added is lost";
  EXPECT_EQ((std::array<int, 6>{(*it)[N1], (*it)[N2], (*it)[N3], (*it)[N4], (*it)[N5], (*it)[Bonus]}),
            (std::array<int, 6>{2, 5, 11, 17, 23, 30}));
}

INSTANTIATE_TEST_SUITE_P(Steps, HeldUpdate, ::testing::ValuesIn(kHeldCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
