#pragma once
// Small hand-made histories for tests.
#include <array>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "store/history.h"

namespace km::test {

struct Row {
  int no;
  std::array<std::optional<int>, 6> n;
};

// A draw of sound values (a value that breaks its rule throws).
inline Draw draw(int no, const std::array<std::optional<int>, 6>& n = {}, const std::string& date = {}) {
  Draw d(DrawNo::of(no).value());
  for (int i = 0; i < 6; ++i)
    if (n[i]) d.n[i] = LotteryNumber::of(*n[i]).value();
  d.date = DrawDate::of(date).value();
  return d;
}

// A lottery number, the six numbers of a draw, a date (throws for a value that breaks its rule).
inline LotteryNumber number(int v) { return LotteryNumber::of(v).value(); }
inline std::array<std::optional<LotteryNumber>, 6> numbers(const std::array<std::optional<int>, 6>& n) {
  std::array<std::optional<LotteryNumber>, 6> out;
  for (int i = 0; i < 6; ++i)
    if (n[i]) out[i] = number(*n[i]);
  return out;
}
inline DrawDate date(const std::string& text) { return DrawDate::of(text).value(); }

inline std::vector<Draw> draws(std::initializer_list<Row> rows) {
  std::vector<Draw> out;
  for (const Row& r : rows) out.push_back(draw(r.no, r.n));
  return out;
}

// Complete draws numbered 1..n from a list of six-number rows.
inline History history(std::initializer_list<std::array<int, 6>> rows) {
  std::vector<Draw> out;
  int no = 0;
  for (const auto& r : rows) out.push_back(draw(++no, {r[0], r[1], r[2], r[3], r[4], r[5]}));
  return History::fromRows(std::move(out));
}

inline History historyRows(std::initializer_list<Row> rows) { return History::fromRows(draws(rows)); }

// The date `days` days after the calendar date YYYY-MM-DD.
inline std::string dateAfter(const std::string& date, int days) {
  using namespace std::chrono;
  const year_month_day ymd{
      sys_days{year{std::stoi(date.substr(0, 4))} / std::stoi(date.substr(5, 2)) / std::stoi(date.substr(8, 2))} +
      std::chrono::days{days}};
  char out[48];
  std::snprintf(out, sizeof out, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return out;
}

// Draws 1..n as a results feed lists them: five different main numbers, a
// bonus that is none of them and the dates of the draws' calendar: draw 1 on
// Tuesday 1999-12-21, then every Tuesday but those from 31 December to
// 3 January (draw 3 on 2000-01-04).
inline std::vector<Draw> feedDraws(int n) {
  using namespace std::chrono;
  std::vector<Draw> out;
  sys_days held = year{1999} / December / 21;
  for (int no = 1; no <= n; ++no, held += days{7}) {
    if (const year_month_day t{held};
        (t.month() == December && t.day() == day{31}) || (t.month() == January && t.day() <= day{3}))
      held += days{7};
    const year_month_day t{held};
    const int s = 1 + no % 26;
    char date[48];
    std::snprintf(date, sizeof date, "%04d-%02u-%02u", static_cast<int>(t.year()), static_cast<unsigned>(t.month()),
                  static_cast<unsigned>(t.day()));
    out.push_back(draw(no, {s, s + 1, s + 2, s + 3, s + 4, s + 5}, date));
  }
  return out;
}

// Draws 1..n whose six numbers, all different, move through 1..31 from draw
// to draw: long histories for windows that must scroll or print on pages.
inline std::vector<Draw> rotatingDraws(int n) {
  std::vector<Draw> out;
  for (int i = 1; i <= n; ++i) {
    Draw d = draw(i);
    for (int k = 0; k < 6; ++k) d.n[k] = number((i * 7 + k * 5) % 31 + 1);
    out.push_back(d);
  }
  return out;
}

}  // namespace km::test
