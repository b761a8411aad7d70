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
  for (size_t i = 0; i < text.size();) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + (text[i] - '0');
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
