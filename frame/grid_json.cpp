#include "frame/grid_json.h"

#include <cstdio>
#include <ostream>
#include <sstream>

namespace km {

namespace {

void appendQuoted(std::string& o, const std::string& s) {
  o += '"';
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
  o += '"';
}

std::string quote(const std::string& s) {
  std::string o;
  appendQuoted(o, s);
  return o;
}

void appendHex(std::string& o, Rgb c) {
  static const char kDigits[] = "0123456789ABCDEF";
  const char buf[7] = {'#',
                       kDigits[c.r >> 4],
                       kDigits[c.r & 15],
                       kDigits[c.g >> 4],
                       kDigits[c.g & 15],
                       kDigits[c.b >> 4],
                       kDigits[c.b & 15]};
  o.append(buf, sizeof buf);
}

// The text being written: handed to the stream in pieces as it grows, or
// kept whole when there is no stream.
struct Out {
  std::string text;
  std::ostream* stream = nullptr;
  void flushIfLarge() {
    if (stream && text.size() >= (1u << 16)) flush();
  }
  void flush() {
    if (stream) stream->write(text.data(), static_cast<std::streamsize>(text.size()));
    text.clear();
  }
};

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

void writeGrid(Out& out, const Grid& g, const GridPlacement* placement) {
  std::string& o = out.text;
  o += "{\"cols\":" + std::to_string(g.maxCols()) + ",\"rows\":" + std::to_string(g.maxRows()) +
       ",\"visible_cols\":" + std::to_string(g.visibleCols()) + ",\"visible_rows\":" + std::to_string(g.visibleRows()) +
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
  static const char* kSides[4] = {"left", "right", "top", "bottom"};
  for (int r = 1; r <= g.maxRows(); ++r) {
    for (int c = 1; c <= g.maxCols(); ++c) {
      const CellStyle& x = g.style(c, r);
      const std::string& text = g.text(c, r);
      const Line* lines[4] = {&x.left, &x.right, &x.top, &x.bottom};
      bool anyLine = false;
      for (const Line* l : lines) anyLine = anyLine || l->visible();
      const std::string& tip = g.toolTip(c, r);
      if (text.empty() && tip.empty() && x.bg == kWhite && x.fg == kBlack && !anyLine && !x.overflow) continue;
      if (!first) o += ',';
      first = false;
      o += "{\"col\":";
      o += std::to_string(c);
      o += ",\"row\":";
      o += std::to_string(r);
      o += ",\"text\":";
      appendQuoted(o, text);
      if (!tip.empty()) {
        o += ",\"tooltip\":";
        appendQuoted(o, tip);
      }
      o += ",\"bg\":\"";
      appendHex(o, x.bg);
      o += "\",\"fg\":\"";
      appendHex(o, x.fg);
      o += "\",\"halign\":\"";
      o += name(x.halign);
      o += "\",\"valign\":\"";
      o += name(x.valign);
      o += "\",\"overflow\":";
      o += x.overflow ? "true" : "false";
      o += ",\"borders\":{";
      bool firstSide = true;
      for (int s = 0; s < 4; ++s) {
        if (!lines[s]->visible()) continue;
        if (!firstSide) o += ',';
        firstSide = false;
        o += '"';
        o += kSides[s];
        o += "\":{\"style\":";
        o += std::to_string(lines[s]->style);
        o += ",\"color\":\"";
        appendHex(o, lines[s]->color);
        o += "\"}";
      }
      o += "}}";
      out.flushIfLarge();
    }
  }
  o += "]}";
}

void writeWindow(Out& out, const WindowDef& w, const std::vector<const Grid*>& grids,
                 const WindowPlacement* placement) {
  std::string& o = out.text;
  o += "{\"window\":" + quote(w.name) + ",\"caption\":" + quote(w.caption) +
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
    writeGrid(out, *grids[i], placement && i < placement->grids.size() ? &placement->grids[i] : nullptr);
  }
  o += "]}\n";
}

}  // namespace

std::string windowToJson(const WindowDef& w, const std::vector<const Grid*>& grids, const WindowPlacement* placement) {
  Out out;
  writeWindow(out, w, grids, placement);
  return std::move(out.text);
}

void writeWindowJson(std::ostream& os, const WindowDef& w, const std::vector<const Grid*>& grids,
                     const WindowPlacement* placement) {
  Out out{{}, &os};
  writeWindow(out, w, grids, placement);
  out.flush();
}

}  // namespace km
