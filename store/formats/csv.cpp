#include "store/formats/csv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>

#include "store/files/text_excerpt.h"
#include "store/messages.h"

namespace km {

namespace {

// Whether a text holds full-width digits (０..９ are EF BC 90..99 in UTF-8).
bool hasFullWidthDigit(const std::string& s) {
  for (size_t i = 0; i + 2 < s.size(); ++i)
    if (s.compare(i, 2, "\xEF\xBC") == 0 && static_cast<unsigned char>(s[i + 2]) >= 0x90 &&
        static_cast<unsigned char>(s[i + 2]) <= 0x99)
      return true;
  return false;
}

using says::atLine;

bool parseInt(const std::string& s, long& v) {
  if (s.empty() || s.size() > 9) return false;
  v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

// The bytes of a text or a file, a block at a time, with one byte of lookahead.
class ByteSource {
 public:
  using Fill = std::function<long(char* buffer, size_t size)>;  // bytes read, 0 at the end, < 0 on an error
  explicit ByteSource(std::string_view text) : view_(text) {}
  explicit ByteSource(Fill fill) : fill_(std::move(fill)), block_(64 * 1024, '\0') {}

  static constexpr int kEnd = -1;
  int peek() {
    if (at_ == view_.size() && !refill()) return kEnd;
    return static_cast<unsigned char>(view_[at_]);
  }
  int next() {
    const int c = peek();
    if (c != kEnd) ++at_;
    return c;
  }
  bool failed() const { return failed_; }

 private:
  bool refill() {
    if (!fill_) return false;
    const long n = fill_(block_.data(), block_.size());
    if (n < 0) failed_ = true;
    if (n <= 0) return false;
    view_ = std::string_view(block_.data(), static_cast<size_t>(n));
    at_ = 0;
    return true;
  }

  std::string_view view_;
  size_t at_ = 0;
  Fill fill_;
  std::string block_;
  bool failed_ = false;
};

// One record of the text: its fields and the line it starts on.
struct Record {
  std::vector<std::string> fields;
  int line = 0;
  bool blank = false;  // an empty line
};

// Reads records one after another: fields separated by commas, records by LF
// or CR LF; a field in double quotes may hold commas, line breaks and doubled
// quotes.  A record of more than `maxFields` fields is refused when the field
// past them ends, one of more than kMaxCsvLineBytes bytes when its byte past
// them is read: what a record holds stays within both.
class RecordReader {
 public:
  explicit RecordReader(ByteSource& in) : in_(in) {}

  bool atEnd() { return in_.peek() == ByteSource::kEnd; }
  void setMaxFields(size_t n) { maxFields_ = n; }
  // The next record; false with `error` set on a NUL byte, a lone CR, an
  // unclosed quote, too many fields, too long a line or a failed read.
  bool read(Record& r, std::string& error) {
    r.fields.clear();
    r.line = line_;
    std::string cur;
    bool quoted = false, wasQuoted = false;
    size_t bytes = 0;
    auto fail = [&](int at, const std::string& why) {
      error = atLine(at) + why;
      return false;
    };
    auto endField = [&] {
      r.fields.push_back(std::move(cur));
      cur.clear();
      return r.fields.size() <= maxFields_;
    };
    const std::string tooMany = says::csvTooManyColumns(maxFields_);
    for (;;) {
      const int c = in_.next();
      if (c == ByteSource::kEnd) {
        if (in_.failed()) return fail(line_, says::csvEndUnreadable());
        if (quoted) return fail(r.line, says::csvQuoteNotClosed());
        if (!endField()) return fail(r.line, tooMany);
        break;
      }
      if (++bytes > kMaxCsvLineBytes) return fail(r.line, says::csvLineTooLong(kMaxCsvLineBytes / 1024));
      if (c == '\0') return fail(line_, says::csvNulCharacter());
      const bool crAlone = c == '\r' && in_.peek() != '\n';
      if (crAlone) return fail(line_, says::csvLoneCr());
      if (quoted) {
        if (c == '"') {
          if (in_.peek() == '"')
            cur += static_cast<char>(in_.next());
          else
            quoted = false;
          continue;
        }
        if (c == '\n') ++line_;
        cur += static_cast<char>(c);
        continue;
      }
      if (c == '"' && cur.empty() && !wasQuoted) {
        quoted = wasQuoted = true;
        continue;
      }
      if (c == ',') {
        if (!endField()) return fail(r.line, tooMany);
        wasQuoted = false;
        continue;
      }
      if (c == '\r' || c == '\n') {
        if (c == '\r') in_.next();  // its LF
        ++line_;
        if (!endField()) return fail(r.line, tooMany);
        break;
      }
      cur += static_cast<char>(c);
    }
    r.blank = r.fields.size() == 1 && r.fields[0].empty() && !wasQuoted;
    return true;
  }

 private:
  ByteSource& in_;
  int line_ = 1;
  size_t maxFields_ = 16;
};

// A field as CSV writes it: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

constexpr const char* kPrizeColumns[] = {"w1", "w2", "w3", "w4", "p1", "p2", "p3", "p4"};

// The eight prize fields of a row from `first` on: all empty (false, no
// error), or all whole numbers (true); else `error` says which and why.
bool parsePrize(const std::vector<std::string>& f, size_t first, Prize& prize, std::string& error) {
  size_t filled = 0;
  for (size_t i = first; i < first + 8; ++i) filled += parseWholeNumber(f[i]).kind != CellNumber::Empty;
  if (filled == 0) return false;
  for (size_t i = first; i < first + 8; ++i) {
    const CellNumber v = parseWholeNumber(f[i]);
    if (v.kind != CellNumber::Number) {
      error = v.kind == CellNumber::Empty ? says::csvPrizeBlank(i + 1, kPrizeColumns[i - first])
                                          : says::csvPrizeNotWhole(i + 1, kPrizeColumns[i - first], excerpt(f[i]));
      return false;
    }
    (i - first < kPrizeTiers ? prize.winners : prize.yen)[(i - first) % kPrizeTiers] = v.value;
  }
  return true;
}

Result<DrawList> parseRecords(ByteSource& in) {
  DrawList r;
  int lineNo = 1;
  auto fail = [&](const std::string& why, Fault kind = Fault::Invalid) {
    return Failure{kind, atLine(lineNo) + why, {}};
  };
  RecordReader reader(in);
  if (reader.atEnd()) return in.failed() ? fail(says::fileUnreadable(), Fault::Unreadable) : fail(says::fileEmpty());
  size_t columns = 8;
  Record rec;
  for (bool first = true; !reader.atEnd() || first; first = false) {
    if (std::string error; !reader.read(rec, error)) return Failure{Fault::Invalid, error, {}};
    lineNo = rec.line;
    if (first) {
      std::string header;
      for (size_t f = 0; f < rec.fields.size(); ++f) header += (f ? "," : "") + rec.fields[f];
      if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) header.erase(0, 3);
      if (header != kCsvHeader && header != kCsvPrizeHeader)
        return fail(says::csvHeaderWrong(kCsvHeader, kCsvPrizeHeader, excerpt(header)));
      columns = rec.fields.size();
      reader.setMaxFields(columns);
      continue;
    }
    if (rec.blank) {
      if (reader.atEnd()) break;  // a blank last line
      return fail(says::csvBlankLine());
    }
    const auto& f = rec.fields;
    if (f.size() != columns) return fail(says::csvColumnCount(columns, f.size()));
    const CellNumber drawNo = parseDrawNo(f[0]);
    long digits = 0;
    if (drawNo.kind != CellNumber::Number)
      return fail(drawNo.kind == CellNumber::Wrong && parseInt(f[0], digits)
                      ? says::csvDrawNoOutOfRange(f[0])
                      : says::csvDrawNoNotWhole(excerpt(f[0]), hasFullWidthDigit(f[0])));
    const int no = drawNo.value;
    if (!r.draws.empty()) {
      if (no == r.draws.back().no) return fail(says::csvDrawNoTwice(no));
      if (no < r.draws.back().no) return fail(says::csvDrawNoDescending(no));
    }
    Draw d(*DrawNo::of(no));
    const std::optional<DrawDate> date = DrawDate::of(f[1]);
    if (!date) return fail(says::csvDateWrong(excerpt(f[1])));
    d.date = *date;
    for (int i = 0; i < kNumberFields; ++i) {
      // a number as the entry window takes it: spaces around it and full-width digits are fine
      const std::string& s = f[2 + i];
      const CellNumber v = parseCellNumber(s);
      if (v.kind == CellNumber::Empty) continue;
      if (v.kind == CellNumber::Wrong)
        return fail(parseInt(s, digits) ? says::csvNumberOutOfRange(i, excerpt(s))
                                        : says::csvNumberNotWhole(i, excerpt(s), hasFullWidthDigit(s)));
      d.n[i] = LotteryNumber::of(v.value);
    }
    if (columns == 16) {
      Prize prize;
      std::string why;
      if (parsePrize(f, 8, prize, why))
        r.prizes[d.no] = prize;
      else if (!why.empty())
        return fail(why);
    }
    r.draws.push_back(std::move(d));
  }
  return r;
}

}  // namespace

Result<DrawList> parseHistoryCsv(std::string_view text) {
  ByteSource in(text);
  return parseRecords(in);
}

Result<DrawList> readHistoryCsvFile(const std::string& path) {
  // Opened without blocking, so that a pipe put in the file's place after a
  // look at it cannot hold the import; what was opened is what is checked.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const int err = errno;
    if (fd >= 0) ::close(fd);
    return Failure{err == ENOENT ? Fault::Missing : Fault::Unreadable,
                   err == ENOENT   ? says::fileMissing()
                   : err == EACCES ? says::fileNoReadPermission()
                                   : says::fileUnreadable(),
                   std::strerror(err)};
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (S_ISDIR(st.st_mode)) return Failure{Fault::NotRegular, says::csvIsFolder(), {}};
  if (!S_ISREG(st.st_mode)) return Failure{Fault::NotRegular, says::csvNotRegular(), {}};
  if (st.st_size > kMaxCsvBytes) return Failure{Fault::TooLarge, says::csvTooLarge(), {}};
  ByteSource in([fd](char* buffer, size_t size) -> long {
    for (;;) {
      const ssize_t n = ::read(fd, buffer, size);
      if (n >= 0 || errno != EINTR) return n;
    }
  });
  return parseRecords(in);
}

namespace {

std::string csvText(const std::vector<Draw>& draws, const PrizeTable* prizes) {
  std::string out = std::string(prizes ? kCsvPrizeHeader : kCsvHeader) + "\n";
  for (const Draw& d : draws) {
    out += std::to_string(d.no) + "," + csvField(d.date);
    for (const auto& v : d.n) {
      out += ',';
      if (v) out += std::to_string(*v);
    }
    if (prizes) {
      const auto p = prizes->find(d.no);
      for (int i = 0; i < 2 * kPrizeTiers; ++i) {
        out += ',';
        if (p != prizes->end())
          out += std::to_string((i < kPrizeTiers ? p->second.winners : p->second.yen)[i % kPrizeTiers]);
      }
    }
    out += '\n';
  }
  return out;
}

}  // namespace

std::string historyToCsv(const std::vector<Draw>& draws) { return csvText(draws, nullptr); }

std::string historyToCsvWithPrizes(const std::vector<Draw>& draws, const PrizeTable& prizes) {
  return csvText(draws, &prizes);
}

namespace {

// The columns of a results file: -1 where the header has none.
struct ResultColumns {
  int draw = -1, date = -1;
  std::array<int, kNumberFields> number{-1, -1, -1, -1, -1, -1};
  // per PrizeTexts field (1等口数, 1等当せん金, ...): none, or all eight
  std::array<int, kPrizeFields> prize{-1, -1, -1, -1, -1, -1, -1, -1};
};

// The prize field a header names: a tier 1..4 with "等", then 口数 (or
// 当せん口数 ...) for the winning tickets, 当せん金, 当選金, 賞金 or 金額 for
// the yen per ticket; -1 for any other name.
int prizeField(const std::string& name) {
  if (name.size() < 4 || name[0] < '1' || name[0] > '4' || name.compare(1, 3, "等") != 0) return -1;
  const int tier = name[0] - '1';
  const std::string rest = name.substr(4);
  auto endsWith = [&rest](const std::string& tail) {
    return rest.size() >= tail.size() && rest.compare(rest.size() - tail.size(), tail.size(), tail) == 0;
  };
  if (endsWith("口数")) return 2 * tier;
  for (const char* yen : {"当せん金", "当選金", "賞金", "金額"})
    if (endsWith(yen)) return 2 * tier + 1;
  return -1;
}

// A header cell without spaces around it and with full-width digits as ASCII.
std::string headerName(const std::string& cell) {
  std::string out;
  for (size_t i = 0; i < cell.size();) {
    if (cell.compare(i, 3, "\xE3\x80\x80") == 0) {  // full-width space
      i += 3;
    } else if (cell[i] == ' ' || cell[i] == '\t') {
      i += 1;
    } else if (cell.compare(i, 2, "\xEF\xBC") == 0 && i + 2 < cell.size() &&
               static_cast<unsigned char>(cell[i + 2]) >= 0x90 && static_cast<unsigned char>(cell[i + 2]) <= 0x99) {
      out += static_cast<char>('0' + static_cast<unsigned char>(cell[i + 2]) - 0x90);
      i += 3;
    } else {
      out += cell[i++];
    }
  }
  if (out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.erase(0, 3);
  return out;
}

// The header's columns, or an error naming what is missing or doubled; an
// empty error with no draw column when the row is no header.
ResultColumns resultColumns(const std::vector<std::string>& cells, std::string& error) {
  ResultColumns c;
  auto take = [&](int& slot, size_t at, const std::string& name) {
    if (slot >= 0 && error.empty()) error = says::headerColumnTwice(name);
    slot = static_cast<int>(at);
  };
  for (size_t i = 0; i < cells.size(); ++i) {
    const std::string n = headerName(cells[i]);
    if (n == "回号" || n == "開催回" || n == "回") take(c.draw, i, "回号");
    if (n == "抽せん日" || n == "日付") take(c.date, i, "抽せん日");
    if (n == "ボーナス数字") take(c.number[Bonus], i, "ボーナス数字");
    for (int k = 0; k < 5; ++k) {
      const std::string d = std::to_string(k + 1);
      if (n == "本数字" + d || n == "抽せん数字" + d || n == "第" + d + "数字") take(c.number[k], i, "本数字" + d);
    }
    if (const int f = prizeField(n); f >= 0) take(c.prize[f], i, prizeFieldName(f));
  }
  if (c.draw < 0 || !error.empty()) return c;
  if (c.date < 0) error = says::headerNoDate();
  for (int k = 0; k < kNumberFields && error.empty(); ++k)
    if (c.number[k] < 0) error = k == Bonus ? says::headerNoBonus() : says::headerNoMain(k + 1);
  // prizes: read when the header has all eight of their columns (a bank's
  // file with 1等 alone gives its draws and no prize)
  if (std::any_of(c.prize.begin(), c.prize.end(), [](int at) { return at < 0; })) c.prize.fill(-1);
  return c;
}

constexpr int kResultsHeaderLines = 10;
constexpr size_t kResultsMaxFields = 64;

// Reads the header and the rows; `headerOnly` stops after the header.
Result<DrawList> readResults(std::string_view utf8, bool headerOnly) {
  DrawList r;
  ByteSource in(utf8);
  RecordReader reader(in);
  reader.setMaxFields(kResultsMaxFields);
  Record rec;
  std::string error;
  auto fail = [](int line, const std::string& why) { return Failure{Fault::Invalid, atLine(line) + why, {}}; };
  ResultColumns cols;
  for (int line = 0; cols.draw < 0; ++line) {
    if (line == kResultsHeaderLines || reader.atEnd()) return Failure{Fault::Invalid, says::resultsNoHeader(), {}};
    if (!reader.read(rec, error)) return Failure{Fault::Invalid, error, {}};
    cols = resultColumns(rec.fields, error);
    if (!error.empty()) return fail(rec.line, error);
  }
  if (headerOnly) return r;
  static const char* kNames[] = {"本数字1", "本数字2", "本数字3", "本数字4", "本数字5", "ボーナス数字"};
  while (!reader.atEnd()) {
    if (!reader.read(rec, error)) return Failure{Fault::Invalid, error, {}};
    if (rec.blank) continue;
    const auto& f = rec.fields;
    auto cell = [&](int at) { return at < static_cast<int>(f.size()) ? f[at] : std::string(); };
    if (r.draws.size() == static_cast<size_t>(kMaxDrawNo)) return fail(rec.line, says::resultsTooMany(kMaxDrawNo));
    // 第1234回 is 1234
    std::string drawText = cell(cols.draw);
    if (drawText.compare(0, 3, "第") == 0) drawText.erase(0, 3);
    if (drawText.size() >= 3 && drawText.compare(drawText.size() - 3, 3, "回") == 0)
      drawText.erase(drawText.size() - 3);
    const CellNumber no = parseDrawNo(drawText);
    if (no.kind != CellNumber::Number) return fail(rec.line, says::resultsDrawNoWrong(excerpt(cell(cols.draw))));
    Draw d(*DrawNo::of(no.value));
    const std::string date = cell(cols.date);
    const std::optional<DrawDate> day = DrawDate::of(normalizedDate(date));
    if (!day || (day->empty() && !date.empty())) return fail(rec.line, says::resultsDateWrong(d.no, excerpt(date)));
    d.date = *day;
    for (int k = 0; k < kNumberFields; ++k) {
      const std::string v = cell(cols.number[k]);
      const CellNumber n = parseWholeNumber(v);
      if (n.kind == CellNumber::Wrong) return fail(rec.line, says::resultsNumberNotNumber(d.no, kNames[k], excerpt(v)));
      if (n.kind == CellNumber::Empty) continue;
      d.n[k] = LotteryNumber::of(n.value);
      if (!d.n[k]) return fail(rec.line, says::resultsNumberOutOfRange(d.no, kNames[k], excerpt(v)));
    }
    if (cols.prize[0] >= 0) {
      // as typed into the entry window: eight figures that agree, or none
      PrizeTexts texts;
      for (int f = 0; f < kPrizeFields; ++f) texts[f] = cell(cols.prize[f]);
      if (const std::string why = prizeProblem(texts); !why.empty()) return fail(rec.line, says::ofDraw(d.no, why));
      if (const std::optional<Prize> p = prizeOf(texts)) r.prizes[d.no] = *p;
    }
    r.draws.push_back(std::move(d));
  }
  return r;
}

}  // namespace

Result<DrawList> parseResultsCsv(std::string_view utf8) { return readResults(utf8, false); }

bool looksLikeResultsCsv(std::string_view utf8) {
  const Result<DrawList> r = readResults(utf8, true);
  return r.ok() || r.message().find(says::headerColumnsLead()) != std::string::npos;
}

}  // namespace km
