// The wrapping label answers every width as a plain word-wrapped label does,
// and forgets what it measured when its text or font changes.
#include "frame/ui/wrapped_label.h"

#include <gtest/gtest.h>

#include <QFont>

using namespace km;

namespace {
int plainHeight(const QString& text, const QFont& font, int width) {
  QLabel plain(text);
  plain.setWordWrap(true);
  plain.setFont(font);
  return plain.heightForWidth(width);
}
}  // namespace

TEST(WrappedLabel, AnswersLikeAWordWrappedLabelAndForgetsOnTextOrFontChange) {
  const QString text = QStringLiteral(
      "各データ分析の結果を元に周期法、消去法、連発ゼノバ、一発ゼノバの各手法を用いて当選数字を予想します。");
  WrappedLabel label(text);
  EXPECT_TRUE(label.wordWrap());
  // more widths than it keeps, asked twice in turn
  for (int round = 0; round < 2; ++round)
    for (int width : {40, 80, 120, 160, 200, 240, 280, 320, 360, 400, 600, 80})
      EXPECT_EQ(label.heightForWidth(width), plainHeight(text, label.font(), width)) << width;
  const int narrow = label.heightForWidth(120);

  const QFont normal = label.font();
  QFont big = normal;
  big.setPointSize(big.pointSize() * 2);
  label.setFont(big);
  EXPECT_EQ(label.heightForWidth(120), plainHeight(text, big, 120));
  EXPECT_GT(label.heightForWidth(120), narrow);

  label.setFont(normal);
  EXPECT_EQ(label.heightForWidth(120), narrow);
  label.setText(QStringLiteral("短い"));
  EXPECT_EQ(label.heightForWidth(120), plainHeight(QStringLiteral("短い"), normal, 120));
  EXPECT_LT(label.heightForWidth(120), narrow);
}
