#include "frame/cell_meaning.h"

#include <array>
#include <limits>
#include <string_view>

namespace km {

namespace {

struct NamedColour {
  Rgb rgb;
  const char* name;
};
// The colours the windows use, and the plain ones round them.
constexpr std::array<NamedColour, 18> kNames = {{
    {RGB(255, 255, 255), "白"},
    {RGB(0, 0, 0), "黒"},
    {RGB(128, 128, 128), "灰色"},
    {RGB(225, 225, 225), "薄い灰色"},
    {RGB(255, 0, 0), "赤"},
    {RGB(255, 200, 200), "薄い赤"},
    {RGB(255, 128, 192), "ピンク"},
    {RGB(255, 200, 255), "薄い紫"},
    {RGB(255, 165, 0), "橙色"},
    {RGB(255, 220, 160), "薄い橙色"},
    {RGB(255, 255, 0), "黄色"},
    {RGB(255, 255, 200), "薄い黄色"},
    {RGB(0, 160, 0), "緑"},
    {RGB(200, 255, 200), "薄い緑"},
    {RGB(0, 0, 255), "青"},
    {RGB(62, 158, 255), "水色"},
    {RGB(200, 255, 255), "薄い水色"},
    {RGB(200, 200, 255), "薄い青"},
}};

int distance(Rgb a, Rgb b) {
  const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}

}  // namespace

std::string colourName(Rgb c) {
  const NamedColour* best = &kNames[0];
  int bestDistance = std::numeric_limits<int>::max();
  for (const NamedColour& n : kNames)
    if (const int d = distance(c, n.rgb); d < bestDistance) {
      bestDistance = d;
      best = &n;
    }
  return best->name;
}

const LegendItem* legendEntryOf(const Grid& grid, int col, int row, const std::vector<LegendItem>& legend) {
  if (!grid.contains(col, row)) return nullptr;
  const CellStyle& s = grid.style(col, row);
  const std::string& text = grid.text(col, row);
  for (const LegendItem& item : legend) {
    if (item.sample.empty() ? s.bg == item.sampleBg && s.bg != kWhite : text == item.sample && s.fg == item.sampleFg)
      return &item;
  }
  return nullptr;
}

std::string legendWords(const LegendItem& item) {
  std::string_view w = item.label;
  for (std::string_view colon : {std::string_view("："), std::string_view(":")})
    if (w.substr(0, colon.size()) == colon) w.remove_prefix(colon.size());
  return std::string(w);
}

std::string cellColourMeaning(const Grid& grid, int col, int row, const std::vector<LegendItem>& legend) {
  if (const LegendItem* item = legendEntryOf(grid, col, row, legend)) return legendWords(*item);
  if (!grid.contains(col, row)) return {};
  const CellStyle& s = grid.style(col, row);
  std::string meaning;
  if (s.bg != kWhite) meaning = "背景：" + colourName(s.bg);
  if (s.fg != kBlack && !grid.text(col, row).empty())
    meaning += (meaning.empty() ? "" : "、") + ("文字：" + colourName(s.fg));
  return meaning;
}

}  // namespace km
