// One running program per program folder.
#include "app/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using km::SingleInstance;

namespace {
// A variable as it was before the test, unset when it was not set.
void restoreEnv(const char* name, const QByteArray& old) {
  if (old.isNull())
    qunsetenv(name);
  else
    qputenv(name, old);
}
}  // namespace

TEST(SingleInstance, ASecondStartOnTheSameFolderIsRefusedAndBringsTheFirstForward) {
  QTemporaryDir base;
  ASSERT_TRUE(base.isValid());
  QDir(base.path()).mkpath(QStringLiteral("カズマキ フォルダ 'x'"));
  const QString folder = QDir(base.path()).filePath(QStringLiteral("カズマキ フォルダ 'x'"));
  SingleInstance first(folder);
  ASSERT_TRUE(first.isFirst());
  int asked = 0;
  QObject::connect(&first, &SingleInstance::comeForwardRequested, [&asked] { ++asked; });

  // the same folder spelt another way is the same program folder
  SingleInstance second(folder + QStringLiteral("/../カズマキ フォルダ 'x'/"));
  EXPECT_FALSE(second.isFirst());
  EXPECT_TRUE(second.askFirstToComeForward());
  EXPECT_TRUE(QTest::qWaitFor([&asked] { return asked == 1; }, 30000));
  EXPECT_EQ(SingleInstance::alreadyRunningText(), QStringLiteral("カズマキMiddleはすでに起動しています。"));

  SingleInstance elsewhere(base.path());
  EXPECT_TRUE(elsewhere.isFirst()) << "another program folder runs its own program";
}

TEST(SingleInstance, TheFolderIsFreeAgainOnceTheFirstHasEnded) {
  QTemporaryDir folder;
  {
    SingleInstance first(folder.path());
    ASSERT_TRUE(first.isFirst());
  }
  SingleInstance next(folder.path());
  EXPECT_TRUE(next.isFirst()) << "the lock goes with the process that held it";
  SingleInstance third(folder.path());
  EXPECT_FALSE(third.isFirst());
  // a restart lets go of the folder before the new program starts
  next.release();
  SingleInstance restarted(folder.path());
  EXPECT_TRUE(restarted.isFirst()) << "the new program is not refused";
  EXPECT_FALSE(SingleInstance(folder.path()).isFirst());
}

TEST(SingleInstance, ASocketLeftByAKilledProgramIsTakenOver) {
  QTemporaryDir folder;
  const QString socket =
      QDir(SingleInstance::runtimeFolder()).filePath(SingleInstance::keyFor(folder.path()) + QStringLiteral(".socket"));
  {
    QFile stale(socket);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  }
  SingleInstance first(folder.path());
  ASSERT_TRUE(first.isFirst());
  int asked = 0;
  QObject::connect(&first, &SingleInstance::comeForwardRequested, [&asked] { ++asked; });
  SingleInstance second(folder.path());
  EXPECT_TRUE(second.askFirstToComeForward());
  EXPECT_TRUE(QTest::qWaitFor([&asked] { return asked == 1; }, 30000));
}

// Another user can neither hold the lock nor take the folder it lives in: a
// runtime folder others can enter is passed over, and so is a folder of the
// fallback's name that another user made, with the lock files in it held.
TEST(SingleInstance, AnotherUserCannotKeepTheProgramFromStarting) {
  if (::geteuid() != 0) GTEST_SKIP() << "files of another user need root to make";
  QTemporaryDir temp, runtime, program, cache;
  const QByteArray oldTmp = qgetenv("TMPDIR"), oldXdg = qgetenv("XDG_RUNTIME_DIR"),
                   oldCache = qgetenv("XDG_CACHE_HOME");
  ::chmod(temp.path().toLocal8Bit().constData(), 01777);
  ::chmod(runtime.path().toLocal8Bit().constData(), 0777);
  qputenv("TMPDIR", temp.path().toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
  const QString key = SingleInstance::keyFor(program.path());
  const QString own = QDir(temp.path()).filePath(QStringLiteral("kazumaki-%1").arg(::geteuid()));
  std::vector<int> held;
  // as another user: the old lock, the fallback folder and a lock in each
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
    ::mkdir(own.toLocal8Bit().constData(), 0777);
    ::chmod(own.toLocal8Bit().constData(), 0777);
    for (const QString& dir : {temp.path(), runtime.path(), own})
      ::close(
          ::open(QDir(dir).filePath(key + QStringLiteral(".lock")).toLocal8Bit().constData(), O_CREAT | O_RDWR, 0666));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(status, 0);
  for (const QString& dir : {temp.path(), runtime.path(), own}) {
    const int fd = ::open(QDir(dir).filePath(key + QStringLiteral(".lock")).toLocal8Bit().constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    held.push_back(fd);
  }
  {
    SingleInstance first(program.path());
    EXPECT_TRUE(first.isFirst());
    EXPECT_TRUE(SingleInstance::runtimeFolder().startsWith(cache.path()))
        << SingleInstance::runtimeFolder().toStdString();
    EXPECT_FALSE(SingleInstance(program.path()).isFirst()) << "still one program per folder";
  }
  for (int fd : held) ::close(fd);
  restoreEnv("TMPDIR", oldTmp);  // an empty TMPDIR would fail the later tests' temporary folders
  restoreEnv("XDG_RUNTIME_DIR", oldXdg);
  restoreEnv("XDG_CACHE_HOME", oldCache);
}

// The session's runtime folder is taken only when nobody else may enter,
// read or write it: a folder others can enter (x alone) is passed over too.
TEST(SingleInstance, ARuntimeFolderOthersCanEnterIsPassedOver) {
  QTemporaryDir runtime;
  const QByteArray oldXdg = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  for (const mode_t mode : {0700, 0701, 0710, 0705, 0750, 0770}) {
    ASSERT_EQ(::chmod(runtime.path().toLocal8Bit().constData(), mode), 0);
    EXPECT_EQ(SingleInstance::runtimeFolder() == runtime.path(), mode == 0700) << std::oct << mode;
  }
  restoreEnv("XDG_RUNTIME_DIR", oldXdg);
}
