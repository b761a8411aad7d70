#include "store/history.h"

namespace km {

namespace {

constexpr const char* kNumberNames[] = {"第1数字", "第2数字", "第3数字", "第4数字", "第5数字", "ボーナス数字"};

}  // namespace

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
  const std::string field = std::string("「") + kNumberNames[f] + "」";
  if (numbers[f] == 0) return Failure{Fault::Invalid, field + "が空欄です。"};
  if (!isLotteryNumber(numbers[f]))
    return Failure{Fault::Invalid, field + "の" + std::to_string(numbers[f]) + "は" + std::to_string(kMinNumber) +
                                       "〜" + std::to_string(kMaxNumber) + "の数ではありません。"};
  return Failure{Fault::Invalid, repeatedNumberReason(f)};
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

}  // namespace km
