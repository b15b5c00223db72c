// How the pictures look, one place for both renderings (SVG and PNG): the
// colour and stroke of every kind of line, the fill of every cell band and the
// sizes of the text.
#pragma once

#include <cstdio>
#include <string>

#include "inspect/picture/drawing.hpp"

namespace torvane::inspect {

struct Rgb {
  int r = 0, g = 0, b = 0;
};

struct Line_style {
  Rgb colour;
  double width = 1;
  bool dashed = false;
};

// Stroke widths in pixels of the grid lines and of the blade walls.
inline constexpr double kGridStroke = 0.6;
inline constexpr double kWallStroke = 2.4;

// Dash and gap of a dashed line, in pixels.
inline constexpr double kDash = 7, kDashGap = 4;

// Text sizes in pixels: the title, and the ticks, axis labels and legend.
inline constexpr double kTitleSize = 15;
inline constexpr double kLabelSize = 12;

// Each boundary its own colour, far from the cell fills; the periodic lines dashed so
// that the two copies meeting on them show.
inline Line_style Style_of(Line_kind kind) {
  switch (kind) {
    case Line_kind::blade_wall_j1:
      return {{0, 0, 0}, kWallStroke, false};
    case Line_kind::blade_wall_je:
      return {{30, 80, 220}, kWallStroke, false};
    case Line_kind::periodic:
      return {{0, 140, 60}, 1.6, true};
    case Line_kind::hub:
      return {{150, 90, 20}, 2.2, false};
    case Line_kind::casing:
      return {{0, 150, 170}, 2.2, false};
    default:
      return {{0x50, 0x60, 0x7a}, kGridStroke, false};
  }
}

// Pale for good, strong for bad, dark for folded, so that the bad cells stand out.
inline Rgb Fill_of(Cell_band band) {
  switch (band) {
    case Cell_band::good:
      return {215, 240, 215};
    case Cell_band::fair:
      return {255, 215, 90};
    case Cell_band::bad:
      return {235, 60, 30};
    default:
      return {120, 0, 120};
  }
}

// Outline of a cell in its own fill: thin to close the seams between neighbours, wide
// for bad and folded cells so that the thinnest of them (at an edge) still shows.
inline double Cell_stroke(Cell_band band) { return band == Cell_band::bad || band == Cell_band::folded ? 3.5 : 0.4; }

// Bad and folded cells lie over the grid lines, slightly see-through, so that no
// bundle of lines at an edge hides them; good and fair cells lie under the lines.
inline bool Over_grid_lines(Cell_band band) { return band == Cell_band::bad || band == Cell_band::folded; }
inline constexpr double kOverGridOpacity = 0.8;

// The colour as SVG writes it, #rrggbb.
inline std::string Hex(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r & 0xff, c.g & 0xff, c.b & 0xff);
  return text;
}

// Length of a legend swatch and the gap to its text, in pixels.
inline constexpr double kSwatch = 28, kSwatchGap = 8;

}  // namespace torvane::inspect
