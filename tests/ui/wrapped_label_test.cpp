// Labels wrap between words, keep what they measured, and forget it when
// their text or font changes.
#include "frame/ui/wrapped_label.h"

#include <gtest/gtest.h>

#include <QFont>

#include "frame/ui/grid_view.h"

using namespace km;

namespace {

struct WrapCase {
  const char* text;
  double ems;  // the width, in full-width characters
  std::vector<const char*> lines;
};

class WrapWords : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapWords, BreaksBetweenWords) {
  const WrapCase& c = GetParam();
  const QFontMetrics fm(GridView::gridFont());
  const int width = static_cast<int>(c.ems * fm.horizontalAdvance(QChar(0x3042)));
  QStringList expected;
  for (const char* l : c.lines) expected << QString::fromUtf8(l);
  EXPECT_EQ(wrapWords(QString::fromUtf8(c.text), fm, width), expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapWords,
    ::testing::Values(
        WrapCase{"●周期法による予想(この予想数字を組合わせて購入します)",
                 24,
                 {"●周期法による予想", "(この予想数字を組合わせて購入します)"}},
        WrapCase{"■頻度分析（出現頻度分析）", 11, {"■頻度分析", "（出現頻度分析）"}},
        WrapCase{
            "過去の当選番号を低数字（０１～１５）と高数字（１６～３１）に分けて組合せパターンを分析します（ボーナス数字"
            "は入れていません",
            38,
            {"過去の当選番号を低数字（０１～１５）と高数字（１６～３１）に分けて",
             "組合せパターンを分析します（ボーナス数字は入れていません"}},
        WrapCase{"表示中のウィンドウを閉じないと実行できません。",
                 14,
                 {"表示中のウィンドウを", "閉じないと実行できません。"}},
        WrapCase{"カズマキMiddle version 1.0", 7, {"カズマキMiddle", "version 1.0"}},
        WrapCase{"一行に収まる", 10, {"一行に収まる"}},
        // a line break of the text breaks, each line wrapping on its own
        WrapCase{"短い\n表示中のウィンドウを閉じないと実行できません。\n\n終",
                 14,
                 {"短い", "表示中のウィンドウを", "閉じないと実行できません。", "", "終"}},
        // a word wider than the line breaks between its characters: nothing is cut
        WrapCase{"■下一桁連続出現回数分析", 8, {"■下一桁連続出現", "回数分析"}}));

TEST(WrappedLabel, KeepsItsLinesAndForgetsThemOnTextOrFontChange) {
  const QString text = QStringLiteral(
      "各データ分析の結果を元に周期法、消去法、連発ゼノバ、一発ゼノバの各手法を用いて当選数字を予想します。");
  WrappedLabel label(text);
  auto expected = [&](const QFont& f, const QString& t, int width) {
    return static_cast<int>(wrapWords(t, QFontMetrics(f), width).size()) * QFontMetrics(f).lineSpacing();
  };
  // more widths than it keeps, asked twice in turn
  for (int round = 0; round < 2; ++round)
    for (int width : {40, 80, 120, 160, 200, 240, 280, 320, 360, 400, 600, 80})
      EXPECT_EQ(label.heightForWidth(width), expected(label.font(), text, width)) << width;
  const int narrow = label.heightForWidth(120);

  const QFont normal = label.font();
  QFont big = normal;
  big.setPointSize(big.pointSize() * 2);
  label.setFont(big);
  EXPECT_EQ(label.heightForWidth(120), expected(big, text, 120));
  EXPECT_GT(label.heightForWidth(120), narrow);

  label.setFont(normal);
  EXPECT_EQ(label.heightForWidth(120), narrow);
  label.setText(QStringLiteral("短い"));
  EXPECT_EQ(label.heightForWidth(120), expected(normal, QStringLiteral("短い"), 120));
  EXPECT_LT(label.heightForWidth(120), narrow);
}

}  // namespace
