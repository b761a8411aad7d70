#pragma once
// Coverings from the literature: lines of five over the indices 0..v-1 of a
// pool such that every T-subset lies within a line, where they are known to be
// the fewest there can be.
#include <array>
#include <optional>
#include <vector>

#include "analyses/combos/wheel.h"

namespace km {

struct KnownDesign {
  int v = 0;                     // the pool's size
  int match = 0;                 // T (= M): every T-subset lies within a line
  std::vector<WheelLine> lines;  // over the indices 0..v-1, each ascending, in ascending order
  const char* what = "";         // the construction
};

// Every design built in, each the least there can be for its pool size and T.
const std::vector<KnownDesign>& knownDesigns();

// The lines of the built-in design for a pool of v numbers and a guarantee
// (T, M), or null when there is none.
const std::vector<WheelLine>* knownDesign(int v, int match, int ifDrawn);

// The least number of lines a wheel needs, where the literature proves it.
std::optional<int> provenWheelMinimum(int v, int match, int ifDrawn);

}  // namespace km
