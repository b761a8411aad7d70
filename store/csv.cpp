#include "store/csv.h"

#include <cctype>

namespace km {

namespace {

// A field as a message may quote it: at most 24 bytes (whole UTF-8
// characters), control characters, bytes that are no UTF-8 and quotes
// written as \xNN, so neither a huge field nor terminal codes reach the user.
std::string excerpt(const std::string& s) {
  constexpr size_t kMax = 24;
  std::string out = "'";
  size_t i = 0;
  while (i < s.size()) {
    if (i >= kMax) {
      out += "…";
      break;
    }
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool valid = len > 0 && i + len <= s.size();
    for (size_t k = 1; valid && k < len; ++k) valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (len == 1 && (c < 0x20 || c == 0x7F || c == '\'' || c == '\\')) valid = false;
    if (!valid) {
      static const char* hex = "0123456789ABCDEF";
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
      ++i;
      continue;
    }
    out.append(s, i, len);
    i += len;
  }
  return out + "'";
}

// Why a text is no whole number, for the message.
std::string notNumber(const std::string& s) {
  // full-width digits ０..９ are EF BC 90..99 in UTF-8
  for (size_t i = 0; i + 2 < s.size(); ++i)
    if (s.compare(i, 2, "\xEF\xBC") == 0 && static_cast<unsigned char>(s[i + 2]) >= 0x90 &&
        static_cast<unsigned char>(s[i + 2]) <= 0x99)
      return " is not a whole number (full-width digits; use 0-9)";
  return " is not a whole number";
}

bool parseInt(const std::string& s, long& v) {
  if (s.empty() || s.size() > 9) return false;
  v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  return true;
}

// One record of the text: its fields and the line it starts on.
struct Record {
  std::vector<std::string> fields;
  int line = 0;
  bool blank = false;  // an empty line
};

// Splits the text into records: fields separated by commas, records by LF or
// CR LF; a field in double quotes may hold commas, line breaks and doubled
// quotes.  False with `error` set on a NUL byte, a lone CR or an unclosed quote.
bool splitRecords(const std::string& text, std::vector<Record>& out, std::string& error) {
  int line = 1;
  size_t i = 0;
  const size_t n = text.size();
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(line) + ": " + why;
    return false;
  };
  while (i < n) {
    Record r;
    r.line = line;
    std::string cur;
    bool quoted = false, wasQuoted = false;
    for (;;) {
      if (i >= n) {
        if (quoted) {
          line = r.line;
          return fail("a quoted field is not closed");
        }
        r.fields.push_back(cur);
        break;
      }
      const char c = text[i];
      if (c == '\0') return fail("the file holds a NUL byte (it is no text file)");
      if (quoted) {
        if (c == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            cur += '"';
            i += 2;
          } else {
            quoted = false;
            ++i;
          }
          continue;
        }
        if (c == '\r' && (i + 1 >= n || text[i + 1] != '\n'))
          return fail("a line ends with CR alone; lines must end with LF or CR LF");
        if (c == '\n') ++line;
        cur += c;
        ++i;
        continue;
      }
      if (c == '"' && cur.empty() && !wasQuoted) {
        quoted = wasQuoted = true;
        ++i;
        continue;
      }
      if (c == ',') {
        r.fields.push_back(cur);
        cur.clear();
        wasQuoted = false;
        ++i;
        continue;
      }
      if (c == '\r' && (i + 1 >= n || text[i + 1] != '\n'))
        return fail("a line ends with CR alone; lines must end with LF or CR LF");
      if (c == '\r' || c == '\n') {
        i += c == '\r' ? 2 : 1;
        r.fields.push_back(cur);
        ++line;
        break;
      }
      cur += c;
      ++i;
    }
    r.blank = r.fields.size() == 1 && r.fields[0].empty() && !wasQuoted;
    out.push_back(std::move(r));
  }
  return true;
}

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

}  // namespace

CsvResult parseHistoryCsv(const std::string& text) {
  CsvResult r;
  int lineNo = 1;
  auto fail = [&](const std::string& why) {
    r.draws.clear();
    r.error = "line " + std::to_string(lineNo) + ": " + why;
    return r;
  };
  if (text.empty()) return fail("the file is empty");
  std::vector<Record> records;
  std::string error;
  if (!splitRecords(text, records, error)) {
    r.error = error;
    return r;
  }
  static const char* kFieldNames[] = {"n1", "n2", "n3", "n4", "n5", "bonus"};
  for (size_t k = 0; k < records.size(); ++k) {
    Record& rec = records[k];
    lineNo = rec.line;
    if (k == 0) {
      std::string header;
      for (size_t f = 0; f < rec.fields.size(); ++f) header += (f ? "," : "") + rec.fields[f];
      if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) header.erase(0, 3);
      if (header != kCsvHeader)
        return fail(std::string("the header must be ") + kCsvHeader + ", found " + excerpt(header));
      continue;
    }
    if (rec.blank) {
      if (k + 1 == records.size()) break;  // a blank last line
      return fail("empty line");
    }
    const auto& f = rec.fields;
    if (f.size() != 8) return fail("expected 8 fields, found " + std::to_string(f.size()));
    long no = 0;
    if (!parseInt(f[0], no)) return fail("draw number " + excerpt(f[0]) + notNumber(f[0]));
    if (!isDrawNo(no))
      return fail("draw number " + f[0] + " is outside " + std::to_string(kMinDrawNo) + ".." +
                  std::to_string(kMaxDrawNo));
    if (!r.draws.empty()) {
      if (no == r.draws.back().no) return fail("duplicate draw number " + f[0]);
      if (no < r.draws.back().no) return fail("draw number " + f[0] + " is not ascending");
    }
    Draw d;
    d.no = static_cast<int>(no);
    if (!f[1].empty() && !isCalendarDate(f[1]))
      return fail("date " + excerpt(f[1]) + " is no date of the calendar in the form YYYY-MM-DD");
    d.date = f[1];
    for (int i = 0; i < kNumberFields; ++i) {
      // a number as the entry window takes it: spaces around it and full-width digits are fine
      const std::string& s = f[2 + i];
      const CellNumber v = parseCellNumber(s);
      if (v.kind == CellNumber::Empty) continue;
      long digits = 0;
      if (v.kind == CellNumber::Wrong)
        return fail(std::string(kFieldNames[i]) + " " +
                    (parseInt(s, digits)
                         ? s + " is outside " + std::to_string(kMinNumber) + ".." + std::to_string(kMaxNumber)
                         : excerpt(s) + notNumber(s)));
      d.n[i] = v.value;
    }
    r.draws.push_back(std::move(d));
  }
  r.ok = true;
  return r;
}

std::string historyToCsv(const std::vector<Draw>& draws) {
  std::string out = std::string(kCsvHeader) + "\n";
  for (const Draw& d : draws) {
    out += std::to_string(d.no) + "," + csvField(d.date);
    for (const auto& v : d.n) {
      out += ',';
      if (v) out += std::to_string(*v);
    }
    out += '\n';
  }
  return out;
}

}  // namespace km
