// The last step of a surface build: the blade-to-blade plane grid (x, y)
// wrapped onto its surface in plane k of the grid, a cylinder of the
// section's radius or the surface of revolution of a flow-path curve.
#pragma once

#include "base/grid_views.hpp"
#include "geometry/flow_path.hpp"

namespace torvane {

// theta = y / radius; the grid point (x, sin(theta) radius, radius - (1 - cos(theta)) radius).
void Wrap_on_cylinder(const Plane& x, const Plane& y, int ie, int je, double radius, const Grid& grid, int k);

// Each plane point (xi, y) through the conformal map to (x, r, theta); the
// grid point (x, sin(theta) r, r - (1 - cos(theta)) r).
void Wrap_on_flow_path(const Plane& x, const Plane& y, int ie, int je, const Conformal_map& map, const Grid& grid,
                       int k);

}  // namespace torvane
