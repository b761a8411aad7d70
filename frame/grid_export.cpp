#include "frame/grid_export.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace km {

namespace {

CellRange clipped(const Grid& g, CellRange r) {
  if (r.empty()) return {};
  r.col1 = std::max(r.col1, 1);
  r.row1 = std::max(r.row1, 1);
  r.col2 = std::min(r.col2, g.maxCols());
  r.row2 = std::min(r.row2, g.maxRows());
  return r.empty() ? CellRange{} : r;
}

std::string quoted(const std::string& s) {
  std::string o = "\"";
  for (char c : s) {
    if (c == '"') o += '"';
    o += c;
  }
  return o + "\"";
}

std::string tsvField(const std::string& s) {
  const bool quote = s.find_first_of("\t\r\n") != std::string::npos || (!s.empty() && s.front() == '"');
  return quote ? quoted(s) : s;
}

std::string csvField(const std::string& s) { return s.find_first_of(",\"\r\n") != std::string::npos ? quoted(s) : s; }

std::string htmlEscaped(const std::string& s) {
  std::string o;
  for (char c : s) {
    switch (c) {
      case '&':
        o += "&amp;";
        break;
      case '<':
        o += "&lt;";
        break;
      case '>':
        o += "&gt;";
        break;
      case '"':
        o += "&quot;";
        break;
      case '\n':
        o += "<br>";
        break;
      case '\r':
        break;
      default:
        o += c;
    }
  }
  return o;
}

std::string hex(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c.r, c.g, c.b);
  return buf;
}

std::string border(const char* side, Line l) {
  if (!l.visible()) return {};
  return std::string("border-") + side + ":1px solid " + hex(l.color) + ";";
}

}  // namespace

std::string rangeToTsv(const Grid& g, CellRange range) {
  const CellRange r = clipped(g, range);
  std::string o;
  if (r.empty()) return o;
  for (int row = r.row1; row <= r.row2; ++row) {
    for (int col = r.col1; col <= r.col2; ++col) {
      if (col > r.col1) o += '\t';
      o += tsvField(g.text(col, row));
    }
    o += '\n';
  }
  return o;
}

std::string rangeToHtml(const Grid& g, CellRange range) {
  const CellRange r = clipped(g, range);
  std::string o =
      "<html><head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"></head><body>\n"
      "<table cellspacing=\"0\" cellpadding=\"2\" style=\"border-collapse:collapse\">\n";
  for (int row = r.empty() ? 1 : r.row1; !r.empty() && row <= r.row2; ++row) {
    o += "<tr>";
    for (int col = r.col1; col <= r.col2; ++col) {
      const CellStyle& c = g.style(col, row);
      const std::string& text = g.text(col, row);
      const char* align = c.halign == HAlign::Left ? "left" : c.halign == HAlign::Right ? "right" : "center";
      const char* valign = c.valign == VAlign::Top ? "top" : c.valign == VAlign::Bottom ? "bottom" : "middle";
      o += "<td bgcolor=\"" + hex(c.bg) + "\" align=\"" + align + "\" valign=\"" + valign +
           "\" style=\"background-color:" + hex(c.bg) + ";color:" + hex(c.fg) + ";" +
           border("left", g.verticalEdge(col - 1, row)) + border("right", g.verticalEdge(col, row)) +
           border("top", g.horizontalEdge(col, row - 1)) + border("bottom", g.horizontalEdge(col, row)) + "\">";
      if (!text.empty()) o += "<font color=\"" + hex(c.fg) + "\">" + htmlEscaped(text) + "</font>";
      o += "</td>";
    }
    o += "</tr>\n";
  }
  return o + "</table>\n</body></html>\n";
}

std::string gridToCsvRecords(const Grid& g) {
  std::string o;
  for (int row = 1; row <= g.maxRows(); ++row) {
    for (int col = 1; col <= g.maxCols(); ++col) {
      if (col > 1) o += ',';
      o += csvField(g.text(col, row));
    }
    o += "\r\n";
  }
  return o;
}

void writeGridsCsv(std::ostream& os, const std::vector<const Grid*>& grids) {
  std::string o = "\xEF\xBB\xBF";
  for (size_t i = 0; i < grids.size(); ++i) {
    if (i > 0) o += "\r\n";
    const Grid& g = *grids[i];
    for (int row = 1; row <= g.maxRows(); ++row) {
      for (int col = 1; col <= g.maxCols(); ++col) {
        if (col > 1) o += ',';
        o += csvField(g.text(col, row));
      }
      o += "\r\n";
      if (o.size() >= (1u << 16)) {
        os.write(o.data(), static_cast<std::streamsize>(o.size()));
        o.clear();
      }
    }
  }
  os.write(o.data(), static_cast<std::streamsize>(o.size()));
}

std::string gridsToCsvFile(const std::vector<const Grid*>& grids) {
  std::string o = "\xEF\xBB\xBF";
  for (size_t i = 0; i < grids.size(); ++i) {
    if (i > 0) o += "\r\n";
    o += gridToCsvRecords(*grids[i]);
  }
  return o;
}

}  // namespace km
