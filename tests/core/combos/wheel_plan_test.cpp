// 保証つき as the window asks for it: the pool by default, the kept lines a
// wheel under conditions may use, and what is said when its guarantee then
// cannot hold.
#include "analyses/combos/wheel_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analyses/combos/combo_grids.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

NumberSet numbers(std::initializer_list<int> ns) {
  NumberSet s = 0;
  for (int n : ns) s |= NumberSet{1} << n;
  return s;
}

const LineSpace& space() {
  static const LineSpace s(test::history({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}));
  return s;
}

TEST(WheelPlan, ThePoolAndTheLinesTheConditionsLeave) {
  Conditions c;
  // no condition, no pool chosen: every number
  WheelPlan p = planWheel(space(), c, 0, 3, 3);
  ASSERT_TRUE(p.ok()) << p.problem;
  EXPECT_EQ(p.pool.size(), 31u);
  EXPECT_FALSE(p.limited);

  // excluded numbers leave the pool, and every line of what is left is kept: not limited
  c.excluded = numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
  p = planWheel(space(), c, 0, 3, 3);
  ASSERT_TRUE(p.ok()) << p.problem;
  EXPECT_EQ(p.pool, (std::vector<int>{21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}));
  EXPECT_FALSE(p.limited);

  // a count that keeps part of the pool's lines: the wheel uses those alone
  c.odd = 1u << 3;
  p = planWheel(space(), c, numbers({21, 22, 23, 24, 25, 26, 27, 28}), 2, 3);
  ASSERT_TRUE(p.ok()) << p.problem;
  ASSERT_TRUE(p.limited);
  // three of the four odd numbers, two of the four even ones
  EXPECT_EQ(p.allowed.size(), 4u * 6u);
  for (const TicketNumbers& l : p.allowed) {
    EXPECT_EQ(lineTraits(l).odd, 3);
    for (int n : l) EXPECT_TRUE(n >= 21 && n <= 28);
  }

  const struct {
    const char* what;
    NumberSet pool;
    int match, ifDrawn;
    const char* says;
  } refused[] = {
      {"five numbers", numbers({1, 2, 3, 4, 5}), 2, 2, "6〜31個選びます（5個）"},
      {"T above 4", numbers({1, 2, 3, 4, 5, 6}), 5, 5, "2〜4個"},
      {"T above M", numbers({1, 2, 3, 4, 5, 6}), 3, 2, "2〜4個"},
      {"T below 2", numbers({1, 2, 3, 4, 5, 6}), 1, 3, "2〜4個"},
      {"no kept line in the pool", numbers({1, 3, 5, 7, 9, 11}), 2, 2, "選んだ数字だけでできる口がありません"},
  };
  Conditions even;
  even.odd = 1u << 0;
  for (const auto& r : refused) {
    const WheelPlan bad = planWheel(space(), even, r.pool, r.match, r.ifDrawn);
    EXPECT_NE(bad.problem.find(r.says), std::string::npos) << r.what << ": " << bad.problem;
  }
  // the conditions leave fewer than six numbers
  Conditions narrow;
  narrow.axis = numbers({1, 2, 3, 4});
  narrow.sum = true, narrow.sumFrom = 15, narrow.sumTo = 15;
  EXPECT_NE(planWheel(space(), narrow, 0, 2, 2).problem.find("5個しかない"), std::string::npos);
}

// All-odd lines cannot meet an even triple of the pool in three numbers: the
// search under that condition reports every such triple, and the summary says
// plainly that the guarantee does not hold.
TEST(WheelPlan, UnderConditionsTheUncoveredSubsetsAreCountedAndSaid) {
  Conditions odd;
  odd.odd = 1u << 5;
  const WheelPlan p = planWheel(space(), odd, numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 11}), 3, 3);
  ASSERT_TRUE(p.ok()) << p.problem;
  ASSERT_TRUE(p.limited);
  const WheelOutcome o = runWheel(p);
  ASSERT_EQ(o.status, WheelOutcome::Made) << o.reason;
  EXPECT_EQ(o.subsets, 120);  // C(10,3)
  // the triples with an even number: C(10,3) - C(6,3)
  EXPECT_EQ(o.uncovered, 120 - 20);
  for (const TicketNumbers& l : o.lines) EXPECT_EQ(lineTraits(l).odd, 5);
  const std::string said = wheelSummary(p, o);
  EXPECT_NE(said.find("条件に合う組合せだけでは保証は成り立ちません"), std::string::npos) << said;
  EXPECT_NE(said.find("120通りのうち100通りでは、どの口も3個一致しません"), std::string::npos) << said;

  // without the condition the same pool is covered, and said so with the cost
  const WheelPlan free = planWheel(space(), {}, numbers({1, 2, 3, 4, 5, 6, 7, 8, 9, 11}), 3, 3);
  const WheelOutcome made = runWheel(free);
  ASSERT_EQ(made.status, WheelOutcome::Made);
  EXPECT_EQ(made.uncovered, 0);
  const std::string ok = wheelSummary(free, made);
  EXPECT_NE(ok.find("少なくとも1口は3個一致します（120通りすべてで確かめました）"), std::string::npos) << ok;
  EXPECT_NE(ok.find("下限"), std::string::npos) << ok;
}

}  // namespace
}  // namespace km
