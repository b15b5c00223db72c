// Shape measures of one hexahedral grid cell from its eight corners, the
// corner of local indices (a, b, c) in {0, 1}^3 standing at a + 2b + 4c.
#pragma once

#include "inspect/quality/hex_shape.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// What the report measures of a single cell.
struct Hex_measures {
  double scaled_jacobian = 0;  // smallest of the eight corner values, 1 for a box, <= 0 folded
  double min_angle = 0;        // degrees, smallest corner angle of the six faces
  double max_angle = 0;        // degrees, largest corner angle of the six faces
  double aspect_ratio = 0;     // longest over shortest of the twelve edges
  double volume = 0;           // of the trilinear cell, negative when it is inside out
};

// Measures a cell; a cell with an edge of zero length counts as folded.
Hex_measures Measure_hex(const Vec3 corner[8]);

// The measures of a cell's shape, its face angles in degrees.
Hex_measures Measures_of(const Hex_shape& shape);

// Exact volume of the trilinear cell.
double Hex_volume(const Vec3 corner[8]);

}  // namespace torvane::inspect
