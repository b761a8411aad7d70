#pragma once
// How the prediction lines would have done: for every complete draw from the
// 51st complete one on, the lines the prediction window would have shown
// with only the draws before it, against that draw's five main numbers.
#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

namespace km {

// The seven prediction lines: the four cycle methods, the elimination
// method, the run and the single-shot prediction.
inline constexpr int kPredictionLineCount = 7;
inline constexpr std::array<const char*, kPredictionLineCount> kPredictionLineLabels = {
    "7回周期法", "9回周期法", "11回周期法", "12回周期法", "消去法", "連発予想", "１発予想"};

// Each line's numbers as the window shows them, in its order; a number shown
// twice and a text that is no lottery number are left out.
using PredictedLines = std::array<std::vector<int>, kPredictionLineCount>;

PredictedLines linesOf(const PredictionGrids& grids);
// The prediction window's lines of five numbers for the draw after the
// history's last, as tickets noted with their method ("１発予想"), with the
// window's settings.  The lines that are not five different numbers are
// left out, each named in `left` with why ("9回周期法（同じ数字が2回あり、
// 異なる数字は4個）").
std::vector<Ticket> predictionTickets(const History& history, const PredictionState& settings,
                                      std::vector<std::string>* left = nullptr);

// The prediction window's numbers computed from the draws it is handed, and
// from nothing else.  When `before` extends the view of the previous call,
// only the draws the predictor has not seen are scanned, so walking a
// history draw by draw costs one scan of it.
class PrefixPredictor {
 public:
  explicit PrefixPredictor(const std::array<bool, PredictionState::kSettingCount>& reflect);
  PredictedLines predict(std::span<const Draw> before);

 private:
  std::array<bool, PredictionState::kSettingCount> reflect_;
  PredictionState state_;
  PredictionGrids grids_;
  const Draw* base_ = nullptr;
  size_t seen_ = 0;
};

// The complete draw, counted from the first complete one, from which the record starts.
inline constexpr int kBacktestFirstComplete = 51;

struct BacktestDraw {
  int no = 0;
  std::array<int, 5> drawn{};  // the main numbers as stored
  PredictedLines lines;
  std::array<int, kPredictionLineCount> hits{};
};

// One line's record.  k numbers among 31, against 5 drawn, hit 5k/31 on
// average by chance, with variance k (5/31) (26/31) (31 - k) / 30.
struct LineRecord {
  int draws = 0;
  long long numbers = 0;  // summed over the draws
  long long hits = 0;
  std::array<int, 6> byHits{};  // draws with 0..5 hits
  double chanceHits = 0;        // summed expectations
  double chanceVariance = 0;    // summed variances

  double meanNumbers() const;
  double meanHits() const;
  double meanChance() const;
  // (hits - chance) over the standard error; NaN when chance leaves no spread.
  double standardErrors() const;
};

struct Backtest {
  std::vector<BacktestDraw> draws;         // kept on request
  int first = 0, last = 0, evaluated = 0;  // draw numbers and count of the draws evaluated
  std::array<LineRecord, kPredictionLineCount> lines;
  bool complete = true;  // false when the progress callback stopped the walk
};

// progress(done, total) is called every few draws; when it returns false the
// walk stops.  fromDrawNo > 0 evaluates the complete draws numbered from it
// on instead of those from the 51st complete draw.  Without keepDraws only
// the lines' records are kept, not every draw's numbers.
using BacktestProgress = std::function<bool(int done, int total)>;
Backtest runBacktest(const History& history, const std::array<bool, PredictionState::kSettingCount>& reflect,
                     int fromDrawNo = 0, const BacktestProgress& progress = {}, bool keepDraws = true);

// Hits of one line against a draw's main numbers (each drawn number once).
int countHits(const std::vector<int>& predicted, const Draw& draw);

}  // namespace km
