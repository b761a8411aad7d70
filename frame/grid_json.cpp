#include "frame/grid_json.h"

#include <cstdio>
#include <sstream>

namespace km {

namespace {

std::string quote(const std::string& s) {
  std::string o = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        o += "\\\"";
        break;
      case '\\':
        o += "\\\\";
        break;
      case '\n':
        o += "\\n";
        break;
      case '\r':
        o += "\\r";
        break;
      case '\t':
        o += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          o += buf;
        } else {
          o += static_cast<char>(c);
        }
    }
  }
  return o + "\"";
}

std::string hex(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
  return buf;
}

std::string num(double v) {
  std::ostringstream o;
  o << v;
  return o.str();
}

const char* name(HAlign a) { return a == HAlign::Left ? "left" : a == HAlign::Right ? "right" : "center"; }
const char* name(VAlign a) { return a == VAlign::Top ? "top" : a == VAlign::Bottom ? "bottom" : "center"; }

std::string intList(const std::vector<int>& v) {
  std::string o = "[";
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) o += ',';
    o += std::to_string(v[i]);
  }
  return o + "]";
}

std::string placementFields(const GridPlacement& p) {
  std::string o = ",\"font\":{\"family\":";
  o += quote(p.fontFamily);
  o += ",\"point_size\":";
  o += num(p.pointSize);
  o += "},\"col_px\":";
  o += intList(p.colPx);
  o += ",\"row_px\":";
  o += intList(p.rowPx);
  o += ",\"x_px\":";
  o += std::to_string(p.x);
  o += ",\"y_px\":";
  o += std::to_string(p.y);
  o += ",\"frame_px\":";
  o += std::to_string(p.framePx);
  return o;
}

}  // namespace

std::string gridToJson(const Grid& g, const GridPlacement* placement) {
  std::string o = "{\"cols\":" + std::to_string(g.maxCols()) + ",\"rows\":" + std::to_string(g.maxRows()) +
                  ",\"visible_cols\":" + std::to_string(g.visibleCols()) +
                  ",\"visible_rows\":" + std::to_string(g.visibleRows()) +
                  ",\"frozen_rows\":" + std::to_string(g.frozenRows()) + ",\"col_widths\":[";
  for (int c = 1; c <= g.maxCols(); ++c) {
    if (c > 1) o += ',';
    o += num(g.colWidth(c));
  }
  o += "]";
  if (placement) o += placementFields(*placement);
  o += ",\"row_heights\":[";
  for (int r = 1; r <= g.maxRows(); ++r) {
    if (r > 1) o += ',';
    o += num(g.rowHeight(r));
  }
  o += "],\"cells\":[";
  bool first = true;
  for (int r = 1; r <= g.maxRows(); ++r) {
    for (int c = 1; c <= g.maxCols(); ++c) {
      const Cell& x = g.cell(c, r);
      const Line lines[4] = {g.left(c, r), g.right(c, r), g.top(c, r), g.bottom(c, r)};
      bool anyLine = false;
      for (const Line& l : lines) anyLine = anyLine || l.visible();
      if (x.text.empty() && x.bg == kWhite && x.fg == kBlack && !anyLine && !x.overflow) continue;
      o += first ? "" : ",";
      first = false;
      o += "{\"col\":" + std::to_string(c) + ",\"row\":" + std::to_string(r) + ",\"text\":" + quote(x.text) +
           ",\"bg\":\"" + hex(x.bg) + "\",\"fg\":\"" + hex(x.fg) + "\",\"halign\":\"" + name(x.halign) +
           "\",\"valign\":\"" + name(x.valign) + "\",\"overflow\":" + (x.overflow ? "true" : "false") +
           ",\"borders\":{";
      static const char* kSides[4] = {"left", "right", "top", "bottom"};
      bool firstSide = true;
      for (int s = 0; s < 4; ++s) {
        if (!lines[s].visible()) continue;
        o += firstSide ? "" : ",";
        firstSide = false;
        o += std::string("\"") + kSides[s] + "\":{\"style\":" + std::to_string(lines[s].style) + ",\"color\":\"" +
             hex(lines[s].color) + "\"}";
      }
      o += "}}";
    }
  }
  return o + "]}";
}

std::string windowToJson(const WindowDef& w, const std::vector<const Grid*>& grids, const WindowPlacement* placement) {
  std::string o = "{\"window\":" + quote(w.name) + ",\"caption\":" + quote(w.caption) +
                  ",\"description\":" + quote(w.description) + ",\"width\":" + std::to_string(w.width) +
                  ",\"height\":" + std::to_string(w.height);
  if (placement) {
    o += ",\"width_px\":";
    o += std::to_string(placement->widthPx);
    o += ",\"height_px\":";
    o += std::to_string(placement->heightPx);
  }
  o += ",\"grids\":[";
  for (size_t i = 0; i < grids.size(); ++i) {
    if (i) o += ',';
    o += gridToJson(*grids[i], placement && i < placement->grids.size() ? &placement->grids[i] : nullptr);
  }
  return o + "]}\n";
}

}  // namespace km
