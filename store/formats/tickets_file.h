#pragma once
// The user's own tickets: lines of five numbers bought for one draw or for a
// run of consecutive draws, kept in tickets.csv in the program folder.
//
// The file is UTF-8 with the header `from,draws,n1,n2,n3,n4,n5,note`, one
// ticket a line; a note holding a comma or a quote is quoted as CSV quotes.
// It is replaced whole, atomically, the old file kept as tickets.csv.bak.  A
// file that does not read is never written over: the reader names the first
// bad line and the caller keeps the file until the user says otherwise.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "store/files/replace_file.h"

namespace km {

inline constexpr const char* kTicketsFileName = "tickets.csv";
inline constexpr const char* kTicketsHeader = "from,draws,n1,n2,n3,n4,n5,note";
// A run of consecutive draws bought at once: up to a year of weekly draws.
inline constexpr int kMaxTicketDraws = 52;
// Bounds on what is read: a sound file of this many tickets is far below the cap.
inline constexpr int kMaxTickets = 10000;
inline constexpr unsigned long long kTicketsFileCap = 4ULL * 1024 * 1024;
inline constexpr size_t kMaxTicketNoteBytes = 400;

using TicketNumbers = std::array<int, 5>;

struct Ticket {
  int from = 0;   // the first draw bought
  int draws = 1;  // how many consecutive draws from `from`
  TicketNumbers numbers{};
  std::string note;
  bool operator==(const Ticket&) const = default;
};

// Why a ticket from draw `from` for `draws` consecutive draws cannot be:
// its last draw lies past the highest draw number (32767), which no draw
// will ever have; empty when it can.
std::string ticketRunProblem(int from, int draws);

// Five numbers written as text: separated by spaces (half-width or
// full-width), commas (、 and ， too) or tabs, each a lottery number as
// parseCellNumber reads it, all different.  On success `error` is empty and
// the numbers are in ascending order.
struct NumbersParse {
  TicketNumbers numbers{};
  std::string error;  // Japanese, without a line number
  bool ok() const { return error.empty(); }
};
NumbersParse parseTicketNumbers(std::string_view text);

// Pasted text, one line of five numbers a line; blank lines are skipped.
// Errors name the pasted line ("2行目：…"); the sound lines are kept.
struct PastedLines {
  std::vector<TicketNumbers> lines;
  std::vector<std::string> errors;
};
PastedLines parsePastedLines(std::string_view text);

// Why a note cannot be kept (empty when it can): too long, a control
// character, or bytes that are not UTF-8.
std::string noteProblem(std::string_view note);

// The tickets of a file.  position[i] is the line of tickets[i] counted from
// 1 for the first line after the header (blank lines are skipped but keep
// their place in the count).
struct TicketsParse {
  std::vector<Ticket> tickets;
  std::vector<int> position;
  std::string error;  // the first bad line: "4行目：…" (file lines, the header is line 1)
  bool ok() const { return error.empty(); }
};
TicketsParse parseTicketsCsv(std::string_view text);
std::string ticketsToCsv(const std::vector<Ticket>& tickets);

// tickets.csv read at once, bounded by kTicketsFileCap.
struct TicketsFileRead {
  enum Status { Read, Missing, Damaged, Unreadable };
  Status status = Missing;
  TicketsParse parse;   // Read: the tickets
  std::string message;  // Damaged / Unreadable: why, in Japanese, naming the file
  std::string cause;    // the system's words, where there are any
};
TicketsFileRead readTicketsFile(const std::string& path);

// Replaces the file atomically, the old one kept as `path`.bak; false with
// the reason in `failure` when it could not be written.
bool writeTicketsFile(const std::string& path, const std::vector<Ticket>& tickets, FileFailure* failure = nullptr);

// Moves a damaged file aside to `path`.damaged (or .damaged2, … when that
// exists) so that a new one can be started; the name it now has, or empty
// with the reason in `failure`.
std::string setDamagedTicketsAside(const std::string& path, FileFailure* failure = nullptr);

}  // namespace km
