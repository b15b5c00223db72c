#include "distribution/tfi_2d.hpp"

#include <cmath>

namespace torvane {

namespace {

// Whether every element the patch uses lies inside the arrays it was lent:
// a view holds the whole index box between two of its points.
bool Inside(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y) {
  return eb.contains(i1) && eb.contains(i2) && et.contains(i1) && et.contains(i2) &&
         el.contains(j1) && el.contains(j2) && er.contains(j1) && er.contains(j2) &&
         x.contains(i1, j1) && x.contains(i2, j2) && y.contains(i1, j1) && y.contains(i2, j2);
}

// Length of the straight step between two grid points of the plane.
double Step(Plane x, Plane y, int ia, int ja, int ib, int jb) {
  const double dx = x(ib, jb) - x(ia, ja);
  const double dy = y(ib, jb) - y(ia, ja);
  return std::sqrt(dx * dx + dy * dy);
}

// Turns the accumulated arc lengths e(k0+1 .. k1) into parameters from 0 to
// 1; the last element is divided last, by itself, and becomes exactly 1. An
// edge of zero length has no arc-length parameter and gets the uniform one.
void Normalise(Line e, int k0, int k1) {
  if (e(k1) == 0.0) {
    for (int k = k0 + 1; k <= k1; ++k) e(k) = static_cast<double>(k - k0) / static_cast<double>(k1 - k0);
    return;
  }
  for (int k = k0 + 1; k <= k1; ++k) e(k) = e(k) / e(k1);
}

// Bilinear transfinite (Coons) value at (i, j) from the edges, at the
// blended parameters xi (along i) and eta (along j).
double Coons(Plane f, int i, int j, int i1, int i2, int j1, int j2, double xi, double eta) {
  return eta * f(i, j2) + (1.0 - eta) * f(i, j1) + (1.0 - xi) * f(i1, j) + xi * f(i2, j) -
         ((1.0 - eta) * (1.0 - xi)) * f(i1, j1) - (eta * xi) * f(i2, j2) -
         ((1.0 - eta) * xi) * f(i2, j1) - (eta * (1.0 - xi)) * f(i1, j2);
}

}  // namespace

void Tfi_2d(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y) {
  if (!Inside(i1, i2, j1, j2, el, er, eb, et, x, y)) return;

  eb(i1) = 0.0;
  et(i1) = 0.0;
  el(j1) = 0.0;
  er(j1) = 0.0;

  if (i2 > i1) {
    for (int i = i1 + 1; i <= i2; ++i) {
      eb(i) = eb(i - 1) + Step(x, y, i - 1, j1, i, j1);
      et(i) = et(i - 1) + Step(x, y, i - 1, j2, i, j2);
    }
    Normalise(eb, i1, i2);
    Normalise(et, i1, i2);
  }
  if (j2 <= j1) return;

  for (int j = j1 + 1; j <= j2; ++j) {
    el(j) = el(j - 1) + Step(x, y, i1, j - 1, i1, j);
    er(j) = er(j - 1) + Step(x, y, i2, j - 1, i2, j);
  }
  Normalise(el, j1, j2);
  Normalise(er, j1, j2);
  if (j2 - j1 < 2) return;

  // Interior: the grid line through (B, 0) and (T, 1) of the unit square
  // meets the one through (0, L) and (1, R) at (xi, eta).
  for (int j = j1 + 1; j <= j2 - 1; ++j) {
    for (int i = i1 + 1; i <= i2 - 1; ++i) {
      const double B = eb(i);
      const double T = et(i);
      const double L = el(j);
      const double R = er(j);
      const double D = 1.0 - (B - T) * (L - R);
      const double xi = (B - (B - T) * L) / D;
      const double eta = (L - B * (L - R)) / D;
      x(i, j) = Coons(x, i, j, i1, i2, j1, j2, xi, eta);
      y(i, j) = Coons(y, i, j, i1, i2, j1, j2, xi, eta);
    }
  }
}

}  // namespace torvane
