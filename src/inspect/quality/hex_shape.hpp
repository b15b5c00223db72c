// The shape of one hexahedral cell from its twelve unit edge vectors and its
// eight corners: the values every cell measure comes from, with the face
// corner angles still as cosines, so that counting cells in bands needs no
// arccosine. Inline: the sweep over all cells calls it 800,000 times.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/cell_shape.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

using torvane::Edge_between;
using torvane::Unit_edge;

// What a cell's measures are made of.
struct Hex_shape {
  double scaled_jacobian = 0;  // smallest of the eight corner values; 0 when collapsed
  double cos_max = -1;         // largest cosine of the 24 face corner angles (the smallest angle)
  double cos_min = 1;          // smallest cosine (the largest angle)
  double aspect_ratio = 0;     // infinite when collapsed
  double volume = 0;           // of the trilinear cell
  bool collapsed = false;      // an edge of zero length: folded, face angles 0 and 180 degrees
};

namespace shape_math = torvane::shape_math;

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

// The corner cosines of one face: its largest and smallest.
struct Face_cosines {
  double max = -1, min = 1;
};

// The face spanned by the edges u0, u1 (one direction, at the face's t = 0, 1)
// and v0, v1 (the other, at s = 0, 1): at its corner (s, t) the edges leave as
// (1 - 2s) u_t and (1 - 2t) v_s. The same for both cells that share the face.
inline Face_cosines Face_of(const Unit_edge& u0, const Unit_edge& u1, const Unit_edge& v0, const Unit_edge& v1) {
  const Unit_edge* u[2] = {&u0, &u1};
  const Unit_edge* v[2] = {&v0, &v1};
  Face_cosines f;
  for (int s = 0; s < 2; ++s) {
    for (int t = 0; t < 2; ++t) {
      const double c = ((s == t) ? 1.0 : -1.0) * shape_math::Dot(u[t]->unit, v[s]->unit);
      f.max = std::max(f.max, c);
      f.min = std::min(f.min, c);
    }
  }
  return f;
}

// A face across i, spanned by the edges j0, j1 along j (at c = 0, 1) and k0, k1
// along k (at b = 0, 1): its corner cosines and, for the scaled Jacobian of
// the cells on either side, the cross products cross[b + 2c] = j_c x k_b.
struct I_face {
  Face_cosines cosines;
  Vec3 cross[4];
};

inline I_face I_face_of(const Unit_edge& j0, const Unit_edge& j1, const Unit_edge& k0, const Unit_edge& k1) {
  I_face f;
  f.cosines = Face_of(j0, j1, k0, k1);
  Face_crosses(j0, j1, k0, k1, f.cross);
  return f;
}

// What a cell is measured from besides its corners: its faces, shared with
// its neighbours, its own edges along i and the extremes of its edge lengths.
struct Hex_parts {
  const I_face* i_face[2];           // at a = 0, 1
  Face_cosines j_face[2];            // at b = 0, 1
  Face_cosines k_face[2];            // at c = 0, 1
  const Unit_edge* along_i[4];       // at b + 2c
  double shortest = 0, longest = 0;  // of the twelve edges
};

// The shape of the cell with corners p (local indices (a, b, c) at a + 2b + 4c).
inline Hex_shape Shape_of(const Hex_parts& parts, const Vec3 p[8]) {
  Hex_shape h;
  h.volume = Trilinear_volume(p);
  if (!(parts.shortest > 0)) {
    h.collapsed = true;
    h.aspect_ratio = std::numeric_limits<double>::infinity();
    return h;
  }
  h.aspect_ratio = parts.longest / parts.shortest;
  h.scaled_jacobian = Scaled_jacobian(parts.along_i, parts.i_face[0]->cross, parts.i_face[1]->cross, parts.shortest);
  const Face_cosines* faces[6] = {&parts.i_face[0]->cosines, &parts.i_face[1]->cosines, &parts.j_face[0],
                                  &parts.j_face[1],          &parts.k_face[0],          &parts.k_face[1]};
  for (const Face_cosines* f : faces) {
    h.cos_max = std::max(h.cos_max, f->max);
    h.cos_min = std::min(h.cos_min, f->min);
  }
  return h;
}

// The shape of a cell from its own twelve edges e[0][b + 2c] along i,
// e[1][a + 2c] along j, e[2][a + 2b] along k, and its corners.
inline Hex_shape Shape_of(const Unit_edge e[3][4], const Vec3 p[8]) {
  I_face i_face[2];
  Hex_parts parts;
  for (int f = 0; f < 2; ++f) {
    i_face[f] = I_face_of(e[1][f], e[1][f + 2], e[2][f], e[2][f + 2]);
    parts.i_face[f] = &i_face[f];
    parts.j_face[f] = Face_of(e[0][f], e[0][f + 2], e[2][2 * f], e[2][2 * f + 1]);
    parts.k_face[f] = Face_of(e[0][2 * f], e[0][2 * f + 1], e[1][2 * f], e[1][2 * f + 1]);
  }
  parts.shortest = std::numeric_limits<double>::infinity();
  for (int d = 0; d < 3; ++d) {
    for (int m = 0; m < 4; ++m) {
      parts.shortest = std::min(parts.shortest, e[d][m].length);
      parts.longest = std::max(parts.longest, e[d][m].length);
    }
  }
  for (int m = 0; m < 4; ++m) parts.along_i[m] = &e[0][m];
  return Shape_of(parts, p);
}

}  // namespace torvane::inspect
