// The H-grid of one blade-to-blade surface (hub or casing): places the blade
// section contour, approximates it by a Bezier curve, lays out the boundary
// lines, fills the inlet, passage and outlet patches and wraps the surface
// onto its cylinder into plane k of the grid.
#pragma once

#include <span>

#include "base/control_values.hpp"
#include "base/diagnostics.hpp"
#include "base/grid_views.hpp"
#include "geometry/surface_description.hpp"

namespace torvane {

// The first two intervals along the blade at each edge cover this many first
// intervals (dsle, dste); a cubic blend joins them along the blade.
inline constexpr double kEdgeTwoIntervals = 2.1;

// Storage lent by the run control for the duration of the call.
struct Section_work {
  Plane x;                // surface grid x (first index i, second j)
  Plane y;                // surface grid y (arc length)
  std::span<double> bez;  // Bezier control points, (x, y) pairs
  Line w1, w2, w3, w4;    // work lines: w1, w2 indexed by j; w3, w4 by i
};

// Rotates the contour clockwise by the stagger, scales its reference x-extent
// to the chord and puts its reference point on (xref, yref), in place.
void Place_contour(const Section_geometry& geometry, const Contour_points& contour);

// Builds the surface and writes plane sizes.k of the grid for i = 1..ie,
// j = 1..je; the contour is placed in place.
void Section_grid(const Surface_description& surface, const Contour_points& contour, const Section_work& work,
                  const Grid& grid, Diagnostics& diagnostics);

}  // namespace torvane
