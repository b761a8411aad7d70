#include "prediction/core/prediction_methods.h"

#include <cstdlib>
#include <optional>

#include "frame/grid_setup.h"
#include "store/domain_values.h"

namespace km {

namespace {

constexpr std::array<int, kPredictionGridCount> kGridRows = {5, 4, 3, 2};

std::optional<int> toNumber(const std::string& text) {
  const CellNumber n = parseWholeNumber(text);
  return n.kind == CellNumber::Number ? std::optional<int>(n.value) : std::nullopt;
}

// Writes numbers into the number cells (columns 2 to 6) of a grid, five a row,
// from row 2 down to lastRow.
class NumberCursor {
 public:
  NumberCursor(Grid& g, int lastRow) : g_(g), lastRow_(lastRow) {}
  bool full() const { return row_ + 2 > lastRow_; }
  // True when text is already in one of the number cells.
  bool shown(const std::string& text) const {
    for (int r = 2; r <= lastRow_; ++r)
      for (int c = 2; c <= 6; ++c)
        if (g_.text(c, r) == text) return true;
    return false;
  }
  void put(const std::string& text) {
    if (full()) return;
    g_.setText(col_ + 2, row_ + 2, text);
    if (++col_ == 5) {
      col_ = 0;
      ++row_;
    }
  }

 private:
  Grid& g_;
  int lastRow_;
  int col_ = 0, row_ = 0;
};

void eliminationMethod(PredictionState& s, int drawCount, int reflect, Grid& g) {
  NumberCursor out(g, 4);
  for (size_t r = 0; r < kEliminationRules.size(); ++r) {
    const EliminationRule& rule = kEliminationRules[r];
    const int row = drawCount - rule.back - reflect;
    if (row < 0 || row > PredictionState::kLastTableDrawNo) {
      s.elimination[r].clear();  // history too short for this rule
      continue;
    }
    const std::string text = std::to_string(foldNumber(s.history[row][rule.slot] + rule.offset));
    s.elimination[r] = text;
    bool seen = false;
    for (size_t e = 0; e < r; ++e) seen = seen || s.elimination[e] == text;
    if (!seen) out.put(text);
  }
}

// The run (window 3, rows 2 and 3) and single-shot (window 2, row 2) predictions:
// cycle numbers that lie within the window of an elimination number.
void nearPrediction(const PredictionState& s, int window, int lastRow, Grid& g) {
  NumberCursor out(g, lastRow);
  for (size_t e = 0; e < kEliminationRules.size(); ++e) {
    const std::optional<int> elim = toNumber(s.elimination[e]);
    if (!elim) continue;  // rule skipped
    for (int m = 0; m < 4; ++m) {
      for (int p = 1; p <= 6; ++p) {
        const std::string& entry = s.cycle[m][p];
        if (entry.empty()) break;
        const std::optional<int> c = toNumber(entry);
        if (!c || std::llabs(static_cast<long long>(*elim) - *c) > window) continue;
        const std::string text = std::to_string(*c);
        if (!out.shown(text)) out.put(text);
        if (out.full()) return;
      }
    }
  }
}

void clearNumbers(Grid& g) {
  for (int r = 2; r <= g.maxRows(); ++r)
    for (int c = 2; c <= 6; ++c) g.setText(c, r, "");
}

}  // namespace

int foldNumber(int v) {
  if (v <= 0) return v + 31;
  if (v >= 32) return v - 31;
  return v;
}

void buildPredictionGrid(Grid& g, int index) {
  const int rows = kGridRows[index];
  g = Grid();
  g = makeGrid({.cols = 6,
                .rows = rows,
                .visibleCols = 6,
                .visibleRows = rows,
                .scrollBars = ScrollBars::None,
                .rowHeight = 10,
                .colWidth = 5});
  g.setColWidth(1, 8);

  // Header row.
  const Block header{1, 1, 6, 1};
  g.setFrozenRows(1);  // the heading row, which a screen reader reads as the columns' heading
  g.setAlign(header, HAlign::Center, VAlign::Center);
  g.setColors(header, kBlue, kLightRed);
  setTitle(g, 2, 1, kPredictionHeader);

  // Cell lines.
  if (index == 0) {
    g.setBorder(Block::all(), kTop | kBottom);
    g.setBorder(Block{1, -1, 1, -1}, kRight);
  } else {
    g.setBorder(Block::all(), kAllSides);
    if (rows > 2) {  // column 1 below the header is one box
      g.setBorder(Block{1, 2, 1, rows - 1}, kBottom, 0);
      g.setBorder(Block{1, 3, 1, rows}, kTop, 0);
    }
  }
  // The header cells over the numbers have no lines of their own; the lines
  // of their neighbours (column 1, the first number row) stay.
  g.clearBorder(Block{2, 1, 6, 1});

  switch (index) {
    case 0:
      g.setText(1, 2, " 7回周期法");
      g.setText(1, 3, " 9回周期法");
      g.setText(1, 4, "11回周期法");
      g.setText(1, 5, "12回周期法");
      break;
    case 1:
      g.setText(1, 3, "消去法");
      break;
    case 2:
      g.setText(1, 2, "連発予想");
      break;
    case 3:
      g.setText(1, 2, "１発予想");
      break;
  }
}

void buildPredictionGrids(PredictionGrids& grids) {
  for (int i = 0; i < kPredictionGridCount; ++i) buildPredictionGrid(grids[i], i);
}

void scanHistory(PredictionState& s, const History& history) { scanDraws(s, history.draws); }

void scanDraws(PredictionState& s, std::span<const Draw> draws) {
  for (const Draw& d : draws) {
    if (!d.complete()) continue;
    if (d.no > PredictionState::kLastTableDrawNo) continue;  // outside the history table
    for (int k = 1; k <= 6; ++k) s.history[d.no][k] = d[k - 1];
    for (int k = 1; k <= 6; ++k) {
      const int n = s.history[d.no][k];
      for (int j = d.no - 1; j >= 1; --j) {
        const auto& earlier = s.history[j];
        bool found = false;
        for (int slot = 1; slot <= 6; ++slot) found = found || earlier[slot] == n;
        if (!found) continue;
        const int gap = d.no - j;
        for (int m = 0; m < 4; ++m)
          if (gap == kCycleGaps[m]) s.cycle[m][k] = std::to_string(n);
        break;
      }
    }
  }
}

void runDisplaySequence(PredictionState& s, int drawCount, PredictionGrids& grids) {
  for (int m = 0; m < 4; ++m)
    for (int p = 1; p <= 5; ++p) grids[0].setText(p + 1, m + 2, s.cycle[m][p]);
  for (int i = 1; i < kPredictionGridCount; ++i) clearNumbers(grids[i]);
  const int reflect = s.reflectCount();
  eliminationMethod(s, drawCount, reflect, grids[1]);
  nearPrediction(s, 3, 3, grids[2]);
  nearPrediction(s, 2, 2, grids[3]);
}

void openPrediction(PredictionState& s, const History& history, PredictionGrids& grids) {
  buildPredictionGrids(grids);
  scanHistory(s, history);
  runDisplaySequence(s, history.recordCount(), grids);
}

}  // namespace km
