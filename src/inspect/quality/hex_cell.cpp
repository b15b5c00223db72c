#include "inspect/quality/hex_cell.hpp"

#include <limits>

namespace torvane::inspect {

double Hex_volume(const Vec3 p[8]) { return Trilinear_volume(p); }

Hex_measures Measure_hex(const Vec3 p[8]) {
  // Edges along i leave corners 0, 2, 4, 6, along j corners 0, 1, 4, 5, along k corners 0 to 3.
  Unit_edge e[3][4];
  for (int m = 0; m < 4; ++m) {
    const int lo[3] = {2 * (m & 1) + 4 * (m >> 1), (m & 1) + 4 * (m >> 1), (m & 1) + 2 * (m >> 1)};
    const int step[3] = {1, 2, 4};
    for (int d = 0; d < 3; ++d) e[d][m] = Edge_between(p[lo[d]], p[lo[d] + step[d]]);
  }
  return Measures_of(Shape_of(e, p));
}

Hex_measures Measures_of(const Hex_shape& shape) {
  Hex_measures h;
  h.scaled_jacobian = shape.scaled_jacobian;
  h.aspect_ratio = shape.aspect_ratio;
  h.volume = shape.volume;
  h.min_angle = shape.collapsed ? 0 : Angle_degrees(shape.cos_max);
  h.max_angle = shape.collapsed ? 180 : Angle_degrees(shape.cos_min);
  return h;
}

}  // namespace torvane::inspect
