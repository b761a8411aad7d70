#include "store/domain_values.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "store/messages.h"

namespace km {

bool isCalendarDate(const std::string& d) {
  if (d.size() != 10 || d[4] != '-' || d[7] != '-') return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (d[i] < '0' || d[i] > '9') return false;
  auto num = [&d](int at, int len) {
    int v = 0;
    for (int i = at; i < at + len; ++i) v = v * 10 + (d[i] - '0');
    return v;
  };
  const int y = num(0, 4), m = num(5, 2), day = num(8, 2);
  if (y < 1 || m < 1 || m > 12 || day < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return day <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

namespace {

bool isSpaceAt(std::string_view t, size_t i, size_t& len) {
  if (t[i] == ' ' || t[i] == '\t') {
    len = 1;
    return true;
  }
  if (t.substr(i, 3) == "\xE3\x80\x80") {  // full-width space
    len = 3;
    return true;
  }
  return false;
}

}  // namespace

CellNumber parseWholeNumber(std::string_view t) {
  size_t b = 0, e = t.size(), len = 0;
  while (b < e && isSpaceAt(t, b, len)) b += len;
  // trailing spaces: half-width or full-width
  while (e > b) {
    if (t[e - 1] == ' ' || t[e - 1] == '\t') {
      --e;
    } else if (e - b >= 3 && t.substr(e - 3, 3) == "\xE3\x80\x80") {
      e -= 3;
    } else {
      break;
    }
  }
  if (b == e) return {};
  long value = 0;
  for (size_t i = b; i < e;) {
    int d;
    if (t[i] >= '0' && t[i] <= '9') {
      d = t[i] - '0';
      i += 1;
    } else if (e - i >= 3 && static_cast<unsigned char>(t[i]) == 0xEF && static_cast<unsigned char>(t[i + 1]) == 0xBC &&
               static_cast<unsigned char>(t[i + 2]) >= 0x90 && static_cast<unsigned char>(t[i + 2]) <= 0x99) {
      d = static_cast<unsigned char>(t[i + 2]) - 0x90;  // ０..９
      i += 3;
    } else {
      return {CellNumber::Wrong, 0};
    }
    value = value * 10 + d;
    if (value >= 1000000000) return {CellNumber::Wrong, 0};  // stops before any overflow
  }
  return {CellNumber::Number, static_cast<int>(value)};
}

std::vector<std::string_view> numberTexts(std::string_view text) {
  std::vector<std::string_view> texts;
  size_t i = 0, start = 0;
  while (i <= text.size()) {
    size_t sep = 0;
    if (i == text.size() || text[i] == ',') {
      sep = 1;
    } else if (!isSpaceAt(text, i, sep)) {
      for (std::string_view s : {"\xE3\x80\x81" /* 、 */, "\xEF\xBC\x8C" /* ， */})
        if (text.substr(i, s.size()) == s) sep = s.size();
    }
    if (sep == 0) {
      ++i;
      continue;
    }
    if (i > start) texts.push_back(text.substr(start, i - start));
    i += sep;
    start = i;
  }
  return texts;
}

std::optional<std::vector<int>> readLotteryNumbers(std::string_view text) {
  std::vector<int> numbers;
  std::uint32_t seen = 0;
  for (std::string_view t : numberTexts(text)) {
    const CellNumber n = parseCellNumber(t);
    if (n.kind != CellNumber::Number || (seen & (1u << n.value))) return std::nullopt;
    seen |= 1u << n.value;
    numbers.push_back(n.value);
  }
  if (numbers.empty()) return std::nullopt;
  return numbers;
}

CellNumber parseCellNumber(std::string_view text) {
  const CellNumber n = parseWholeNumber(text);
  return n.kind == CellNumber::Number && !isLotteryNumber(n.value) ? CellNumber{CellNumber::Wrong, 0} : n;
}

CellNumber parseDrawNo(std::string_view text) {
  const CellNumber n = parseWholeNumber(text);
  return n.kind == CellNumber::Number && !isDrawNo(n.value) ? CellNumber{CellNumber::Wrong, 0} : n;
}

namespace {

// YYYY-MM-DD of the day `day` days after 1970-01-01; empty outside the years 0001..9999.
std::string dateOfDay(long day) {
  const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{day}}};
  const int y = static_cast<int>(ymd.year());
  if (y < 1 || y > 9999) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", y, static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return text;
}

// Full-width digits as digits, the full-width space as a space, and the
// full-width slash and the dashes an input method types as "/" and "-".
std::string foldedDateText(std::string_view typed) {
  struct Fold {
    std::string_view from;
    char to;
  };
  static constexpr Fold kFolds[] = {
      {"\xE3\x80\x80", ' '},  // full-width space
      {"\xEF\xBC\x8F", '/'},  // ／
      {"\xEF\xBC\x8D", '-'},  // －
      {"\xE2\x80\x90", '-'},  // ‐ hyphen
      {"\xE2\x80\x91", '-'},  // ‑ non-breaking hyphen
      {"\xE2\x80\x92", '-'},  // ‒ figure dash
      {"\xE2\x80\x93", '-'},  // – en dash
      {"\xE2\x88\x92", '-'},  // − minus sign
      {"\xE3\x83\xBC", '-'},  // ー (typed for "-" with a Japanese input method)
      {"\xEF\xBC\x9A", ':'},  // ：
  };
  std::string folded;
  for (size_t i = 0; i < typed.size();) {
    const auto c = [&](size_t k) { return static_cast<unsigned char>(typed[k]); };
    if (typed.size() - i >= 3 && c(i) == 0xEF && c(i + 1) == 0xBC && c(i + 2) >= 0x90 && c(i + 2) <= 0x99) {
      folded += static_cast<char>('0' + (c(i + 2) - 0x90));
      i += 3;
      continue;
    }
    bool done = false;
    for (const Fold& f : kFolds)
      if (typed.substr(i, f.from.size()) == f.from) {
        folded += f.to;
        i += f.from.size();
        done = true;
        break;
      }
    if (!done) folded += typed[i++];
  }
  const size_t b = folded.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return folded.substr(b, folded.find_last_not_of(" \t") + 1 - b);
}

// Digits only, minLen..maxLen of them.
bool digits(std::string_view t, size_t minLen, size_t maxLen, int& out) {
  if (t.size() < minLen || t.size() > maxLen) return false;
  out = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  return true;
}

// The date alone in one of its three forms, as YYYY-MM-DD; empty when none.
std::string dateAlone(std::string_view v) {
  // the three separators: "-" twice, "/" twice, or 年 月 日 (three bytes each in UTF-8)
  struct Form {
    std::string_view first, second, end;
  };
  static constexpr Form kForms[] = {{"-", "-", ""}, {"/", "/", ""}, {"\xE5\xB9\xB4", "\xE6\x9C\x88", "\xE6\x97\xA5"}};
  for (const Form& f : kForms) {
    if (v.size() < 4 + f.first.size() || v.substr(4, f.first.size()) != f.first) continue;
    std::string_view rest = v.substr(4 + f.first.size());
    if (!f.end.empty()) {
      if (rest.size() < f.end.size() || rest.substr(rest.size() - f.end.size()) != f.end) return {};
      rest.remove_suffix(f.end.size());
    }
    const size_t mid = rest.find(f.second);
    int y = 0, m = 0, d = 0;
    if (mid == std::string_view::npos || !digits(v.substr(0, 4), 4, 4, y) || !digits(rest.substr(0, mid), 1, 2, m) ||
        !digits(rest.substr(mid + f.second.size()), 1, 2, d))
      return {};
    char out[48];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d", y, m, d);
    return isCalendarDate(out) ? out : std::string();
  }
  return {};
}

// A time of day and its zone after a date: H:MM, H:MM:SS or H:MM:SS.fff,
// then nothing, Z (or UTC, GMT), JST, or +HH, +HHMM, +HH:MM (or -).  The
// minutes east of UTC in `offset` when a zone is given; false when the text
// is no such time.
bool timeAndZone(std::string_view t, std::optional<int>& offset, int& minuteOfDay) {
  size_t i = 0;
  auto number = [&](size_t minLen, size_t maxLen, int& out) {
    size_t e = i;
    while (e < t.size() && e - i < maxLen && t[e] >= '0' && t[e] <= '9') ++e;
    if (!digits(t.substr(i, e - i), minLen, maxLen, out)) return false;
    i = e;
    return true;
  };
  int h = 0, m = 0, s = 0;
  if (!number(1, 2, h) || i >= t.size() || t[i++] != ':' || !number(2, 2, m)) return false;
  if (i < t.size() && t[i] == ':') {
    ++i;
    if (!number(2, 2, s)) return false;
    if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
      ++i;
      const size_t start = i;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
      if (i == start) return false;
    }
  }
  if (h > 23 || m > 59 || s > 60) return false;
  minuteOfDay = h * 60 + m;
  while (i < t.size() && t[i] == ' ') ++i;
  const std::string_view zone = t.substr(i);
  if (zone.empty()) return true;
  if (zone == "Z" || zone == "z" || zone == "UTC" || zone == "GMT") {
    offset = 0;
    return true;
  }
  if (zone == "JST") {
    offset = 9 * 60;
    return true;
  }
  if (zone[0] != '+' && zone[0] != '-') return false;
  const int sign = zone[0] == '+' ? 1 : -1;
  i += 1;
  int zh = 0, zm = 0;
  if (!number(2, 2, zh)) return false;
  if (i < t.size() && t[i] == ':') ++i;
  if (i < t.size() && !number(2, 2, zm)) return false;
  if (i != t.size() || zh > 14 || zm > 59) return false;
  offset = sign * (zh * 60 + zm);
  return true;
}

}  // namespace

std::string normalizedDate(std::string_view typed) {
  const std::string folded = foldedDateText(typed);
  const std::string_view v = folded;
  // a time after the date, after a "T" or spaces
  size_t cut = v.find_first_of("T ");
  const std::string date = dateAlone(v.substr(0, cut));
  if (date.empty() || cut == std::string_view::npos) return date;
  std::string_view time = v.substr(cut + 1);
  while (!time.empty() && time[0] == ' ') time.remove_prefix(1);
  std::optional<int> offset;
  int minute = 0;
  if (!timeAndZone(time, offset, minute)) return {};
  if (!offset) return date;  // a time alone: the date as it stands
  // the moment in UTC, then in Japan
  const long minutes = *dayNumber(date) * 1440 + minute - *offset + kJapanOffsetMinutes;
  const long day = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
  return dateOfDay(day);
}

bool numberRepeated(const std::array<int, 6>& n, int field) {
  if (field < 0 || field >= 6 || n[field] == 0) return false;
  for (int g = 0; g < 6; ++g)
    if (g != field && n[g] == n[field]) return true;
  return false;
}

int repeatedNumberField(const std::array<int, 6>& n) {
  for (int f = 1; f < 6; ++f)
    for (int g = 0; g < f; ++g)
      if (n[f] != 0 && n[g] == n[f]) return f;
  return -1;
}

CellNumber parsePrizeFigure(std::string_view t) {
  size_t b = 0, e = t.size(), len = 0;
  while (b < e && isSpaceAt(t, b, len)) b += len;
  while (e > b) {
    if (t[e - 1] == ' ' || t[e - 1] == '\t')
      --e;
    else if (e - b >= 3 && t.substr(e - 3, 3) == "\xE3\x80\x80")
      e -= 3;
    else
      break;
  }
  t = t.substr(b, e - b);
  if (t.empty()) return {};
  if (t == "該当なし") return {CellNumber::Number, 0};
  for (std::string_view unit : {std::string_view("円"), std::string_view("口")})
    if (t.size() > unit.size() && t.substr(t.size() - unit.size()) == unit) {
      t.remove_suffix(unit.size());
      break;
    }
  // the digits alone, each separator standing before a group of three
  std::string digits;
  int sinceSeparator = -1;  // digits since the last separator; -1 before the first
  for (size_t i = 0; i < t.size();) {
    const bool comma = t[i] == ',', wideComma = t.substr(i, 3) == "\xEF\xBC\x8C";  // ，
    if (comma || wideComma) {
      // a first group of one to three digits, then groups of three
      if (digits.empty() || (sinceSeparator < 0 ? digits.size() > 3 : sinceSeparator != 3))
        return {CellNumber::Wrong, 0};
      sinceSeparator = 0;
      i += comma ? 1 : 3;
      continue;
    }
    const size_t at = digits.size();
    if (t[i] >= '0' && t[i] <= '9') {
      digits += t[i++];
    } else if (t.size() - i >= 3 && static_cast<unsigned char>(t[i]) == 0xEF &&
               static_cast<unsigned char>(t[i + 1]) == 0xBC && static_cast<unsigned char>(t[i + 2]) >= 0x90 &&
               static_cast<unsigned char>(t[i + 2]) <= 0x99) {
      digits += static_cast<char>('0' + static_cast<unsigned char>(t[i + 2]) - 0x90);  // ０..９
      i += 3;
    } else {
      return {CellNumber::Wrong, 0};
    }
    if (sinceSeparator >= 0 && digits.size() > at) ++sinceSeparator;
  }
  if (sinceSeparator >= 0 && sinceSeparator != 3) return {CellNumber::Wrong, 0};
  const CellNumber n = parseWholeNumber(digits);
  return n.kind == CellNumber::Number && n.value <= kMaxPrizeValue ? n : CellNumber{CellNumber::Wrong, 0};
}

std::string prizeTierProblem(long long winners, long long yen) {
  if (winners == 0 && yen != 0) return says::tierYenWithoutWinners();
  if (winners != 0 && yen == 0) return says::tierWinnersWithoutYen();
  return {};
}

std::optional<long> dayNumber(const std::string& date) {
  if (!isCalendarDate(date)) return std::nullopt;
  // days from civil (proleptic Gregorian calendar)
  long y = std::stol(date.substr(0, 4));
  const long m = std::stol(date.substr(5, 2)), d = std::stol(date.substr(8, 2));
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

namespace {

// 1970-01-01 (day 0) was a Thursday.
int weekdayOfDay(long day) { return static_cast<int>(((day + 4) % 7 + 7) % 7); }

bool breakDay(long day) {
  const std::chrono::year_month_day ymd{std::chrono::sys_days{std::chrono::days{day}}};
  const unsigned m = static_cast<unsigned>(ymd.month()), d = static_cast<unsigned>(ymd.day());
  return (m == 12 && d == 31) || (m == 1 && d <= 3);
}

// The day of the draw after draw `no` held on day `day`.
long nextDrawDay(int no, long day) {
  long next = day;
  if (weekdayOfDay(day) != kDrawWeekday) {
    // a date off the calendar (entered by hand before the rule): the next Tuesday
    while (weekdayOfDay(++next) != kDrawWeekday) {
    }
  } else {
    next += no < kLastFortnightlyDrawNo ? 14 : 7;
  }
  while (breakDay(next)) next += 7;
  return next;
}

std::atomic<Clock> g_clock{nullptr};

}  // namespace

int weekdayOf(const std::string& date) {
  const std::optional<long> n = dayNumber(date);
  return n ? weekdayOfDay(*n) : -1;
}

const char* weekdayName(int weekday) {
  static const char* const kNames[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
  return weekday >= 0 && weekday < 7 ? kNames[weekday] : "";
}

bool isYearEndBreak(const std::string& date) {
  const std::optional<long> n = dayNumber(date);
  return n && breakDay(*n);
}

std::string nextDrawDate(int no, const std::string& date) {
  const std::optional<long> n = dayNumber(date);
  return n ? dateOfDay(nextDrawDay(no, *n)) : std::string();
}

int drawsDue(int no, const std::string& date, const std::string& today) {
  const std::optional<long> from = dayNumber(date), to = dayNumber(today);
  if (!from || !to) return 0;
  int due = 0;
  for (long day = nextDrawDay(no, *from); day <= *to; day = nextDrawDay(no, day)) {
    ++due;
    ++no;
  }
  return due;
}

std::string newDrawDateProblem(int no, const std::string& date, const std::string& today) {
  const int weekday = weekdayOf(date);
  if (weekday < 0) return says::drawDateNotCalendar(no, date);
  if (weekday != kDrawWeekday) return says::drawDateWeekday(no, date, weekdayName(weekday), weekdayName(kDrawWeekday));
  if (isYearEndBreak(date)) return says::drawDateYearEnd(no, date);
  if (!today.empty() && date > today) return says::drawDateFuture(no, date, today);

  return {};
}

Clock setClock(Clock clock) { return g_clock.exchange(clock); }

std::chrono::system_clock::time_point now() {
  const Clock clock = g_clock.load();
  return clock ? clock() : std::chrono::system_clock::now();
}

std::string japanDate(std::chrono::system_clock::time_point t) {
  const auto japan = std::chrono::floor<std::chrono::days>(t + std::chrono::minutes(kJapanOffsetMinutes));
  return dateOfDay(japan.time_since_epoch().count());
}

std::string todayDate() { return japanDate(now()); }

}  // namespace km
