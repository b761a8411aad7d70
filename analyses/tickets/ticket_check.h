#pragma once
// 当選確認: the user's tickets checked against the stored draws, with the
// prize tier each line won and the yen the draw paid for it.
//
// A line of five numbers wins at most one tier in a draw: 1等 all five main
// numbers; 2等 four of them and the line's fifth number equal to the bonus;
// 3等 four main numbers; 4等 three.  A line costs 200 yen a draw.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frame/grid.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

namespace km {

// The window's name and caption.
inline constexpr const char* kTicketsWindow = "当選確認";
inline constexpr long long kLinePriceYen = 200;
// The line's numbers that were drawn: main numbers, and the bonus of a 2等.
inline constexpr Rgb kTicketMainHit = RGB(62, 158, 255);
inline constexpr Rgb kTicketBonusHit = RGB(255, 128, 192);
// Of the C(31,5) = 169911 lines, how many win each tier against one draw.
inline constexpr long long kAllLines = 169911;
inline constexpr std::array<long long, kPrizeTiers> kTierLines = {1, 5, 125, 3250};

// The tier 1..4 the line wins in the draw, 0 for none.  A draw with an empty
// number wins nothing.
int prizeTier(const TicketNumbers& line, const Draw& draw);

// One win: the ticket (index into the tickets checked), the draw, which of
// the line's numbers were drawn, and what the draw paid for the tier.
struct TicketWin {
  int ticket = 0;
  int draw = 0;
  std::string date;
  int tier = 0;
  std::array<bool, 5> mainHit{};  // per number of the line: a main number of the draw
  int bonusAt = -1;               // the line's number equal to the bonus (2等), -1 when none
  std::optional<long long> yen;   // none where the draw's prize is not stored or nobody won the tier
};

// A ticket's draw that is not in the history yet (未抽せん).
struct TicketPending {
  int ticket = 0;
  int draw = 0;
};

struct TicketsCheck {
  std::vector<TicketWin> wins;         // by draw, then ticket
  std::vector<TicketPending> pending;  // by draw, then ticket
  long long linesDrawn = 0;            // lines times the drawn draws they were bought for
  long long spentYen = 0;
  long long wonYen = 0;  // of the wins whose prize is known
  int unknownPrizeWins = 0;
  std::array<int, kPrizeTiers> tierCounts{};
  std::array<int, kPrizeTiers> tierUnknown{};  // wins whose prize is not stored, by tier
};

// Every ticket over the draws it was bought for.  Draws after the last
// complete draw of the history are pending and not spent yet; a draw inside
// the history that is missing or has an empty number is skipped.
TicketsCheck checkTickets(const History& history, const std::vector<Ticket>& tickets);

// One line as if bought for every complete draw of the history.
struct LineOverHistory {
  int draws = 0;
  std::array<int, kPrizeTiers> tierCounts{};
  std::array<long long, kPrizeTiers> tierYen{};  // of the wins whose prize is known
  std::array<int, kPrizeTiers> tierUnknown{};    // wins whose prize is not stored
  long long wonYen = 0;
  int unknownPrizeWins = 0;
  std::optional<TicketWin> best;  // the highest tier, then the largest known prize, then the earliest
};
LineOverHistory checkLineOverHistory(const History& history, const TicketNumbers& line);

// What chance alone pays a line: each tier's probability times the mean
// prize of that tier over the draws whose prize is stored (those where
// somebody won it).
struct ChanceReturn {
  int drawsWithPrizes = 0;
  std::array<std::optional<double>, kPrizeTiers> meanYen{};
  double perLineYen = 0;  // the tiers with a known mean
  bool known() const { return drawsWithPrizes > 0; }
};
ChanceReturn chanceReturn(const History& history);

// Texts of the window and of kazumaki-tool.
std::string yenText(long long yen);  // "12,345円"
std::string chanceSentence(const ChanceReturn& chance, const TicketsCheck& check);
// The yen and the return, then the counts; while some wins have no known
// prize, the return is said to count the known ones only, and a third line
// gives the unknown wins by tier.
std::string totalsText(const TicketsCheck& check);
std::string lineOverHistoryText(const LineOverHistory& r);

// The list of wins (and pending draws) under the tickets: one row per win,
// the line's numbers with those drawn marked.
inline constexpr int kTicketsGridCols = 10;
Grid ticketsGrid(const TicketsCheck& check, const std::vector<Ticket>& tickets);

}  // namespace km
