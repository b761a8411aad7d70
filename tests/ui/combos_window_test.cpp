// 組合せ作成 as the user works it: the figures follow each ticked condition,
// lines are made again from a seed, a wheel under conditions says when its
// guarantee cannot hold, the window stays usable while a wheel is searched,
// the lines' 賞金倍率 reads as 当選確認's and sorts or keeps them (never a
// wheel's), and the lines reach 当選確認 (its file, or its open window).
#include "tickets/combos_window.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThreadPool>
#include <filesystem>
#include <fstream>

#include "frame/grid_setup.h"
#include "frame/ui/grid_view.h"
#include "store/formats/csv.h"
#include "tests/core/test_files.h"
#include "tests/ui/ui_helpers.h"
#include "tickets/tickets_model.h"
#include "tickets/tickets_window.h"
#include "windows/window_table.h"

namespace fs = std::filesystem;

namespace km {
namespace {

struct CombosWindowTest : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-ui-combos-" + std::to_string(::getpid()));
  std::string tickets = (dir / kTicketsFileName).string();
  const CsvResult csv = readHistoryCsvFile(KM_SHIPPED_CSV);
  History history = History::fromRows(csv.draws, csv.prizes);  // the lines come with their 賞金倍率
  std::unique_ptr<CombosWindow> w;
  void SetUp() override {
    fs::create_directories(dir);
    w = std::make_unique<CombosWindow>(windowRow(WindowId::Combos).def, history, tickets);
  }
  void TearDown() override {
    w.reset();
    fs::remove_all(dir);
  }
  void mode(CombosWindow::Mode m) const { w->modeButton(m)->setChecked(true); }
  // Makes the lines and waits for them (a wheel ends on its own thread).
  bool make() const {
    w->makeButton()->click();
    return QTest::qWaitFor([&] { return !w->busy(); }, 60000);
  }
  std::string result() const { return w->resultLabel()->text().toStdString(); }
};

TEST_F(CombosWindowTest, FiguresFollowEveryChangeAtOnce) {
  EXPECT_EQ(w->figures().all.kept, 169911);
  w->countBox(Condition::Odd, 5)->setChecked(true);
  EXPECT_EQ(w->figures().all.kept, 4368) << "five of the 16 odd numbers";
  EXPECT_EQ(w->figuresGrid().text(3, 6), "4,368");
  EXPECT_EQ(w->figuresGrid().text(2, 6), "5");
  w->axisField()->setText(QStringLiteral("１ ３"));
  EXPECT_EQ(w->figures().all.kept, 364) << "three more of the 14 other odd numbers: C(14,3)";
  EXPECT_NE(w->sentenceLabel()->text().indexOf(QStringLiteral("残る組合せは全体の0.21%")), -1)
      << w->sentenceLabel()->text().toStdString();
  EXPECT_NE(w->sentenceLabel()->text().indexOf(QStringLiteral("過去1,400回の当選数字")), -1);

  // a wrong value is told, its condition left out, and no lines are made from it
  w->axisField()->setText(QStringLiteral("1 32"));
  EXPECT_NE(w->problemLabel()->text().indexOf(QStringLiteral("軸数字：「32」は1〜31の数字ではありません。")), -1);
  EXPECT_TRUE(w->problemLabel()->isVisibleTo(w.get()));
  EXPECT_EQ(w->figures().all.kept, 4368);
  EXPECT_FALSE(w->makeButton()->isEnabled());
  w->axisField()->setText(QStringLiteral("1"));
  w->excludedField()->setText(QStringLiteral("1"));
  EXPECT_NE(w->problem().indexOf(QStringLiteral("数字1が軸数字と除外数字の両方にあります")), -1);
  w->clearButton()->click();
  EXPECT_TRUE(w->problem().isEmpty());
  EXPECT_FALSE(w->conditions().any());
  EXPECT_TRUE(w->makeButton()->isEnabled());

  // the sum range, and the N of 直近N回 named in the grid
  w->sumBox()->setChecked(true);
  w->sumFromBox()->setValue(15);
  w->sumToBox()->setValue(15);
  EXPECT_EQ(w->figures().all.kept, 1);
  w->sumToBox()->setValue(14 + 1);
  w->sumFromBox()->setValue(20);
  EXPECT_NE(w->problem().indexOf(QStringLiteral("合計の範囲が逆です（20〜15）")), -1);
  w->recentDrawsBox()->setValue(3);
  EXPECT_EQ(w->figuresGrid().text(1, 9), "直近3回に出た数字の個数");
}

TEST_F(CombosWindowTest, TheSameSeedMakesTheSameLines) {
  w->countBox(Condition::Consecutive, 0)->setChecked(true);
  mode(CombosWindow::Mode::Random);
  w->randomCountBox()->setValue(7);
  w->seedField()->setText(QStringLiteral("777"));
  ASSERT_TRUE(make());
  const std::vector<TicketNumbers> first = w->lines();
  ASSERT_EQ(first.size(), 7u);
  EXPECT_EQ(w->linesGrid().maxRows(), 8);
  EXPECT_NE(result().find("シード777"), std::string::npos) << result();
  EXPECT_NE(result().find("1,400円"), std::string::npos) << result();
  w->newSeedButton()->click();
  ASSERT_TRUE(make());
  EXPECT_NE(w->lines(), first);
  w->seedField()->setText(QStringLiteral("777"));
  ASSERT_TRUE(make());
  EXPECT_EQ(w->lines(), first);

  // a change of the conditions leaves the lines, and says they were made before it
  w->countBox(Condition::Odd, 1)->setChecked(true);
  EXPECT_EQ(w->lines(), first);
  EXPECT_NE(result().find("変える前の条件"), std::string::npos) << result();

  // all of them: at most 10,000
  mode(CombosWindow::Mode::All);
  ASSERT_TRUE(make());
  EXPECT_TRUE(w->lines().empty());
  EXPECT_NE(result().find("10,000口を超える"), std::string::npos) << result();
  EXPECT_FALSE(w->handOffButton()->isEnabled());
  w->clearButton()->click();
  w->axisField()->setText(QStringLiteral("1 2 3 4"));
  ASSERT_TRUE(make());
  EXPECT_EQ(w->lines().size(), 27u);
  EXPECT_EQ(w->lines().back(), (TicketNumbers{1, 2, 3, 4, 31}));
}

// Conditions that keep only odd numbers cannot meet an even triple of the
// pool: the wheel is made from the kept lines and says so plainly; without
// the condition the guarantee holds over every triple.
TEST_F(CombosWindowTest, AWheelUnderConditionsSaysWhenItsGuaranteeCannotHold) {
  mode(CombosWindow::Mode::Wheel);
  w->poolField()->setText(QStringLiteral("1 2 3 4 5 6 7 8 9"));
  w->matchBox()->setValue(3);
  w->ifDrawnBox()->setValue(3);
  w->minFactorBox()->setValue(kMaxMinFactor);  // a wheel is never cut: that would break its guarantee
  ASSERT_TRUE(make());
  ASSERT_EQ(w->lines().size(), 12u) << result();
  EXPECT_NE(result().find("当せん数字のうち3個が選んだ数字に入っていれば、少なくとも1口は3個一致します"),
            std::string::npos)
      << result();
  EXPECT_NE(result().find("賞金倍率では減らしません（12口すべて）"), std::string::npos) << result();
  for (const TicketNumbers& l : w->lines())
    for (int n : l) EXPECT_TRUE(n >= 1 && n <= 9);

  w->countBox(Condition::Odd, 4)->setChecked(true);
  w->countBox(Condition::Odd, 5)->setChecked(true);
  ASSERT_TRUE(make());
  ASSERT_FALSE(w->lines().empty()) << result();
  EXPECT_NE(result().find("条件に合う組合せだけでは保証は成り立ちません"), std::string::npos) << result();
  for (const TicketNumbers& l : w->lines()) EXPECT_GE(lineTraits(l).odd, 4);

  // the pool by default: the numbers the conditions leave
  w->poolField()->clear();
  w->clearButton()->click();
  w->excludedField()->setText(QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25"));
  EXPECT_NE(w->poolField()->placeholderText().indexOf(QStringLiteral("6個")), -1)
      << w->poolField()->placeholderText().toStdString();
}

TEST_F(CombosWindowTest, TheWindowStaysUsableWhileAWheelIsSearchedAndCancelStopsIt) {
  mode(CombosWindow::Mode::Wheel);
  w->poolField()->setText(
      QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31"));
  w->matchBox()->setValue(4);
  w->ifDrawnBox()->setValue(5);
  w->makeButton()->click();
  ASSERT_TRUE(w->busy());
  EXPECT_FALSE(w->makeButton()->isEnabled());
  EXPECT_TRUE(w->cancelButton()->isEnabled());
  EXPECT_FALSE(w->handOffButton()->isEnabled());
  // the conditions and their figures go on
  w->countBox(Condition::Odd, 0)->setChecked(true);
  EXPECT_EQ(w->figures().all.kept, 3003);
  w->cancelButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w->busy(); }, 60000));
  EXPECT_NE(result().find("キャンセルしました"), std::string::npos) << result();
  EXPECT_TRUE(w->lines().empty());
  EXPECT_FALSE(w->progressBar()->isVisibleTo(w.get()));
  EXPECT_TRUE(w->makeButton()->isEnabled());

  // closing the window stops a search at once: no thread is left working for it
  w->makeButton()->click();
  ASSERT_TRUE(w->busy());
  w.reset();
  EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(60000));
}

TEST_F(CombosWindowTest, LinesGoToTheTicketsFileAfterAConfirmation) {
  w->axisField()->setText(QStringLiteral("1 2 3 4"));
  w->sumBox()->setChecked(true);
  w->sumFromBox()->setValue(15);
  w->sumToBox()->setValue(17);  // 1 2 3 4 5, 6, 7
  mode(CombosWindow::Mode::All);
  ASSERT_TRUE(make());
  ASSERT_EQ(w->lines().size(), 3u);
  {
    test::MessageBoxWatcher no(QMessageBox::No);
    w->handOffButton()->click();
    ASSERT_TRUE(no.seen);
    EXPECT_NE(no.text.indexOf(QStringLiteral("3口（600円）を、第1401回の買い目として当選確認に入れますか？")), -1)
        << no.text.toStdString();
  }
  EXPECT_FALSE(fs::exists(tickets)) << "no: nothing written";
  {
    test::MessageBoxWatcher yes(QMessageBox::Yes);
    w->handOffButton()->click();
    ASSERT_TRUE(yes.seen);
  }
  const std::vector<Ticket> written = parseTicketsCsv(test::slurp(tickets)).tickets;
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0].from, 1401);
  EXPECT_EQ(written[0].draws, 1);
  EXPECT_EQ(written[2].numbers, (TicketNumbers{1, 2, 3, 4, 7}));
  EXPECT_NE(result().find("3口を入れました"), std::string::npos) << result();

  // again: after the lines already there, the old file kept as .bak
  {
    test::MessageBoxWatcher yes(QMessageBox::Yes);
    w->handOffButton()->click();
  }
  EXPECT_EQ(parseTicketsCsv(test::slurp(tickets)).tickets.size(), 6u);
  EXPECT_EQ(parseTicketsCsv(test::slurp(tickets + ".bak")).tickets, written);

  // a damaged file is left as it is
  const std::string damaged = std::string(kTicketsHeader) + "\n1,1,1,2,3,4,32,\n";
  std::ofstream(tickets, std::ios::binary | std::ios::trunc) << damaged;
  test::MessageBoxWatcher yes(QMessageBox::Yes, QMessageBox::Ok);
  w->handOffButton()->click();
  ASSERT_TRUE(yes.next && yes.next->seen);
  EXPECT_NE(yes.next->text.indexOf(QStringLiteral("買い目は入れていません")), -1) << yes.next->text.toStdString();
  EXPECT_EQ(test::slurp(tickets), damaged);
}

TEST_F(CombosWindowTest, EveryButtonHasAnAccessKeyAndTabLeavesTheGrids) {
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  for (const QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (qobject_cast<const QCheckBox*>(b) && b != w->sumBox()) continue;  // the counts, under their labelled row
    if (b == w->closeButton()) continue;                                  // 閉じる, as in every window
    EXPECT_NE(b->text().indexOf(QLatin1Char('&')), -1) << b->text().toStdString();
  }
  for (GridView* v : {w->figuresView(), w->linesView()}) {
    v->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return v->hasFocus(); }, 5000));
    QTest::keyClick(v, Qt::Key_Tab);
    EXPECT_FALSE(v->hasFocus()) << v->objectName().toStdString();
  }
}

TEST_F(CombosWindowTest, TheFactorColumnReadsAsTheTicketsWindowsForTheSameLine) {
  w->axisField()->setText(QStringLiteral("1 2 3 4"));
  mode(CombosWindow::Mode::All);
  ASSERT_TRUE(make());
  const Grid& g = w->linesGrid();
  ASSERT_EQ(w->lines().size(), 27u);
  EXPECT_EQ(g.text(8, 1), "賞金倍率");
  TicketsWindow t(windowRow(WindowId::Tickets).def, history, (dir / "other.csv").string());
  TicketsModel* m = t.model();
  for (size_t i = 0; i < w->lines().size(); ++i) {
    const TicketNumbers& l = w->lines()[i];
    ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber),
                           QStringLiteral("%1 %2 %3 %4 %5").arg(l[0]).arg(l[1]).arg(l[2]).arg(l[3]).arg(l[4])));
    EXPECT_EQ(g.text(8, 2 + static_cast<int>(i)), m->data(m->index(0, TicketsModel::Factor)).toString().toStdString());
  }

  // the order and the minimum work on the lines made, at once
  const std::vector<TicketNumbers> made = w->lines();
  std::vector<double> shown;  // as the grid shows them, in hundredths
  for (double f : w->lineFactors()) shown.push_back(static_cast<double>(factorHundredths(f)));
  std::sort(shown.begin(), shown.end());
  w->sortByFactorBox()->setChecked(true);
  EXPECT_TRUE(std::is_sorted(w->lineFactors().rbegin(), w->lineFactors().rend())) << "highest first";
  const long long keep = shown.end() - std::lower_bound(shown.begin(), shown.end(), shown[13]);
  w->minFactorBox()->setValue(shown[13] / 100);  // the median line's, as shown: it and those above it
  EXPECT_EQ(static_cast<long long>(w->lines().size()), keep);
  EXPECT_NE(result().find("倍以上：作った27口のうち" + std::to_string(keep) + "口"), std::string::npos) << result();
  w->minFactorBox()->setValue(0);
  w->sortByFactorBox()->setChecked(false);
  EXPECT_EQ(w->lines(), made);

  // no prizes stored: no 賞金倍率, and the window says why
  const History bare = History::fromRows(csv.draws);
  CombosWindow none(windowRow(WindowId::Combos).def, bare, tickets);
  EXPECT_FALSE(none.minFactorBox()->isEnabled());
  EXPECT_NE(none.factorNoteLabel()->text().indexOf(QStringLiteral("当せん金のわかる回が0回しかないため")), -1);
  EXPECT_EQ(none.linesGrid().maxCols(), 7);
}

// With 当選確認 open, the lines go through it: it shows them at once and
// keeps the lines its user is typing.
TEST(CombosToTickets, AnOpenTicketsWindowShowsTheLines) {
  test::ProgramFolder folder(readHistoryCsvFile(KM_SHIPPED_CSV).draws);
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start(folder);
  ASSERT_TRUE(start.run(frm));
  QMdiSubWindow* ticketsSub = frm.openWindow(WindowId::Tickets);
  auto* ticketsWindow = qobject_cast<TicketsWindow*>(ticketsSub->widget());
  ASSERT_TRUE(ticketsWindow);
  TicketsModel* m = ticketsWindow->model();
  // a line being typed, not yet whole
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber), QStringLiteral("9")));
  auto* combos = qobject_cast<CombosWindow*>(frm.openWindow(WindowId::Combos)->widget());
  ASSERT_TRUE(combos);
  EXPECT_EQ(openTicketsWindow(combos), ticketsWindow);
  combos->axisField()->setText(QStringLiteral("1 2 3 4"));
  combos->modeButton(CombosWindow::Mode::Random)->setChecked(true);
  combos->randomCountBox()->setValue(2);
  combos->makeButton()->click();
  ASSERT_EQ(combos->lines().size(), 2u);
  test::MessageBoxWatcher yes(QMessageBox::Yes);
  combos->handOffButton()->click();
  ASSERT_TRUE(yes.seen);
  ASSERT_EQ(m->tickets().size(), 2u);
  EXPECT_EQ(m->tickets()[0].numbers, combos->lines()[0]);
  EXPECT_EQ(m->data(m->index(0, TicketsModel::FirstNumber)).toString(), QStringLiteral("9")) << "kept";
  EXPECT_EQ(parseTicketsCsv(test::slurp(folder.dir / kTicketsFileName)).tickets, m->tickets());
  ticketsSub->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(openTicketsWindow(combos), nullptr);
}

}  // namespace
}  // namespace km
