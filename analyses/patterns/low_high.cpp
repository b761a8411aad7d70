#include "analyses/patterns/low_high.h"

#include "analyses/patterns/combination_pattern.h"

namespace km {

namespace {

bool isLow(int number) { return number <= 15; }

// Low numbers are tinted, the bonus too; the letter follows the low count.
constexpr PatternKind kLowHigh = {.numbersHeader = "          本 数 字",
                                  .firstHeader = "低数字",
                                  .secondHeader = "高数字",
                                  .isFirstClass = isLow,
                                  .letterByFirstCount = true,
                                  .tintBonus = true};

}  // namespace

Grid fillLowHigh(const History& history) { return fillCombinationPattern(history, kLowHigh); }

}  // namespace km
