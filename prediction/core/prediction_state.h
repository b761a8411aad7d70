#pragma once
// State of the prediction window that outlives the window: the twelve reflect
// switches in use and the tables of the prediction methods.  Created once with
// the main window, kept while the window is closed and reopened.  The switches
// are kept in the settings file by the program (app/settings.h) under the keys
// below.
#include <array>
#include <string>
#include <vector>

namespace km {

class PredictionState {
 public:
  static constexpr int kSettingCount = 12;
  // The size of the history table, not a bound of draw numbers (kMaxDrawNo):
  // rows 0..5000, so that later draws are not scanned.
  static constexpr int kLastTableDrawNo = 5000;
  static constexpr int kSlots = 7;    // 0 unused, 1..5 第1数字..第5数字, 6 ボーナス数字
  static constexpr int kMethods = 5;  // 0..3 used: 7, 9, 11 and 12 draw cycles
  static constexpr int kRules = 16;   // 0..14 used

  PredictionState();

  // Number of settings that are on (0..12).
  int reflectCount() const;

  std::array<bool, kSettingCount> reflect{};  // all off until the settings are given

  // History table: draw number 0..5000 x slot 0..6, zero where no draw was stored.
  std::vector<std::array<int, kSlots>> history;
  // Cycle table: method 0..4 x position 0..6; empty text until the scan writes it.
  std::array<std::array<std::string, kSlots>, kMethods> cycle;
  // Elimination list, one text per rule.
  std::array<std::string, kRules> elimination;
};

// The twelve reflect switches, in index order.
using ReflectSettings = std::array<bool, PredictionState::kSettingCount>;

// Settings-file key of each reflect setting, in index order.
inline constexpr std::array<const char*, PredictionState::kSettingCount> kSettingKeys = {
    "頻度分析Opt",      "間隔分析Opt",       "出現回数分析Opt",       "バラツキ分析Opt",
    "引っ張り分析Opt",  "連番飛び石分析Opt", "数字合計分析Opt",       "組合せパターン分析Opt",
    "5分割傾向分析Opt", "分割データ分析Opt", "下一桁出現傾向分析Opt", "下一桁連続出現回数分析Opt"};

// Caption of the frame holding each setting's pair of option buttons.
inline constexpr std::array<const char*, PredictionState::kSettingCount> kSettingCaptions = {
    "■頻度分析（出現頻度分析）",
    "■間隔分析（出現間隔分析）",
    "■出現回数分析",
    "■バラツキ分析",
    "■引っ張り分析",
    "■連番・飛び石分析",
    "■数字合計分析",
    "■組合せパターン分析",
    "■4分割傾向分析",
    "■分割データ分析",
    "■下一桁出現傾向分析",
    "■下一桁連続出現回数分析"};

}  // namespace km
