#include "prediction/core/backtest.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace km {

namespace {

// Where each line is shown: grid, first and last row (numbers in columns 2..6).
struct LinePlace {
  int grid, firstRow, lastRow;
};
constexpr std::array<LinePlace, kPredictionLineCount> kLinePlaces = {
    {{0, 2, 2}, {0, 3, 3}, {0, 4, 4}, {0, 5, 5}, {1, 2, 4}, {2, 2, 3}, {3, 2, 2}}};

std::vector<int> numbersIn(const Grid& g, const LinePlace& at, int* shown = nullptr) {
  std::vector<int> out;
  std::uint32_t seen = 0;
  if (shown) *shown = 0;
  for (int r = at.firstRow; r <= at.lastRow; ++r) {
    for (int c = 2; c <= 6; ++c) {
      const std::string& t = g.text(c, r);
      const CellNumber n = parseCellNumber(t);
      if (n.kind != CellNumber::Number) continue;
      const int v = n.value;
      if (shown) ++*shown;
      if (seen & (1u << v)) continue;
      seen |= 1u << v;
      out.push_back(v);
    }
  }
  return out;
}

}  // namespace

PredictedLines linesOf(const PredictionGrids& grids) {
  PredictedLines lines;
  for (int i = 0; i < kPredictionLineCount; ++i) lines[i] = numbersIn(grids[kLinePlaces[i].grid], kLinePlaces[i]);
  return lines;
}

PrefixPredictor::PrefixPredictor(const std::array<bool, PredictionState::kSettingCount>& reflect) : reflect_(reflect) {
  state_.reflect = reflect_;
  buildPredictionGrids(grids_);
}

PredictedLines PrefixPredictor::predict(std::span<const Draw> before) {
  if (before.data() != base_ || before.size() < seen_) {  // not the view seen so far, grown: start afresh
    state_ = PredictionState();
    state_.reflect = reflect_;
    base_ = before.data();
    seen_ = 0;
  }
  scanDraws(state_, before.subspan(seen_));
  seen_ = before.size();
  runDisplaySequence(state_, static_cast<int>(before.size()), grids_);
  return linesOf(grids_);
}

int countHits(const std::vector<int>& predicted, const Draw& draw) {
  std::uint32_t drawn = 0;
  for (int f = N1; f <= N5; ++f) drawn |= 1u << draw[f];
  int hits = 0;
  for (int v : predicted) hits += (drawn >> v) & 1u;
  return hits;
}

double LineRecord::meanNumbers() const { return draws ? static_cast<double>(numbers) / draws : 0; }
double LineRecord::meanHits() const { return draws ? static_cast<double>(hits) / draws : 0; }
double LineRecord::meanChance() const { return draws ? chanceHits / draws : 0; }
double LineRecord::standardErrors() const {
  if (chanceVariance <= 0) return std::numeric_limits<double>::quiet_NaN();
  return (static_cast<double>(hits) - chanceHits) / std::sqrt(chanceVariance);
}

Backtest runBacktest(const History& history, const std::array<bool, PredictionState::kSettingCount>& reflect,
                     int fromDrawNo, const BacktestProgress& progress, bool keepDraws) {
  const std::vector<Draw>& rows = history.draws;
  // the rows evaluated
  std::vector<size_t> targets;
  int complete = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].complete()) continue;
    ++complete;
    if (fromDrawNo > 0 ? rows[i].no >= fromDrawNo : complete >= kBacktestFirstComplete) targets.push_back(i);
  }

  Backtest out;
  if (keepDraws) out.draws.reserve(targets.size());
  PrefixPredictor predictor(reflect);
  const int total = static_cast<int>(targets.size());
  for (int k = 0; k < total; ++k) {
    if (progress && k % 32 == 0 && !progress(k, total)) {
      out.complete = false;
      return out;
    }
    const Draw& target = rows[targets[k]];
    BacktestDraw d;
    d.no = target.no;
    for (int f = N1; f <= N5; ++f) d.drawn[f] = target[f];
    // the predictor is handed the rows before the target, never the target itself
    d.lines = predictor.predict(std::span<const Draw>(rows).first(targets[k]));
    for (int l = 0; l < kPredictionLineCount; ++l) {
      const int n = static_cast<int>(d.lines[l].size());
      d.hits[l] = countHits(d.lines[l], target);
      LineRecord& r = out.lines[l];
      ++r.draws;
      r.numbers += n;
      r.hits += d.hits[l];
      ++r.byHits[std::min(d.hits[l], 5)];
      r.chanceHits += 5.0 * n / 31.0;
      r.chanceVariance += n * (5.0 / 31.0) * (26.0 / 31.0) * (31.0 - n) / 30.0;
    }
    if (!out.evaluated++) out.first = d.no;
    out.last = d.no;
    if (keepDraws) out.draws.push_back(std::move(d));
  }
  if (progress) progress(total, total);
  return out;
}

std::vector<Ticket> predictionTickets(const History& history, const PredictionState& settings,
                                      std::vector<std::string>* left) {
  PredictionState state = settings;  // its tables are the scan's own
  PredictionGrids grids;
  openPrediction(state, history, grids);
  const PredictedLines lines = linesOf(grids);
  std::vector<Ticket> tickets;
  for (int l = 0; l < kPredictionLineCount; ++l) {
    if (lines[l].size() != 5) {
      if (left) {
        int shown = 0;
        numbersIn(grids[kLinePlaces[l].grid], kLinePlaces[l], &shown);
        left->push_back(std::string(kPredictionLineLabels[l]) +
                        (shown > static_cast<int>(lines[l].size())
                             ? "（同じ数字が2回あり、異なる数字は" + std::to_string(lines[l].size()) + "個）"
                             : "（数字が" + std::to_string(lines[l].size()) + "個）"));
      }
      continue;
    }
    Ticket t{std::min(history.stats.LastDrawNo + 1, kMaxDrawNo), 1, {}, kPredictionLineLabels[l]};
    std::copy(lines[l].begin(), lines[l].end(), t.numbers.begin());
    std::sort(t.numbers.begin(), t.numbers.end());
    tickets.push_back(t);
  }
  return tickets;
}

}  // namespace km
