#include <cstdio>

#include "inspect/picture_files.hpp"

namespace torvane::inspect {

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

void Put_line(std::string& out, const Polyline& line) {
  out += "<polyline class=\"" + line.kind + "\" points=\"";
  char pair[64];
  for (std::size_t n = 0; n < line.points.size(); ++n) {
    std::snprintf(pair, sizeof pair, n ? " %.2f,%.2f" : "%.2f,%.2f", line.points[n].x, line.points[n].y);
    out += pair;
  }
  out += "\"/>\n";
}

}  // namespace

std::string Svg_text(const Drawing& d) {
  char head[512];
  std::snprintf(head, sizeof head,
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" viewBox=\"0 0 %.0f %.0f\">\n"
                "<rect width=\"%.0f\" height=\"%.0f\" fill=\"white\"/>\n",
                d.width, d.height, d.width, d.height, d.width, d.height);
  std::string out = head;
  out += "<text x=\"20\" y=\"22\" font-family=\"sans-serif\" font-size=\"15\">" + Escaped(d.title) + "</text>\n";
  char group[160];
  std::snprintf(group, sizeof group, "<g fill=\"none\" stroke=\"#50607a\" stroke-width=\"%.1f\">\n", kGridStroke);
  out += group;
  for (const Polyline& line : d.lines) {
    if (line.kind != "wall") Put_line(out, line);
  }
  std::snprintf(group, sizeof group,
                "</g>\n<g fill=\"none\" stroke=\"black\" stroke-width=\"%.1f\" stroke-linejoin=\"round\">\n",
                kWallStroke);
  out += group;
  for (const Polyline& line : d.lines) {
    if (line.kind == "wall") Put_line(out, line);
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace torvane::inspect
