#include "store/formats/feed.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <span>

#include "store/domain_values.h"
#include "store/formats/csv.h"
#include "store/messages.h"
#include "store/schema_names.h"

namespace km {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view skipStart(std::string_view s) {
  if (s.substr(0, kBom.size()) == kBom) s.remove_prefix(kBom.size());
  while (!s.empty() && (s[0] == ' ' || s[0] == '\t' || s[0] == '\r' || s[0] == '\n')) s.remove_prefix(1);
  return s;
}

// A reader of JSON text that keeps the strings (and the spelling of numbers)
// it is asked for and skips everything else.  No recursion: arrays and
// objects inside a skipped value are counted, up to a depth of 64.
class Json {
 public:
  explicit Json(std::string_view s) : s_(s) {}

  // The place of the next character, for messages.
  std::string where() const {
    return says::jsonLine(1 + std::count(s_.begin(), s_.begin() + static_cast<long>(std::min(i_, s_.size())), '\n'));
  }
  bool fail(const std::string& why) {
    if (error_.empty()) error_ = says::jsonAt(why, where());
    return false;
  }
  const std::string& error() const { return error_; }

  void space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }
  // Consumes `c` after white space.
  bool take(char c) {
    space();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool atEnd() {
    space();
    return i_ == s_.size();
  }
  char peek() {
    space();
    return i_ < s_.size() ? s_[i_] : '\0';
  }

  bool string(std::string& out) {
    out.clear();
    if (!take('"')) return fail(says::jsonNoString());
    while (i_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[i_++]);
      if (c == '"') return true;
      if (c < 0x20) return fail(says::jsonControlCharacter());
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (i_ == s_.size()) break;
      const char e = s_[i_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          unsigned cp = 0;
          if (!hex4(cp)) return fail(says::jsonBadUnicodeEscape());
          if (cp >= 0xD800 && cp < 0xDC00 && s_.substr(i_, 2) == "\\u") {
            i_ += 2;
            unsigned low = 0;
            if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return fail(says::jsonBadSurrogatePair());
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          utf8(cp, out);
          break;
        }
        default:
          return fail(says::jsonBadEscape());
      }
    }
    return fail(says::jsonStringNotClosed());
  }

  // A scalar value: a string, a number (its spelling), or null, NaN and
  // Infinity (empty).  `kind` is 's', 'n' or '0'; anything else is left
  // unread and `kind` says what it starts with.
  bool scalar(std::string& out, char& kind) {
    out.clear();
    const char c = peek();
    if (c == '"') {
      kind = 's';
      return string(out);
    }
    for (const char* word : {"null", "NaN", "Infinity", "-Infinity"}) {
      const std::string_view w(word);
      if (s_.substr(i_, w.size()) == w) {
        i_ += w.size();
        kind = '0';
        return true;
      }
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      kind = 'n';
      const size_t start = i_;
      while (i_ < s_.size() && std::string_view("+-.eE0123456789").find(s_[i_]) != std::string_view::npos) ++i_;
      out.assign(s_.substr(start, i_ - start));
      return true;
    }
    kind = c;
    return true;
  }

  // Skips one value of any kind.
  bool skip() {
    std::string scratch;
    std::string closers;
    do {
      char kind = 0;
      if (!scalar(scratch, kind)) return false;
      if (kind == 's' || kind == 'n' || kind == '0') {
      } else if (kind == 't' || kind == 'f') {
        const std::string_view w = kind == 't' ? "true" : "false";
        if (s_.substr(i_, w.size()) != w) return fail(says::jsonMalformed());
        i_ += w.size();
      } else if (kind == '[' || kind == '{') {
        if (closers.size() >= 64) return fail(says::jsonTooDeep());
        ++i_;
        closers += kind == '[' ? ']' : '}';
        if (take(closers.back())) {
          closers.pop_back();
        } else {
          if (closers.back() == '}' && !memberName(scratch)) return false;
          continue;
        }
      } else {
        return fail(says::jsonMalformed());
      }
      // after a value: a comma and the next one, or the end of its container
      while (!closers.empty()) {
        if (take(',')) {
          if (closers.back() == '}' && !memberName(scratch)) return false;
          break;
        }
        if (!take(closers.back())) return fail(says::jsonNoCommaOrCloser());
        closers.pop_back();
      }
    } while (!closers.empty());
    return true;
  }

  // "name": of an object member.
  bool memberName(std::string& name) {
    if (!string(name)) return false;
    return take(':') || fail(says::jsonNoColon());
  }

 private:
  bool hex4(unsigned& v) {
    if (i_ + 4 > s_.size()) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      v <<= 4;
      if (h >= '0' && h <= '9')
        v |= static_cast<unsigned>(h - '0');
      else if (h >= 'a' && h <= 'f')
        v |= static_cast<unsigned>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F')
        v |= static_cast<unsigned>(h - 'A' + 10);
      else
        return false;
    }
    return true;
  }
  static void utf8(unsigned cp, std::string& out) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | cp >> 6);
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | cp >> 12);
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | cp >> 18);
      out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string_view s_;
  size_t i_ = 0;
  std::string error_;
};

// Quotes a feed value for a message: at most 20 bytes, control characters as ?.
std::string quoted(const std::string& v) {
  std::string q = v.substr(0, 20);
  for (char& c : q)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  return says::quoted(q + (v.size() > 20 ? "…" : ""));
}

// A list's fields that bear the stored file's names: 第1数字..第5数字,
// ボーナス数字 (or its other names) and the prize columns.
constexpr std::span<const char* const> kNumberNames(schema::kNumbers, 5);
constexpr const char* kBonusNames[] = {schema::kNumbers[Bonus], "BONUS数字", "第6数字"};
constexpr const auto& kPrizeNames = schema::kPrizeColumns;

bool isOneOf(const std::string& name, const auto& names) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The list's entries, from after its [ to its ].
// What the JSON reader has read so far, or why it stopped.
struct FeedRead {
  std::string error;  // Japanese; names the entry and the field
  DrawList list;
};

class EntryReader {
 public:
  EntryReader(Json& j, FeedRead& r) : j_(j), r_(r) {}

  // False with r_.error set.
  bool entries() {
    for (bool first = true; !j_.take(']'); first = false) {
      if (!first && !j_.take(',')) return syntax(says::jsonNoCommaOrBracket());
      if (r_.list.draws.size() == static_cast<size_t>(kMaxDrawNo)) return fail(says::feedTooMany(kMaxDrawNo));
      if (!entry()) return false;
    }
    return true;
  }
  bool fail(const std::string& why) {
    r_.error = why;
    return false;
  }
  bool syntax(const std::string& why) {
    j_.fail(why);
    return jsonError();
  }
  bool jsonError() { return fail(says::feedNotJson(j_.error())); }

 private:
  bool entry() {
    const std::string entry = says::feedEntry(r_.list.draws.size() + 1);
    if (!j_.take('{')) return fail(says::feedEntryNotObject(entry, j_.where()));
    std::map<std::string, std::string> fields;
    std::set<std::string> names;
    std::string name, value;
    for (bool firstMember = true; !j_.take('}'); firstMember = false) {
      if (!firstMember && !j_.take(',')) return syntax(says::jsonNoCommaOrBrace());
      if (!j_.memberName(name)) return syntax(says::jsonNoMemberName());
      if (!names.insert(name).second) return fail(says::feedFieldTwice(entry, quoted(name), j_.where()));
      // the second list's names for the same fields
      std::string field = name == "round"   ? "開催回"
                          : name == "date"  ? "日付"
                          : name == "bonus" ? "ボーナス数字"
                                            : name;
      if (field != name && !names.insert(field).second)
        return fail(says::feedFieldsBoth(entry, field, name, j_.where()));
      if (name == "numbers") {
        for (const char* n : kNumberNames)
          if (!names.insert(n).second) return fail(says::feedFieldsBoth(entry, n, "numbers", j_.where()));
        if (!numbers(entry, fields)) return false;
        continue;
      }
      const bool wanted = field == "開催回" || field == "日付" || isOneOf(field, kNumberNames) ||
                          isOneOf(field, kBonusNames) || isOneOf(field, kPrizeNames);
      if (!wanted) {
        if (!j_.skip()) return jsonError();
        continue;
      }
      char kind = 0;
      if (!j_.scalar(value, kind)) return jsonError();
      if (kind != 's' && kind != 'n' && kind != '0') return fail(says::feedFieldNotText(entry, name, j_.where()));
      fields[field] = value;
    }
    const auto no = fields.find("開催回");
    const CellNumber drawNo = parseDrawNo(no == fields.end() ? std::string() : no->second);
    if (drawNo.kind == CellNumber::Empty) return fail(says::feedNoDrawNo(entry));
    if (drawNo.kind != CellNumber::Number) return fail(says::feedDrawNoWrong(entry, quoted(no->second)));
    Draw d(*DrawNo::of(drawNo.value));
    const std::string draw = says::feedDraw(d.no);
    // Empty, or a lottery number; else why not.
    const auto number = [&](const char* name, const std::string& v, std::optional<LotteryNumber>& out) {
      const CellNumber n = parseWholeNumber(v);
      if (n.kind == CellNumber::Wrong) return says::feedNumberNotNumber(draw, name, quoted(v));
      if (n.kind == CellNumber::Empty) return std::string();
      out = LotteryNumber::of(n.value);
      if (!out) return says::feedNumberOutOfRange(draw, name, n.value);
      return std::string();
    };
    for (int f = 0; f < 5; ++f)
      if (const std::string why = number(kNumberNames[f], fields[kNumberNames[f]], d.n[f]); !why.empty())
        return fail(why);
    const char* bonusFrom = nullptr;
    for (const char* b : kBonusNames) {
      std::optional<LotteryNumber> bonus;
      if (const std::string why = number(b, fields[b], bonus); !why.empty()) return fail(why);
      if (!bonus) continue;
      if (d.n[Bonus] && *d.n[Bonus] != *bonus) return fail(says::feedBonusesDiffer(draw, bonusFrom, b));
      d.n[Bonus] = bonus;
      bonusFrom = b;
    }
    const std::string& date = fields["日付"];
    if (!date.empty()) {
      const std::optional<DrawDate> day = DrawDate::of(normalizedDate(date));
      if (!day || day->empty()) return fail(says::feedDateWrong(draw, quoted(date)));
      d.date = *day;
    }
    if (!prize(draw, d.no, fields)) return false;
    r_.list.draws.push_back(std::move(d));
    return true;
  }

  // "numbers": [five numbers] as 第1数字..第5数字.
  bool numbers(const std::string& entry, std::map<std::string, std::string>& fields) {
    const std::string wrong = says::feedNumbersNotArray(entry, j_.where());
    if (!j_.take('[')) return fail(wrong);
    std::string value;
    for (int k = 0; !j_.take(']'); ++k) {
      if (k == 5 || (k > 0 && !j_.take(','))) return fail(wrong);
      char kind = 0;
      if (!j_.scalar(value, kind)) return jsonError();
      if (kind != 's' && kind != 'n') return fail(wrong);
      for (const char* n : kNumberNames)
        if (fields.count(n) == 0) {
          fields[n] = value;
          break;
        }
    }
    return fields.count(kNumberNames[4]) == 1 || fail(wrong);
  }

  // The eight prize fields: all empty, or all whole numbers.
  bool prize(const std::string& draw, int no, std::map<std::string, std::string>& fields) {
    int filled = 0;
    for (const char* n : kPrizeNames) filled += parseWholeNumber(fields[n]).kind != CellNumber::Empty;
    if (filled == 0) return true;
    Prize p;
    for (int i = 0; i < 2 * kPrizeTiers; ++i) {
      const std::string& v = fields[kPrizeNames[i]];
      const CellNumber n = parseWholeNumber(v);
      if (n.kind != CellNumber::Number)
        return fail(n.kind == CellNumber::Empty ? says::feedPrizeMissing(draw, kPrizeNames[i])
                                                : says::feedPrizeNotWhole(draw, kPrizeNames[i], quoted(v)));
      (i < kPrizeTiers ? p.winners : p.yen)[i % kPrizeTiers] = n.value;
    }
    r_.list.prizes[no] = p;
    return true;
  }

  Json& j_;
  FeedRead& r_;
};

Result<DrawList> readJson(std::string_view text) {
  FeedRead r;
  Json j(text);
  EntryReader reader(j, r);
  auto failed = [&r] { return Failure{Fault::Invalid, r.error, {}}; };
  if (j.take('[')) {
    if (!reader.entries()) return failed();
  } else if (j.take('{')) {
    // {"draws": [...], ...}: the other members are skipped
    std::set<std::string> names;
    std::string name;
    bool listed = false;
    for (bool first = true; !j.take('}'); first = false) {
      if (!first && !j.take(',')) return reader.syntax(says::jsonNoCommaOrBrace()), failed();
      if (!j.memberName(name)) return reader.syntax(says::jsonNoMemberName()), failed();
      if (!names.insert(name).second) {
        reader.fail(says::feedMemberTwice(quoted(name), j.where()));
        return failed();
      }
      if (name != "draws") {
        if (!j.skip()) return reader.jsonError(), failed();
        continue;
      }
      if (!j.take('[')) return reader.fail(says::feedDrawsNotArray()), failed();
      if (!reader.entries()) return failed();
      listed = true;
    }
    if (!listed) return reader.fail(says::feedNoDraws()), failed();
  } else {
    reader.fail(says::feedNotJsonList());
    return failed();
  }
  if (!j.atEnd()) return reader.syntax(says::jsonTrailingText()), failed();
  return std::move(r.list);
}

std::string numbersText(const Draw& d) {
  std::string shown[6];
  for (int f = 0; f < kNumberFields; ++f)
    if (d.n[f]) shown[f] = std::to_string(*d.n[f]);
  return says::drawNumbers(shown);
}

// The main numbers in ascending order (a typed draw may list them in the order drawn).
std::array<int, 5> sortedMain(const Draw& d) {
  std::array<int, 5> m{};
  for (int f = 0; f < 5; ++f) m[f] = d[f];
  std::sort(m.begin(), m.end());
  return m;
}

// Why a new draw cannot be taken; empty when it can.  `before` is the date of
// the draw before it (empty when unknown).
std::string checkNewDraw(const Draw& d, const std::string& before, const std::string& today) {
  const std::string draw = says::feedDraw(d.no);
  if (const Result<WholeDraw> whole = WholeDraw::of(d); !whole) return says::feedDrawOf(draw, whole.message());
  if (d.date.empty()) return says::feedDrawNoDate(draw);
  if (!before.empty() && d.date.text() <= before) return says::feedDateNotAfter(draw, d.date.text(), before);
  if (const std::string why = newDrawDateProblem(d.no, d.date, today); !why.empty()) return says::feedNewDrawDate(why);
  return {};
}

// When every date the feed and the history share is the same one day off
// (the numbers agreeing), a sentence that says so; else empty.
std::string oneDayShift(const std::map<int, const Draw*>& stored, const std::vector<Draw>& feed) {
  long shift = 0;
  const Draw* first = nullptr;
  const Draw* firstStored = nullptr;
  for (const Draw& f : feed) {
    const auto s = stored.find(f.no);
    if (s == stored.end() || s->second->date.empty() || f.date.empty()) continue;
    Draw undated = f;
    undated.date = s->second->date;
    if (!sameDraw(*s->second, undated)) return {};  // the numbers differ too
    const long by = *dayNumber(f.date) - *dayNumber(s->second->date);
    if ((by != 1 && by != -1) || (shift != 0 && by != shift)) return {};
    shift = by;
    if (!first) first = &f, firstStored = s->second;
  }
  if (!first) return {};
  return says::feedDatesShifted(shift > 0, first->no, firstStored->date.text(), first->date.text());
}

}  // namespace

namespace {

// Well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing past U+10FFFF.
bool validUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = 0;
    unsigned cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      const unsigned char b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      cp = cp << 6 | (b & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += len;
  }
  return true;
}

}  // namespace

FeedForm feedForm(std::string_view bytes) {
  // A text never holds a NUL byte; an encrypted database (whose first bytes
  // are random and may well be "[" or "{") all but certainly does within its
  // first page (4096 random bytes without one: about 1 in 10 million).
  if (bytes.find('\0') != std::string_view::npos) return FeedForm::Other;
  const std::string_view s = skipStart(bytes);
  if (!s.empty() && (s[0] == '[' || s[0] == '{')) return FeedForm::Json;
  if (s.substr(0, std::string_view(kCsvHeader).size()) == kCsvHeader) return FeedForm::Csv;
  // The header is within the first lines: only they are decoded to look at
  // it, cut at a line break (a byte that no character of UTF-8 or Shift_JIS
  // holds within it).
  std::string_view head = bytes.substr(0, 64 * 1024);
  if (head.size() < bytes.size()) head = head.substr(0, head.rfind('\n') + 1);
  if (const std::optional<std::string> text = textAsUtf8(head); text && looksLikeResultsCsv(*text))
    return FeedForm::ResultsCsv;
  return FeedForm::Other;
}

std::optional<std::string> textAsUtf8(std::string_view bytes) {
  if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
  if (validUtf8(bytes)) return std::string(bytes);
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  struct Closer {
    iconv_t cd;
    ~Closer() { iconv_close(cd); }
  } closer{cd};
  // a byte of Shift_JIS (a half-width kana) takes at most 3 in UTF-8
  std::string out(bytes.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size(), outLeft = out.size();
  char* at = out.data();
  if (iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

Result<DrawList> readFeed(std::string_view bytes) {
  switch (feedForm(bytes)) {
    case FeedForm::Json: {
      std::string_view s = bytes;
      if (s.substr(0, kBom.size()) == kBom) s.remove_prefix(kBom.size());
      return readJson(s);
    }
    case FeedForm::Csv:
    case FeedForm::ResultsCsv: {
      const std::optional<std::string> text =
          feedForm(bytes) == FeedForm::Csv ? std::optional<std::string>() : textAsUtf8(bytes);
      Result<DrawList> csv = feedForm(bytes) == FeedForm::Csv ? parseHistoryCsv(bytes)
                             : text                           ? parseResultsCsv(*text)
                                                              : Result<DrawList>(Failure{Fault::Invalid, {}, {}});
      if (!csv) return Failure{Fault::Invalid, says::feedCsvUnreadable(csv.message()), {}};
      return csv;
    }
    case FeedForm::Other:
      break;
  }
  return Failure{Fault::Invalid, says::feedNotList(), {}};
}

bool sameDraw(const Draw& a, const Draw& b) {
  if (!a.complete() || !b.complete()) return false;
  if (sortedMain(a) != sortedMain(b) || a[Bonus] != b[Bonus]) return false;
  return a.date.empty() || b.date.empty() || a.date == b.date;
}

std::string describeDraw(const Draw& d) {
  return numbersText(d) + (d.date.empty() ? std::string() : says::inParentheses(d.date.text()));
}

Result<FeedMerge> mergeFeed(const std::vector<Draw>& stored, std::vector<Draw> feed, const MergeRules& rules) {
  auto refuse = [](const std::string& why) { return Failure{Fault::Refused, why, {}}; };
  if (feed.empty()) return refuse(says::feedEmpty());
  std::stable_sort(feed.begin(), feed.end(), [](const Draw& a, const Draw& b) { return a.no < b.no; });
  for (size_t i = 1; i < feed.size(); ++i)
    if (feed[i].no == feed[i - 1].no) return refuse(says::feedDrawTwice(feed[i].no));
  FeedMerge m{{}, feed.back()};

  // Every draw both have must agree.
  std::map<int, const Draw*> byNo;
  for (const Draw& d : stored) byNo[d.no] = &d;
  std::string differences;
  int different = 0, shared = 0;
  for (const Draw& f : feed) {
    const auto s = byNo.find(f.no);
    if (s == byNo.end()) continue;
    ++shared;
    if (sameDraw(*s->second, f)) continue;
    if (++different <= 3) differences += says::feedDifference(f.no, describeDraw(*s->second), describeDraw(f));
  }
  if (different > 0) {
    if (different > 3) differences += says::feedMoreDifferences(different - 3);
    if (const std::string shift = oneDayShift(byNo, feed); !shift.empty())
      return refuse(says::feedDiffers(different) + differences + shift);
    return refuse(says::feedDiffers(different) + differences + says::feedFixStoredFirst());
  }

  // The new draws follow the last stored draw without a gap.
  const int last =
      stored.empty() ? 0 : std::max_element(stored.begin(), stored.end(), [](const Draw& a, const Draw& b) {
                             return a.no < b.no;
                           })->no;
  std::string before;
  for (const Draw& d : stored)
    if (d.no <= last && !d.date.empty() && (before.empty() || d.date.text() > before)) before = d.date;
  // A list that shares no draw with the history may be of another lottery
  // or numbered otherwise: only a file the user chose may start right after
  // it (a gap is found below).
  if (!stored.empty() && shared == 0 && !rules.mayStartAfterLast)
    return refuse(says::feedSharesNone(feed.front().no, feed.back().no, last));
  const std::string today = rules.today.empty() ? todayDate() : rules.today;
  int expected = last + 1;
  for (const Draw& d : feed) {
    if (d.no <= last) continue;
    if (d.no != expected)
      return refuse(expected == last + 1 ? says::feedGapAfterStored(expected, last, d.no)
                                         : says::feedGap(expected, expected - 1, d.no));
    if (const std::string why = checkNewDraw(d, before, today); !why.empty()) return refuse(why);
    before = d.date;
    m.added.push_back(d);
    ++expected;
  }
  return m;
}

bool isStale(const std::string& date, const std::string& today) {
  const auto a = dayNumber(date), b = dayNumber(today);
  return a && b && *b - *a > kStaleDays;
}

StatusLine statusLine(const History& history, const std::string& today) {
  StatusLine line;
  const int last = history.stats.LastDrawNo;
  if (last == 0) return {says::statusNoDraws(), says::statusUpdatePlease()};
  line.latest = says::statusLatest(last);
  std::string date;
  for (auto d = history.draws.rbegin(); d != history.draws.rend(); ++d)
    if (d->no == last) {
      date = d->date;
      break;
    }
  if (!date.empty()) line.latest += says::inParentheses(date);
  if (date.empty()) {
    line.missing = says::statusUpdatePlease();
  } else if (const int n = drawsDue(last, date, today); n > 0) {
    line.missing = says::statusMissing(n);
  }
  return line;
}

}  // namespace km
