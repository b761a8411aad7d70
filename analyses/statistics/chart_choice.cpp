#include "analyses/statistics/chart_choice.h"

#include <algorithm>

#include "store/domain_values.h"

namespace km {

std::optional<ChartKind> chartNamed(std::string_view name) {
  for (size_t i = 0; i < kChartNames.size(); ++i)
    if (kChartNames[i] == name) return static_cast<ChartKind>(i);
  return std::nullopt;
}

std::string_view chartName(ChartKind kind) { return kChartNames[static_cast<size_t>(kind)]; }

std::optional<std::vector<int>> parseChartNumbers(std::string_view text) {
  std::vector<int> numbers;
  // a digit at i (０..９ as well), its value, and its length in bytes
  auto digitAt = [&text](size_t i, int& d) -> size_t {
    if (text[i] >= '0' && text[i] <= '9') {
      d = text[i] - '0';
      return 1;
    }
    if (text.size() - i >= 3 && static_cast<unsigned char>(text[i]) == 0xEF &&
        static_cast<unsigned char>(text[i + 1]) == 0xBC && static_cast<unsigned char>(text[i + 2]) >= 0x90 &&
        static_cast<unsigned char>(text[i + 2]) <= 0x99) {
      d = static_cast<unsigned char>(text[i + 2]) - 0x90;
      return 3;
    }
    return 0;
  };
  for (size_t i = 0; i < text.size();) {
    int d = 0;
    if (!digitAt(i, d)) {
      ++i;
      continue;
    }
    int value = 0;
    for (size_t len; i < text.size() && (len = digitAt(i, d)) > 0; i += len) {
      value = value * 10 + d;
      if (value > kMaxNumber) return std::nullopt;
    }
    if (!isLotteryNumber(value) || std::find(numbers.begin(), numbers.end(), value) != numbers.end())
      return std::nullopt;
    numbers.push_back(value);
    if (numbers.size() > static_cast<size_t>(kMaxTrendNumbers)) return std::nullopt;
  }
  if (numbers.empty()) return std::nullopt;
  return numbers;
}

}  // namespace km
