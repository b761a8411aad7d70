// Replacing a file by writing a temporary file beside it and renaming it over.
#include "store/files/replace_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/settings.h"
#include "prediction/core/prediction_state.h"
#include "tests/core/store_fault_helpers.h"

using namespace km;
using namespace km::test;

namespace {

mode_t modeOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

void writeRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

TEST(ReplaceFile, NewFileGetsTheContentsAndOrdinaryPermissions) {
  ScratchDir dir;
  const std::string f = dir.file("a.txt");
  std::string why;
  ASSERT_TRUE(replaceFileContents(f, "one\n", &why)) << why;
  EXPECT_EQ(slurpFile(f), "one\n");
  EXPECT_EQ(modeOf(f), 0644u) << "not the temporary file's 0600";
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt"}));
}

TEST(ReplaceFile, RewriteKeepsThePermissions) {
  ScratchDir dir;
  const std::string f = dir.file("a.txt");
  writeRaw(f, "old");
  for (mode_t mode : {0640u, 0600u, 0664u}) {
    ASSERT_EQ(::chmod(f.c_str(), mode), 0);
    ASSERT_TRUE(replaceFileContents(f, "new"));
    EXPECT_EQ(modeOf(f), mode);
  }
  EXPECT_EQ(slurpFile(f), "new");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt"}));
}

TEST(ReplaceFile, TheSettingsFileKeepsItsPermissionsOnRewrite) {
  ScratchDir dir;
  const std::string ini = dir.file(kSettingsFileName);
  writeRaw(ini, "頻度分析Opt=True\r\n");
  ASSERT_EQ(::chmod(ini.c_str(), 0640), 0);
  ASSERT_TRUE(Settings::read(ini).write(ini));
  EXPECT_EQ(modeOf(ini), 0640u);
  EXPECT_NE(slurpFile(ini).find("頻度分析Opt=True\r\n"), std::string::npos);
  EXPECT_EQ(dir.names(), (std::set<std::string>{kSettingsFileName}));
}

TEST(ReplaceFile, AWriteFailingPartWayLeavesTheOldFileByteIdentical) {
  ScratchDir dir;
  const std::string f = dir.file("a.txt");
  const std::string old = "old contents\n";
  writeRaw(f, old);
  std::string why;
  bool ok = true;
  {
    FileSizeLimit limit(4096);
    ok = replaceFileContents(f, std::string(100000, 'x'), &why);
  }
  EXPECT_FALSE(ok);
  EXPECT_NE(why.find("File too large"), std::string::npos) << why;
  EXPECT_EQ(slurpFile(f), old);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt"})) << "no temporary file is left";
}

TEST(ReplaceFile, ATemporaryFileIsRemovedWhenNotCommitted) {
  ScratchDir dir;
  const std::string f = dir.file("a.txt");
  writeRaw(f, "old");
  {
    ReplacementFile r(f);
    ASSERT_TRUE(r.ok()) << r.error();
    ASSERT_TRUE(r.write("half"));
    EXPECT_EQ(dir.names().size(), 2u);
  }
  EXPECT_EQ(slurpFile(f), "old");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt"}));
}

TEST(ReplaceFile, BackupHoldsTheOldContents) {
  ScratchDir dir;
  const std::string f = dir.file("a.txt"), bak = dir.file("a.bak");
  writeRaw(f, "old");
  ASSERT_EQ(::chmod(f.c_str(), 0600), 0);
  ASSERT_TRUE(replaceFileContents(f, "new", nullptr, bak));
  EXPECT_EQ(slurpFile(f), "new");
  EXPECT_EQ(slurpFile(bak), "old");
  EXPECT_EQ(modeOf(f), 0600u);
  EXPECT_EQ(dir.names(), (std::set<std::string>{"a.txt", "a.bak"}));
}

TEST(ReplaceFile, ARenameThatFailsLeavesNoTemporaryFile) {
  ScratchDir dir;
  const std::string target = dir.file("blocked");
  fs::create_directories(dir.path / "blocked" / "inside");
  std::string why;
  EXPECT_FALSE(replaceFileContents(target, "x", &why));
  EXPECT_NE(why.find("置き換えられません"), std::string::npos) << why;
  EXPECT_TRUE(fs::is_directory(dir.path / "blocked" / "inside"));
  EXPECT_EQ(dir.names(), (std::set<std::string>{"blocked"}));
}

TEST(ReadRegularFile, ReadsOnlyAnOrdinaryFileWithinItsCap) {
  ScratchDir dir;
  writeRaw(dir.file("ten"), "0123456789");
  ::mkfifo(dir.file("fifo").c_str(), 0600);
  fs::create_directory(dir.path / "folder");
  fs::create_symlink(dir.file("ten"), dir.file("own-link"));
  fs::create_symlink(dir.file("ten"), dir.file("their-link"));
  const bool root = ::geteuid() == 0;  // only root can give a link to another user
  if (root) ::lchown(dir.file("their-link").c_str(), 65534, 65534);
  const struct {
    const char* name;
    unsigned long long cap;
    FileRead::Status status;
  } cases[] = {
      {"ten", 10, FileRead::Read},
      {"ten", 9, FileRead::TooLarge},
      {"missing", 10, FileRead::Missing},
      {"fifo", 10, FileRead::NotRegular},  // opened without waiting for a writer
      {"folder", 10, FileRead::NotRegular},
      {"own-link", 10, FileRead::Read},
      {"their-link", 10, root ? FileRead::ForeignLink : FileRead::Read},
  };
  for (const auto& c : cases) {
    const FileRead r = readRegularFile(dir.file(c.name), c.cap);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.bytes, c.status == FileRead::Read ? "0123456789" : "") << c.name;
  }
}
