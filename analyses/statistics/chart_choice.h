#pragma once
// Which chart the グラフ window (and kazumaki-tool chart) draws.
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace km {

enum class ChartKind { Trend, SumDistribution, GapDistribution, Prizes };

inline constexpr std::array<std::string_view, 4> kChartNames = {"出現の推移", "合計の分布", "出現間隔の分布",
                                                                "賞金の推移"};
inline constexpr std::array<int, 3> kTrendWindows = {52, 104, 260};
inline constexpr int kMaxTrendNumbers = 5;
// Gaps of this many draws or more share the last bar.
inline constexpr int kGapBins = 40;

struct ChartChoice {
  ChartKind kind = ChartKind::Trend;
  std::vector<int> numbers = {1};  // 出現の推移: one to five different numbers of 1..31
  int window = 104;                // 出現の推移: one of kTrendWindows
};

std::optional<ChartKind> chartNamed(std::string_view name);
std::string_view chartName(ChartKind kind);

// "7,12" or "7 12 31": one to five different numbers of 1..31, read as every
// list of numbers is (readLotteryNumbers); none when the text is not that.
std::optional<std::vector<int>> parseChartNumbers(std::string_view text);

}  // namespace km
