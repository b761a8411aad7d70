#pragma once
// What a cell's colours say, in words a screen reader can speak: the
// window's legend names the meaning of its colours ("本数字"), and a colour
// no legend names is told by its name ("背景：薄い黄色").
#include <string>
#include <vector>

#include "frame/grid.h"
#include "frame/window_def.h"

namespace km {

// The nearest of a few colour names ("赤", "薄い黄色", "水色").
std::string colourName(Rgb c);

// The legend entry a cell shows: an entry with a mark ("●") when the cell
// holds that mark in the entry's text colour, an entry without one when the
// cell has the entry's background; nullptr when none fits.
const LegendItem* legendEntryOf(const Grid& grid, int col, int row, const std::vector<LegendItem>& legend);

// The legend's words without their leading colon ("：本数字" is "本数字").
std::string legendWords(const LegendItem& item);

// The meaning of a cell's colours: the legend's words where an entry fits,
// else the names of a background other than white and a text colour other
// than black; empty for a plain cell.
std::string cellColourMeaning(const Grid& grid, int col, int row, const std::vector<LegendItem>& legend);

}  // namespace km
