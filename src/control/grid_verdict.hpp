// torvane's check of a built grid before its files take their names: the
// base library's folded-cell and blade-wall measures, and what the run says
// of a grid that fails them (the part of the grid, the records that govern
// it, the numbers that show the cause).
#pragma once

#include <string>
#include <string_view>

#include "base/grid_check.hpp"
#include "base/grid_views.hpp"
#include "base/passage.hpp"
#include "base/run_stop.hpp"
#include "control/build_scheduler.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "geometry/surface_description.hpp"

namespace torvane {

// Where a cell (i, j, k) lies: streamwise, and in which wall layer if any.
struct Grid_part {
  enum class Stream { upstream, passage, downstream } stream;
  enum class Layer { none, hub, casing, blade_walls } layer;
};

// The part of cell (i, j, k): upstream for i < ile, downstream for i >= ite;
// the hub layer for k <= nwallhc, the casing layer for k > ke - 1 - nwallhc,
// the blade-wall layers for j <= nwall or j > je - 1 - nwall.
Grid_part Part_of_cell(int i, int j, int k, const Grid_sizes& sizes, int nwall, int nwallhc);

// The grid as the check reads it, ie x je x ke points of the run's storage.
Grid_points Points_of(const Grid& grid, const Grid_sizes& sizes);

// What the run knows when it checks its grid; the deck's values as read.
struct Check_input {
  const Control_values& values;
  const Grid_sizes& sizes;
  const Setup_values& setup;
  const Passage& passage;        // span stations and boundary patches
  const Contour_points& hub;     // placed in the blade-to-blade plane
  const Contour_points& casing;  // likewise
  const Grid& grid;
  int gap_cells = 0;  // cells across a tip gap above the blade, 0 without one
  double gap = 0;     // the gap's length
};

// The verdict: status 0, or 1 for folded cells, 2 for a covered blade, with
// the line for standard error (without the program's name).
struct Grid_verdict {
  int status = kExitComplete;
  std::string diagnostic;
};

// The verdict on the findings; a covered blade is told first, as it folds the
// cells around it too.
Grid_verdict Judge_grid(const Grid_findings& findings, const Check_input& input);

// The cause beside the fixed ERROR line of too large a grid: each size and
// the limit it exceeds ("ie = nin + nblade/2 + nout + 1 = 351 exceeds " and the value of kMaxIe).
std::string Grid_size_excess(const Control_values& values, const Grid_limits& limits = kClassicLimits);

// The cause beside the fixed ERROR line of a blade station that the Bezier
// inversion could not place: the section, its blade's axial length from the
// placed contour, the first intervals at its edges (the section's dsle and
// dste) and the record most likely at fault.
std::string Inversion_cause(std::string_view section, const Contour_points& placed, double dsle, double dste);

}  // namespace torvane
