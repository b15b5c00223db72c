// Whether a hexahedral grid cell is folded: the scaled Jacobian at its eight
// corners from the unit vectors of its twelve edges. torvane's grid check and
// torvane-inspect's report both measure cells with these functions, so that the
// two programs never disagree on a cell.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace torvane {

// A point or a vector in the machine's frame: x axial, y = r sin(theta), z = r cos(theta).
struct Vec3 {
  double x = 0, y = 0, z = 0;
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

// A grid line between two neighbouring points: its unit vector, pointing
// towards the higher index, and its length.
struct Unit_edge {
  Vec3 unit;
  double length = 0;
};

// The edge from `from` to `to`; its unit vector is zero when its length is not positive.
inline Unit_edge Edge_between(const Vec3& from, const Vec3& to) {
  const Vec3 v = shape_math::Minus(to, from);
  Unit_edge e;
  e.length = std::sqrt(shape_math::Dot(v, v));
  if (e.length > 0) e.unit = {v.x / e.length, v.y / e.length, v.z / e.length};
  return e;
}

// The cross products of a face across i, spanned by the edges j0, j1 along j
// (at c = 0, 1) and k0, k1 along k (at b = 0, 1): cross[b + 2c] = j_c x k_b.
// The same for the two cells the face parts.
inline void Face_crosses(const Unit_edge& j0, const Unit_edge& j1, const Unit_edge& k0, const Unit_edge& k1,
                         Vec3 cross[4]) {
  const Unit_edge* j[2] = {&j0, &j1};
  const Unit_edge* k[2] = {&k0, &k1};
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) cross[b + 2 * c] = shape_math::Cross(j[c]->unit, k[b]->unit);
  }
}

// The scaled Jacobian of a cell, the smallest of its eight corner values: at
// corner (a, b, c) the i edge at (b, c), along_i[b + 2c], against the cross
// product of the face a = 0 or 1. A cell with an edge of zero length
// (shortest not positive) has 0. The first of equal minima is kept, as it
// decides the sign of a zero.
inline double Scaled_jacobian(const Unit_edge* const along_i[4], const Vec3 face0[4], const Vec3 face1[4],
                              double shortest) {
  if (!(shortest > 0)) return 0;
  const Vec3* faces[2] = {face0, face1};
  double jacobian = std::numeric_limits<double>::infinity();
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) {
        jacobian = std::min(jacobian, shape_math::Dot(along_i[b + 2 * c]->unit, faces[a][b + 2 * c]));
      }
    }
  }
  return jacobian;
}

// A cell is folded when its scaled Jacobian is not positive.
inline bool Is_folded(double scaled_jacobian) { return !(scaled_jacobian > 0); }

}  // namespace torvane
