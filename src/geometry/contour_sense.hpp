// Whether a built blade-to-blade surface covers the blade: a contour listed
// along the +y side first puts the wall j = 1 on the -y side of the blade and
// the wall j = je on the +y side of the next one, so the passage would hold
// the blade itself.
#pragma once

#include "base/grid_views.hpp"
#include "base/surface.hpp"

namespace torvane {

// True when at more than half of the inner blade stations (ile < i < ite) the
// wall j = 1 lies strictly below the wall j = je moved back by one pitch,
// y(i, 1) < y(i, je) - pitch, in the blade-to-blade plane before the wrap.
bool Surface_covers_blade(const Plane& y, int ile, int ite, int je, double pitch);

// Ends the build on such a surface (Build_failure, Blade_covered).
void Check_contour_sense(Surface surface, const Plane& y, int ile, int ite, int je, double pitch);

}  // namespace torvane
