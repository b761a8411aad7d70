// Every window's grids, written as JSON, stay byte for byte what they were
// when a cell still held its own copy of every property: a digest per window
// over a long generated history (with an incomplete draw and an empty
// number among the rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>

#include "frame/grid_export.h"
#include "frame/grid_json.h"
#include "tests/core/test_history.h"
#include "windows/window_table.h"

using namespace km;

namespace {

History longHistory(int n) {
  std::vector<Draw> rows;
  std::uint32_t x = 13;
  auto next = [&x] {
    x = x * 1103515245u + 12345u;
    return (x >> 16) % 31 + 1;
  };
  for (int i = 1; i <= n; ++i) {
    Draw d = test::draw(i);
    std::array<bool, 32> used{};
    for (int f = 0; f < 6; ++f) {
      int v;
      do v = static_cast<int>(next());
      while (used[v]);
      used[v] = true;
      d.n[f] = test::number(v);
    }
    std::sort(d.n.begin(), d.n.begin() + 5);
    if (i == n / 2) d.n[3].reset();  // one incomplete draw
    rows.push_back(d);
  }
  return History::fromRows(std::move(rows));
}

std::uint64_t fnv1a(const std::string& s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

struct Dumps {
  std::string json, csv;
};

// Every window through its row of the table, the prediction window with
// every reflect setting off (as without a settings file).
Dumps dump(const WindowRow& w, const History& h) {
  const PredictionState settings;
  const std::vector<Grid> owned = w.fill({h, settings});
  std::vector<const Grid*> grids;
  for (const Grid& g : owned) grids.push_back(&g);
  return {windowToJson(w.def, grids), gridsToCsvFile(grids)};
}

}  // namespace

TEST(GridGolden, EveryWindowWritesWhatItWroteBeforeCellsWereShared) {
  // Recorded from the grid that kept a whole cell per cell.
  const std::map<std::string, std::uint64_t> expected = {
#include "grid_golden_digests.inc"
  };
  const History h = longHistory(1500);
  std::ostringstream got;
  int compared = 0;
  for (const WindowRow& w : windowTable()) {
    const std::uint64_t d = fnv1a(dump(w, h).json);
    got << "    {\"" << w.def.name << "\", 0x" << std::hex << d << std::dec << "ull},\n";
    auto it = expected.find(w.def.name);
    if (it == expected.end()) continue;
    ++compared;
    EXPECT_EQ(it->second, d) << w.def.name;
  }
  EXPECT_EQ(compared, 20) << "digests now:\n" << got.str();
  if (HasFailure()) std::cout << got.str();
}

TEST(GridGolden, StreamedDumpsEqualTheWholeTexts) {
  const History h = longHistory(1500);
  const PredictionState settings;
  for (const WindowRow& w : windowTable()) {
    const std::vector<Grid> owned = w.fill({h, settings});
    std::vector<const Grid*> grids;
    for (const Grid& g : owned) grids.push_back(&g);
    std::ostringstream json, csv;
    writeWindowJson(json, w.def, grids);
    writeGridsCsv(csv, grids);
    EXPECT_EQ(json.str(), windowToJson(w.def, grids)) << w.def.name;
    EXPECT_EQ(csv.str(), gridsToCsvFile(grids)) << w.def.name;
  }
}
