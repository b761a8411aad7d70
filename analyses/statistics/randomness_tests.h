#pragma once
// 検定: whether the stored draws look like fair random draws, each check
// with its figure, its p-value and one sentence of what it means.
#include "frame/grid.h"
#include "store/history.h"

namespace km {

// Rows 1 and 2: what many tests at once mean; row 3: the headings (検定,
// 値, 自由度, p値, 意味); rows 4..8: the corrected chi-square of the main
// numbers, the chi-square of the bonus number, the runs of odd and even
// draws, the mean and the variance of the sum; row 9: the draws counted.
Grid fillRandomnessTests(const History& history);

// The background of a p-value below 0.05.
inline constexpr Rgb kUnusualPBg = RGB(255, 220, 170);

// The sentence's reading of a p-value.
const char* pValueReading(double p);

}  // namespace km
