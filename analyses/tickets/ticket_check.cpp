#include "analyses/tickets/ticket_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frame/grid_setup.h"

namespace km {

namespace {

// The tier and which numbers of the line the draw holds; tier 0 for a draw
// that cannot be checked.
TicketWin match(const TicketNumbers& line, const Draw& d) {
  TicketWin w;
  w.draw = d.no;
  w.date = d.date;
  if (!d.complete()) return w;
  int hits = 0;
  int missed = -1;
  for (int i = 0; i < 5; ++i) {
    for (int f = N1; f <= N5; ++f)
      if (line[i] == d[f]) w.mainHit[i] = true;
    if (w.mainHit[i])
      ++hits;
    else
      missed = i;
  }
  if (hits == 5) {
    w.tier = 1;
  } else if (hits == 4) {
    w.tier = line[missed] == d[Bonus] ? 2 : 3;
    if (w.tier == 2) w.bonusAt = missed;
  } else if (hits == 3) {
    w.tier = 4;
  }
  return w;
}

// What the draw paid a winning line of the tier; none where the prize is not
// stored, or where nobody won the tier (what a winner would have been paid
// is not known then).
std::optional<long long> prizeOf(const History& h, int draw, int tier) {
  auto it = h.prizes.find(draw);
  if (it == h.prizes.end() || it->second.winners[tier - 1] <= 0) return std::nullopt;
  return it->second.yen[tier - 1];
}

// The stored draw numbered `no`, none when it is missing.
const Draw* drawNumbered(const History& h, int no) {
  auto it = std::lower_bound(h.draws.begin(), h.draws.end(), no, [](const Draw& d, int n) { return d.no < n; });
  return it != h.draws.end() && it->no == no ? &*it : nullptr;
}

// Adds a win to the running totals.
template <class Totals>
void count(Totals& t, const TicketWin& w) {
  ++t.tierCounts[w.tier - 1];
  if (w.yen)
    t.wonYen += *w.yen;
  else
    ++t.unknownPrizeWins;
}

std::string tierCountsText(const std::array<int, kPrizeTiers>& counts) {
  std::string t;
  for (int k = 0; k < kPrizeTiers; ++k) {
    if (k) t += "　";
    t += std::to_string(k + 1) + "等 " + std::to_string(counts[k]) + "回";
  }
  return t;
}

std::string tierText(int tier) { return std::to_string(tier) + "等"; }

}  // namespace

int prizeTier(const TicketNumbers& line, const Draw& draw) { return match(line, draw).tier; }

TicketsCheck checkTickets(const History& history, const std::vector<Ticket>& tickets) {
  TicketsCheck r;
  const int last = history.stats.LastDrawNo;
  for (size_t t = 0; t < tickets.size(); ++t) {
    const Ticket& ticket = tickets[t];
    for (int no = ticket.from; no < ticket.from + ticket.draws; ++no) {
      if (no > last) {
        r.pending.push_back({static_cast<int>(t), no});
        continue;
      }
      const Draw* d = drawNumbered(history, no);
      if (!d || !d->complete()) continue;
      ++r.linesDrawn;
      TicketWin w = match(ticket.numbers, *d);
      if (!w.tier) continue;
      w.ticket = static_cast<int>(t);
      w.yen = prizeOf(history, no, w.tier);
      count(r, w);
      if (!w.yen) ++r.tierUnknown[w.tier - 1];
      r.wins.push_back(std::move(w));
    }
  }
  r.spentYen = r.linesDrawn * kLinePriceYen;
  auto byDraw = [](const auto& a, const auto& b) { return std::pair(a.draw, a.ticket) < std::pair(b.draw, b.ticket); };
  std::stable_sort(r.wins.begin(), r.wins.end(), byDraw);
  std::stable_sort(r.pending.begin(), r.pending.end(), byDraw);
  return r;
}

LineOverHistory checkLineOverHistory(const History& history, const TicketNumbers& line) {
  LineOverHistory r;
  auto better = [](const TicketWin& a, const TicketWin& b) {
    if (a.tier != b.tier) return a.tier < b.tier;
    return a.yen.value_or(-1) > b.yen.value_or(-1);
  };
  for (const Draw& d : history.draws) {
    if (!d.complete()) continue;
    ++r.draws;
    TicketWin w = match(line, d);
    if (!w.tier) continue;
    w.yen = prizeOf(history, d.no, w.tier);
    count(r, w);
    if (w.yen)
      r.tierYen[w.tier - 1] += *w.yen;
    else
      ++r.tierUnknown[w.tier - 1];
    if (!r.best || better(w, *r.best)) r.best = std::move(w);
  }
  return r;
}

ChanceReturn chanceReturn(const History& history) {
  ChanceReturn r;
  std::array<double, kPrizeTiers> sum{};
  std::array<int, kPrizeTiers> paid{};
  for (const auto& [no, prize] : history.prizes) {
    ++r.drawsWithPrizes;
    for (int k = 0; k < kPrizeTiers; ++k)
      if (prize.winners[k] > 0 && prize.yen[k] > 0) {
        sum[k] += static_cast<double>(prize.yen[k]);
        ++paid[k];
      }
  }
  for (int k = 0; k < kPrizeTiers; ++k) {
    if (!paid[k]) continue;
    r.meanYen[k] = sum[k] / paid[k];
    r.perLineYen += *r.meanYen[k] * static_cast<double>(kTierLines[k]) / static_cast<double>(kAllLines);
  }
  return r;
}

std::string yenText(long long yen) { return groupedFigure(yen) + "円"; }

std::string chanceSentence(const ChanceReturn& chance, const TicketsCheck& check) {
  if (!chance.known()) return "払戻金の記録がないため、偶然だけなら戻る金額は計算できません。";
  std::string t = "偶然だけなら、1口200円あたり平均約" + fixedText(chance.perLineYen, 0) +
                  "円が戻る計算です（払戻金の記録がある" + std::to_string(chance.drawsWithPrizes) +
                  "回の各等級の平均当せん金から）。";
  if (check.linesDrawn > 0 && check.unknownPrizeWins == 0) {
    const double own = static_cast<double>(check.wonYen) / static_cast<double>(check.linesDrawn);
    t += "この買い目では1口あたり約" + fixedText(own, 0) + "円でした。";
  } else if (check.linesDrawn > 0) {
    t += "この買い目では当せん金の分かる分だけで1口あたり約" +
         fixedText(static_cast<double>(check.wonYen) / static_cast<double>(check.linesDrawn), 0) + "円でした。";
  }
  return t;
}

std::string totalsText(const TicketsCheck& c) {
  std::string t = "購入 " + std::to_string(c.linesDrawn) + "口 " + yenText(c.spentYen) + "　当せん金 " +
                  yenText(c.wonYen) + "　回収率 ";
  t += c.spentYen > 0 ? fixedText(100.0 * static_cast<double>(c.wonYen) / static_cast<double>(c.spentYen), 1) + "%"
                      : std::string("－");
  if (c.unknownPrizeWins && c.spentYen > 0) t += "（当せん金の分かる当せんだけ）";
  t += '\n';  // the counts on a line of their own
  t += tierCountsText(c.tierCounts);
  if (!c.pending.empty()) t += "　未抽せん " + std::to_string(c.pending.size()) + "口（購入に数えていません）";
  if (c.unknownPrizeWins) {
    std::string unknown;
    for (int k = 0; k < kPrizeTiers; ++k)
      if (c.tierUnknown[k])
        unknown += (unknown.empty() ? "" : "、") + tierText(k + 1) + " " + std::to_string(c.tierUnknown[k]) + "回";
    t += "\n当せん金が不明の当せん：" + unknown +
         "（当せん金と回収率には入っていません。当選データ入力で当選金を入れると数えます）";
  }
  return t;
}

std::string lineOverHistoryText(const LineOverHistory& r) {
  std::string t = "全" + std::to_string(r.draws) + "回で：" + tierCountsText(r.tierCounts) + "　当せん金の合計 " +
                  yenText(r.wonYen);
  if (r.unknownPrizeWins) t += "（ほかに当せん金不明 " + std::to_string(r.unknownPrizeWins) + "回）";
  t += "　購入していれば " + yenText(static_cast<long long>(r.draws) * kLinePriceYen);
  if (!r.best) return t + "　当せんなし";
  t += "　最高：第" + std::to_string(r.best->draw) + "回";
  if (!r.best->date.empty()) t += "（" + r.best->date + "）";
  t += ' ';
  t += tierText(r.best->tier);
  t += ' ';
  t += r.best->yen ? yenText(*r.best->yen) : std::string("当せん金不明");
  return t;
}

Grid ticketsGrid(const TicketsCheck& c, const std::vector<Ticket>& tickets) {
  const int lines = static_cast<int>(c.wins.size() + c.pending.size());
  Grid g = makeListGrid(kTicketsGridCols, lines);
  constexpr std::array<const char*, kTicketsGridCols> kHeaders = {"買い目", "回", "抽せん日", "数字", "",
                                                                  "",       "",   "",         "等級", "当せん金"};
  constexpr std::array<double, kTicketsGridCols> kWidths = {6, 6, 11, 4, 4, 4, 4, 4, 8, 12};
  for (int col = 1; col <= kTicketsGridCols; ++col) {
    g.setColWidth(col, kWidths[col - 1]);
    g.setText(col, 1, kHeaders[col - 1]);
  }
  g.setBg({1, 1, kTicketsGridCols, 1}, kLightRed);
  g.setFrame({4, 1, 8, 1});
  if (lines == 0) {  // the sentence runs across the row: no column of draw numbers or lines under it
    g.clearBorder({1, 2, kTicketsGridCols, 2});
    g.setFrame({1, 2, kTicketsGridCols, 2});
    setTitle(g, 1, 2, "当せんはありません");
    return g;
  }
  setDrawNoColumn(g, 2, 2);
  g.setAlign({10, 2, 10, -1}, HAlign::Right);
  int row = 2;
  auto numbers = [&](int ticket, const TicketWin* w) {
    const TicketNumbers& line = tickets[ticket].numbers;
    for (int i = 0; i < 5; ++i) {
      g.setText(4 + i, row, line[i]);
      if (!w) continue;
      if (w->mainHit[i]) g.setColors(Block::cell(4 + i, row), kWhite, kTicketMainHit);
      if (w->bonusAt == i) g.setColors(Block::cell(4 + i, row), kWhite, kTicketBonusHit);
    }
  };
  for (const TicketWin& w : c.wins) {
    g.setText(1, row, w.ticket + 1);
    g.setText(2, row, w.draw);
    g.setText(3, row, w.date);
    numbers(w.ticket, &w);
    g.setText(9, row, tierText(w.tier));
    g.setText(10, row, w.yen ? yenText(*w.yen) : std::string("不明"));
    ++row;
  }
  for (const TicketPending& p : c.pending) {
    g.setText(1, row, p.ticket + 1);
    g.setText(2, row, p.draw);
    numbers(p.ticket, nullptr);
    g.setText(9, row, "未抽せん");
    g.setFg({1, row, kTicketsGridCols, row}, RGB(128, 128, 128));
    ++row;
  }
  return g;
}

}  // namespace km
