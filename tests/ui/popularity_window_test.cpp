// 人気度 as the user sees it: bars that rise for the numbers that pay more,
// the model's quality, 「この数字なら」 for typed numbers, a history with too
// few prizes said plainly, and 当選確認's prize factor of each line.
#include "windows/ui/popularity_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <filesystem>

#include "analyses/popularity/popularity_grid.h"
#include "frame/grid_setup.h"
#include "frame/ui/grid_view.h"
#include "store/formats/csv.h"
#include "tests/core/analyses/popularity_made_history.h"
#include "tickets/tickets_model.h"
#include "tickets/tickets_window.h"
#include "windows/window_table.h"

namespace km {
namespace {

const History& shipped() {
  static const History h = [] {
    const Result<DrawList> csv = readHistoryCsvFile(KM_SHIPPED_CSV);
    return History::fromRows(csv->draws, csv->prizes);
  }();
  return h;
}

std::unique_ptr<PopularityWindow> open(const History& h) {
  auto w = std::make_unique<PopularityWindow>(windowRow(WindowId::Popularity).def, h);
  w->resize(w->sizeHint().expandedTo(QSize(900, 640)));
  w->show();
  return w;
}

TEST(PopularityWindow, BarsQualityGridAndTypedLinesShowTheModel) {
  auto w = open(shipped());
  const PopularityModel& m = w->model();
  ASSERT_TRUE(m.fitted());
  EXPECT_EQ(w->qualityLabel()->text().toStdString(), qualitySentence(m));
  const Grid want = popularityGrid(m);
  ASSERT_EQ(w->grid().maxRows(), want.maxRows());
  for (int r = 1; r <= want.maxRows(); ++r)
    for (int c = 1; c <= want.maxCols(); ++c) EXPECT_EQ(w->grid().text(c, r), want.text(c, r)) << c << "," << r;

  // a bar rises from the zero line for a number whose lines pay more, falls for one that pays less
  PopularityChart* chart = w->chart();
  const QImage img = chart->grab().toImage();
  int previousRight = -1;
  for (const NumberPopularity& p : m.numbers) {
    const QRect bar = chart->barRect(p.number);
    ASSERT_FALSE(bar.isEmpty()) << p.number;
    EXPECT_GT(bar.left(), previousRight) << "bars in number order, side by side";
    previousRight = bar.right();
    // up from the zero line when its lines pay more, down when less; red where the interval is below zero, blue above
    const int zero = chart->yOf(0);
    EXPECT_EQ(p.effect > 0 ? bar.bottom() : bar.top(), zero) << p.number;
    if (std::abs(p.effect) > 0.01) {
      EXPECT_EQ(bar.center().y() < zero, p.effect > 0) << p.number;
    }
    const QColor c = img.pixelColor(bar.left() + 1, bar.center().y());
    if (p.high < 0 || p.low > 0) {
      EXPECT_EQ(c.red() > c.blue(), p.high < 0) << p.number;
    }
  }
  EXPECT_GE(chart->span(), 0.2) << "the scale holds the widest interval";

  // 「この数字なら」: typed numbers (full-width, any separator) give the line's prizes
  const struct {
    QString typed;
    const char* says;
  } cases[] = {{QStringLiteral("３ 7，12　20 31"), "1等なら 約"},
               {QStringLiteral("1 2 3"), "数字が5個ではありません"},
               {QStringLiteral("1 2 3 4 32"), "1〜31"},
               {QString(), "5個の数字を入れると"}};
  for (const auto& c : cases) {
    w->lineField()->setText(c.typed);
    EXPECT_NE(w->lineResult()->text().toStdString().find(c.says), std::string::npos)
        << c.typed.toStdString() << ": " << w->lineResult()->text().toStdString();
  }
}

TEST(PopularityWindow, TooFewPrizesAreSaidAndNothingIsOffered) {
  const test::MadeHistory h = test::madeHistory(200, 50);
  auto w = open(h.history);
  EXPECT_FALSE(w->model().fitted());
  EXPECT_NE(w->qualityLabel()->text().indexOf(QStringLiteral("50回しかない")), -1);
  EXPECT_FALSE(w->lineField()->isEnabled());
  EXPECT_TRUE(w->chart()->barRect(1).isEmpty());
}

TEST(PopularityWindow, TicketsShowEachLinesPrizeFactor) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("km-ui-popularity-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const History& h = shipped();
  const PopularityModel m = fitPopularity(h);
  {
    TicketsWindow w(windowRow(WindowId::Tickets).def, h, (dir / "tickets.csv").string());
    TicketsModel* t = w.model();
    ASSERT_TRUE(t->setData(t->index(0, TicketsModel::FirstNumber), QStringLiteral("31 20 12 7 3")));
    const QString factor = t->data(t->index(0, TicketsModel::Factor)).toString();
    EXPECT_EQ(factor.toStdString(), fixedText(estimateLine(m, {3, 7, 12, 20, 31}).factor, 2) + "倍");
    EXPECT_FALSE(t->flags(t->index(0, TicketsModel::Factor)) & Qt::ItemIsEditable);
    EXPECT_FALSE(t->setData(t->index(0, TicketsModel::Factor), QStringLiteral("9")));
    // a line whose numbers are not all sound has none
    ASSERT_TRUE(t->setData(t->index(0, TicketsModel::FirstNumber + 1), QStringLiteral("32")));
    EXPECT_EQ(t->data(t->index(0, TicketsModel::Factor)).toString(), QString());
    EXPECT_EQ(t->data(t->index(1, TicketsModel::Factor)).toString(), QString()) << "the blank line";
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace km
