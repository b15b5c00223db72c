// SU2 native mesh of the block: hexahedra, points and the seven named markers,
// with the MARKER_PERIODIC line that pairs periodic_lower with periodic_upper.
#pragma once

#include <string>

#include "inspect/export/solver_mesh.hpp"

namespace torvane::inspect {

// The .su2 text: NDIME= 3, the hexahedra (VTK type 12), the points, the markers (quadrilaterals, type 9).
std::string Su2_text(const Grid& g, const Solver_boundary& boundary);

// The MARKER_PERIODIC line of an SU2 configuration: rotation centre, the angles in degrees
// about x, y, z that carry periodic_lower onto periodic_upper, zero translation.
std::string Su2_periodic_text(const Solver_boundary& boundary, Machine_axis axis);

}  // namespace torvane::inspect
