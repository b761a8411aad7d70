#pragma once
// The two header rows that the last-digit windows put above and below their
// tables.
#include "frame/grid.h"

namespace km {

struct DigitHeaderRows {
  int title;   // "回数" and the title over columns 2..11, 20 points high
  int digits;  // "0".."9" in columns 2..11
};

// Writes the header from row `start`: title row first, or the digit row first
// when `bottom` (the header under the table).  Both rows of columns 2..11 are
// blue on light pink, the title's ten cells stand in one frame.  Lines of
// column 1 and of the digit row are the window's own.
DigitHeaderRows writeDigitHeader(Grid& g, int start, bool bottom);

}  // namespace km
