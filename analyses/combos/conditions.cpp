#include "analyses/combos/conditions.h"

#include <algorithm>
#include <bit>
#include <random>

#include "store/domain_values.h"
#include "store/files/text_excerpt.h"

namespace km {

namespace {

// A line as the passes read it: its numbers as bits and its traits in bytes.
struct PackedLine {
  NumberSet numbers;
  std::uint8_t sum, odd, low, consecutive, lastDigits;
  std::array<std::uint8_t, 5> n;
};

// Every line of five numbers, in ascending order, made once.
const std::vector<PackedLine>& allLines() {
  static const std::vector<PackedLine> lines = [] {
    std::vector<PackedLine> out;
    out.reserve(kLineCount);
    TicketNumbers l{};
    for (l[0] = 1; l[0] <= 27; ++l[0])
      for (l[1] = l[0] + 1; l[1] <= 28; ++l[1])
        for (l[2] = l[1] + 1; l[2] <= 29; ++l[2])
          for (l[3] = l[2] + 1; l[3] <= 30; ++l[3])
            for (l[4] = l[3] + 1; l[4] <= 31; ++l[4]) {
              const LineTraits t = lineTraits(l);
              PackedLine p{numberSet(l),
                           static_cast<std::uint8_t>(t.sum),
                           static_cast<std::uint8_t>(t.odd),
                           static_cast<std::uint8_t>(t.low),
                           static_cast<std::uint8_t>(t.consecutive),
                           static_cast<std::uint8_t>(t.lastDigits),
                           {}};
              for (size_t i = 0; i < 5; ++i) p.n[i] = static_cast<std::uint8_t>(l[i]);
              out.push_back(p);
            }
    return out;
  }();
  return lines;
}

constexpr unsigned bit(Condition c) { return 1u << static_cast<unsigned>(c); }
constexpr unsigned kAllPass = (1u << kConditionCount) - 1;

// The conditions made ready for the passes: a condition that is off keeps
// every value.
struct Test {
  NumberSet axis, excluded;
  unsigned sumFrom, sumSpan;
  CountSet odd, low, consecutive, recent, lastDigits;

  explicit Test(const Conditions& c)
      : axis(c.axis),
        excluded(c.excluded),
        sumFrom(c.sum ? static_cast<unsigned>(c.sumFrom) : 0u),
        sumSpan(c.sum ? static_cast<unsigned>(c.sumTo - c.sumFrom) : ~0u),
        odd(c.odd ? c.odd : 0xFF),
        low(c.low ? c.low : 0xFF),
        consecutive(c.consecutive ? c.consecutive : 0xFF),
        recent(c.recent ? c.recent : 0xFF),
        lastDigits(c.lastDigits ? c.lastDigits : 0xFF) {}

  // The conditions the line passes, a bit each; `recentNumbers` are the
  // numbers of the N draws it is judged against.
  unsigned passes(NumberSet numbers, unsigned sum, unsigned oddCount, unsigned lowCount, unsigned pairs,
                  unsigned digits, NumberSet recentNumbers) const {
    const auto is = [](bool b, Condition c) { return b ? bit(c) : 0u; };
    return is((numbers & axis) == axis, Condition::Axis) | is((numbers & excluded) == 0, Condition::Excluded) |
           is(sum - sumFrom <= sumSpan, Condition::Sum) | is((odd >> oddCount) & 1, Condition::Odd) |
           is((low >> lowCount) & 1, Condition::Low) | is((consecutive >> pairs) & 1, Condition::Consecutive) |
           is((recent >> std::popcount(numbers & recentNumbers)) & 1, Condition::Recent) |
           is((lastDigits >> digits) & 1, Condition::LastDigits);
  }
  unsigned passes(const PackedLine& l, NumberSet recentNumbers) const {
    return passes(l.numbers, l.sum, l.odd, l.low, l.consecutive, l.lastDigits, recentNumbers);
  }
};

std::string quoted(std::string_view text) { return "「" + excerpt(text) + "」"; }

// The ticked counts of a condition beyond the values it can take.
bool countsOutside(CountSet s, CountRange r) {
  for (int v = 0; v < 8; ++v)
    if (((s >> v) & 1) && (v < r.first || v > r.last)) return true;
  return false;
}

}  // namespace

const char* conditionName(Condition c) {
  switch (c) {
    case Condition::Axis:
      return "軸数字";
    case Condition::Excluded:
      return "除外数字";
    case Condition::Sum:
      return "合計";
    case Condition::Odd:
      return "奇数の個数";
    case Condition::Low:
      return "低数字の個数";
    case Condition::Consecutive:
      return "連番の数";
    case Condition::Recent:
      return "直近N回に出た数字の個数";
    case Condition::LastDigits:
      return "下一桁の種類";
  }
  return "";
}

CountRange countRange(Condition c) {
  switch (c) {
    case Condition::Consecutive:
      return {0, 4};
    case Condition::LastDigits:
      return {1, 5};
    default:
      return {0, 5};
  }
}

bool Conditions::on(Condition c) const {
  switch (c) {
    case Condition::Axis:
      return axis != 0;
    case Condition::Excluded:
      return excluded != 0;
    case Condition::Sum:
      return sum;
    case Condition::Odd:
      return odd != 0;
    case Condition::Low:
      return low != 0;
    case Condition::Consecutive:
      return consecutive != 0;
    case Condition::Recent:
      return recent != 0;
    case Condition::LastDigits:
      return lastDigits != 0;
  }
  return false;
}

bool Conditions::any() const {
  for (int k = 0; k < kConditionCount; ++k)
    if (on(static_cast<Condition>(k))) return true;
  return false;
}

std::string conditionsProblem(const Conditions& c) {
  constexpr NumberSet kNumbers = 0xFFFFFFFEu;  // 1..31
  if ((c.axis | c.excluded) & ~kNumbers) return "数字は1〜31です。";
  if (numberCount(c.axis) > kMaxAxisNumbers)
    return "軸数字は" + std::to_string(kMaxAxisNumbers) + "個までです（" + std::to_string(numberCount(c.axis)) +
           "個）。";
  if (const NumberSet both = c.axis & c.excluded)
    return "数字" + std::to_string(std::countr_zero(both)) + "が軸数字と除外数字の両方にあります。";
  if (c.sum && c.sumFrom > c.sumTo)
    return "合計の範囲が逆です（" + std::to_string(c.sumFrom) + "〜" + std::to_string(c.sumTo) + "）。";
  if (c.sum && (c.sumFrom < kMinLineSum || c.sumTo > kMaxLineSum))
    return "合計は" + std::to_string(kMinLineSum) + "〜" + std::to_string(kMaxLineSum) + "の範囲で指定します。";
  if (c.recentDraws < 1 || c.recentDraws > kMaxRecentDraws)
    return "直近N回のNは1〜" + std::to_string(kMaxRecentDraws) + "です。";
  const std::pair<Condition, CountSet> counts[] = {{Condition::Odd, c.odd},
                                                   {Condition::Low, c.low},
                                                   {Condition::Consecutive, c.consecutive},
                                                   {Condition::Recent, c.recent},
                                                   {Condition::LastDigits, c.lastDigits}};
  for (const auto& [which, set] : counts) {
    const CountRange r = countRange(which);
    if (countsOutside(set, r))
      return std::string(conditionName(which)) + "は" + std::to_string(r.first) + "〜" + std::to_string(r.last) +
             "です。";
  }
  return {};
}

LineTraits lineTraits(const TicketNumbers& line) {
  LineTraits t;
  unsigned digits = 0;
  for (size_t i = 0; i < 5; ++i) {
    const int n = line[i];
    t.sum += n;
    t.odd += n % 2;
    t.low += n <= kHighestLowNumber;
    if (i > 0 && line[i - 1] + 1 == n) ++t.consecutive;
    digits |= 1u << (n % 10);
  }
  t.lastDigits = std::popcount(digits);
  return t;
}

NumberSet numberSet(const TicketNumbers& line) {
  NumberSet s = 0;
  for (int n : line) s |= NumberSet{1} << n;
  return s;
}

int numberCount(NumberSet s) { return std::popcount(s); }

LineSpace::LineSpace(const History& history) {
  allLines();  // made now, not at the first change of a condition
  for (const Draw& d : history.draws) {
    TicketNumbers line{};
    bool entered = true;
    for (int f = 0; f < 5; ++f) {
      entered = entered && d.n[f].has_value();
      line[f] = d[f];
    }
    if (!entered) continue;
    std::sort(line.begin(), line.end());
    Judged j{numberSet(line), lineTraits(line), {}};
    const size_t here = draws_.size();
    for (size_t k = 1; k <= kMaxRecentDraws && k <= here; ++k) j.before[k] = j.before[k - 1] | draws_[here - k].numbers;
    draws_.push_back(j);
  }
}

NumberSet LineSpace::recentNumbers(int n) const {
  NumberSet s = 0;
  for (size_t k = 0; k < static_cast<size_t>(std::clamp(n, 0, kMaxRecentDraws)) && k < draws_.size(); ++k)
    s |= draws_[draws_.size() - 1 - k].numbers;
  return s;
}

template <class F>
void LineSpace::forEachKept(const Conditions& c, F f) const {
  const Test test(c);
  const NumberSet recent = recentNumbers(c.recentDraws);
  const std::vector<PackedLine>& lines = allLines();
  for (size_t i = 0; i < lines.size(); ++i)
    if (test.passes(lines[i], recent) == kAllPass) f(lines[i]);
}

Figures LineSpace::figures(const Conditions& c) const {
  Figures fig;
  for (int k = 0; k < kConditionCount; ++k) fig.each[k].on = c.on(static_cast<Condition>(k));
  fig.all.on = c.any();
  const Test test(c);

  // the lines: a count per condition and for all of them
  const NumberSet recent = recentNumbers(c.recentDraws);
  std::array<long long, kConditionCount> kept{};
  long long all = 0;
  NumberSet left = 0;
  for (const PackedLine& l : allLines()) {
    const unsigned passed = test.passes(l, recent);
    for (int k = 0; k < kConditionCount; ++k) kept[k] += (passed >> k) & 1;
    if (passed == kAllPass) {
      ++all;
      left |= l.numbers;
    }
  }
  for (int k = 0; k < kConditionCount; ++k) fig.each[k].kept = kept[k];
  fig.all.kept = all;
  fig.numbersLeft = left;

  // the stored winning lines, each against the draws before it
  const int n = std::clamp(c.recentDraws, 1, kMaxRecentDraws);
  const unsigned recentBit = bit(Condition::Recent);
  for (size_t i = 0; i < draws_.size(); ++i) {
    const Judged& d = draws_[i];
    const bool hasBefore = i >= static_cast<size_t>(n);
    const LineTraits& t = d.traits;
    const unsigned passed = test.passes(d.numbers, static_cast<unsigned>(t.sum), static_cast<unsigned>(t.odd),
                                        static_cast<unsigned>(t.low), static_cast<unsigned>(t.consecutive),
                                        static_cast<unsigned>(t.lastDigits), d.before[static_cast<size_t>(n)]);
    for (int k = 0; k < kConditionCount; ++k) {
      if ((1u << k) == recentBit && !hasBefore) continue;
      ++fig.each[k].judged;
      fig.each[k].hits += (passed >> k) & 1;
    }
    if (fig.each[static_cast<size_t>(Condition::Recent)].on && !hasBefore) continue;
    ++fig.all.judged;
    fig.all.hits += passed == kAllPass;
  }
  return fig;
}

std::vector<TicketNumbers> LineSpace::keptLines(const Conditions& c, size_t limit) const {
  std::vector<TicketNumbers> out;
  forEachKept(c, [&](const PackedLine& l) {
    if (out.size() >= limit) return;
    out.push_back({l.n[0], l.n[1], l.n[2], l.n[3], l.n[4]});
  });
  return out;
}

std::vector<TicketNumbers> LineSpace::sampleLines(const Conditions& c, int count, std::uint64_t seed) const {
  std::vector<const PackedLine*> kept;
  forEachKept(c, [&](const PackedLine& l) { kept.push_back(&l); });
  const size_t k = std::min(kept.size(), static_cast<size_t>(std::max(count, 0)));
  // a partial shuffle with the engine's own numbers only: the standard fixes
  // every number mt19937_64 gives, and no distribution of the library is used
  std::mt19937_64 engine(seed);
  auto below = [&engine](std::uint64_t n) {
    const std::uint64_t threshold = (0 - n) % n;  // 2^64 mod n: the numbers under it would favour the small ones
    for (;;)
      if (const std::uint64_t x = engine(); x >= threshold) return x % n;
  };
  for (size_t i = 0; i < k; ++i) std::swap(kept[i], kept[i + below(kept.size() - i)]);
  kept.resize(k);
  std::sort(kept.begin(), kept.end());  // the table is in ascending order of the lines
  std::vector<TicketNumbers> out;
  out.reserve(k);
  for (const PackedLine* l : kept) out.push_back({l->n[0], l->n[1], l->n[2], l->n[3], l->n[4]});
  return out;
}

NumberSetParse parseNumberSet(std::string_view text) {
  NumberSetParse r;
  for (std::string_view t : numberTexts(text)) {
    const CellNumber n = parseCellNumber(t);
    if (n.kind != CellNumber::Number) {
      r.error = quoted(t) + "は1〜31の数字ではありません";
      return r;
    }
    const NumberSet b = NumberSet{1} << n.value;
    if (r.set & b) {
      r.error = "数字" + std::to_string(n.value) + "が2回あります";
      return r;
    }
    r.set |= b;
  }
  return r;
}

CountsParse parseCountSet(std::string_view text, CountRange range) {
  CountsParse r;
  for (std::string_view t : numberTexts(text)) {
    const CellNumber n = parseWholeNumber(t);
    if (n.kind != CellNumber::Number || n.value < range.first || n.value > range.last) {
      r.error = quoted(t) + "は" + std::to_string(range.first) + "〜" + std::to_string(range.last) + "ではありません";
      return r;
    }
    const auto b = static_cast<CountSet>(1u << n.value);
    if (r.set & b) {
      r.error = std::to_string(n.value) + "が2回あります";
      return r;
    }
    r.set = static_cast<CountSet>(r.set | b);
  }
  return r;
}

std::string numberSetText(NumberSet s) {
  std::string t;
  for (int n = kMinNumber; n <= kMaxNumber; ++n)
    if ((s >> n) & 1) {
      if (!t.empty()) t += ' ';
      t += std::to_string(n);
    }
  return t;
}

std::string countSetText(CountSet s) {
  std::string t;
  for (int v = 0; v < 8; ++v)
    if ((s >> v) & 1) {
      if (!t.empty()) t += ',';
      t += std::to_string(v);
    }
  return t;
}

}  // namespace km
