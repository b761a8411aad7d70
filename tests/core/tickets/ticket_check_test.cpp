// 当選確認: the tier rules, the tickets over a cut history with prizes, the
// run of draws that reaches past the last stored draw, and chance.
#include "analyses/tickets/ticket_check.h"

#include <gtest/gtest.h>

#include "tests/core/test_history.h"

namespace km {
namespace {

Draw drawOf(int no, std::array<std::optional<int>, 6> n) {
  Draw d = test::draw(no);
  d.n = test::numbers(n);
  d.date = test::date("2020-01-" + std::string(no < 10 ? "0" : "") + std::to_string(no));
  return d;
}

struct TierCase {
  const char* what;
  TicketNumbers line;
  std::array<std::optional<int>, 6> draw;
  int tier;
};

// Every boundary of the tiers against main numbers 1..5 and bonus 6.
const TierCase kTiers[] = {
    {"all five", {1, 2, 3, 4, 5}, {5, 4, 3, 2, 1, 6}, 1},
    {"four and the fifth is the bonus", {1, 2, 3, 4, 6}, {1, 2, 3, 4, 5, 6}, 2},
    {"four, the fifth not the bonus", {1, 2, 3, 4, 7}, {1, 2, 3, 4, 5, 6}, 3},
    {"three", {1, 2, 3, 7, 8}, {1, 2, 3, 4, 5, 6}, 4},
    {"three and the bonus", {1, 2, 3, 6, 7}, {1, 2, 3, 4, 5, 6}, 4},
    {"two and the bonus", {1, 2, 6, 7, 8}, {1, 2, 3, 4, 5, 6}, 0},
    {"two", {1, 2, 7, 8, 9}, {1, 2, 3, 4, 5, 6}, 0},
    {"none", {7, 8, 9, 10, 11}, {1, 2, 3, 4, 5, 6}, 0},
    {"a draw without its bonus", {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, std::nullopt}, 0},
};

TEST(TicketTiers, EachBoundaryWinsItsTier) {
  for (const TierCase& c : kTiers) EXPECT_EQ(prizeTier(c.line, drawOf(1, c.draw)), c.tier) << c.what;
}

Prize prize(std::array<long long, 4> winners, std::array<long long, 4> yen) { return {winners, yen}; }

// Draws 1..10 with main numbers 1..5 (bonus 6) at 2, 5 and 9, others
// elsewhere; draw 7 is missing a number and draw 8 is not stored.  Prizes
// are stored for every draw but 5.
History cutHistory() {
  std::vector<Draw> rows;
  for (int no : {1, 2, 3, 4, 5, 6, 7, 9, 10}) {
    if (no == 2 || no == 5 || no == 9)
      rows.push_back(drawOf(no, {1, 2, 3, 4, 5, 6}));
    else if (no == 7)
      rows.push_back(drawOf(no, {1, 2, 3, 4, 5, std::nullopt}));
    else
      rows.push_back(drawOf(no, {20, 21, 22, 23, 24, 25}));
  }
  PrizeTable prizes;
  for (int no : {1, 2, 3, 4, 6, 7, 9, 10}) prizes[no] = prize({1, 10, 100, 1000}, {1000000, 100000, 10000, 1000});
  prizes[9] = prize({0, 3, 50, 900}, {0, 150000, 12000, 1100});
  return History::fromRows(rows, prizes);
}

TEST(TicketsCheck, WinsSpendAndPendingDrawsOverACutHistory) {
  const History h = cutHistory();
  const std::vector<Ticket> tickets = {
      {1, 10, {1, 2, 3, 4, 6}, "2等の買い目"},  // draws 1..10
      {9, 5, {1, 2, 3, 30, 31}, ""},            // draws 9..13: 11..13 not drawn yet
      {5, 1, {1, 2, 3, 4, 5}, ""},
  };
  const TicketsCheck c = checkTickets(h, tickets);
  // drawn: ticket 1 over 1..6, 9, 10 (7 lacks a number, 8 is not stored) = 8; ticket 2 over 9, 10; ticket 3 once
  EXPECT_EQ(c.linesDrawn, 8 + 2 + 1);
  EXPECT_EQ(c.spentYen, 11 * 200);
  ASSERT_EQ(c.wins.size(), 5u);
  struct Want {
    int ticket, draw, tier;
    std::optional<long long> yen;
  };
  const Want want[] = {
      {0, 2, 2, 100000}, {0, 5, 2, std::nullopt}, {2, 5, 1, std::nullopt}, {0, 9, 2, 150000}, {1, 9, 4, 1100}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(c.wins[i].ticket, want[i].ticket);
    EXPECT_EQ(c.wins[i].draw, want[i].draw);
    EXPECT_EQ(c.wins[i].tier, want[i].tier);
    EXPECT_EQ(c.wins[i].yen, want[i].yen);
  }
  EXPECT_EQ(c.wins[0].bonusAt, 4);
  EXPECT_EQ(c.wins[0].mainHit, (std::array<bool, 5>{true, true, true, true, false}));
  EXPECT_EQ(c.wonYen, 100000 + 150000 + 1100);
  EXPECT_EQ(c.unknownPrizeWins, 2);
  EXPECT_EQ(c.tierCounts, (std::array<int, 4>{1, 3, 0, 1}));
  ASSERT_EQ(c.pending.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(c.pending[i].draw, 11 + i);

  const Grid g = ticketsGrid(c, tickets);
  EXPECT_EQ(g.maxRows(), 1 + 5 + 3);
  EXPECT_EQ(g.text(10, 3), "不明");
  EXPECT_EQ(g.text(10, 2), "100,000円");
  EXPECT_EQ(g.text(9, 7), "未抽せん");
  EXPECT_EQ(g.style(8, 2).bg, kTicketBonusHit);  // the line's 6 was the bonus
  EXPECT_EQ(g.style(4, 2).bg, kTicketMainHit);
  EXPECT_EQ(g.style(4, 7).bg, kWhite) << "nothing is marked on a draw not drawn yet";

  const std::string totals = totalsText(c);
  EXPECT_NE(totals.find("購入 11口 2,200円"), std::string::npos) << totals;
  EXPECT_NE(totals.find("回収率 11413.6%"), std::string::npos) << totals;
  EXPECT_NE(totals.find("未抽せん 3口"), std::string::npos) << totals;
  // the 1等 and the 2等 of draw 5 paid what is not stored: the return says it counts the known ones, and
  // names them by tier
  EXPECT_EQ(c.tierUnknown, (std::array<int, 4>{1, 1, 0, 0}));
  EXPECT_NE(totals.find("回収率 11413.6%（当せん金の分かる当せんだけ）"), std::string::npos) << totals;
  EXPECT_NE(totals.find("当せん金が不明の当せん：1等 1回、2等 1回"), std::string::npos) << totals;
  // with every prize known, nothing of the kind
  const std::string known = totalsText(checkTickets(h, {{2, 1, {1, 2, 3, 4, 5}, ""}}));
  EXPECT_EQ(known.find("不明"), std::string::npos) << known;
  EXPECT_EQ(known.find("分かる"), std::string::npos) << known;
}

TEST(TicketsCheck, ALineOverTheWholeHistoryNamesItsBestWin) {
  const History h = cutHistory();
  const LineOverHistory r = checkLineOverHistory(h, {1, 2, 3, 4, 6});
  EXPECT_EQ(r.draws, 8);
  EXPECT_EQ(r.tierCounts, (std::array<int, 4>{0, 3, 0, 0}));
  EXPECT_EQ(r.tierYen[1], 250000);
  EXPECT_EQ(r.tierUnknown[1], 1);
  ASSERT_TRUE(r.best);
  EXPECT_EQ(r.best->draw, 9) << "the largest known prize of the highest tier";
  EXPECT_NE(lineOverHistoryText(r).find("最高：第9回（2020-01-09） 2等 150,000円"), std::string::npos)
      << lineOverHistoryText(r);
  EXPECT_FALSE(checkLineOverHistory(h, {27, 28, 29, 30, 31}).best);
  // 1等 at 2, 5 and 9: draw 5 has no prize stored and nobody won 1等 at 9, so neither paid a known sum
  const LineOverHistory all = checkLineOverHistory(h, {1, 2, 3, 4, 5});
  EXPECT_EQ(all.tierCounts[0], 3);
  EXPECT_EQ(all.tierYen[0], 1000000);
  EXPECT_EQ(all.tierUnknown[0], 2);
}

TEST(TicketsCheck, ChanceIsWhatALineAtRandomReturnsAtTheMeanPrizes) {
  const History h = cutHistory();
  const ChanceReturn c = chanceReturn(h);
  EXPECT_EQ(c.drawsWithPrizes, 8);
  // tier 1: nobody won at draw 9, so the mean is of the seven that paid
  ASSERT_TRUE(c.meanYen[0]);
  EXPECT_DOUBLE_EQ(*c.meanYen[0], 1000000);
  EXPECT_DOUBLE_EQ(*c.meanYen[3], (7 * 1000 + 1100) / 8.0);
  // what a line bought at random returns against one draw: every one of the
  // 169,911 lines judged by the prize rule, each paid its tier's mean
  const Draw drawn = test::draw(1, {3, 9, 14, 22, 28, 7});
  double total = 0;
  long long lines = 0;
  TicketNumbers line{};
  for (line[0] = 1; line[0] <= 27; ++line[0])
    for (line[1] = line[0] + 1; line[1] <= 28; ++line[1])
      for (line[2] = line[1] + 1; line[2] <= 29; ++line[2])
        for (line[3] = line[2] + 1; line[3] <= 30; ++line[3])
          for (line[4] = line[3] + 1; line[4] <= 31; ++line[4]) {
            ++lines;
            if (const int tier = prizeTier(line, drawn)) total += *c.meanYen[tier - 1];
          }
  ASSERT_EQ(lines, 169911);
  const double expected = total / static_cast<double>(lines);
  EXPECT_NEAR(c.perLineYen, expected, 1e-9 * expected);
  const std::string s = chanceSentence(c, checkTickets(h, {{1, 1, {20, 21, 22, 23, 24}, ""}}));
  EXPECT_NE(s.find("1口200円あたり平均約" + std::to_string(static_cast<int>(expected + 0.5)) + "円"), std::string::npos)
      << s;
  EXPECT_NE(s.find("1口あたり約1000000円"), std::string::npos) << s;
  EXPECT_NE(chanceSentence(chanceReturn(test::history({{1, 2, 3, 4, 5, 6}})), {}).find("計算できません"),
            std::string::npos);
}

}  // namespace
}  // namespace km
