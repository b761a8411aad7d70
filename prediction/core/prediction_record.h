#pragma once
// 予想の成績: the record of the prediction lines over the history (see
// backtest.h) in one grid, each line's mean hits beside chance.
#include <string>

#include "frame/grid.h"
#include "frame/window_def.h"
#include "prediction/core/backtest.h"

namespace km {

// The window's name and caption.
inline constexpr const char* kPredictionRecordWindow = "予想の成績";

// Background of the verdict: more hits than chance, fewer, or about as many.
inline constexpr Rgb kRecordAboveChance = RGB(255, 210, 210);
inline constexpr Rgb kRecordBelowChance = RGB(210, 225, 255);
inline constexpr const char* kRecordLikeChance = "偶然と同程度";

// Rows 1 and 2 say which draws and which settings; row 3 is the header; rows
// 4 to 10 hold the seven lines.
inline constexpr int kRecordFirstLineRow = 4;
Grid recordGrid(const Backtest& record, const std::array<bool, PredictionState::kSettingCount>& reflect);

// The window's fill: the record from the 51st complete draw with the given
// settings.  With `progress` it reports as it goes, and gives an empty grid
// when it learns that the result is no longer wanted.
Grid fillPredictionRecord(const History& history, const std::array<bool, PredictionState::kSettingCount>& reflect,
                          FillProgress* progress = nullptr);

// One text per standard error figure: "+1.23", or "－" when there is none.
std::string standardErrorText(double z);

}  // namespace km
