#include "store/domain_values.h"

#include <cstdint>

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

std::string normalizedDate(std::string_view typed) {
  // spaces around it go and full-width digits become half-width, as a number's
  std::string folded;
  {
    size_t b = 0, e = typed.size(), len = 0;
    while (b < e && isSpaceAt(typed, b, len)) b += len;
    for (size_t i = b; i < e;) {
      const auto c = [&](size_t k) { return static_cast<unsigned char>(typed[k]); };
      if (e - i >= 3 && c(i) == 0xEF && c(i + 1) == 0xBC && c(i + 2) >= 0x90 && c(i + 2) <= 0x99) {
        folded += static_cast<char>('0' + (c(i + 2) - 0x90));
        i += 3;
      } else {
        folded += typed[i++];
      }
    }
    while (!folded.empty()) {
      if (folded.back() == ' ' || folded.back() == '\t')
        folded.pop_back();
      else if (folded.size() >= 3 && folded.compare(folded.size() - 3, 3, "\xE3\x80\x80") == 0)
        folded.resize(folded.size() - 3);
      else
        break;
    }
  }
  const std::string_view v = folded;
  // the three separators: "-" twice, "/" twice, or 年 月 日 (three bytes each in UTF-8)
  struct Form {
    std::string_view first, second, end;
  };
  static constexpr Form kForms[] = {{"-", "-", ""}, {"/", "/", ""}, {"\xE5\xB9\xB4", "\xE6\x9C\x88", "\xE6\x97\xA5"}};
  auto number = [](std::string_view t, size_t minLen, size_t maxLen, int& out) {
    if (t.size() < minLen || t.size() > maxLen) return false;
    out = 0;
    for (char c : t) {
      if (c < '0' || c > '9') return false;
      out = out * 10 + (c - '0');
    }
    return true;
  };
  for (const Form& f : kForms) {
    if (v.size() < 4 + f.first.size() || v.substr(4, f.first.size()) != f.first) continue;
    std::string_view rest = v.substr(4 + f.first.size());
    if (!f.end.empty()) {
      if (rest.size() < f.end.size() || rest.substr(rest.size() - f.end.size()) != f.end) return {};
      rest.remove_suffix(f.end.size());
    }
    const size_t mid = rest.find(f.second);
    int y = 0, m = 0, d = 0;
    if (mid == std::string_view::npos || !number(v.substr(0, 4), 4, 4, y) || !number(rest.substr(0, mid), 1, 2, m) ||
        !number(rest.substr(mid + f.second.size()), 1, 2, d))
      return {};
    std::string out = std::string(v.substr(0, 4)) + '-';
    out += static_cast<char>('0' + m / 10);
    out += static_cast<char>('0' + m % 10);
    out += '-';
    out += static_cast<char>('0' + d / 10);
    out += static_cast<char>('0' + d % 10);
    return isCalendarDate(out) ? out : std::string();
  }
  return {};
}

const char* wrongNumberReason() { return "数字は１～３１の整数で入力してください。"; }

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

const char* repeatedNumberReason(int field) {
  return field == 5 ? "ボーナス数字が本数字と同じです。" : "本数字に同じ数があります。";
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

const char* wrongPrizeReason() {
  return "口数と当せん金は0以上の整数（1,234,567 のような区切りも可）で入力してください。";
}

const char* prizeTierProblem(long long winners, long long yen) {
  if (winners == 0 && yen != 0) return "当せん口数が0の等級の当せん金は0円です。";
  if (winners != 0 && yen == 0) return "当せん口数のある等級の当せん金が0円になっています。";
  return nullptr;
}

}  // namespace km
