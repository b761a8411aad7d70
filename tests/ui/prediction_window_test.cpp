// The prediction window, headless: its layout texts, the option buttons, a
// click recomputing the numbers, and the settings kept across a close and
// written at program end.
#include "prediction/ui/prediction_window.h"

#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/main_frm.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_view.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

// Three draws.  With no setting on the elimination rules give 11 27 2 13 12,
// with one on 12 21 31 24 8, with two on 10 18.
std::vector<Draw> threeDraws() {
  return test::draws({{1, {2, 3, 5, 6, 4, 20}}, {2, {1, 9, 5, 6, 7, 8}}, {3, {9, 10, 11, 12, 13, 14}}});
}

std::vector<std::string> eliminationRow(const PredictionWindow* w) {
  std::vector<std::string> t;
  for (int c = 2; c <= 6; ++c) t.push_back(w->grid(1).text(c, 2));
  return t;
}

using Texts = std::vector<std::string>;

std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct PredictionWindowTest : ::testing::Test {
  test::ProgramFolder folder{threeDraws()};
  std::unique_ptr<MainFrm> frm;
  std::unique_ptr<test::ProgramStart> start;
  void SetUp() override {
    std::ofstream(folder.dir / "カズマキ.ini", std::ios::binary) << "数字合計分析Opt=True\r\n頻度分析Opt=False\r\n";
    frm = std::make_unique<MainFrm>(folder.path(), folder.settings());
    start = std::make_unique<test::ProgramStart>(folder);
    ASSERT_TRUE(start->run(*frm));
  }
  PredictionWindow* open() {
    QMdiSubWindow* sub = frm->openWindow(WindowId::Prediction);
    return sub ? qobject_cast<PredictionWindow*>(sub->widget()) : nullptr;
  }
};

}  // namespace

TEST_F(PredictionWindowTest, LayoutTexts) {
  PredictionWindow* w = open();
  ASSERT_NE(w, nullptr);
  QStringList frames;
  for (QGroupBox* g : w->findChildren<QGroupBox*>()) frames << g->title();
  EXPECT_TRUE(frames.contains(QStringLiteral("当選予想")));
  EXPECT_TRUE(frames.contains(QStringLiteral("データ分析オプション")));
  EXPECT_EQ(frames.size(), 2);
  for (int i = 0; i < PredictionState::kSettingCount; ++i) {  // a captioned box per setting
    auto* box = w->findChild<QFrame*>(QStringLiteral("optionFrame%1").arg(i));
    ASSERT_TRUE(box) << i;
    auto* caption = box->findChild<QLabel*>();
    ASSERT_TRUE(caption) << i;
    EXPECT_EQ(caption->text(), QString::fromUtf8(kSettingCaptions[i]));
    // the caption keeps clear of its box's lines ("■下一桁連続出現回数分析" touched the right one)
    const QRect room = box->contentsRect(), at = caption->geometry();
    EXPECT_GE(at.left() - room.left(), 2) << i;
    EXPECT_GE(room.right() - at.right(), 2) << i;
    EXPECT_EQ(w->reflectOnButton(i)->parentWidget(), box);
    EXPECT_EQ(w->reflectOffButton(i)->parentWidget(), box);
  }

  QStringList labels;
  for (QLabel* l : w->findChildren<QLabel*>()) labels << l->text();
  EXPECT_TRUE(labels.contains(QStringLiteral(
      "各データ分析の結果を元に周期法、消去法、連発ゼノバ、一発ゼノバの各手法を用いて当選数字を予想します。")));
  EXPECT_TRUE(labels.contains(QStringLiteral("各データ分析の分析結果を当選予想へ反映するかを設定します。")));
  EXPECT_TRUE(labels.contains(QStringLiteral("●周期法による予想(この予想数字を組合わせて購入します)")));
  EXPECT_TRUE(labels.contains(QStringLiteral("●消去法による予想(この予想数字を組合わせて購入します)")));
  EXPECT_TRUE(labels.contains(QStringLiteral("●連発ゼノバ予想(この予想数字を組む合わせて購入します)")));
  EXPECT_TRUE(labels.contains(QStringLiteral("●一発ゼノバ予想")));

  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(w->gridView(i), nullptr);
    EXPECT_EQ(w->gridView(i)->grid(), &w->grid(i));
  }
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(w->reflectOnButton(i)->text(), QStringLiteral("反映する"));
    EXPECT_EQ(w->reflectOffButton(i)->text(), QStringLiteral("反映しない"));
    EXPECT_EQ(w->reflectOnButton(i)->property("index").toInt(), i);
  }
  EXPECT_EQ(w->closeButton()->text(), QStringLiteral("閉じる"));
  EXPECT_EQ(w->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
}

TEST_F(PredictionWindowTest, ButtonsFollowTheSettingsAndClicksRecompute) {
  PredictionWindow* w = open();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(frm->openWindowCaptions().isEmpty());
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(w->reflectOnButton(i)->isChecked(), i == 6) << i;
    EXPECT_EQ(w->reflectOffButton(i)->isChecked(), i != 6) << i;
  }
  // Opened with one setting on.
  EXPECT_EQ(eliminationRow(w), (Texts{"12", "21", "31", "24", "8"}));
  EXPECT_EQ(w->grid(0).text(1, 2), " 7回周期法");

  QTest::mouseClick(w->reflectOffButton(6), Qt::LeftButton);
  EXPECT_FALSE(frm->predictionState().reflect[6]);
  EXPECT_TRUE(w->reflectOffButton(6)->isChecked());
  EXPECT_FALSE(w->reflectOnButton(6)->isChecked());
  EXPECT_EQ(eliminationRow(w), (Texts{"11", "27", "2", "13", "12"}));

  w->reflectOnButton(0)->click();
  w->reflectOnButton(11)->click();
  EXPECT_EQ(frm->predictionState().reflectCount(), 2);
  EXPECT_FALSE(w->reflectOffButton(11)->isChecked());
  EXPECT_EQ(eliminationRow(w), (Texts{"10", "18", "", "", ""}));
  EXPECT_EQ(w->grid(1).text(2, 3), "");
  // The other pairs are untouched: each pair is exclusive on its own.
  EXPECT_TRUE(w->reflectOffButton(1)->isChecked());
}

TEST_F(PredictionWindowTest, SettingsSurviveACloseAndReachTheFileAtProgramEnd) {
  PredictionWindow* w = open();
  ASSERT_NE(w, nullptr);
  w->reflectOffButton(6)->click();
  w->reflectOnButton(8)->click();
  w->reflectOnButton(9)->click();
  w->closeButton()->click();
  EXPECT_EQ(frm->findChildWindow(WindowId::Prediction), nullptr);
  EXPECT_TRUE(frm->openWindowCaptions().isEmpty());
  // Not written yet.
  EXPECT_EQ(readFile(folder.dir / "カズマキ.ini"), "数字合計分析Opt=True\r\n頻度分析Opt=False\r\n");

  w = open();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(frm->openWindowCaptions().isEmpty());
  EXPECT_TRUE(w->reflectOffButton(6)->isChecked());
  EXPECT_TRUE(w->reflectOnButton(8)->isChecked());
  EXPECT_TRUE(w->reflectOnButton(9)->isChecked());
  EXPECT_EQ(eliminationRow(w), (Texts{"10", "18", "", "", ""}));

  frm->close();
  const std::string ini = readFile(folder.dir / "カズマキ.ini");
  EXPECT_NE(ini.find("数字合計分析Opt=False\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("5分割傾向分析Opt=True\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("分割データ分析Opt=True\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("頻度分析Opt=False\r\n"), std::string::npos) << ini;
}

TEST(PredictionWindowAlone, ShowsWhatTheToolDumps) {
  PredictionState state;
  state.reflect[3] = true;
  const History h = History::fromRows(threeDraws());
  PredictionWindow w(state, h);
  PredictionState same;
  same.reflect[3] = true;
  PredictionGrids expected;
  openPrediction(same, h, expected);
  for (int i = 0; i < 4; ++i)
    for (int r = 1; r <= expected[i].maxRows(); ++r)
      for (int c = 1; c <= 6; ++c) EXPECT_EQ(w.grid(i).text(c, r), expected[i].text(c, r)) << i << "," << c << "," << r;
  // The views size themselves to the grids: grid 0 is taller than grid 3.
  EXPECT_GT(w.gridView(0)->sizeHint().height(), w.gridView(3)->sizeHint().height());
  EXPECT_EQ(w.gridView(0)->sizeHint().width(), w.gridView(3)->sizeHint().width());
}
