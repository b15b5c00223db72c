// Transfinite interpolation of a structured patch: the interior points of the
// index rectangle i1..i2 x j1..j2 from the points on its four edges.
#pragma once

#include "distribution/views.hpp"

namespace torvane {

// Fills the interior of x and y; the edges are never changed. el, er (indexed
// by j) and eb, et (indexed by i) receive the normalised arc lengths of the
// left, right, bottom and top edges.
void Tfi_2d(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y);

}  // namespace torvane
