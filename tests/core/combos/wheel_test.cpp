// Wheels: every size of the table met and checked here against every M-subset
// of the pool by a plain enumeration of the test's own, the built-in designs
// checked the same way, wheels under allowed lines, the refusals and the bounds.
#include "analyses/combos/wheel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "analyses/combos/wheel_designs.h"

namespace km {
namespace {

// Every `size`-subset of `items`, each ascending.
std::vector<std::vector<int>> subsets(const std::vector<int>& items, int size) {
  std::vector<std::vector<int>> out;
  std::vector<int> pick;
  auto walk = [&](auto&& self, size_t from) -> void {
    if (static_cast<int>(pick.size()) == size) {
      out.push_back(pick);
      return;
    }
    for (size_t i = from; i < items.size(); ++i) {
      pick.push_back(items[i]);
      self(self, i + 1);
      pick.pop_back();
    }
  };
  walk(walk, 0);
  return out;
}

int common(const std::vector<int>& a, const WheelLine& line) {
  int n = 0;
  for (int x : a) n += static_cast<int>(std::count(line.begin(), line.end(), x));
  return n;
}

// The M-subsets of the pool that no line meets in T numbers, by brute force.
long long plainUncovered(const std::vector<int>& pool, int t, int m, const std::vector<WheelLine>& lines) {
  long long n = 0;
  for (const std::vector<int>& s : subsets(pool, m))
    if (std::none_of(lines.begin(), lines.end(), [&](const WheelLine& l) { return common(s, l) >= t; })) ++n;
  return n;
}

// Lines are five different numbers of the pool, ascending, the lines in ascending order without repeats.
void expectSoundLines(const std::vector<WheelLine>& lines, const std::vector<int>& pool) {
  for (const WheelLine& l : lines) {
    EXPECT_TRUE(std::is_sorted(l.begin(), l.end()) && std::adjacent_find(l.begin(), l.end()) == l.end());
    for (int x : l) EXPECT_TRUE(std::count(pool.begin(), pool.end(), x)) << x;
  }
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
  EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end());
}

// v numbers spread over 1..31 (not 1..v), so that the pool's indices and its numbers differ.
std::vector<int> spreadPool(int v) {
  std::vector<int> pool;
  for (int i = 0; i < 31 && static_cast<int>(pool.size()) < v; ++i) pool.push_back(31 - (i * 7) % 31);
  std::sort(pool.begin(), pool.end());
  return pool;
}

struct SizeCase {
  int v, t, m;
  int most;    // the wheel has at most this many lines
  bool exact;  // ... and exactly as many (the proven minimum)
  int bound;   // the published lower bound: Schönheim's L(v, 5, t), for M > T from Turán's numbers (0: none)
};

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << "pool " << c.v << ", T " << c.t << ", M " << c.m << (c.exact ? ": " : ": at most ") << c.most;
}

class WheelSizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(WheelSizes, GuaranteeHoldsAtTheSize) {
  const SizeCase c = GetParam();
  const std::vector<int> pool = spreadPool(c.v);
  ASSERT_EQ(static_cast<int>(pool.size()), c.v);
  const Wheel w = makeWheel({pool, c.t, c.m});
  ASSERT_EQ(w.status, Wheel::Made) << w.reason;
  expectSoundLines(w.lines, pool);
  EXPECT_EQ(plainUncovered(pool, c.t, c.m, w.lines), 0);
  EXPECT_EQ(w.uncovered, 0);
  EXPECT_LE(static_cast<int>(w.lines.size()), c.most);
  EXPECT_LE(w.lowerBound, static_cast<int>(w.lines.size()));
  if (c.bound) {
    EXPECT_EQ(w.lowerBound, c.bound);
  }
  if (c.exact) {
    EXPECT_EQ(static_cast<int>(w.lines.size()), c.most);
    EXPECT_EQ(w.provenMinimum, c.most);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WheelSizes,
    ::testing::Values(
        // the proven minima: the least number of lines there can be
        SizeCase{9, 4, 4, 30, true, 26}, SizeCase{10, 4, 4, 51, true, 50}, SizeCase{11, 4, 4, 66, true, 66},
        SizeCase{12, 4, 4, 113, true, 113}, SizeCase{21, 2, 2, 21, true, 21}, SizeCase{25, 2, 2, 30, true, 30},
        SizeCase{17, 3, 3, 68, true, 68}, SizeCase{6, 2, 2, 3, true, 3},
        // clearly below a plain greedy choice (34, 65 and 155 lines)
        SizeCase{12, 3, 3, 30, false, 27}, SizeCase{15, 3, 3, 58, false, 54}, SizeCase{20, 3, 3, 141, false, 116},
        // M > T: five of 20 numbers put two on one of four disjoint lines and three in one half of 20 (two
        // wheels of 3 of 3 over 10, 17 lines each); the bound: every 5 of 20 numbers hold an edge of a graph
        // without 5 independent numbers, at least 4 cliques of 5 (40 edges), and a line holds 10 edges
        SizeCase{20, 2, 5, 4, true, 4}, SizeCase{10, 2, 3, 2, true, 2}, SizeCase{20, 3, 5, 34, false, 0}));

// Published bounds beyond the sizes made above.
TEST(WheelBounds, AgreeWithPublishedValues) {
  EXPECT_EQ(schoenheimBound(31, 4, 4), 6324);
  EXPECT_EQ(schoenheimBound(11, 2, 3), 3);
}

TEST(WheelDesigns, EveryBuiltInDesignCoversEveryTSubsetAndMeetsItsMinimum) {
  ASSERT_FALSE(knownDesigns().empty());
  for (const KnownDesign& d : knownDesigns()) {
    std::vector<int> points(static_cast<size_t>(d.v));
    for (int i = 0; i < d.v; ++i) points[static_cast<size_t>(i)] = i;
    SCOPED_TRACE(d.what);
    expectSoundLines(d.lines, points);
    EXPECT_EQ(plainUncovered(points, d.match, d.match, d.lines), 0);
    EXPECT_EQ(provenWheelMinimum(d.v, d.match, d.match), static_cast<int>(d.lines.size()));
    EXPECT_GE(static_cast<int>(d.lines.size()), schoenheimBound(d.v, d.match, d.match));
  }
}

// All the lines of the pool for which keep(line) holds.
std::vector<WheelLine> linesWhere(const std::vector<int>& pool, const std::function<bool(const WheelLine&)>& keep) {
  std::vector<WheelLine> out;
  for (const std::vector<int>& s : subsets(pool, 5)) {
    const WheelLine l{s[0], s[1], s[2], s[3], s[4]};
    if (keep(l)) out.push_back(l);
  }
  return out;
}

bool holds(const WheelLine& l, int x) { return std::count(l.begin(), l.end(), x) > 0; }

struct AllowedCase {
  const char* what;
  int t, m;
  std::function<bool(const WheelLine&)> keep;
  long long uncovered;  // the M-subsets no allowed line can meet in T
};

void PrintTo(const AllowedCase& c, std::ostream* os) { *os << c.what << ", T " << c.t << ", M " << c.m; }

class WheelAllowed : public ::testing::TestWithParam<AllowedCase> {};

TEST_P(WheelAllowed, UsesOnlyAllowedLinesAndCountsWhatStaysUncovered) {
  const AllowedCase& c = GetParam();
  const std::vector<int> pool{1, 2, 3, 5, 8, 13, 21, 30, 31};
  std::vector<WheelLine> allowed = linesWhere(pool, c.keep);
  allowed.push_back({4, 6, 7, 9, 10});  // beyond the pool: never used
  const Wheel w = makeWheel({pool, c.t, c.m, &allowed});
  ASSERT_EQ(w.status, Wheel::Made) << w.reason;
  for (const WheelLine& l : w.lines) EXPECT_TRUE(std::count(allowed.begin(), allowed.end(), l)) << l[0];
  expectSoundLines(w.lines, pool);
  EXPECT_EQ(w.uncovered, c.uncovered);
  EXPECT_EQ(plainUncovered(pool, c.t, c.m, w.lines), c.uncovered);
}

INSTANTIATE_TEST_SUITE_P(Conditions, WheelAllowed,
                         ::testing::Values(
                             // every line holds 13: a pair without 13 still lies in one of them
                             AllowedCase{"axis", 2, 2, [](const WheelLine& l) { return holds(l, 13); }, 0},
                             // no line holds both 1 and 2: that pair alone stays uncovered
                             AllowedCase{"pair apart", 2, 2,
                                         [](const WheelLine& l) { return !(holds(l, 1) && holds(l, 2)); }, 1},
                             // ... but three drawn numbers with 1 and 2 meet a line in another pair
                             AllowedCase{"pair apart, three drawn", 2, 3,
                                         [](const WheelLine& l) { return !(holds(l, 1) && holds(l, 2)); }, 0},
                             // no line holds 31: the 28 triples with 31 have at most two numbers on any line
                             AllowedCase{"without 31", 3, 3, [](const WheelLine& l) { return !holds(l, 31); }, 28},
                             // no line at all
                             AllowedCase{"none", 2, 3, [](const WheelLine&) { return false; }, 84}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

struct RefusalCase {
  std::vector<int> pool;
  int t, m;
  const char* says;  // a part of the reason
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.pool.size() << " numbers, T " << c.t << ", M " << c.m; }

class WheelRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(WheelRefusals, RefusedWithAReason) {
  const RefusalCase& c = GetParam();
  const Wheel w = makeWheel({c.pool, c.t, c.m});
  EXPECT_EQ(w.status, Wheel::Refused);
  EXPECT_TRUE(w.lines.empty());
  EXPECT_NE(w.reason.find(c.says), std::string::npos) << w.reason;
}

std::vector<int> range(int from, int to) {
  std::vector<int> r;
  for (int i = from; i <= to; ++i) r.push_back(i);
  return r;
}

INSTANTIATE_TEST_SUITE_P(Table, WheelRefusals,
                         ::testing::Values(RefusalCase{range(1, 5), 2, 2, "6〜31個"}, RefusalCase{{}, 2, 2, "今は0個"},
                                           RefusalCase{{0, 1, 2, 3, 4, 5}, 2, 2, "「0」は1〜31"},
                                           RefusalCase{{1, 2, 3, 4, 5, 32}, 2, 2, "「32」は1〜31"},
                                           RefusalCase{{1, 2, 3, 4, 5, 5}, 2, 2, "数字5が2回"},
                                           RefusalCase{range(1, 8), 1, 2, "2〜4個"},
                                           RefusalCase{range(1, 8), 5, 5, "2〜4個"},
                                           RefusalCase{range(1, 8), 3, 2, "3個）から5個"},
                                           RefusalCase{range(1, 8), 2, 6, "2個）から5個"}));

TEST(WheelUncovered, CountsByHand) {
  const std::vector<int> pool{3, 9, 14, 20, 27, 31};
  const std::vector<WheelLine> one{{3, 9, 14, 20, 27}};
  EXPECT_EQ(uncoveredSubsets(pool, 2, 2, one), 5);   // the pairs with 31
  EXPECT_EQ(uncoveredSubsets(pool, 2, 3, one), 0);   // three of six hold two of the line
  EXPECT_EQ(uncoveredSubsets(pool, 4, 4, one), 10);  // the 4-subsets with 31
  EXPECT_EQ(uncoveredSubsets(pool, 3, 5, {}), 6);
  // a line with numbers beyond the pool meets its subsets in the numbers it shares
  EXPECT_EQ(uncoveredSubsets(pool, 2, 2, {{1, 2, 3, 4, 9}}), 14);
  EXPECT_EQ(uncoveredSubsets(pool, 2, 3, {{1, 2, 3, 4, 9}}), 16);  // 20 triples, 4 with 3 and 9
  EXPECT_EQ(uncoveredSubsets({1, 1, 2, 3, 4, 5}, 2, 2, one), -1);
}

TEST(WheelControl, SameRequestSameLinesProgressToTheEndAndAStopEndsIt) {
  const std::vector<int> pool = spreadPool(11);
  std::vector<int> seen;
  WheelControl control;
  control.progress = [&](int p) { seen.push_back(p); };
  const Wheel a = makeWheel({pool, 3, 4}, control);
  const Wheel b = makeWheel({pool, 3, 4});
  ASSERT_EQ(a.status, Wheel::Made);
  EXPECT_EQ(a.lines, b.lines);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), 100);

  // a stop asked before the start, and one asked at the first progress
  for (const bool before : {true, false}) {
    std::atomic<bool> stop{before};
    seen.clear();
    control.stop = &stop;
    control.progress = [&](int p) {
      seen.push_back(p);
      stop = true;
    };
    const Wheel c = makeWheel({spreadPool(20), 3, 3}, control);
    EXPECT_EQ(c.status, Wheel::Cancelled);
    EXPECT_TRUE(c.lines.empty());
    EXPECT_LE(seen.size(), before ? 0u : 1u);
  }
}

}  // namespace
}  // namespace km
