// 組合せ作成's conditions: every count checked against a plain enumeration of
// the 169,911 lines written here, the stored winning lines judged as they
// could have been judged then, and the random lines made again from a seed.
#include "analyses/combos/conditions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "store/formats/csv.h"
#include "tests/core/test_history.h"

namespace km {
namespace {

// --- the plain account: each condition as a player would check it by hand ---

using Five = std::array<int, 5>;

std::set<int> lastDigitsOf(const Five& l) {
  std::set<int> d;
  for (int n : l) d.insert(n % 10);
  return d;
}

// `recent`: the main numbers of the draws the line is judged against.
std::array<bool, kConditionCount> plainPasses(const Conditions& c, const Five& l, const std::set<int>& recent) {
  auto has = [&](int n) { return std::find(l.begin(), l.end(), n) != l.end(); };
  auto ticked = [](CountSet s, int v) { return s == 0 || ((s >> v) & 1) != 0; };
  int sum = 0, odd = 0, low = 0, pairs = 0, seen = 0;
  for (int i = 0; i < 5; ++i) {
    sum += l[i];
    if (l[i] % 2 == 1) ++odd;
    if (l[i] >= 1 && l[i] <= 15) ++low;
    if (i + 1 < 5 && l[i + 1] - l[i] == 1) ++pairs;
    if (recent.count(l[i])) ++seen;
  }
  bool axis = true, excluded = true;
  for (int n = 1; n <= 31; ++n) {
    if ((c.axis >> n) & 1) axis = axis && has(n);
    if ((c.excluded >> n) & 1) excluded = excluded && !has(n);
  }
  return {axis,
          excluded,
          !c.sum || (sum >= c.sumFrom && sum <= c.sumTo),
          ticked(c.odd, odd),
          ticked(c.low, low),
          ticked(c.consecutive, pairs),
          ticked(c.recent, seen),
          ticked(c.lastDigits, static_cast<int>(lastDigitsOf(l).size()))};
}

bool all(const std::array<bool, kConditionCount>& p) {
  return std::all_of(p.begin(), p.end(), [](bool b) { return b; });
}

template <class F>
void everyLine(F f) {
  for (int a = 1; a <= 31; ++a)
    for (int b = a + 1; b <= 31; ++b)
      for (int c = b + 1; c <= 31; ++c)
        for (int d = c + 1; d <= 31; ++d)
          for (int e = d + 1; e <= 31; ++e) f(Five{a, b, c, d, e});
}

// The main numbers of the draws with all five entered, each sorted.
std::vector<Five> winning(const History& h) {
  std::vector<Five> out;
  for (const Draw& d : h.draws) {
    Five f{};
    bool entered = true;
    for (int i = 0; i < 5; ++i) {
      entered = entered && d.n[i].has_value();
      f[i] = d[i];
    }
    if (!entered) continue;
    std::sort(f.begin(), f.end());
    out.push_back(f);
  }
  return out;
}

std::set<int> numbersOf(const std::vector<Five>& draws, size_t end, int n) {
  std::set<int> s;
  for (size_t k = 1; k <= static_cast<size_t>(n) && k <= end; ++k)
    s.insert(draws[end - k].begin(), draws[end - k].end());
  return s;
}

Figures plainFigures(const History& h, const Conditions& c) {
  Figures f;
  const std::vector<Five> won = winning(h);
  const std::set<int> recent = numbersOf(won, won.size(), c.recentDraws);
  everyLine([&](const Five& l) {
    const auto p = plainPasses(c, l, recent);
    for (int k = 0; k < kConditionCount; ++k) f.each[k].kept += p[k];
    f.all.kept += all(p);
  });
  for (size_t i = 0; i < won.size(); ++i) {
    const bool judged = i >= static_cast<size_t>(c.recentDraws);  // N draws before it
    const auto p = plainPasses(c, won[i], numbersOf(won, i, c.recentDraws));
    for (int k = 0; k < kConditionCount; ++k) {
      if (k == static_cast<int>(Condition::Recent) && !judged) continue;
      ++f.each[k].judged;
      f.each[k].hits += p[k];
    }
    if (c.recent && !judged) continue;
    ++f.all.judged;
    f.all.hits += all(p);
  }
  return f;
}

const History& shipped() {
  static const History h = History::fromRows(readHistoryCsvFile(KM_SHIPPED_CSV)->draws);
  return h;
}

NumberSet numbers(std::initializer_list<int> ns) {
  NumberSet s = 0;
  for (int n : ns) s |= NumberSet{1} << n;
  return s;
}
CountSet counts(std::initializer_list<int> vs) {
  CountSet s = 0;
  for (int v : vs) s = static_cast<CountSet>(s | (1u << v));
  return s;
}

struct ConditionsCase {
  const char* what;
  Conditions c;
  long long known = -1;  // the kept lines as counted on paper (-1: none given)
};

void PrintTo(const ConditionsCase& c, std::ostream* os) { *os << c.what; }

// Each condition alone at its edges, and all together. Faults: a bound of a
// count or of the sum off by one (15 counted as high, 15 as no sum), a pair
// of neighbours missed, 直近N回 judged against the N-th draw back alone.
const ConditionsCase kCases[] = {
    {"none", {}, 169911},
    {"axis 3 7", {.axis = numbers({3, 7})}},
    {"four axis numbers", {.axis = numbers({1, 15, 16, 31})}, 27},
    {"excluded 1 2 31", {.excluded = numbers({1, 2, 31})}},
    {"sum 70-90", {.sum = true, .sumFrom = 70, .sumTo = 90}},
    {"sum at its least", {.sum = true, .sumFrom = 15, .sumTo = 15}, 1},
    {"odd 0 and 5: C(15,5) + C(16,5)", {.odd = counts({0, 5})}, 3003 + 4368},
    {"low 2,3", {.low = counts({2, 3})}},
    {"low 5: 15 is low, 16 is not: C(15,5)", {.low = counts({5})}, 3003},
    {"no neighbours: C(27,5)", {.consecutive = counts({0})}, 80730},
    {"five in a row: 1-5 .. 27-31", {.consecutive = counts({4})}, 27},
    {"recent 1 draw: 0", {.recent = counts({0}), .recentDraws = 1}},
    {"recent 10 draws: 1,2", {.recent = counts({1, 2}), .recentDraws = 10}},
    {"one last digit: none", {.lastDigits = counts({1})}, 0},
    {"last digits 5", {.lastDigits = counts({5})}},
    {"last digits 1,2", {.lastDigits = counts({1, 2})}},
    {"all together",
     {.axis = numbers({7}),
      .excluded = numbers({1, 2}),
      .sum = true,
      .sumFrom = 60,
      .sumTo = 100,
      .odd = counts({2, 3}),
      .low = counts({1, 2, 3}),
      .consecutive = counts({0, 1}),
      .recent = counts({1, 2}),
      .recentDraws = 5,
      .lastDigits = counts({4, 5})}},
};

class EveryCondition : public ::testing::TestWithParam<ConditionsCase> {};

// Kept lines and stored winning lines kept, for every condition alone and
// all of them together, as the plain enumeration counts them.
TEST_P(EveryCondition, CountsAsThePlainEnumeration) {
  const Conditions& c = GetParam().c;
  ASSERT_EQ(conditionsProblem(c), "");
  const LineSpace space(shipped());
  const Figures got = space.figures(c), want = plainFigures(shipped(), c);
  for (int k = 0; k < kConditionCount; ++k) {
    SCOPED_TRACE("condition " + std::to_string(k));
    EXPECT_EQ(got.each[k].on, c.on(static_cast<Condition>(k)));
    EXPECT_EQ(got.each[k].kept, want.each[k].kept);
    EXPECT_EQ(got.each[k].hits, want.each[k].hits);
    EXPECT_EQ(got.each[k].judged, want.each[k].judged);
  }
  EXPECT_EQ(got.all.kept, want.all.kept);
  EXPECT_EQ(got.all.hits, want.all.hits);
  EXPECT_EQ(got.all.judged, want.all.judged);
  if (GetParam().known >= 0) {
    EXPECT_EQ(got.all.kept, GetParam().known);
  }
  // the kept lines themselves, in ascending order, and the numbers they use
  const std::vector<TicketNumbers> kept = space.keptLines(c);
  ASSERT_EQ(static_cast<long long>(kept.size()), got.all.kept);
  EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
  NumberSet used = 0;
  for (const TicketNumbers& l : kept) used |= numberSet(l);
  EXPECT_EQ(got.numbersLeft, used);
}

INSTANTIATE_TEST_SUITE_P(Combos, EveryCondition, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// 直近N回 by hand: each past draw is judged against the N entered draws
// before it (a draw not entered is skipped), a draw without N draws before
// it is not judged, and the lines are judged against the last N.
TEST(CombosRecent, EachDrawIsJudgedAgainstTheDrawsBeforeIt) {
  std::vector<Draw> rows = {test::draw(1, {1, 2, 3, 4, 5, 6}), test::draw(2, {1, 2, 10, 11, 12, 13}),
                            test::draw(3, {20, 21, 22, 23, 24, 25}), test::draw(4, {1, 2, 3, std::nullopt, 5, 6}),
                            test::draw(5, {3, 4, 20, 30, 31, 7})};
  const LineSpace space(History::fromRows(rows));
  // draw 3 against draws 1 and 2: none of its numbers; draw 5 against draws 2 and 3: 20 only
  const struct {
    CountSet recent;
    int judged, hits, kept;
  } cases[] = {{counts({2}), 2, 0, -1}, {counts({1}), 2, 1, -1}, {counts({0}), 2, 1, -1}, {counts({5}), 2, 0, 126}};
  for (const auto& k : cases) {
    const Figures f = space.figures({.recent = k.recent, .recentDraws = 2});
    EXPECT_EQ(f.all.judged, k.judged) << k.recent;
    EXPECT_EQ(f.all.hits, k.hits) << k.recent;
    EXPECT_EQ(f.each[static_cast<size_t>(Condition::Odd)].judged, 4) << "the other conditions judge every draw";
    if (k.kept >= 0) {
      EXPECT_EQ(f.all.kept, k.kept) << "C(9,5) of 3 4 20 30 31 and 20..24";
    }
  }
}

// The same seed makes the same kept lines, on every machine and in every
// version (a change of the engine or of the way it is drawn from shows);
// another seed others; more than are kept: every kept line.
TEST(CombosSample, ASeedsLinesStayTheSame) {
  const LineSpace space(shipped());
  const Conditions c{.sum = true, .sumFrom = 70, .sumTo = 90, .odd = counts({2, 3})};
  const std::vector<TicketNumbers> a = space.sampleLines(c, 20, 12345);
  ASSERT_EQ(a.size(), 20u);
  EXPECT_EQ(space.sampleLines(c, 20, 12345), a);
  EXPECT_NE(space.sampleLines(c, 20, 12346), a);
  EXPECT_TRUE(std::is_sorted(a.begin(), a.end()));
  EXPECT_EQ(std::set<TicketNumbers>(a.begin(), a.end()).size(), a.size()) << "no line twice";
  const std::vector<TicketNumbers> kept = space.keptLines(c);
  for (const TicketNumbers& l : a) EXPECT_TRUE(std::binary_search(kept.begin(), kept.end(), l));
  EXPECT_EQ(space.sampleLines({.axis = numbers({1, 2, 3})}, 500, 1), space.keptLines({.axis = numbers({1, 2, 3})}));
  EXPECT_EQ(space.sampleLines({}, 3, 42),
            (std::vector<TicketNumbers>{{1, 4, 8, 9, 14}, {2, 13, 23, 24, 25}, {5, 10, 15, 19, 21}}));
}

// What a player types: full-width digits and Japanese commas (the tool's
// refusals are in combos_tool_test.cpp).
TEST(CombosInput, TypedNumbersAndCounts) {
  EXPECT_EQ(parseNumberSet("３、７，１２").set, numbers({3, 7, 12}));
  EXPECT_EQ(parseNumberSet("　").set, 0u);
  EXPECT_EQ(parseNumberSet("3 x").error, "「x」は1〜31の数字ではありません");
  EXPECT_EQ(parseCountSet("２ 3", {0, 5}).set, counts({2, 3}));
}

}  // namespace
}  // namespace km
