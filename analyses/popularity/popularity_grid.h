#pragma once
// 人気度's texts and grid: each number's popularity, the model's quality in
// a sentence, and what a line would pay.
#include <string>

#include "analyses/popularity/popularity_model.h"
#include "frame/grid.h"

namespace km {

// The tints of a number bought more (its line pays less) and less than the
// average, where the whole 95% interval lies on that side.
inline constexpr Rgb kMoreBoughtBg = RGB(255, 200, 200);
inline constexpr Rgb kLessBoughtBg = RGB(200, 220, 255);

// "+12.3%", "-4.0%".
std::string percentText(double fraction);
// An estimate of yen in three figures: "約1,530万円", "約11,200円".
std::string approxYenText(double yen);
// "1.18倍".
std::string factorText(double factor);

// Why nothing is estimated, for a model that is not fitted.
std::string notFittedText(const PopularityModel& model);
// How much of each tier's prizes the model explains on draws it never saw.
std::string qualitySentence(const PopularityModel& model);
// What the line would pay in the 1等, 3等 and 4等, against the average, and
// its expected prize against the average line's: one line each.
std::string lineEstimateText(const PopularityModel& model, const LineEstimate& e);

// The grid: a heading row, then numbers 1..31 (数字, 人気の順, 1等の賞金,
// 95%の範囲, 直近50回, 前回), then the draws it was fitted on and the draw
// it looks ahead to.
inline constexpr int kPopularityGridCols = 6;
Grid popularityGrid(const PopularityModel& model);
Grid fillPopularity(const History& history);

}  // namespace km
