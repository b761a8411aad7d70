#include "store/csv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>

#include "store/text_excerpt.h"

namespace km {

namespace {

std::string quotedExcerpt(const std::string& s) {
  std::string q = "'";
  q += excerpt(s);
  q += '\'';
  return q;
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
// quotes.
class RecordReader {
 public:
  explicit RecordReader(ByteSource& in) : in_(in) {}

  bool atEnd() { return in_.peek() == ByteSource::kEnd; }
  // The next record; false with `error` set on a NUL byte, a lone CR, an
  // unclosed quote, a field over kMaxCsvFieldBytes or a failed read.
  bool read(Record& r, std::string& error) {
    r.fields.clear();
    r.line = line_;
    std::string cur;
    bool quoted = false, wasQuoted = false, tooLong = false;
    auto fail = [&](int at, const std::string& why) {
      error = "line " + std::to_string(at) + ": " + why;
      return false;
    };
    auto add = [&](char c) {
      if (cur.size() < kMaxCsvFieldBytes)
        cur += c;
      else
        tooLong = true;
    };
    auto endField = [&] {
      r.fields.push_back(std::move(cur));
      cur.clear();
    };
    for (;;) {
      const int c = in_.next();
      if (c == ByteSource::kEnd) {
        if (in_.failed()) return fail(line_, "the file cannot be read to its end");
        if (quoted) return fail(r.line, "a quoted field is not closed");
        endField();
        break;
      }
      if (c == '\0') return fail(line_, "the file holds a NUL byte (it is no text file)");
      const bool crAlone = c == '\r' && in_.peek() != '\n';
      if (crAlone) return fail(line_, "a line ends with CR alone; lines must end with LF or CR LF");
      if (quoted) {
        if (c == '"') {
          if (in_.peek() == '"')
            add(static_cast<char>(in_.next()));
          else
            quoted = false;
          continue;
        }
        if (c == '\n') ++line_;
        add(static_cast<char>(c));
        continue;
      }
      if (c == '"' && cur.empty() && !wasQuoted) {
        quoted = wasQuoted = true;
        continue;
      }
      if (c == ',') {
        endField();
        wasQuoted = false;
        continue;
      }
      if (c == '\r' || c == '\n') {
        if (c == '\r') in_.next();  // its LF
        endField();
        ++line_;
        break;
      }
      add(static_cast<char>(c));
    }
    if (tooLong)
      return fail(r.line, "a field is longer than " + std::to_string(kMaxCsvFieldBytes / 1024) +
                              " KiB, far more than any value of a history");
    r.blank = r.fields.size() == 1 && r.fields[0].empty() && !wasQuoted;
    return true;
  }

 private:
  ByteSource& in_;
  int line_ = 1;
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

CsvResult parseRecords(ByteSource& in) {
  CsvResult r;
  int lineNo = 1;
  auto fail = [&](const std::string& why) {
    r.draws.clear();
    r.error = "line " + std::to_string(lineNo) + ": " + why;
    return r;
  };
  RecordReader reader(in);
  if (reader.atEnd()) return in.failed() ? fail("the file cannot be read") : fail("the file is empty");
  static const char* kFieldNames[] = {"n1", "n2", "n3", "n4", "n5", "bonus"};
  Record rec;
  for (bool first = true; !reader.atEnd() || first; first = false) {
    if (!reader.read(rec, r.error)) {
      r.draws.clear();
      return r;
    }
    lineNo = rec.line;
    if (first) {
      std::string header;
      for (size_t f = 0; f < rec.fields.size(); ++f) header += (f ? "," : "") + rec.fields[f];
      if (header.compare(0, 3, "\xEF\xBB\xBF") == 0) header.erase(0, 3);
      if (header != kCsvHeader)
        return fail(std::string("the header must be ") + kCsvHeader + ", found " + quotedExcerpt(header));
      continue;
    }
    if (rec.blank) {
      if (reader.atEnd()) break;  // a blank last line
      return fail("empty line");
    }
    const auto& f = rec.fields;
    if (f.size() != 8) return fail("expected 8 fields, found " + std::to_string(f.size()));
    long no = 0;
    if (!parseInt(f[0], no)) return fail("draw number " + quotedExcerpt(f[0]) + notNumber(f[0]));
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
      return fail("date " + quotedExcerpt(f[1]) + " is no date of the calendar in the form YYYY-MM-DD");
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
                         : quotedExcerpt(s) + notNumber(s)));
      d.n[i] = v.value;
    }
    r.draws.push_back(std::move(d));
  }
  r.ok = true;
  return r;
}

}  // namespace

CsvResult parseHistoryCsv(std::string_view text) {
  ByteSource in(text);
  return parseRecords(in);
}

CsvResult readHistoryCsvFile(const std::string& path) {
  CsvResult r;
  // Opened without blocking, so that a pipe put in the file's place after a
  // look at it cannot hold the import; what was opened is what is checked.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    const int err = errno;
    if (fd >= 0) ::close(fd);
    r.error = err == ENOENT ? std::string("no such file") : std::string("cannot read (") + std::strerror(err) + ")";
    return r;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (S_ISDIR(st.st_mode)) {
    r.error = "this is a folder, not a CSV file";
    return r;
  }
  if (!S_ISREG(st.st_mode)) {
    r.error = "not a regular file (a pipe or a device cannot be imported)";
    return r;
  }
  if (st.st_size > kMaxCsvBytes) {
    r.error = "the file is larger than 64 MB, far more than any history";
    return r;
  }
  ByteSource in([fd](char* buffer, size_t size) -> long {
    for (;;) {
      const ssize_t n = ::read(fd, buffer, size);
      if (n >= 0 || errno != EINTR) return n;
    }
  });
  return parseRecords(in);
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
