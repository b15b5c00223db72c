// Transfinite interpolation of a structured patch: the interior points of the
// index rectangle i1..i2 x j1..j2 from the points on its four edges.
#pragma once

#include <span>

#include "base/grid_views.hpp"

namespace torvane {

// Fills the interior of x and y; the edges are never changed. el, er (indexed
// by j) and eb, et (indexed by i) receive the normalised arc lengths of the
// left, right, bottom and top edges.
void Tfi_2d(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y);

// The first half of Tfi_2d alone: the normalised arc lengths of the four edges.
void Tfi_edge_parameters(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y);

// One coordinate's edge values for a run of points of different patches, one
// value per point: its bottom, top, left and right edge points and the four
// corners (i1, j1), (i2, j2), (i2, j1), (i1, j2) of its patch.
struct Tfi_edges {
  std::span<const double> bottom, top, left, right;
  std::span<const double> c11, c22, c21, c12;
};

// The second half of Tfi_2d for a run of points, each of its own patch: from
// the edge parameters b, t (of its bottom and top edges at its i) and l, r (of
// its left and right edges at its j), the same values Tfi_2d gives the point.
void Tfi_points(std::span<const double> b, std::span<const double> t, std::span<const double> l,
                std::span<const double> r, const Tfi_edges& fx, const Tfi_edges& fy, std::span<double> x,
                std::span<double> y);

}  // namespace torvane
