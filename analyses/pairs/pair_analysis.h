#pragma once
// 相性分析: how often two main numbers came up in the same draw, beside the
// count that chance alone would give.
#include <array>

#include "frame/grid.h"
#include "store/history.h"

namespace km {

// A pair of numbers is among a draw's five main numbers in 20 of 930 draws
// (C(29,3) / C(31,5)): over D draws chance gives D * 20 / 930 on average,
// with the standard deviation of a binomial count.  A pair's step is how many
// whole standard deviations (up to two) its count lies above (positive) or
// below (negative) that mean; 0 within one.
int pairTintStep(long long count, long long draws);

// Background of each step, from two below (index 0) to two above (index 4).
inline constexpr std::array<Rgb, 5> kPairTints = {RGB(150, 185, 255), RGB(210, 225, 255), kWhite, RGB(255, 210, 210),
                                                  RGB(255, 150, 150)};
inline constexpr Rgb pairTint(int step) {
  const int index = step + 2;
  return kPairTints[static_cast<size_t>(index)];
}
// The diagonal: a number's own count as a main number.
inline constexpr Rgb kPairOwnCountBg = RGB(210, 210, 210);

// Row 1 and column 1 name the numbers 1..31; cell (c + 1, r + 1) holds how
// many complete draws had both r and c among their main numbers, the
// diagonal how many had r.  Incomplete draws count for nothing; the bonus
// number is not looked at.
Grid fillPairs(const History& history);

}  // namespace km
