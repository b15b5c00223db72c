// The guard before any output file is opened: every coordinate of the grid
// must be a finite number.
#pragma once

#include "base/grid_views.hpp"

namespace torvane {

// Ends the build (Build_failure, Coordinate_not_finite) on a coordinate that is not finite in the planes
// k_first .. k_last, naming the first such point in file order (k, then j,
// then i). Checking the planes in increasing k, in any number of calls,
// names the first point of the whole grid.
void Check_finite_planes(const Grid& grid, int ie, int je, int k_first, int k_last);

}  // namespace torvane
