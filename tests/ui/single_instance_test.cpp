// One running program per program folder.
#include "app/single_instance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using km::SingleInstance;

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
      QDir(QDir::tempPath()).filePath(SingleInstance::keyFor(folder.path()) + QStringLiteral(".socket"));
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
