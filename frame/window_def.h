#pragma once
// What a child window is: name, caption, description line, size in twips,
// legend and the fill procedure that builds the window's grid from the history.
#include <string>
#include <string_view>
#include <vector>

#include "frame/grid.h"
#include "store/history.h"

namespace km {

// One legend entry: a sample drawn in the given colours, then its label.
struct LegendItem {
  std::string sample;  // "●", or empty for a plain colour swatch
  Rgb sampleFg = kBlack;
  Rgb sampleBg = kWhite;
  std::string label;  // "：本数字"
};

using FillFn = Grid (*)(const History&);

struct WindowDef {
  std::string name;         // 出現間隔分析
  std::string caption;      // title bar
  std::string description;  // line at the top of the window
  int width = 0;            // twips
  int height = 0;           // twips
  FillFn fill = nullptr;    // nullptr: the window shows an empty grid
  std::vector<LegendItem> legend;
};

inline constexpr std::string_view kPredictionWindow = "一発ゼノバ";

}  // namespace km
