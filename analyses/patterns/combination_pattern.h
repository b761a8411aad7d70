#pragma once
// The grid shared by the two combination-pattern windows: every complete draw
// on one line, its five main numbers split into two classes (even/odd,
// low/high), both counts, and a pattern letter A..F for one of the counts.
#include <optional>

#include "frame/grid.h"
#include "store/history.h"

namespace km {

// One of the six pattern letters and the background of its cell.
struct PatternLetter {
  const char* letter;
  std::optional<Rgb> bg;  // none: the cell keeps its background
};

// The letter for a count of 0..5 ("A" for 0 .. "F" for 5).
const PatternLetter& patternLetter(int count);

// What tells the two windows apart.
struct PatternKind {
  const char* numbersHeader;  // over columns 2..6, written in column 3
  const char* firstHeader;    // column 8: count of the first class
  const char* secondHeader;   // column 9: count of the second class
  bool (*isFirstClass)(int number);
  bool letterByFirstCount;  // the letter follows the first count, else the second
  bool tintBonus;           // the bonus cell is tinted like a main number
};

// First-class numbers are tinted light cyan; the bonus is shown but never counted.
Grid fillCombinationPattern(const History& history, const PatternKind& kind);

}  // namespace km
