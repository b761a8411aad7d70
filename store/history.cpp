#include "store/history.h"

#include "store/messages.h"
#include "store/schema_names.h"

namespace km {

int WholeDraw::brokenField(const std::array<int, kNumberFields>& numbers) {
  for (int f = 0; f < kNumberFields; ++f)
    if (!isLotteryNumber(numbers[f])) return f;
  return repeatedNumberField(numbers);
}

Result<WholeDraw> WholeDraw::of(DrawNo no, const std::array<int, kNumberFields>& numbers) {
  const int f = brokenField(numbers);
  if (f < 0) {
    Draw d(no);
    for (int g = 0; g < kNumberFields; ++g) d.n[g] = LotteryNumber::of(numbers[g]);
    return WholeDraw(std::move(d));
  }
  if (numbers[f] == 0) return Failure{Fault::Invalid, says::wholeDrawBlank(schema::kNumbers[f])};
  if (!isLotteryNumber(numbers[f]))
    return Failure{Fault::Invalid, says::wholeDrawOutOfRange(schema::kNumbers[f], numbers[f])};
  return Failure{Fault::Invalid, says::repeatedNumber(f == Bonus)};
}

Result<WholeDraw> WholeDraw::of(const Draw& d) {
  std::array<int, kNumberFields> numbers{};
  for (int f = 0; f < kNumberFields; ++f) numbers[f] = d[f];
  Result<WholeDraw> w = of(d.no, numbers);
  if (w) w->draw_.date = d.date;
  return w;
}

Stats computeStats(const std::vector<Draw>& rows) {
  Stats s;
  if (rows.empty()) return s;  // every statistic keeps its initial value

  for (const Draw& d : rows) {
    if (!d.complete()) continue;
    for (int f = 0; f < kNumberFields; ++f) ++s.NumberHits[d[f]];
    s.LastDrawNo = d.no;
  }

  s.HitsMax = 0;
  s.HitsMin = 0;
  s.HitsGroupCount = 1;
  s.NumbersByHits.assign(1, std::string());
  for (int n = 1; n <= kMaxNumber; ++n) {
    const int h = s.NumberHits[n];
    if (h > s.HitsMax) {
      s.HitsMax = h;
      s.NumbersByHits.resize(h + 1);
    }
    std::string& list = s.NumbersByHits[h];
    if (list.empty()) {
      list = std::to_string(n);
      ++s.HitsGroupCount;
    } else {
      list += ',';
      list += std::to_string(n);
    }
  }
  return s;
}

namespace {

// A typed text in a message, cut at a character's end after 32 bytes.
std::string shortText(const std::string& t) {
  if (t.size() <= 32) return t;
  size_t end = 32;
  while (end > 0 && (static_cast<unsigned char>(t[end]) & 0xC0) == 0x80) --end;
  return t.substr(0, end) + "…";
}

}  // namespace

std::string prizeFieldName(int field) {
  if (field < 0 || field >= kPrizeFields) return {};
  return std::to_string(field / 2 + 1) + (field % 2 == 0 ? "等口数" : "等当せん金");
}

std::string prizeProblem(const PrizeTexts& texts, int* field) {
  auto at = [&](int f, std::string why) {
    if (field) *field = f;
    return why;
  };
  int filled = 0;
  for (int f = 0; f < kPrizeFields; ++f) {
    const CellNumber v = parsePrizeFigure(texts[f]);
    if (v.kind == CellNumber::Wrong) return at(f, says::prizeFieldWrong(prizeFieldName(f), shortText(texts[f])));
    filled += v.kind == CellNumber::Number;
  }
  if (filled == 0) return {};
  for (int f = 0; f < kPrizeFields; ++f)
    if (parsePrizeFigure(texts[f]).kind == CellNumber::Empty) return at(f, says::prizeFieldBlank(prizeFieldName(f)));
  for (int tier = 0; tier < kPrizeTiers; ++tier)
    if (const std::string why =
            prizeTierProblem(parsePrizeFigure(texts[2 * tier]).value, parsePrizeFigure(texts[2 * tier + 1]).value);
        !why.empty())
      return at(2 * tier + 1, says::prizeFieldTier(prizeFieldName(2 * tier + 1), why));

  return {};
}

std::optional<Prize> prizeOf(const PrizeTexts& texts) {
  if (!prizeProblem(texts).empty()) return std::nullopt;
  Prize p;
  for (int f = 0; f < kPrizeFields; ++f) {
    const CellNumber v = parsePrizeFigure(texts[f]);
    if (v.kind != CellNumber::Number) return std::nullopt;
    (f % 2 == 0 ? p.winners : p.yen)[f / 2] = v.value;
  }
  return p;
}

PrizeTexts prizeTexts(const std::optional<Prize>& prize) {
  PrizeTexts t;
  if (!prize) return t;
  for (int f = 0; f < kPrizeFields; ++f) t[f] = std::to_string((f % 2 == 0 ? prize->winners : prize->yen)[f / 2]);
  return t;
}

std::string groupedFigure(long long value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string t = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) t += ',';
    t += digits[i];
  }
  return t;
}

}  // namespace km
