#pragma once
// Small hand-made histories for tests.
#include <array>
#include <initializer_list>
#include <optional>
#include <vector>

#include "store/history.h"

namespace km::test {

struct Row {
  int no;
  std::array<std::optional<int>, 6> n;
};

inline std::vector<Draw> draws(std::initializer_list<Row> rows) {
  std::vector<Draw> out;
  for (const Row& r : rows) {
    Draw d;
    d.no = r.no;
    d.n = r.n;
    out.push_back(d);
  }
  return out;
}

// Complete draws numbered 1..n from a list of six-number rows.
inline History history(std::initializer_list<std::array<int, 6>> rows) {
  std::vector<Draw> out;
  int no = 0;
  for (const auto& r : rows) {
    Draw d;
    d.no = ++no;
    for (int i = 0; i < 6; ++i) d.n[i] = r[i];
    out.push_back(d);
  }
  return History::fromRows(std::move(out));
}

inline History historyRows(std::initializer_list<Row> rows) { return History::fromRows(draws(rows)); }

}  // namespace km::test
