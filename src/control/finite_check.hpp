// The last guard before any output file is opened: every coordinate of the
// grid must be a finite number.
#pragma once

#include "distribution/views.hpp"

namespace torvane {

// Refuses (RunStop, status 1) a grid with a coordinate that is not finite,
// naming the first such point in file order (k, then j, then i).
void Check_finite_grid(const Grid& grid, int ie, int je, int ke);

}  // namespace torvane
