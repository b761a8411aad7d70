#include "store/formats/tickets_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store/domain_values.h"
#include "store/files/text_excerpt.h"

namespace km {

namespace {

// The length of a separator between numbers at `i`, 0 when there is none.
std::string quoted(std::string_view text) { return "「" + excerpt(text) + "」"; }

// Five number texts checked as a line: each a lottery number, all different.
NumbersParse checkNumbers(const std::vector<std::string_view>& texts) {
  NumbersParse r;
  if (texts.size() != 5) {
    r.error = "数字が5個ではありません（" + std::to_string(texts.size()) + "個）";
    return r;
  }
  for (size_t i = 0; i < 5; ++i) {
    const CellNumber n = parseCellNumber(texts[i]);
    if (n.kind != CellNumber::Number) {
      r.error = n.kind == CellNumber::Empty ? "第" + std::to_string(i + 1) + "数字が空です"
                                            : quoted(texts[i]) + "は1〜31の数字ではありません";
      return r;
    }
    r.numbers[i] = n.value;
  }
  std::sort(r.numbers.begin(), r.numbers.end());
  for (size_t i = 1; i < 5; ++i)
    if (r.numbers[i] == r.numbers[i - 1]) {
      r.error = "数字" + std::to_string(r.numbers[i]) + "が2回あります";
      return r;
    }
  return r;
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
  if (f.size() != 8) return "項目が8個ではありません（" + std::to_string(f.size()) + "個）";
  const CellNumber from = parseWholeNumber(f[0]);
  if (from.kind != CellNumber::Number || !isDrawNo(from.value))
    return "開始回" + quoted(f[0]) + "は1〜" + std::to_string(kMaxDrawNo) + "の回数ではありません";
  const CellNumber draws = parseWholeNumber(f[1]);
  if (draws.kind != CellNumber::Number || draws.value < 1 || draws.value > kMaxTicketDraws)
    return "購入回数" + quoted(f[1]) + "は1〜" + std::to_string(kMaxTicketDraws) + "ではありません";
  if (std::string why = ticketRunProblem(from.value, draws.value); !why.empty()) return why;
  const NumbersParse numbers = checkNumbers({f[2], f[3], f[4], f[5], f[6]});
  if (!numbers.ok()) return numbers.error;
  if (std::string why = noteProblem(f[7]); !why.empty()) return why;
  t.from = from.value;
  t.draws = draws.value;
  t.numbers = numbers.numbers;
  t.note = f[7];
  return {};
}

std::string fileMessage(const std::string& what, const std::string& path) { return what + "\n" + path; }

}  // namespace

std::string ticketRunProblem(int from, int draws) {
  const long long last = static_cast<long long>(from) + draws - 1;
  if (last <= kMaxDrawNo) return {};
  return "第" + std::to_string(from) + "回から" + std::to_string(draws) + "回分は第" + std::to_string(last) +
         "回までになり、回数の上限（第" + std::to_string(kMaxDrawNo) + "回）を超えます";
}

NumbersParse parseTicketNumbers(std::string_view text) {
  const std::vector<std::string_view> texts = numberTexts(text);
  if (texts.empty()) return {{}, "数字がありません"};
  return checkNumbers(texts);
}

PastedLines parsePastedLines(std::string_view text) {
  PastedLines r;
  int no = 0;
  for (std::string_view line : splitLines(text)) {
    ++no;
    if (blank(line)) continue;
    if (r.lines.size() >= static_cast<size_t>(kMaxTickets)) {
      r.errors.push_back(std::to_string(no) + "行目から後：多すぎるため入れませんでした");
      break;
    }
    const NumbersParse p = parseTicketNumbers(line);
    if (p.ok())
      r.lines.push_back(p.numbers);
    else
      r.errors.push_back(std::to_string(no) + "行目：" + p.error);
  }
  return r;
}

std::string noteProblem(std::string_view note) {
  if (note.size() > kMaxTicketNoteBytes)
    return "メモが長すぎます（" + std::to_string(kMaxTicketNoteBytes) + "バイトまで）";
  for (size_t i = 0; i < note.size();) {
    const auto c = static_cast<unsigned char>(note[i]);
    if (c < 0x20 || c == 0x7F) return "メモに制御文字があります";
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool sound = len != 0 && i + len <= note.size() && !(len == 2 && c < 0xC2);
    for (size_t k = 1; sound && k < len; ++k) sound = (static_cast<unsigned char>(note[i + k]) & 0xC0) == 0x80;
    if (!sound) return "メモがUTF-8の文字ではありません";
    i += len;
  }
  return {};
}

TicketsParse parseTicketsCsv(std::string_view text) {
  TicketsParse r;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::vector<std::string_view> lines = splitLines(text);
  if (lines.empty() || lines[0] != kTicketsHeader) {
    r.error = std::string("1行目：見出しが「") + kTicketsHeader + "」ではありません";
    return r;
  }
  std::vector<std::string> fields;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string at = std::to_string(i + 1) + "行目：";
    if (blank(lines[i])) continue;
    if (r.tickets.size() >= static_cast<size_t>(kMaxTickets)) {
      r.error = at + "買い目が多すぎます（" + std::to_string(kMaxTickets) + "行まで）";
      break;
    }
    Ticket t;
    const std::string why = splitCsvLine(lines[i], fields) ? ticketOf(fields, t) : "引用符が閉じていません";
    if (!why.empty()) {
      r.error = at + why;
      break;
    }
    r.tickets.push_back(std::move(t));
    r.position.push_back(static_cast<int>(i));
  }
  if (!r.ok()) {
    r.tickets.clear();
    r.position.clear();
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

TicketsFileRead readTicketsFile(const std::string& path) {
  TicketsFileRead r;
  const FileRead f = readRegularFile(path, kTicketsFileCap);
  r.cause = f.cause;
  switch (f.status) {
    case FileRead::Read:
      break;
    case FileRead::Missing:
      r.status = TicketsFileRead::Missing;
      return r;
    case FileRead::TooLarge:
      r.status = TicketsFileRead::Damaged;
      r.message = fileMessage("買い目のファイルが大きすぎます（" + std::to_string(kTicketsFileCap / 1024 / 1024) +
                                  "MBまで）。ファイルはそのまま残してあります。",
                              path);
      return r;
    case FileRead::ForeignLink:
      r.status = TicketsFileRead::Unreadable;
      r.message = fileMessage("買い目のファイルは他のユーザーのリンクの先にあるため読みません。", path);
      return r;
    case FileRead::NotRegular:
      r.status = TicketsFileRead::Unreadable;
      r.message = fileMessage("買い目のファイルが通常のファイルではありません。", path);
      return r;
    case FileRead::Unreadable:
      r.status = TicketsFileRead::Unreadable;
      r.message = fileMessage("買い目のファイルを読めません。", path);
      return r;
  }
  r.parse = parseTicketsCsv(f.bytes);
  if (r.parse.ok()) {
    r.status = TicketsFileRead::Read;
  } else {
    r.status = TicketsFileRead::Damaged;
    r.message = fileMessage(
        "買い目のファイルが壊れています（" + r.parse.error + "）。ファイルはそのまま残してあります。", path);
  }
  return r;
}

bool writeTicketsFile(const std::string& path, const std::vector<Ticket>& tickets, FileFailure* failure) {
  return replaceFileContents(path, ticketsToCsv(tickets), nullptr, path + ".bak", failure);
}

std::string setDamagedTicketsAside(const std::string& path, FileFailure* failure) {
  for (int n = 1; n <= 100; ++n) {
    const std::string aside = path + ".damaged" + (n == 1 ? std::string() : std::to_string(n));
    // link() never replaces a file that is there: an older damaged file is kept too
    if (::link(path.c_str(), aside.c_str()) == 0) {
      if (::unlink(path.c_str()) == 0) return aside;
      const int err = errno;
      ::unlink(aside.c_str());
      if (failure)
        *failure = {fileMessage("壊れた買い目のファイルを別の名前にできませんでした。", path), std::strerror(err)};
      return {};
    }
    if (errno != EEXIST) {
      if (failure)
        *failure = {fileMessage("壊れた買い目のファイルを別の名前にできませんでした。", path), std::strerror(errno)};
      return {};
    }
  }
  if (failure) *failure = {fileMessage("壊れた買い目のファイルを別の名前にできませんでした。", path), {}};
  return {};
}

}  // namespace km
