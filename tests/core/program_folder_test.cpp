// Where the program keeps its database, settings and help.
#include "store/files/program_folder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "store/sqlite/database.h"
#include "tests/core/test_files.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

constexpr uid_t kNobody = 65534;

using test::slurp;

void put(const fs::path& p, const std::string& text) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << text;
}

std::set<std::string> names(const fs::path& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.insert(e.path().filename().string());
  return out;
}

// Runs the rule as an unprivileged user when the tests run as root, since
// root may write into any folder whatever its permission bits say.
ProgramFolder locateAsUser(const ProgramFolderPlaces& places) {
  if (::geteuid() != 0) return locateProgramFolder(places);
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    const ProgramFolder r = locateProgramFolder(places);
    auto oneLine = [](std::string t) {  // a message's lines, kept apart by a unit separator
      for (char& c : t)
        if (c == '\n') c = '\x1f';
      return t;
    };
    std::string out = std::string(r.ok ? "1" : "0") + (r.perUser ? "1" : "0") + (r.seeded ? "1" : "0") + r.path + '\n' +
                      oneLine(r.message) + '\n' + oneLine(r.warning) + '\n';
    const bool written = ::write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
    ::_exit(written ? 0 : 4);
  }
  ::close(fds[1]);
  std::string in;
  char buf[4096];
  ssize_t n;
  while ((n = ::read(fds[0], buf, sizeof buf)) > 0) in.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ProgramFolder r;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || in.size() < 3) {
    r.message = "child failed";
    return r;
  }
  r.ok = in[0] == '1';
  r.perUser = in[1] == '1';
  r.seeded = in[2] == '1';
  std::istringstream lines(in.substr(3));
  std::getline(lines, r.path);
  std::getline(lines, r.message);
  std::getline(lines, r.warning);
  for (std::string* t : {&r.message, &r.warning})
    for (char& c : *t)
      if (c == '\x1f') c = '\n';
  return r;
}

struct ProgramFolderTest : ::testing::Test {
  fs::path root, exe, shipped, user;
  ProgramFolderPlaces places;

  void SetUp() override {
    root = fs::temp_directory_path() / ("km-folder-" + std::to_string(::getpid()));
    fs::remove_all(root);
    exe = root / "prefix" / "bin";
    shipped = root / "prefix" / "share" / "kazumaki";
    user = root / "data" / "kazumaki";
    fs::create_directories(exe);
    fs::create_directories(root / "data");
    // An unprivileged user must reach the folders and create the per-user one.
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(root / "data", fs::perms::all);
    places = {exe.string(), shipped.string(), user.string(), {}};
  }
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(root, ec))
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
  }
  fs::path db(const fs::path& dir) const { return dir / kDatabaseFileName; }
};

}  // namespace

TEST_F(ProgramFolderTest, WritableExecutableFolderWithDatabaseIsTheProgramFolder) {
  put(db(exe), "portable");
  put(db(shipped), "installed");
  const ProgramFolder f = locateProgramFolder(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_EQ(f.path, exe.string());
  EXPECT_FALSE(f.perUser);
  EXPECT_FALSE(f.seeded);
  EXPECT_TRUE(f.warning.empty());
  EXPECT_FALSE(fs::exists(user)) << "nothing is made in the per-user folder";
  EXPECT_EQ(slurp(db(exe)), "portable");

  // only the backup there: the start offers it in the database's place
  fs::remove(db(exe));
  put(exe / kDatabaseBackupFileName, "backup");
  const ProgramFolder backup = locateProgramFolder(places);
  ASSERT_TRUE(backup.ok) << backup.message;
  EXPECT_EQ(backup.path, exe.string());
  EXPECT_TRUE(backup.warning.empty()) << backup.warning;
  EXPECT_FALSE(fs::exists(user)) << "nothing is made in the per-user folder";
  EXPECT_EQ(names(exe), std::set<std::string>{kDatabaseBackupFileName});
}

TEST_F(ProgramFolderTest, InstalledProgramRunsFromASeededPerUserCopy) {
  put(db(shipped), "installed database");
  const ProgramFolder f = locateAsUser(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_EQ(f.path, user.string());
  EXPECT_TRUE(f.perUser);
  EXPECT_TRUE(f.seeded);
  EXPECT_TRUE(f.warning.empty()) << f.warning;
  EXPECT_EQ(slurp(db(user)), "installed database");
  EXPECT_EQ(names(user), std::set<std::string>{kDatabaseFileName}) << "no temporary file is left behind";
  EXPECT_EQ(names(shipped), std::set<std::string>{kDatabaseFileName}) << "nothing is written beside the shipped files";
  EXPECT_EQ(names(exe), std::set<std::string>{});

  // Later starts keep the user's own data: entries and updates survive.
  put(db(user), "entered by the user");
  put(db(shipped), "newer package");
  const ProgramFolder again = locateAsUser(places);
  ASSERT_TRUE(again.ok) << again.message;
  EXPECT_EQ(again.path, user.string());
  EXPECT_FALSE(again.seeded);
  EXPECT_EQ(slurp(db(user)), "entered by the user");
}

TEST_F(ProgramFolderTest, ReadOnlyExecutableFolderSeedsThePerUserFolderFromItsOwnDatabase) {
  put(db(exe), "read-only copy");
  put(db(shipped), "installed");
  fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec);
  const ProgramFolder f = locateAsUser(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_TRUE(f.perUser);
  EXPECT_EQ(f.path, user.string());
  EXPECT_TRUE(f.seeded);
  EXPECT_EQ(slurp(db(user)), "read-only copy");
  // the move is said once, naming both folders; later starts say nothing
  EXPECT_NE(f.warning.find("に書き込めないため、当選データをデータフォルダ " + user.string()), std::string::npos)
      << f.warning;
  EXPECT_NE(f.warning.find(exe.string()), std::string::npos) << f.warning;
  EXPECT_TRUE(locateAsUser(places).warning.empty());
}

TEST_F(ProgramFolderTest, ReadOnlyDatabaseInAWritableFolderIsUsedInPlaceAndSaidSo) {
  put(db(exe), "write-protected");
  fs::permissions(exe, fs::perms::all);
  fs::permissions(db(exe), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const ProgramFolder f = locateAsUser(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_FALSE(f.perUser) << "no switch to a copy the user does not know about";
  EXPECT_EQ(f.path, exe.string());
  EXPECT_NE(f.warning.find("読み取り専用のため、当選データの入力と最新化では保存できません"), std::string::npos)
      << f.warning;
  EXPECT_FALSE(fs::exists(user));
}

// No file in the database's place: the message says what it is and where,
// and nothing is made anywhere.
TEST_F(ProgramFolderTest, SomethingElseInTheDatabasesPlaceIsNamedAndNothingIsMade) {
  put(db(shipped), "installed");
  const struct {
    const char* what;
    std::function<void(const fs::path&)> make;
  } cases[] = {
      {"名前付きパイプ（FIFO）", [](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }},
      {"フォルダ", [](const fs::path& p) { fs::create_directory(p); }},
      {"循環しているシンボリックリンク", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
      {"デバイス", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
      {"行き先のないシンボリックリンク", [](const fs::path& p) { fs::create_symlink("nowhere", p); }},
  };
  for (const auto& c : cases) {
    fs::remove_all(db(exe));
    c.make(db(exe));
    const ProgramFolder f = locateAsUser(places);
    EXPECT_FALSE(f.ok) << c.what;
    EXPECT_NE(f.message.find("通常のファイルではありません（" + std::string(c.what) + "）"), std::string::npos)
        << f.message;
    EXPECT_NE(f.message.find(exe.string()), std::string::npos) << f.message;
    EXPECT_FALSE(fs::exists(user)) << c.what;
  }
}

// The message says what is missing on its first line, then where the file
// belongs: beside a program that is not installed (a build, a copy), else in
// the data folder or the installation.
TEST_F(ProgramFolderTest, NoDatabaseAnywhereIsReportedAndNothingIsMadeUp) {
  for (bool installed : {false, true}) {
    SCOPED_TRACE(installed);
    if (installed) fs::create_directories(shipped);
    const ProgramFolder f = locateAsUser(places);
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(f.message.substr(0, f.message.find('\n')), "当選データ（Kazumaki.mdb）が見つかりません。");
    for (const fs::path& named : installed ? std::vector<fs::path>{user, shipped} : std::vector<fs::path>{exe})
      EXPECT_NE(f.message.find(named.string() + " "), std::string::npos) << named << " in " << f.message;
    EXPECT_EQ(f.message.find(shipped.string()) != std::string::npos, installed) << f.message;
    EXPECT_FALSE(fs::exists(user)) << "no empty data folder is left";
  }
}

TEST_F(ProgramFolderTest, PerUserFolderThatCannotBeMadeIsReported) {
  put(db(shipped), "installed");
  put(user, "a file where the folder should be");
  const ProgramFolder f = locateAsUser(places);
  EXPECT_FALSE(f.ok);
  EXPECT_NE(f.message.find("データフォルダを作成できません"), std::string::npos) << f.message;
  EXPECT_NE(f.message.find(user.string()), std::string::npos) << f.message;
}

TEST_F(ProgramFolderTest, ReadOnlyPerUserFolderRunsWithAWarning) {
  put(db(shipped), "installed");
  put(db(user), "kept");
  fs::permissions(user,
                  fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  const ProgramFolder f = locateAsUser(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_EQ(f.path, user.string());
  EXPECT_NE(f.warning.find("書き込めません"), std::string::npos) << f.warning;
}

TEST_F(ProgramFolderTest, HelpFilesFollowTheInstalledOnes) {
  put(db(shipped), "installed");
  put(shipped / "カズマキM.qch", "help 1");
  put(shipped / "カズマキM.qhc", "collection 1");
  put(shipped / "notes.txt", "not help");
  ASSERT_TRUE(locateAsUser(places).ok);
  EXPECT_EQ(slurp(user / "カズマキM.qch"), "help 1");
  EXPECT_EQ(slurp(user / "カズマキM.qhc"), "collection 1");
  EXPECT_FALSE(fs::exists(user / "notes.txt"));

  put(shipped / "カズマキM.qch", "help 2");  // a package upgrade
  const ProgramFolder f = locateAsUser(places);
  ASSERT_TRUE(f.ok) << f.message;
  EXPECT_TRUE(f.warning.empty()) << f.warning;
  EXPECT_EQ(slurp(user / "カズマキM.qch"), "help 2");
  EXPECT_EQ(slurp(user / "カズマキM.qhc"), "collection 1");
}

TEST(ProgramFolderPlaces, PerUserFolderFollowsXdgDataHomeThenHome) {
  const char* oldXdg = std::getenv("XDG_DATA_HOME");
  const char* oldHome = std::getenv("HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";

  ::setenv("XDG_DATA_HOME", "/tmp/xdg-data", 1);
  ::setenv("HOME", "/home/someone", 1);
  ProgramFolderPlaces p = defaultProgramFolderPlaces("/opt/x/bin");
  EXPECT_EQ(p.userFolder, "/tmp/xdg-data/kazumaki");
  EXPECT_EQ(p.shippedFolder, "/opt/x/share/kazumaki");
  EXPECT_EQ(p.executableFolder, "/opt/x/bin");

  ::setenv("XDG_DATA_HOME", "relative/data", 1);  // not absolute: ignored
  EXPECT_EQ(defaultProgramFolderPlaces("/usr/bin").userFolder, "/home/someone/.local/share/kazumaki");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(defaultProgramFolderPlaces("/usr/bin").userFolder, "/home/someone/.local/share/kazumaki");
  EXPECT_EQ(defaultProgramFolderPlaces("/usr/bin").shippedFolder, "/usr/share/kazumaki");
  ::setenv("HOME", "relative", 1);  // named as what it is, not as unset
  EXPECT_NE(defaultProgramFolderPlaces("/usr/bin").userFolderProblem.find("HOME が絶対パスではありません：relative"),
            std::string::npos);

  if (oldXdg) ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  if (oldHome)
    ::setenv("HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("HOME");
}
