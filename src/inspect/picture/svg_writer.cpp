#include <cstdio>

#include "inspect/picture/picture_files.hpp"
#include "inspect/picture/picture_style.hpp"

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

std::string Pixels(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

std::string Points(const Point2* points, std::size_t count) {
  std::string out;
  for (std::size_t n = 0; n < count; ++n) {
    if (n) out += ' ';
    out += Pixels(points[n].x) + "," + Pixels(points[n].y);
  }
  return out;
}

std::string Stroke(const Line_style& s) {
  std::string out = "stroke=\"" + Hex(s.colour) + "\" stroke-width=\"" + Pixels(s.width) + "\"";
  if (s.dashed) out += " stroke-dasharray=\"" + Pixels(kDash) + "," + Pixels(kDashGap) + "\"";
  return out;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& text,
                 const std::string& extra = "") {
  return "<text x=\"" + Pixels(x) + "\" y=\"" + Pixels(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
         Escaped(text) + "</text>\n";
}

std::string Line(Point2 a, Point2 b) {
  return "<line x1=\"" + Pixels(a.x) + "\" y1=\"" + Pixels(a.y) + "\" x2=\"" + Pixels(b.x) + "\" y2=\"" + Pixels(b.y) +
         "\"/>\n";
}

// The cells of the bands under (or over) the grid lines, band by band, each polygon
// outlined in its fill (Cell_stroke).
void Put_cells(std::string& out, const Drawing& d, bool over_grid_lines) {
  if (d.cells.empty()) return;
  for (Cell_band band : {Cell_band::good, Cell_band::fair, Cell_band::bad, Cell_band::folded}) {
    if (Over_grid_lines(band) != over_grid_lines) continue;
    const std::string fill = Hex(Fill_of(band));
    out += "<g class=\"cells\" fill=\"" + fill + "\" stroke=\"" + fill + "\" stroke-width=\"" +
           Pixels(Cell_stroke(band)) + "\" stroke-linejoin=\"round\"";
    if (over_grid_lines) out += " opacity=\"" + Pixels(kOverGridOpacity) + "\"";
    out += ">\n";
    for (const Cell_patch& cell : d.cells) {
      if (cell.band != band) continue;
      out +=
          "<polygon class=\"" + std::string(Name_of(band)) + "\" points=\"" + Points(cell.corners.data(), 4) + "\"/>\n";
    }
    out += "</g>\n";
  }
}

// The grid lines, or the boundaries.
void Put_lines(std::string& out, const Drawing& d, bool boundaries) {
  out += "<g fill=\"none\" stroke-linejoin=\"round\">\n";
  for (const Polyline& line : d.lines) {
    const bool is_grid =
        line.kind == Line_kind::i_line || line.kind == Line_kind::j_line || line.kind == Line_kind::k_line;
    if (is_grid == boundaries) continue;
    out += "<polyline class=\"" + std::string(Name_of(line.kind)) + "\" " + Stroke(Style_of(line.kind)) + " points=\"" +
           Points(line.points.data(), line.points.size()) + "\"/>\n";
  }
  out += "</g>\n";
}

void Put_axes(std::string& out, const Drawing& d) {
  const std::string font = " font-family=\"sans-serif\" font-size=\"" + Pixels(kLabelSize) + "\"";
  out += "<rect class=\"frame\" x=\"" + Pixels(d.left) + "\" y=\"" + Pixels(d.top) + "\" width=\"" +
         Pixels(d.right - d.left) + "\" height=\"" + Pixels(d.bottom - d.top) +
         "\" fill=\"none\" stroke=\"black\" stroke-width=\"1\"/>\n";
  out += "<g class=\"x-axis\" stroke=\"black\" stroke-width=\"1\"" + font + ">\n";
  for (const Axis_tick& t : d.x_ticks) {
    out += Line({t.at, d.bottom}, {t.at, d.bottom + 5});
    out += Text(t.at, d.bottom + 18, "middle", t.label, " stroke=\"none\"");
  }
  out += Text((d.left + d.right) / 2, d.bottom + 40, "middle", d.x_label, " stroke=\"none\" class=\"axis-label\"");
  out += "</g>\n<g class=\"y-axis\" stroke=\"black\" stroke-width=\"1\"" + font + ">\n";
  for (const Axis_tick& t : d.y_ticks) {
    out += Line({d.left - 5, t.at}, {d.left, t.at});
    out += Text(d.left - 8, t.at + 4, "end", t.label, " stroke=\"none\"");
  }
  const double mid = (d.top + d.bottom) / 2;
  out += Text(18, mid, "middle", d.y_label,
              " stroke=\"none\" class=\"axis-label\" transform=\"rotate(-90 18 " + Pixels(mid) + ")\"");
  out += "</g>\n";
}

void Put_legend(std::string& out, const Drawing& d) {
  out += "<g class=\"scale-bar\" stroke=\"black\" stroke-width=\"2\" font-family=\"sans-serif\" font-size=\"" +
         Pixels(kLabelSize) + "\">\n";
  out += Line(d.scale_from, d.scale_to);
  out += Line({d.scale_from.x, d.scale_from.y - 5}, {d.scale_from.x, d.scale_from.y + 5});
  out += Line({d.scale_to.x, d.scale_to.y - 5}, {d.scale_to.x, d.scale_to.y + 5});
  out += Text(d.scale_to.x + kSwatchGap, d.scale_to.y + 4, "start", d.scale_label, " stroke=\"none\"");
  out += "</g>\n<g class=\"legend\" font-family=\"sans-serif\" font-size=\"" + Pixels(kLabelSize) + "\">\n";
  for (const Legend_entry& e : d.legend) {
    if (e.is_cell) {
      out += "<rect x=\"" + Pixels(e.at.x) + "\" y=\"" + Pixels(e.at.y - 10) + "\" width=\"" + Pixels(kSwatch) +
             "\" height=\"12\" fill=\"" + Hex(Fill_of(e.band)) + "\" stroke=\"#50607a\" stroke-width=\"0.6\"/>\n";
    } else {
      out += "<line " + Stroke(Style_of(e.line)) + " x1=\"" + Pixels(e.at.x) + "\" y1=\"" + Pixels(e.at.y - 4) +
             "\" x2=\"" + Pixels(e.at.x + kSwatch) + "\" y2=\"" + Pixels(e.at.y - 4) + "\"/>\n";
    }
    out += Text(e.at.x + kSwatch + kSwatchGap, e.at.y, "start", e.label, " class=\"legend-entry\"");
  }
  out += "</g>\n";
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
  out += "<text class=\"title\" x=\"" + Pixels(d.left) + "\" y=\"22\" font-family=\"sans-serif\" font-size=\"" +
         Pixels(kTitleSize) + "\">" + Escaped(d.title) + "</text>\n";
  Put_cells(out, d, false);
  Put_lines(out, d, false);
  Put_cells(out, d, true);
  Put_lines(out, d, true);
  Put_axes(out, d);
  Put_legend(out, d);
  out += "</svg>\n";
  return out;
}

}  // namespace torvane::inspect
