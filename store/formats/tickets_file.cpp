#include "store/formats/tickets_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store/domain_values.h"
#include "store/files/text_excerpt.h"
#include "store/messages.h"

namespace km {

namespace {

// The length of a separator between numbers at `i`, 0 when there is none.
std::string quoted(std::string_view text) { return says::quoted(excerpt(text)); }

// Five number texts checked as a line: each a lottery number, all different.
Result<TicketNumbers> checkNumbers(const std::vector<std::string_view>& texts) {
  const auto invalid = [](const std::string& why) { return Failure{Fault::Invalid, why, {}}; };
  if (texts.size() != 5) return invalid(says::ticketCount(texts.size()));
  TicketNumbers numbers{};
  for (size_t i = 0; i < 5; ++i) {
    const CellNumber n = parseCellNumber(texts[i]);
    if (n.kind != CellNumber::Number)
      return invalid(n.kind == CellNumber::Empty ? says::ticketNumberEmpty(i + 1)
                                                 : says::ticketNumberWrong(quoted(texts[i])));
    numbers[i] = n.value;
  }
  std::sort(numbers.begin(), numbers.end());
  for (size_t i = 1; i < 5; ++i)
    if (numbers[i] == numbers[i - 1]) return invalid(says::ticketNumberTwice(numbers[i]));
  return numbers;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

// The fields of one CSV line; a quoted field may hold commas and doubled
// quotes.  False when a quote is left open or stray text follows one.
bool splitCsvLine(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  size_t i = 0;
  while (true) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (true) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      if (i < line.size() && line[i] != ',') return false;
    } else {
      const size_t comma = line.find(',', i);
      field = std::string(line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i));
      i = comma == std::string_view::npos ? line.size() : comma;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos && (text.empty() || (text.front() != ' ' && text.back() != ' ')))
    return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

// One line after the header as a ticket, or why not.
std::string ticketOf(const std::vector<std::string>& f, Ticket& t) {
  if (f.size() != 8) return says::ticketFieldCount(f.size());
  const CellNumber from = parseWholeNumber(f[0]);
  if (from.kind != CellNumber::Number || !isDrawNo(from.value)) return says::ticketFromWrong(quoted(f[0]), kMaxDrawNo);
  const CellNumber draws = parseWholeNumber(f[1]);
  if (draws.kind != CellNumber::Number || draws.value < 1 || draws.value > kMaxTicketDraws)
    return says::ticketDrawsWrong(quoted(f[1]), kMaxTicketDraws);
  if (std::string why = ticketRunProblem(from.value, draws.value); !why.empty()) return why;
  const Result<TicketNumbers> numbers = checkNumbers({f[2], f[3], f[4], f[5], f[6]});
  if (!numbers) return numbers.message();
  if (std::string why = noteProblem(f[7]); !why.empty()) return why;
  t.from = from.value;
  t.draws = draws.value;
  t.numbers = *numbers;
  t.note = f[7];
  return {};
}

std::string fileMessage(const std::string& what, const std::string& path) { return says::aboutFile(what, path); }

}  // namespace

std::string ticketRunProblem(int from, int draws) {
  const long long last = static_cast<long long>(from) + draws - 1;
  if (last <= kMaxDrawNo) return {};
  return says::ticketRunTooLong(from, draws, last, kMaxDrawNo);
}

Result<TicketNumbers> parseTicketNumbers(std::string_view text) {
  const std::vector<std::string_view> texts = numberTexts(text);
  if (texts.empty()) return Failure{Fault::Invalid, says::ticketNoNumbers(), {}};
  return checkNumbers(texts);
}

PastedLines parsePastedLines(std::string_view text) {
  PastedLines r;
  int no = 0;
  for (std::string_view line : splitLines(text)) {
    ++no;
    if (blank(line)) continue;
    if (r.lines.size() >= static_cast<size_t>(kMaxTickets)) {
      r.errors.push_back(says::ticketLinesTooMany(no));
      break;
    }
    const Result<TicketNumbers> p = parseTicketNumbers(line);
    if (p)
      r.lines.push_back(*p);
    else
      r.errors.push_back(says::atLine(no) + p.message());
  }
  return r;
}

std::string noteProblem(std::string_view note) {
  if (note.size() > kMaxTicketNoteBytes) return says::ticketNoteTooLong(kMaxTicketNoteBytes);
  for (size_t i = 0; i < note.size();) {
    const auto c = static_cast<unsigned char>(note[i]);
    if (c < 0x20 || c == 0x7F) return says::ticketNoteControl();
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool sound = len != 0 && i + len <= note.size() && !(len == 2 && c < 0xC2);
    for (size_t k = 1; sound && k < len; ++k) sound = (static_cast<unsigned char>(note[i + k]) & 0xC0) == 0x80;
    if (!sound) return says::ticketNoteNotUtf8();
    i += len;
  }
  return {};
}

Result<TicketList> parseTicketsCsv(std::string_view text) {
  const auto damaged = [](const std::string& why) { return Failure{Fault::Damaged, why, {}}; };
  TicketList r;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::vector<std::string_view> lines = splitLines(text);
  if (lines.empty() || lines[0] != kTicketsHeader) return damaged(says::ticketHeaderWrong(kTicketsHeader));
  std::vector<std::string> fields;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string at = says::atLine(static_cast<long>(i + 1));
    if (blank(lines[i])) continue;
    if (r.tickets.size() >= static_cast<size_t>(kMaxTickets)) return damaged(at + says::ticketsTooMany(kMaxTickets));
    Ticket t;
    const std::string why = splitCsvLine(lines[i], fields) ? ticketOf(fields, t) : says::ticketQuoteNotClosed();
    if (!why.empty()) return damaged(at + why);
    r.tickets.push_back(std::move(t));
    r.position.push_back(static_cast<int>(i));
  }
  return r;
}

std::string ticketsToCsv(const std::vector<Ticket>& tickets) {
  std::string out = std::string(kTicketsHeader) + "\n";
  for (const Ticket& t : tickets) {
    out += std::to_string(t.from) + ',' + std::to_string(t.draws);
    for (int n : t.numbers) out += ',' + std::to_string(n);
    out += ',' + csvField(t.note) + '\n';
  }
  return out;
}

Result<TicketList> readTicketsFile(const std::string& path) {
  const Result<std::string> f = readRegularFile(path, kTicketsFileCap);
  const auto fail = [&](Fault kind, const std::string& why) {
    return Failure{kind, fileMessage(why, path), f.cause()};
  };
  switch (f.kind()) {
    case Fault::None:
      break;
    case Fault::Missing:
      return Failure{Fault::Missing, {}, f.cause()};
    case Fault::TooLarge:
      return fail(Fault::Damaged, says::ticketsFileTooLarge(kTicketsFileCap / 1024 / 1024));
    case Fault::ForeignLink:
      return fail(Fault::Unreadable, says::ticketsFileForeignLink());
    case Fault::NotRegular:
      return fail(Fault::Unreadable, says::ticketsFileNotRegular());
    default:
      return fail(Fault::Unreadable, says::ticketsFileUnreadable());
  }
  Result<TicketList> parse = parseTicketsCsv(*f);
  if (!parse) return fail(Fault::Damaged, says::ticketsFileDamaged(parse.message()));
  return parse;
}

Done writeTicketsFile(const std::string& path, const std::vector<Ticket>& tickets) {
  Failure failure;
  if (replaceFileContents(path, ticketsToCsv(tickets), nullptr, path + ".bak", &failure)) return {};
  return failure;
}

Result<std::string> setDamagedTicketsAside(const std::string& path) {
  const auto failed = [&](const std::string& cause) {
    return Failure{Fault::WriteFailed, fileMessage(says::ticketsFileNotSetAside(), path), cause};
  };
  for (int n = 1; n <= 100; ++n) {
    const std::string aside = path + ".damaged" + (n == 1 ? std::string() : std::to_string(n));
    // link() never replaces a file that is there: an older damaged file is kept too
    if (::link(path.c_str(), aside.c_str()) == 0) {
      if (::unlink(path.c_str()) == 0) return aside;
      const int err = errno;
      ::unlink(aside.c_str());
      return failed(std::strerror(err));
    }
    if (errno != EEXIST) return failed(std::strerror(errno));
  }
  return failed({});
}

}  // namespace km
