#include "analyses/patterns/odd_even.h"

#include "analyses/patterns/combination_pattern.h"

namespace km {

namespace {

bool isEven(int number) { return number % 2 == 0; }

// Even numbers are tinted; the letter follows the odd count.
constexpr PatternKind kOddEven = {.numbersHeader = "          本 数 字      ",
                                  .firstHeader = "偶数",
                                  .secondHeader = "奇数",
                                  .isFirstClass = isEven,
                                  .letterByFirstCount = false,
                                  .tintBonus = false};

}  // namespace

Grid fillOddEven(const History& history) { return fillCombinationPattern(history, kOddEven); }

}  // namespace km
