// 当選確認 as the user works it: typed and pasted lines reach tickets.csv and
// the wins below, a damaged file is kept until the user says otherwise, and
// the prediction window's lines arrive through the main window.
#include "tickets/tickets_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <functional>

#include "analyses/tickets/ticket_check.h"
#include "frame/ui/wrapped_label.h"
#include "prediction/core/backtest.h"
#include "prediction/ui/prediction_window.h"
#include "store/formats/csv.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "tickets/tickets_model.h"
#include "windows/window_table.h"

namespace fs = std::filesystem;

namespace km {
namespace {

// Draw 1 drew 1..5 (bonus 6) and paid 1等 2,000,000 yen; draws 2 and 3 missed.
History paidHistory() {
  std::vector<Draw> rows = {test::draw(1, {1, 2, 3, 4, 5, 6}, "2025-01-07"),
                            test::draw(2, {20, 21, 22, 23, 24, 25}, "2025-01-14"),
                            test::draw(3, {20, 21, 22, 23, 24, 26}, "2025-01-21")};
  PrizeTable prizes;
  for (int no : {1, 2, 3}) prizes[no] = {{1, 5, 100, 3000}, {2000000, 150000, 10000, 1000}};
  return History::fromRows(rows, prizes);
}

struct TicketsWindowTest : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-ui-tickets-" + std::to_string(::getpid()));
  std::string path = (dir / kTicketsFileName).string();
  History history = paidHistory();
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  std::unique_ptr<TicketsWindow> open() {
    return std::make_unique<TicketsWindow>(windowRow(WindowId::Tickets).def, history, path);
  }
  std::vector<Ticket> onDisk() const { return parseTicketsCsv(test::slurp(path))->tickets; }
};

TEST_F(TicketsWindowTest, TypedAndPastedLinesReachTheFileAndTheWins) {
  auto w = open();
  TicketsModel* m = w->model();
  // full-width numbers typed into one cell fill the line; the next draw and one draw are filled in
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber), QStringLiteral("５ ４，３　２ １")));
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::From), QStringLiteral("１")));
  EXPECT_EQ(onDisk(), (std::vector<Ticket>{{1, 1, {1, 2, 3, 4, 5}, ""}}));
  EXPECT_EQ(w->grid().text(9, 2), "1等");
  EXPECT_EQ(w->grid().text(10, 2), "2,000,000円");
  EXPECT_NE(w->totalsLabel()->text().indexOf(QStringLiteral("購入 1口 200円")), -1)
      << w->totalsLabel()->text().toStdString();
  EXPECT_NE(w->chanceLabel()->text().indexOf(QStringLiteral("偶然だけなら、1口200円あたり平均約")), -1);

  // a wrong number is marked and the file keeps the line as it was
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber + 1), QStringLiteral("32")));
  EXPECT_FALSE(m->problem(0, TicketsModel::FirstNumber + 1).isEmpty());
  EXPECT_EQ(onDisk().size(), 1u);
  EXPECT_EQ(onDisk()[0].numbers, (TicketNumbers{1, 2, 3, 4, 5}));
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber + 1), QStringLiteral("2")));

  // pasted lines of five numbers are added for the next draw; the others are told
  test::MessageBoxWatcher box;
  QApplication::clipboard()->setText(QStringLiteral("3 7 12 20 31\n1 2 3\n"));
  w->ticketsGrid()->setCurrentIndex(m->index(0, 0));
  w->ticketsGrid()->paste();
  ASSERT_TRUE(QTest::qWaitFor([&] { return box.seen; }, 30000));
  EXPECT_NE(box.text.indexOf(QStringLiteral("2行目：数字が5個ではありません（3個）")), -1) << box.text.toStdString();
  ASSERT_EQ(onDisk().size(), 2u);
  EXPECT_EQ(onDisk()[1], (Ticket{4, 1, {3, 7, 12, 20, 31}, ""}));
  EXPECT_EQ(w->grid().text(9, 3), "未抽せん");
  EXPECT_EQ(test::slurp(path + ".bak"), ticketsToCsv({{1, 1, {1, 2, 3, 4, 5}, ""}}));

  w->lineField()->setText(QStringLiteral("1 2 3 4 6"));
  EXPECT_NE(w->lineResult()->text().indexOf(QStringLiteral("2等 1回")), -1) << w->lineResult()->text().toStdString();
  w->lineField()->setText(QStringLiteral("1 2 3 4"));
  EXPECT_NE(w->lineResult()->text().indexOf(QStringLiteral("5個ではありません")), -1);

  // a run past the highest draw number is marked with the reason and never written
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::From), QStringLiteral("32767")));
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::Draws), QStringLiteral("2")));
  EXPECT_EQ(m->problem(0, TicketsModel::Draws),
            QStringLiteral("第32767回から2回分は第32768回までになり、回数の上限（第32767回）を超えます"));
  EXPECT_EQ(onDisk()[0], (Ticket{32767, 1, {1, 2, 3, 4, 5}, ""})) << "one draw from 32767 is sound";
}

TEST_F(TicketsWindowTest, DamagedFileIsKeptUntilTheUserStartsAfresh) {
  const std::string damaged = std::string(kTicketsHeader) + "\n1,1,1,2,3,4,32,\n";
  std::ofstream(path, std::ios::binary) << damaged;
  std::unique_ptr<TicketsWindow> w;
  {
    test::MessageBoxWatcher box;
    w = open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.seen; }, 30000));
    EXPECT_NE(box.text.indexOf(QStringLiteral("2行目")), -1) << box.text.toStdString();
    EXPECT_NE(box.text.indexOf(QString::fromStdString(path)), -1);
  }
  TicketsModel* m = w->model();
  ASSERT_TRUE(m->locked());
  EXPECT_FALSE(m->setData(m->index(0, TicketsModel::FirstNumber), QStringLiteral("1 2 3 4 5")));
  EXPECT_FALSE(w->addTickets({{1, 1, {1, 2, 3, 4, 5}, ""}}));
  EXPECT_EQ(test::slurp(path), damaged);

  {
    test::MessageBoxWatcher no(QMessageBox::No);
    w->startAfresh();
    EXPECT_TRUE(no.seen);
  }
  EXPECT_EQ(test::slurp(path), damaged);
  test::MessageBoxWatcher yes(QMessageBox::Yes);
  w->startAfresh();
  EXPECT_EQ(test::slurp(path + ".damaged"), damaged);
  ASSERT_TRUE(m->setData(m->index(0, TicketsModel::FirstNumber), QStringLiteral("1 2 3 4 5")));
  EXPECT_EQ(onDisk().size(), 1u);
}

TEST(TicketsFromPrediction, TheButtonPutsThePredictionsLinesInOnce) {
  test::ProgramFolder folder(readHistoryCsvFile(KM_SHIPPED_CSV)->draws);
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start(folder);
  ASSERT_TRUE(start.run(frm));
  // the lines the prediction window shows, with the settings it has now
  auto* prediction = qobject_cast<PredictionWindow*>(frm.findChildWindow(WindowId::Prediction)->widget());
  ASSERT_TRUE(prediction);
  prediction->reflectOnButton(0)->click();
  std::vector<std::string> left;
  const std::vector<Ticket> lines = predictionTickets(frm.history(), frm.predictionState(), &left);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.size() + left.size(), static_cast<size_t>(kPredictionLineCount)) << "every line in or named";
  std::vector<int> shown =
      linesOf({prediction->grid(0), prediction->grid(1), prediction->grid(2), prediction->grid(3)}).back();  // １発予想
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, std::vector<int>(lines.back().numbers.begin(), lines.back().numbers.end()))
      << "the window's settings are the lines' settings: " << lines.back().note;
  for (const Ticket& t : lines) EXPECT_EQ(t.from, frm.history().stats.LastDrawNo + 1);
  QMdiSubWindow* sub = frm.openWindow(WindowId::Tickets);
  ASSERT_TRUE(sub);
  auto* tickets = qobject_cast<TicketsWindow*>(sub->widget());
  ASSERT_TRUE(tickets);
  ASSERT_TRUE(tickets->predictionButton()->isEnabled());
  // it says how many lines went in, and names each line left out with why;
  // pressed again, that the lines are there already
  auto press = [&] {
    test::MessageBoxWatcher said;
    tickets->predictionButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return said.seen; }));
    return said.text;
  };
  const QString said = press();
  EXPECT_TRUE(said.startsWith(QStringLiteral("一発ゼノバ予想の%1行を、第%2回の買い目として入れました。")
                                  .arg(lines.size())
                                  .arg(frm.history().stats.LastDrawNo + 1)))
      << said.toStdString();
  for (const std::string& l : left) EXPECT_TRUE(said.contains(QString::fromStdString(l))) << l;
  EXPECT_EQ(said.contains(QStringLiteral("入れていません")), !left.empty());
  const fs::path file = folder.dir / kTicketsFileName;
  EXPECT_EQ(parseTicketsCsv(test::slurp(file))->tickets, lines);
  EXPECT_TRUE(press().contains(QStringLiteral("すでにあります")));
  EXPECT_EQ(parseTicketsCsv(test::slurp(file))->tickets, lines) << "the same lines are not added twice";

  // the start reads the newest date only: the window reads the others and shows them beside the wins
  const Draw& first = frm.history().draws.front();
  ASSERT_EQ(first.date, "");
  TicketNumbers n{first[0], first[1], first[2], first[3], first[4]};
  std::sort(n.begin(), n.end());
  tickets->addTickets({{first.no, 1, n, ""}});
  EXPECT_EQ(tickets->grid().text(9, 2), "1等");
  const std::string date = readHistoryCsvFile(KM_SHIPPED_CSV)->draws.front().date;
  EXPECT_TRUE(QTest::qWaitFor([&] { return tickets->grid().text(3, 2) == date; }, 30000)) << date;

  // a line checked over the history (two lines under the field) and the wins
  // whose prize is unknown (a third line of totals): at its designed size the
  // window's parts still stand one under another, none over the next
  tickets->lineField()->setText(QStringLiteral("3 7 12 20 31"));
  QApplication::sendPostedEvents();
  auto* lineResult = qobject_cast<WrappedLabel*>(tickets->lineResult());
  ASSERT_TRUE(lineResult);
  ASSERT_GE(lineResult->lines().size(), 2) << lineResult->text().toStdString();
  ASSERT_EQ(tickets->totalsLabel()->text().count(QLatin1Char('\n')), 2) << tickets->totalsLabel()->text().toStdString();
  QApplication::sendPostedEvents();
  // each row of the window's column: where its widgets are (a widget too
  // large for the room the column gives it reaches over the next row)
  std::function<QRect(QLayoutItem*)> placed = [&](QLayoutItem* item) {
    QRect r;
    if (QWidget* w = item->widget(); w && w->isVisible()) r = w->geometry();
    if (QLayout* l = item->layout())
      for (int i = 0; i < l->count(); ++i) r |= placed(l->itemAt(i));
    return r;
  };
  QLayout* column = tickets->layout();
  int above = 0;
  for (int i = 0; i < column->count(); ++i) {
    const QRect at = placed(column->itemAt(i));
    if (at.isEmpty()) continue;
    SCOPED_TRACE(i);
    EXPECT_GE(at.top(), above);
    EXPECT_LE(at.bottom(), tickets->height());
    above = at.bottom();
  }
}

}  // namespace
}  // namespace km
