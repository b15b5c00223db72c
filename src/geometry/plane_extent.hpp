// Where a surface's inlet and outlet lines will lie in its blade-to-blade
// plane, found before the surface is built: the flow path must cover them.
#pragma once

#include <span>

#include "geometry/section_grid.hpp"

namespace torvane {

// The plane's axial extent: xi of the inlet line (i = 1) and of the outlet line (i = ie).
struct Plane_extent {
  double inlet;
  double outlet;
};

// The extent Section_grid gives the surface, by its own steps: the contour
// placed on a copy, its Bezier curve, the edges, and the upstream and
// downstream stretches summed interval by interval as the build sums them.
Plane_extent Surface_plane_extent(const Section_sizes& sizes, const Section_geometry& geometry,
                                  const Section_spacings& spacings, int npts, int iref, std::span<const double> xy);

}  // namespace torvane
