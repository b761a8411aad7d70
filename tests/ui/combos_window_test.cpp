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
  const Result<DrawList> csv = readHistoryCsvFile(KM_SHIPPED_CSV);
  History history = History::fromRows(csv->draws, csv->prizes);  // the lines come with their 賞金倍率
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
  // Every line holding the axis numbers typed, made.
  bool makeAllWith(const char* axis) const {
    w->axisField()->setText(QString::fromUtf8(axis));
    mode(CombosWindow::Mode::All);
    return make();
  }
  // A wheel of `pool`, T of M, started.
  void startWheel(const char* pool, int match, int ifDrawn) const {
    mode(CombosWindow::Mode::Wheel);
    w->poolField()->setText(QString::fromUtf8(pool));
    w->matchBox()->setValue(match);
    w->ifDrawnBox()->setValue(ifDrawn);
    w->makeButton()->click();
  }
  bool says(const char* part) const { return result().find(part) != std::string::npos; }
  std::string result() const { return w->resultLabel()->text().toStdString(); }
};

// Faults: a control not wired to the conditions, the figures not counted
// again at a change, a bad value used or not told.
TEST_F(CombosWindowTest, FiguresFollowEveryChangeAtOnce) {
  EXPECT_EQ(w->figures().all.kept, 169911);
  w->countBox(Condition::Odd, 5)->setChecked(true);
  EXPECT_EQ(w->figuresGrid().text(3, 6), "4,368") << "five of the 16 odd numbers";
  w->axisField()->setText(QStringLiteral("１ ３"));
  EXPECT_EQ(w->figures().all.kept, 364) << "three more of the 14 other odd numbers: C(14,3)";
  EXPECT_NE(w->sentenceLabel()->text().indexOf(QStringLiteral("残る組合せは全体の0.21%")), -1)
      << w->sentenceLabel()->text().toStdString();
  // a wrong value is told, its condition left out, and no lines are made from it
  w->axisField()->setText(QStringLiteral("1 32"));
  EXPECT_NE(w->problemLabel()->text().indexOf(QStringLiteral("軸数字：「32」は1〜31の数字ではありません。")), -1);
  EXPECT_TRUE(w->problemLabel()->isVisibleTo(w.get()));
  EXPECT_EQ(w->figures().all.kept, 4368);
  EXPECT_FALSE(w->makeButton()->isEnabled());
  w->clearButton()->click();
  EXPECT_TRUE(w->problem().isEmpty());
  EXPECT_FALSE(w->conditions().any());
  EXPECT_TRUE(w->makeButton()->isEnabled());
  // the sum range, and the N of 直近N回 named in the grid
  w->sumBox()->setChecked(true);
  w->sumFromBox()->setValue(15);
  w->sumToBox()->setValue(15);
  EXPECT_EQ(w->figures().all.kept, 1);
  w->recentDrawsBox()->setValue(3);
  EXPECT_EQ(w->figuresGrid().text(1, 9), "直近3回に出た数字の個数");
}

// Faults: the seed field ignored, a new seed not drawn, lines dropped at a
// change of the conditions, more than 10,000 lines made.
TEST_F(CombosWindowTest, TheSameSeedMakesTheSameLines) {
  w->countBox(Condition::Consecutive, 0)->setChecked(true);
  mode(CombosWindow::Mode::Random);
  w->randomCountBox()->setValue(7);
  w->seedField()->setText(QStringLiteral("777"));
  ASSERT_TRUE(make());
  const std::vector<TicketNumbers> first = w->lines();
  ASSERT_EQ(first.size(), 7u);
  EXPECT_TRUE(says("シード777") && says("1,400円")) << result();
  w->newSeedButton()->click();
  ASSERT_TRUE(make());
  EXPECT_NE(w->lines(), first);
  w->seedField()->setText(QStringLiteral("777"));
  ASSERT_TRUE(make());
  EXPECT_EQ(w->lines(), first);
  // a change of the conditions leaves the lines, and says they were made before it
  w->countBox(Condition::Odd, 1)->setChecked(true);
  EXPECT_EQ(w->lines(), first);
  EXPECT_TRUE(says("変える前の条件")) << result();
  // all of them: at most 10,000
  mode(CombosWindow::Mode::All);
  ASSERT_TRUE(make());
  EXPECT_TRUE(w->lines().empty());
  EXPECT_TRUE(says("10,000口を超える")) << result();
  EXPECT_FALSE(w->handOffButton()->isEnabled());
}

// Faults: the conditions not passed to the wheel, a wheel cut by its
// 賞金倍率, the pool by default not the numbers the conditions leave.
TEST_F(CombosWindowTest, AWheelUnderConditionsSaysWhenItsGuaranteeCannotHold) {
  w->countBox(Condition::Odd, 4)->setChecked(true);
  w->countBox(Condition::Odd, 5)->setChecked(true);
  w->minFactorBox()->setValue(kMaxMinFactor);  // a wheel is never cut: that would break its guarantee
  startWheel("1 2 3 4 5 6 7 8 9", 3, 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w->busy(); }, 60000));
  ASSERT_FALSE(w->lines().empty()) << result();
  EXPECT_TRUE(says("条件に合う組合せだけでは保証は成り立ちません")) << result();
  EXPECT_TRUE(says(("賞金倍率では減らしません（" + std::to_string(w->lines().size()) + "口すべて）").c_str()))
      << result();
  for (const TicketNumbers& l : w->lines()) EXPECT_GE(lineTraits(l).odd, 4);
  w->poolField()->clear();
  w->clearButton()->click();
  w->excludedField()->setText(QStringLiteral("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25"));
  EXPECT_NE(w->poolField()->placeholderText().indexOf(QStringLiteral("6個")), -1)
      << w->poolField()->placeholderText().toStdString();
}

// Faults: the search on the window's thread, Cancel not stopping it, a
// thread left working for a closed window.
TEST_F(CombosWindowTest, TheWindowStaysUsableWhileAWheelIsSearchedAndCancelStopsIt) {
  startWheel("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31", 4, 5);
  ASSERT_TRUE(w->busy());
  EXPECT_FALSE(w->makeButton()->isEnabled() || w->handOffButton()->isEnabled());
  EXPECT_TRUE(w->cancelButton()->isEnabled());
  w->countBox(Condition::Odd, 0)->setChecked(true);  // the conditions and their figures go on
  EXPECT_EQ(w->figures().all.kept, 3003);
  w->cancelButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w->busy(); }, 60000));
  EXPECT_TRUE(says("キャンセルしました")) << result();
  EXPECT_TRUE(w->lines().empty());
  EXPECT_FALSE(w->progressBar()->isVisibleTo(w.get()));
  EXPECT_TRUE(w->makeButton()->isEnabled());
  // closing the window stops a search at once
  w->makeButton()->click();
  ASSERT_TRUE(w->busy());
  w.reset();
  EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(60000));
}

// Faults: lines written without the question or after 「いいえ」, the old
// file not kept or its lines lost, a damaged file overwritten.
TEST_F(CombosWindowTest, LinesGoToTheTicketsFileAfterAConfirmation) {
  w->sumBox()->setChecked(true);
  w->sumFromBox()->setValue(15);
  w->sumToBox()->setValue(17);  // 1 2 3 4 5, 6, 7
  ASSERT_TRUE(makeAllWith("1 2 3 4"));
  ASSERT_EQ(w->lines().size(), 3u);
  {
    test::MessageBoxWatcher no(QMessageBox::No);
    w->handOffButton()->click();
    ASSERT_TRUE(no.seen);
    EXPECT_NE(no.text.indexOf(QStringLiteral("3口（600円）を、第1401回の買い目として当選確認に入れますか？")), -1)
        << no.text.toStdString();
  }
  EXPECT_FALSE(fs::exists(tickets)) << "no: nothing written";
  for (size_t times = 1; times <= 2; ++times) {  // again: after the lines already there, the old file kept
    test::MessageBoxWatcher yes(QMessageBox::Yes);
    w->handOffButton()->click();
    ASSERT_TRUE(yes.seen);
    const std::vector<Ticket> written = parseTicketsCsv(test::slurp(tickets))->tickets;
    ASSERT_EQ(written.size(), 3 * times);
    EXPECT_EQ(written.back().from, 1401);
    EXPECT_EQ(written.back().draws, 1);
    EXPECT_EQ(written.back().numbers, (TicketNumbers{1, 2, 3, 4, 7}));
  }
  EXPECT_TRUE(says("3口を入れました")) << result();
  EXPECT_EQ(parseTicketsCsv(test::slurp(tickets + ".bak"))->tickets.size(), 3u);
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
  ASSERT_TRUE(makeAllWith("1 2 3 4"));
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

  // the order and the minimum work on the lines made, at once: the median line's factor, as shown, keeps
  // it and those above it
  const std::vector<TicketNumbers> made = w->lines();
  std::vector<long long> shown;
  for (double f : w->lineFactors()) shown.push_back(factorHundredths(f));
  w->sortByFactorBox()->setChecked(true);
  EXPECT_TRUE(std::is_sorted(w->lineFactors().rbegin(), w->lineFactors().rend())) << "highest first";
  std::sort(shown.begin(), shown.end());
  const long long keep = std::count_if(shown.begin(), shown.end(), [&](long long f) { return f >= shown[13]; });
  w->minFactorBox()->setValue(static_cast<double>(shown[13]) / 100);
  EXPECT_EQ(static_cast<long long>(w->lines().size()), keep);
  EXPECT_TRUE(says(("倍以上：作った27口のうち" + std::to_string(keep) + "口").c_str())) << result();
  w->minFactorBox()->setValue(0);
  w->sortByFactorBox()->setChecked(false);
  EXPECT_EQ(w->lines(), made);

  // no prizes stored: no 賞金倍率, and the window says why
  const History bare = History::fromRows(csv->draws);
  CombosWindow none(windowRow(WindowId::Combos).def, bare, tickets);
  EXPECT_FALSE(none.minFactorBox()->isEnabled());
  EXPECT_NE(none.factorNoteLabel()->text().indexOf(QStringLiteral("当せん金のわかる回が0回しかないため")), -1);
  EXPECT_EQ(none.linesGrid().maxCols(), 7);
}

// With 当選確認 open, the lines go through it: it shows them at once and
// keeps the lines its user is typing.
TEST(CombosToTickets, AnOpenTicketsWindowShowsTheLines) {
  test::ProgramFolder folder(readHistoryCsvFile(KM_SHIPPED_CSV)->draws);
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
  EXPECT_EQ(parseTicketsCsv(test::slurp(folder.dir / kTicketsFileName))->tickets, m->tickets());
  ticketsSub->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(openTicketsWindow(combos), nullptr);
}

}  // namespace
}  // namespace km
