#include "analyses/last_digit/digit_header.h"

#include <string>

#include "frame/grid_setup.h"

namespace km {

namespace {

constexpr int kLastCol = 11;

// 43 half-width spaces, 下一桁数字, 27 half-width, 3 full-width and 18 half-width spaces.
const std::string kTitle = std::string(43, ' ') + "下一桁数字" + std::string(27, ' ') + "　　　" + std::string(18, ' ');

}  // namespace

DigitHeaderRows writeDigitHeader(Grid& g, int start, bool bottom) {
  const DigitHeaderRows rows = bottom ? DigitHeaderRows{start + 1, start} : DigitHeaderRows{start, start + 1};
  g.setColors({2, start, kLastCol, start + 1}, kBlue, kLightPink);

  g.setFrame({2, rows.title, kLastCol, rows.title});
  g.setOverflow(Block::all(), true);
  g.setAlign(Block::cell(2, rows.title), HAlign::Left, VAlign::Center);
  g.setText(2, rows.title, kTitle);
  g.setRowHeight(rows.title, 20);
  g.setText(1, rows.title, "回数");

  for (int d = 0; d <= 9; ++d) g.setText(d + 2, rows.digits, std::to_string(d));
  return rows;
}

}  // namespace km
