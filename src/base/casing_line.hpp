// The casing line under a row of casing points: the radius of the casing at
// an axial position, which the tip-gap cut and the report's gap measure alike.
#pragma once

#include <cstddef>

namespace torvane {

// The radius at axial position xq of the line through n casing points, the
// m-th at (x, y, z)[m * stride], radius hypot(y, z): linear between the two
// points around xq, the end segments carried on beyond the ends. The search
// starts at point hint (from 0), where the answer usually is.
double Casing_radius_at(const double* x, const double* y, const double* z, int n, std::size_t stride, double xq,
                        int hint);

}  // namespace torvane
