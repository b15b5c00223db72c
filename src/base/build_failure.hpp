// Why a grid build cannot go on, as the numerical routines find it: a typed
// failure with the numbers that tell it. The routines throw it and decide
// nothing more; the run alone turns it into its standard-error line and exit
// status (control/build_stop.hpp), torvane-deck's checks into advice.
#pragma once

#include <variant>

#include "base/surface.hpp"

namespace torvane {

// The edge search found the trailing edge before the leading edge on the
// section's curve: both blade sides would be searched on one stretch of it.
struct Edges_out_of_order {
  Surface surface;
  double t_le;  // curve parameter of the leading edge
  double t_te;  // of the trailing edge
};

// Bezier_x was asked for an x that the curve interval it searches does not
// reach: a blade station fell outside the contour between its edges (the
// routine has reported Inversion_outside_interval before).
struct Station_outside_curve {
  double x;   // the x asked for
  double xa;  // x at the start of the interval
  double xb;  // x at its end
};

// A grid point with a coordinate that is not a finite number, the first in
// file order (k, then j, then i).
struct Coordinate_not_finite {
  int i, j, k;
  double x, y, z;
};

// The section's contour runs along the +y side first, so the built surface
// covers the blade.
struct Blade_covered {
  Surface surface;
};

// The tip gap is deeper than the passage at a spanwise grid line: the casing
// never lies the gap above any point of the line.
struct Tip_gap_too_deep {
  double gap;
  int i, j;  // the grid line
};

using Build_failure_kind =
    std::variant<Edges_out_of_order, Station_outside_curve, Coordinate_not_finite, Blade_covered, Tip_gap_too_deep>;

// Thrown by the numerical routines; caught by the run.
struct Build_failure {
  Build_failure_kind kind;
};

}  // namespace torvane
