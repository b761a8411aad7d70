// The tickets file (tickets.csv of 当選確認) and the pasted lines of numbers:
// any bytes give either sound tickets or the first bad line, a sound file
// survives writing and reading back unchanged, and the file read from disk
// gives what its text gives.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "store/domain_values.h"
#include "store/formats/tickets_file.h"

using kmfuzz::broken;

namespace {

void checkNumbers(const km::TicketNumbers& n, const std::string& where) {
  for (size_t i = 0; i < n.size(); ++i) {
    if (!km::isLotteryNumber(n[i])) broken("a number outside 1..31", where + " " + std::to_string(n[i]));
    if (i > 0 && n[i] <= n[i - 1]) broken("numbers not different and ascending", where);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const km::TicketsParse r = km::parseTicketsCsv(text);
  if (!r.ok()) {
    if (!r.tickets.empty() || !r.position.empty()) broken("a refused file handed out tickets");
    if (r.error.find("行目：") == std::string::npos) broken("a refusal that names no line", r.error);
  } else {
    if (r.position.size() != r.tickets.size()) broken("a position per ticket");
    int previous = 0;
    for (size_t i = 0; i < r.tickets.size(); ++i) {
      const km::Ticket& t = r.tickets[i];
      if (!km::isDrawNo(t.from)) broken("a first draw outside 1..32767", std::to_string(t.from));
      if (t.draws < 1 || t.draws > km::kMaxTicketDraws) broken("a run outside 1..52", std::to_string(t.draws));
      if (static_cast<long long>(t.from) + t.draws - 1 > km::kMaxDrawNo)
        broken("a run past the highest draw number", std::to_string(t.from) + "+" + std::to_string(t.draws));
      checkNumbers(t.numbers, "ticket");
      if (!km::noteProblem(t.note).empty()) broken("a note the writer would refuse", t.note);
      if (r.position[i] <= previous) broken("positions not ascending");
      previous = r.position[i];
    }
    const km::TicketsParse back = km::parseTicketsCsv(km::ticketsToCsv(r.tickets));
    if (!back.ok()) broken("the written file is refused", back.error);
    if (back.tickets != r.tickets) broken("the written file changed the tickets");
  }

  // the same bytes as a file: the same tickets or a refusal, and the file untouched
  const kmfuzz::fs::path file = kmfuzz::workFolder() / km::kTicketsFileName;
  kmfuzz::writeFile(file, text);
  const km::TicketsFileRead read = km::readTicketsFile(file.string());
  if (read.status == km::TicketsFileRead::Read) {
    if (!r.ok() || read.parse.tickets != r.tickets) broken("the file read differs from its text");
  } else if (text.size() <= km::kTicketsFileCap && r.ok()) {
    broken("a sound file refused", read.message);
  } else if (read.message.empty()) {
    broken("a refused file without a reason");
  }
  if (kmfuzz::readFile(file) != text) broken("reading changed the file");

  // pasted lines: each sound line five different numbers, each other line named
  const km::PastedLines pasted = km::parsePastedLines(text);
  for (const km::TicketNumbers& n : pasted.lines) checkNumbers(n, "pasted line");
  for (const std::string& e : pasted.errors)
    if (e.find("行目") == std::string::npos) broken("a pasted line's error names no line", e);
  return 0;
}
