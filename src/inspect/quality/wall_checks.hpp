// Checks along the block's boundaries: the first-cell height off each wall,
// the match of the periodic boundaries turned by the pitch angle, and the
// sense of the blade walls (the passage must lie between two blades).
#pragma once

#include <vector>

#include "base/grid_check.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// Smallest, median and largest of a set of values.
struct Spread {
  long count = 0;
  double min = 0, median = 0, max = 0;
};

// Wall-normal height of the first point off the wall, per wall face.
struct Wall_heights {
  Spread blade_j1, blade_je, hub, casing;
};

Wall_heights First_cell_heights(const Grid& grid, const Block_faces& faces);

// Largest distance between a periodic point and its partner turned by the row's angle.
struct Periodic_match {
  long points = 0;
  double max_mismatch = 0;  // length
  double max_relative = 0;  // mismatch over the pitch r * angle at the point's radius
  int at_i = 0, at_j = 0, at_k = 0;
};

Periodic_match Check_periodic(const Grid& grid, const Block_faces& faces);

// The blade-wall sense of the run's grid: the base library's check, with the
// edges and the pitch angle of the topology file.
using torvane::Blade_sense;
Blade_sense Check_blade_sense(const Grid& grid, const Block_faces& faces);

// The tip gap above the blade: the tip plane k = tip_k between the edges, its
// camber line's radius and its clearance under the casing (radially, at the
// tip point's axial position) at each blade station i = ile .. ite.
struct Tip_gap_survey {
  int tip_k = 0;  // 0: the blade reaches the casing
  double min_tip_radius = 0, max_tip_radius = 0;
  double min_gap = 0, max_gap = 0, mean_gap = 0;
  int min_gap_i = 0, max_gap_i = 0;
  std::vector<double> tip_radius, gap;  // at i = ile .. ite
};

Tip_gap_survey Survey_tip_gap(const Grid& grid, const Block_faces& faces);

// Tolerance of both boundary checks, relative to the pitch.
inline constexpr double kPeriodicTolerance = torvane::kPitchTolerance;

}  // namespace torvane::inspect
