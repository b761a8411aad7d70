#include "analyses/statistics/chart_choice.h"

#include "store/domain_values.h"

namespace km {

std::optional<ChartKind> chartNamed(std::string_view name) {
  for (size_t i = 0; i < kChartNames.size(); ++i)
    if (kChartNames[i] == name) return static_cast<ChartKind>(i);
  return std::nullopt;
}

std::string_view chartName(ChartKind kind) { return kChartNames[static_cast<size_t>(kind)]; }

std::optional<std::vector<int>> parseChartNumbers(std::string_view text) {
  std::optional<std::vector<int>> numbers = readLotteryNumbers(text);
  if (numbers && numbers->size() > static_cast<size_t>(kMaxTrendNumbers)) return std::nullopt;
  return numbers;
}

}  // namespace km
