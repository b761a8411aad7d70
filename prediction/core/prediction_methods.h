#pragma once
// The prediction window's four grids and the methods that fill them: the
// cycle method (grid 0), the elimination method (grid 1), the run prediction
// (grid 2) and the single-shot prediction (grid 3).
#include <array>
#include <span>
#include <string>

#include "frame/grid.h"
#include "prediction/core/prediction_state.h"
#include "store/history.h"

namespace km {

using PredictionGrids = std::array<Grid, 4>;

inline constexpr int kPredictionGridCount = 4;
inline constexpr const char* kPredictionHeader = "                   本 数 字                          ";

// Caption above each grid.
inline constexpr std::array<const char*, kPredictionGridCount> kPredictionGridCaptions = {
    "●周期法による予想(この予想数字を組合わせて購入します)", "●消去法による予想(この予想数字を組合わせて購入します)",
    "●連発ゼノバ予想(この予想数字を組む合わせて購入します)", "●一発ゼノバ予想"};

// One elimination rule: the draw that many back from the latest, its slot and the offset.
struct EliminationRule {
  int back, slot, offset;
};
inline constexpr std::array<EliminationRule, 15> kEliminationRules = {{
    {1, 1, 10},
    {1, 2, 18},
    {2, 1, 0},
    {2, 6, -7},
    {2, 5, 8},
    {6, 2, -5},
    {7, 1, 3},
    {7, 5, 11},
    {7, 6, 14},
    {8, 1, 7},
    {8, 5, 16},
    {8, 6, -9},
    {9, 1, 4},
    {9, 2, 1},
    {9, 4, 19},
}};

// Draw gaps recorded by the cycle method, one per method 0..3.
inline constexpr std::array<int, 4> kCycleGaps = {7, 9, 11, 12};

// Folds v once into 1..31: v <= 0 gains 31, v >= 32 loses 31.
int foldNumber(int v);

// Builds grid 0..3 from scratch (size, look, borders) with its header and labels.
void buildPredictionGrid(Grid& g, int index);
void buildPredictionGrids(PredictionGrids& grids);

// Walks the history from the first draw and fills the history and cycle
// tables of the state (on top of what an earlier scan left).  A draw with an
// empty number field, or a draw number outside 1..5000, is skipped.
void scanHistory(PredictionState& state, const History& history);
// The same walk over the given draws alone (a part of a history, in order).
void scanDraws(PredictionState& state, std::span<const Draw> draws);

// Writes the cycle table into grid 0 and recomputes grids 1 to 3 from the
// history table and the reflect settings.  drawCount is the number of rows of
// the history.  The number cells of grids 1 to 3 are cleared first.
void runDisplaySequence(PredictionState& state, int drawCount, PredictionGrids& grids);

// What opening the window does: build the grids, scan, display.
void openPrediction(PredictionState& state, const History& history, PredictionGrids& grids);

}  // namespace km
