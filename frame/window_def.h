#pragma once
// What the frame shows of a child window: name, caption, description line,
// size in twips and legend.  Which windows there are, and what fills them,
// is the window table's (windows/window_table.h).
#include <string>
#include <vector>

#include "frame/grid.h"

namespace km {

// One legend entry: a sample drawn in the given colours, then its label.
struct LegendItem {
  std::string sample;  // "●", or empty for a plain colour swatch
  Rgb sampleFg = kBlack;
  Rgb sampleBg = kWhite;
  std::string label;  // "：本数字"
};

struct WindowDef {
  std::string name;         // 出現間隔分析
  std::string caption;      // title bar
  std::string description;  // line at the top of the window
  int width = 0;            // twips
  int height = 0;           // twips
  std::vector<LegendItem> legend;
};

// Where a fill that runs off the user-interface thread says how far it has
// got, and learns that its window has gone and the result is not wanted.
class FillProgress {
 public:
  virtual void report(int done, int total) = 0;
  virtual bool cancelled() const = 0;

 protected:
  ~FillProgress() = default;
};

}  // namespace km
