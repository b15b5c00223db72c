#include "distribution/tfi_2d.hpp"

#include <cassert>
#include <cmath>

namespace torvane {

namespace {

// Whether every element the patch uses lies inside the arrays it was lent:
// a view holds the whole index box between two of its points.
bool Inside(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y) {
  return eb.contains(i1) && eb.contains(i2) && et.contains(i1) && et.contains(i2) && el.contains(j1) &&
         el.contains(j2) && er.contains(j1) && er.contains(j2) && x.contains(i1, j1) && x.contains(i2, j2) &&
         y.contains(i1, j1) && y.contains(i2, j2);
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

// The point of the unit square where the grid line through (B, 0) and
// (T, 1) meets the one through (0, L) and (1, R).
inline void Blend(double B, double T, double L, double R, double& xi, double& eta) {
  const double D = 1.0 - (B - T) * (L - R);
  xi = (B - (B - T) * L) / D;
  eta = (L - B * (L - R)) / D;
}

// The bilinear transfinite (Coons) value at the blended parameters (xi, eta).
inline double Coons(double xi, double eta, double bottom, double top, double left, double right, double c11, double c22,
                    double c21, double c12) {
  return eta * top + (1.0 - eta) * bottom + (1.0 - xi) * left + xi * right - ((1.0 - eta) * (1.0 - xi)) * c11 -
         (eta * xi) * c22 - ((1.0 - eta) * xi) * c21 - (eta * (1.0 - xi)) * c12;
}

// The edge values one coordinate's interior row is interpolated from.
struct Row_edges {
  const double* bottom;       // f(i, j1) for the row's i
  const double* top;          // f(i, j2)
  double left, right;         // f(i1, j), f(i2, j)
  double c11, c22, c21, c12;  // the corners f(i1, j1), f(i2, j2), f(i2, j1), f(i1, j2)
};

// The n interior points of one row. Every point is computed from edge values
// alone, so the row is written over plain arrays the compiler may process
// several points at a time: each point gets the same operations either way.
void Coons_row(int n, const double* __restrict eb, const double* __restrict et, double L, double R, Row_edges fx,
               Row_edges fy, double* __restrict x, double* __restrict y) {
  const double* __restrict xb = fx.bottom;
  const double* __restrict xt = fx.top;
  const double* __restrict yb = fy.bottom;
  const double* __restrict yt = fy.top;
  for (int i = 0; i < n; ++i) {
    double xi = 0.0, eta = 0.0;
    Blend(eb[i], et[i], L, R, xi, eta);
    x[i] = Coons(xi, eta, xb[i], xt[i], fx.left, fx.right, fx.c11, fx.c22, fx.c21, fx.c12);
    y[i] = Coons(xi, eta, yb[i], yt[i], fy.left, fy.right, fy.c11, fy.c22, fy.c21, fy.c12);
  }
}

// n points, each of its own patch, with every input given per point. Plain
// arrays that do not overlap what is written: the compiler may take several
// points at a time, with the same operations per point. Built twice, the copy
// for processors with AVX2 taking four points at a time; both give the same
// bits (no fused multiply-add: contraction is off everywhere).
__attribute__((target_clones("avx2", "default"))) void Coons_points(
    int n, const double* __restrict B, const double* __restrict T, const double* __restrict L,
    const double* __restrict R, const double* __restrict xb, const double* __restrict xt, const double* __restrict xl,
    const double* __restrict xr, const double* __restrict x11, const double* __restrict x22,
    const double* __restrict x21, const double* __restrict x12, const double* __restrict yb,
    const double* __restrict yt, const double* __restrict yl, const double* __restrict yr, const double* __restrict y11,
    const double* __restrict y22, const double* __restrict y21, const double* __restrict y12, double* __restrict x,
    double* __restrict y) {
  for (int i = 0; i < n; ++i) {
    double xi = 0.0, eta = 0.0;
    Blend(B[i], T[i], L[i], R[i], xi, eta);
    x[i] = Coons(xi, eta, xb[i], xt[i], xl[i], xr[i], x11[i], x22[i], x21[i], x12[i]);
    y[i] = Coons(xi, eta, yb[i], yt[i], yl[i], yr[i], y11[i], y22[i], y21[i], y12[i]);
  }
}

// The edges of coordinate f around row j of the patch.
Row_edges Edges(Plane f, int i1, int i2, int j1, int j2, int j) {
  return {&f(i1 + 1, j1), &f(i1 + 1, j2), f(i1, j), f(i2, j), f(i1, j1), f(i2, j2), f(i2, j1), f(i1, j2)};
}

}  // namespace

void Tfi_edge_parameters(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y) {
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
}

void Tfi_2d(int i1, int i2, int j1, int j2, Line el, Line er, Line eb, Line et, Plane x, Plane y) {
  if (!Inside(i1, i2, j1, j2, el, er, eb, et, x, y)) return;
  Tfi_edge_parameters(i1, i2, j1, j2, el, er, eb, et, x, y);
  if (j2 - j1 < 2) return;

  // Interior, row by row; the rows of the plane are contiguous in i.
  const int n = i2 - i1 - 1;
  if (n < 1) return;
  for (int j = j1 + 1; j <= j2 - 1; ++j) {
    Coons_row(n, &eb(i1 + 1), &et(i1 + 1), el(j), er(j), Edges(x, i1, i2, j1, j2, j), Edges(y, i1, i2, j1, j2, j),
              &x(i1 + 1, j), &y(i1 + 1, j));
  }
}

void Tfi_points(std::span<const double> b, std::span<const double> t, std::span<const double> l,
                std::span<const double> r, const Tfi_edges& fx, const Tfi_edges& fy, std::span<double> x,
                std::span<double> y) {
  const int n = static_cast<int>(x.size());
  assert(b.size() >= x.size() && t.size() >= x.size() && l.size() >= x.size() && r.size() >= x.size() &&
         y.size() >= x.size());
  Coons_points(n, b.data(), t.data(), l.data(), r.data(), fx.bottom.data(), fx.top.data(), fx.left.data(),
               fx.right.data(), fx.c11.data(), fx.c22.data(), fx.c21.data(), fx.c12.data(), fy.bottom.data(),
               fy.top.data(), fy.left.data(), fy.right.data(), fy.c11.data(), fy.c22.data(), fy.c21.data(),
               fy.c12.data(), x.data(), y.data());
}

}  // namespace torvane
