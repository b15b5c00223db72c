// The shape of one hexahedral cell from its twelve unit edge vectors and its
// eight corners: the values every cell measure comes from, with the face
// corner angles still as cosines, so that counting cells in bands needs no
// arccosine. Inline: the sweep over all cells calls it 800,000 times.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include "inspect/grid_file.hpp"

namespace torvane::inspect {

// A grid line between two neighbouring points: its unit vector, pointing
// towards the higher index, and its length.
struct Unit_edge {
  Vec3 unit;
  double length = 0;
};

// What a cell's measures are made of.
struct Hex_shape {
  double scaled_jacobian = 0;  // smallest of the eight corner values; 0 when collapsed
  double cos_max = -1;         // largest cosine of the 24 face corner angles (the smallest angle)
  double cos_min = 1;          // smallest cosine (the largest angle)
  double aspect_ratio = 0;     // infinite when collapsed
  double volume = 0;           // of the trilinear cell
  bool collapsed = false;      // an edge of zero length: folded, face angles 0 and 180 degrees
};

namespace shape_math {

inline Vec3 Minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 Plus(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Triple(const Vec3& a, const Vec3& b, const Vec3& c) { return Dot(a, Cross(b, c)); }

}  // namespace shape_math

// The edge from `from` to `to`; its unit vector is zero when its length is not positive.
inline Unit_edge Edge_between(const Vec3& from, const Vec3& to) {
  const Vec3 v = shape_math::Minus(to, from);
  Unit_edge e;
  e.length = std::sqrt(shape_math::Dot(v, v));
  if (e.length > 0) e.unit = {v.x / e.length, v.y / e.length, v.z / e.length};
  return e;
}

// Degrees of the angle whose cosine is c (clamped to [-1, 1] against rounding).
inline double Angle_degrees(double c) {
  constexpr double kDegrees = 57.295779513082320876798;  // 180 / pi
  return std::acos(std::clamp(c, -1.0, 1.0)) * kDegrees;
}

// Exact volume of the trilinear cell as three triple products (planar faces or
// not), corners numbered a + 2b + 4c.
inline double Trilinear_volume(const Vec3 p[8]) {
  using namespace shape_math;
  const Vec3 d71 = Minus(p[7], p[1]);
  const Vec3 d72 = Minus(p[7], p[2]);
  const Vec3 d74 = Minus(p[7], p[4]);
  const Vec3 d60 = Minus(p[6], p[0]);
  const Vec3 d30 = Minus(p[3], p[0]);
  const Vec3 d50 = Minus(p[5], p[0]);
  return (Triple(Plus(d71, d60), d72, d30) + Triple(d60, Plus(d72, d50), d74) + Triple(d71, d50, Plus(d74, d30))) /
         12.0;
}

// The shape of the cell with corners p (local indices (a, b, c) at a + 2b + 4c)
// and edges e[0][b + 2c] along i, e[1][a + 2c] along j, e[2][a + 2b] along k.
inline Hex_shape Shape_of(const Unit_edge e[3][4], const Vec3 p[8]) {
  using namespace shape_math;
  Hex_shape h;
  h.volume = Trilinear_volume(p);
  double shortest = std::numeric_limits<double>::infinity();
  double longest = 0;
  for (int d = 0; d < 3; ++d) {
    for (int m = 0; m < 4; ++m) {
      shortest = std::min(shortest, e[d][m].length);
      longest = std::max(longest, e[d][m].length);
    }
  }
  if (!(shortest > 0)) {
    h.collapsed = true;
    h.aspect_ratio = std::numeric_limits<double>::infinity();
    return h;
  }
  h.aspect_ratio = longest / shortest;
  // Corner (a, b, c): the i edge at (b, c), the j edge at (a, c), the k edge at
  // (a, b); the first of equal minima is kept, as it decides the sign of a zero.
  double jacobian = std::numeric_limits<double>::infinity();
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) {
        jacobian = std::min(jacobian, Triple(e[0][b + 2 * c].unit, e[1][a + 2 * c].unit, e[2][a + 2 * b].unit));
      }
    }
  }
  h.scaled_jacobian = jacobian;
  // Face corner angles: at local corner (s, t) of a face spanned by edges u and v
  // the edges leave the corner as (1 - 2s) u and (1 - 2t) v.
  double cos_max = -1, cos_min = 1;
  auto corner = [&](const Unit_edge& u, const Unit_edge& v, int s, int t) {
    const double c = ((s == t) ? 1.0 : -1.0) * Dot(u.unit, v.unit);
    cos_max = std::max(cos_max, c);
    cos_min = std::min(cos_min, c);
  };
  for (int f = 0; f < 2; ++f) {
    for (int s = 0; s < 2; ++s) {
      for (int t = 0; t < 2; ++t) {
        corner(e[0][t + 2 * f], e[1][s + 2 * f], s, t);  // k faces: i edge at (b = t, c = f), j edge at (a = s, c = f)
        corner(e[0][f + 2 * t], e[2][s + 2 * f], s, t);  // j faces: i edge at (b = f, c = t), k edge at (a = s, b = f)
        corner(e[1][f + 2 * t], e[2][f + 2 * s], s, t);  // i faces: j edge at (a = f, c = t), k edge at (a = f, b = s)
      }
    }
  }
  h.cos_max = cos_max;
  h.cos_min = cos_min;
  return h;
}

}  // namespace torvane::inspect
