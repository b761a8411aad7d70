#pragma once
// The window table: every child window by its id, with what the frame shows
// of it, where the データ分析 menu offers it and the fill that builds its
// grids.  It names the analyses, so it sits above them.
//
// Adding an analysis window is an id and a row in window_table.cpp, plus its
// fill: the menu item, the frame, kazumaki-tool grid, the benchmark and the
// tests that walk the table all take it from the row.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "frame/grid.h"
#include "frame/window_def.h"
#include "prediction/core/prediction_state.h"
#include "store/formats/tickets_file.h"
#include "store/history.h"

namespace km {

enum class WindowId : std::uint8_t {
  AppearanceFrequency,  // 出現頻度分析
  AppearanceByCount,    // 回数別出現分析
  AppearanceInterval,   // 出現間隔分析
  NumberGap,            // 数字間隔分析
  AppearanceCount,      // 出現回数分析
  Dispersion,           // バラツキ分析
  CarryOver,            // 引っ張り分析
  Consecutive,          // 連番飛び石分析
  NumberSum,            // 数字合計分析
  LowHigh,              // 低数字高数字の組合せパターン分析
  OddEven,              // 偶数奇数の組合せパターン分析
  FourRanges,           // 分割4傾向分析
  SixGroups,            // 分割6データ分析
  SevenGroups,          // 分割7データ分析
  TenGroups,            // 分割10データ分析
  LastDigitTrend,       // 下一桁出現傾向分析
  LastDigitRuns,        // 下一桁連続出現回数分析
  Pairs,                // 相性分析 (after the menu's separator)
  PredictionRecord,     // 予想の成績
  RandomnessTests,      // 検定
  Tickets,              // 当選確認
  Combos,               // 組合せ作成
  Popularity,           // 人気度 (the menu's last)
  Prediction,           // 一発ゼノバ
  DataEntry,            // 当選データ入力
  About,                // バージョン情報
  Charts,               // グラフ
};

// How the window's content is made: an analysis shows its one grid with the
// description and the legend; the others are windows of their own (the
// charts are drawn by the extras module).
enum class WindowKind : std::uint8_t { Analysis, Prediction, DataEntry, Tickets, Combos, About, Chart, Popularity };

// What a fill reads: the history, and the prediction window's settings
// (only their reflect switches are read).  A fill that runs in the
// background is given where to report its progress.  The user's tickets are
// read by 当選確認 alone (none when not given).
struct WindowInputs {
  const History& history;
  const PredictionState& prediction;
  FillProgress* progress = nullptr;
  const std::vector<Ticket>* tickets = nullptr;
};

// Every grid the window shows, in the order it shows them.
using FillFn = std::vector<Grid> (*)(const WindowInputs&);

// A submenu of データ分析 (object name and caption).
struct Submenu {
  const char* name;
  const char* caption;
};

// The window's item in the データ分析 menu: object name and caption, and the
// submenu it sits in (none: the menu itself).  Consecutive rows with the same
// submenu share it.  A row without an item is opened by a command of its own.
struct MenuItem {
  const char* name = nullptr;
  const char* caption = nullptr;
  const Submenu* submenu = nullptr;
  bool separatorBefore = false;
};

struct WindowRow {
  WindowId id;
  WindowKind kind = WindowKind::Analysis;
  WindowDef def;
  MenuItem menu = {};
  FillFn fill = nullptr;  // null for the windows that show no grid of the history
  // The fill may take long: the window opens at once and runs it off the
  // user-interface thread (windows/ui/window_content.cpp).
  bool background = false;
};

// The windows that show grids of the history: the analyses in menu order,
// then the prediction window.
std::span<const WindowRow> windowTable();
// Any child window's row, those of the data entry and About windows included.
const WindowRow& windowRow(WindowId id);
// The row of windowTable() with that name or caption as its title bar shows
// it (kazumaki-tool's argument: 分割4傾向分析 or 4分割傾向分析); none when there is none.
const WindowRow* findWindow(std::string_view name);
// The rows the データ分析 menu offers, in its order: those of windowTable()
// with an item, and the chart window just before 検定.
std::vector<const WindowRow*> menuWindows();

}  // namespace km
