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

}  // namespace

std::string gridToJson(const Grid& g) {
  std::string o = "{\"cols\":" + std::to_string(g.maxCols()) + ",\"rows\":" + std::to_string(g.maxRows()) +
                  ",\"visible_cols\":" + std::to_string(g.visibleCols()) +
                  ",\"visible_rows\":" + std::to_string(g.visibleRows()) +
                  ",\"frozen_rows\":" + std::to_string(g.frozenRows()) + ",\"col_widths\":[";
  for (int c = 1; c <= g.maxCols(); ++c) o += (c > 1 ? "," : "") + num(g.colWidth(c));
  o += "],\"row_heights\":[";
  for (int r = 1; r <= g.maxRows(); ++r) o += (r > 1 ? "," : "") + num(g.rowHeight(r));
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

std::string windowToJson(const WindowDef& w, const std::vector<const Grid*>& grids) {
  std::string o = "{\"window\":" + quote(w.name) + ",\"caption\":" + quote(w.caption) +
                  ",\"description\":" + quote(w.description) + ",\"width\":" + std::to_string(w.width) +
                  ",\"height\":" + std::to_string(w.height) + ",\"grids\":[";
  for (size_t i = 0; i < grids.size(); ++i) o += (i ? "," : "") + gridToJson(*grids[i]);
  return o + "]}\n";
}

}  // namespace km
