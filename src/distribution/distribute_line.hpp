// Two-sided line distribution: stretched sections at both ends of a grid line
// (first interval dx1 at i1, last interval dx4 at i4) joined by a cubic blend.
#pragma once

#include "base/diagnostics.hpp"
#include "base/grid_views.hpp"

namespace torvane {

// Fills x(i1) .. x(i4) with x1 at i1, x2 at i2, x3 at i3 and x4 at i4.
// Never touches an element outside the line it is given.
void Distribute_line(int i1, int i2, int i3, int i4, double x1, double x2, double x3, double x4, double dx1, double dx4,
                     Line x, Diagnostics& diagnostics);

}  // namespace torvane
