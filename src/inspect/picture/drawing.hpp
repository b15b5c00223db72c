// Pictures of the grid laid out on a page: the blade-to-blade grid of a
// spanwise surface (axial coordinate against radius times angle, two pitches)
// and the cross-section of a streamwise station (the grid's y and z), with
// axes in the deck's length unit, a scale bar, a legend naming the blade
// walls, periodic lines, hub and casing, and optionally every cell coloured by
// its quality band.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

struct Point2 {
  double x = 0, y = 0;
};

// What a line of the picture is: a grid line or one of the block's boundaries.
enum class Line_kind { i_line, j_line, k_line, blade_wall_j1, blade_wall_je, periodic, hub, casing };

// A cell's band as the report counts it: folded (scaled Jacobian <= 0) apart from bad.
enum class Cell_band { good, fair, bad, folded };

// A line on the page.
struct Polyline {
  Line_kind kind = Line_kind::i_line;
  std::vector<Point2> points;
};

// The face of a cell on the drawn surface, filled with its band's colour.
struct Cell_patch {
  Cell_band band = Cell_band::good;
  std::array<Point2, 4> corners;
};

// A tick of an axis: its place along the axis on the page and its value as written.
struct Axis_tick {
  double at = 0;
  std::string label;
};

// A legend row: a line kind or a cell band as its swatch shows it, and the text beside it.
struct Legend_entry {
  bool is_cell = false;
  Line_kind line = Line_kind::i_line;
  Cell_band band = Cell_band::good;
  std::string label;
  Point2 at;  // left end of the swatch, on the text's base line
};

// A page in pixels, y growing downwards: the plot inside its frame, the axes
// below and left of it, the legend and the scale bar under them.
struct Drawing {
  std::string title;
  double width = 0, height = 0;
  double left = 0, top = 0, right = 0, bottom = 0;  // the frame of the plot
  std::string x_label, y_label;
  std::vector<Axis_tick> x_ticks, y_ticks;
  std::vector<Polyline> lines;
  std::vector<Cell_patch> cells;
  std::vector<Legend_entry> legend;
  Point2 scale_from, scale_to;  // the scale bar
  std::string scale_label;
};

// Blade-to-blade grid of surface k, two pitches one above the other; with
// cells, the cells of the layer next to the surface coloured by band (null:
// grid lines only).
Drawing Blade_to_blade(const Grid& grid, const Block_faces& faces, int k, const std::string& title,
                       const Cell_field* cells = nullptr);

// Cross-section at station i in the grid's y-z plane; with cells, the cells of
// the layer downstream of the station (upstream at the last one) coloured by band.
// k_first > 1 draws the part from k = k_first to the casing only (a tip gap's close-up).
Drawing Cross_section(const Grid& grid, const Block_faces& faces, int i, const std::string& title,
                      const Cell_field* cells = nullptr, int k_first = 1);

// The band a picture gives cell n of the field.
Cell_band Band_of(const Cell_field& cells, std::size_t n);

// How a line kind and a cell band are named in a legend.
const char* Name_of(Line_kind kind);
const char* Name_of(Cell_band band);

// Page width of every picture, in pixels.
inline constexpr double kPageWidth = 1000;

}  // namespace torvane::inspect
