#include "geometry/bezier.hpp"

#include <cassert>
#include <cmath>
#include <cstddef>

#include "base/build_failure.hpp"

namespace torvane {
namespace {

// Where a parameter falls on the curve: the first control point of its
// segment and the four Bernstein weights of its local parameter.
struct Segment_weights {
  int s;
  double w0, w1, w2, w3;
};

// The segment is chosen by truncation and kept inside 0 .. nseg-1 for any t,
// not-a-number included, so no parameter can address a point past the array.
inline Segment_weights Weights_at(double t, int nseg) {
  const double a = (t * 3.0) * static_cast<double>(nseg);
  // Held to 0 .. nseg-1 by selections rather than branches, so that a loop
  // over many parameters may take several at a time.
  const double q = std::trunc(a / 3.0);
  const double last = static_cast<double>(nseg - 1);
  const double above = q > 0.0 ? q : 0.0;
  const int m = static_cast<int>(above >= last ? last : above);
  const int s = 3 * m;
  const double u = (a - static_cast<double>(s)) / 3.0;
  const double h = 1.0 - u;
  return {s, (h * h) * h, (3.0 * (h * h)) * u, (3.0 * h) * (u * u), (u * u) * u};
}

// One coordinate (0: x, 1: y) of the curve point with the given weights.
inline double Coordinate(const double* bez, const Segment_weights& w, int c) {
  const std::size_t p = 2 * static_cast<std::size_t>(w.s) + static_cast<std::size_t>(c);
  return ((w.w0 * bez[p] + w.w1 * bez[p + 2]) + w.w2 * bez[p + 4]) + w.w3 * bez[p + 6];
}

inline std::size_t At(int point, int c) { return 2 * static_cast<std::size_t>(point) + static_cast<std::size_t>(c); }

// Data points closer than this in both coordinates count as one point.
constexpr double kCoincident = 1.0e-8;

bool Triple_point(std::span<const double> d, int i) {
  return std::fabs(d[At(i, 0)] - d[At(i + 1, 0)]) < kCoincident &&
         std::fabs(d[At(i, 1)] - d[At(i + 1, 1)]) < kCoincident &&
         std::fabs(d[At(i, 0)] - d[At(i + 2, 0)]) < kCoincident &&
         std::fabs(d[At(i, 1)] - d[At(i + 2, 1)]) < kCoincident;
}

constexpr int kMaxNewParameters = 1000;

}  // namespace

void Bezier_point(std::span<const double> bez, int nseg, double t, double& x, double& y) {
  assert(nseg >= 1 && bez.size() >= At(3 * nseg + 1, 0));
  const Segment_weights w = Weights_at(t, nseg);
  x = Coordinate(bez.data(), w, 0);
  y = Coordinate(bez.data(), w, 1);
}

// The same weights and sums point by point as Bezier_point, so the same bits;
// the loop may take several parameters at a time.
__attribute__((target_clones("avx2", "default"))) void Bezier_axial(std::span<const double> bez, int nseg,
                                                                    std::span<const double> t, std::span<double> x) {
  assert(nseg >= 1 && bez.size() >= At(3 * nseg + 1, 0) && x.size() >= t.size());
  const double* __restrict points = bez.data();
  const double* __restrict at = t.data();
  double* __restrict axial = x.data();
  const std::size_t n = t.size();
  for (std::size_t m = 0; m < n; ++m) axial[m] = Coordinate(points, Weights_at(at[m], nseg), 0);
}

void Bezier_polygon(std::span<const double> d, int nseg, std::span<double> bez) {
  assert(nseg >= 1 && d.size() >= At(nseg + 1, 0) && bez.size() >= At(3 * nseg + 1, 0));
  for (int c = 0; c < 2; ++c) {
    bez[At(0, c)] = d[At(0, c)];
    bez[At(3 * nseg, c)] = d[At(nseg, c)];
    for (int l = 1; l <= nseg; ++l) {
      bez[At(3 * l - 2, c)] = (2.0 * d[At(l - 1, c)] + d[At(l, c)]) / 3.0;
      bez[At(3 * l - 1, c)] = (d[At(l - 1, c)] + 2.0 * d[At(l, c)]) / 3.0;
    }
    for (int l = 1; l <= nseg - 1; ++l) {
      bez[At(3 * l, c)] = ((d[At(l - 1, c)] + 4.0 * d[At(l, c)]) + d[At(l + 1, c)]) / 6.0;
    }
  }
}

void Bezier_approx(std::span<const double> d, int nseg, std::span<double> bez) {
  Bezier_polygon(d, nseg, bez);
  for (int c = 0; c < 2; ++c) {
    int j = 3;
    while (j <= 3 * nseg - 3) {
      const int i = j / 3;
      // A point entered three times keeps the sharp corner of the polygon.
      if (i < nseg - 1 && Triple_point(d, i)) {
        j += 9;
        continue;
      }
      const double delta = d[At(i, c)] - bez[At(j, c)];
      bez[At(j - 2, c)] += delta / 6.0;
      bez[At(j - 1, c)] += delta / 2.0;
      bez[At(j, c)] = d[At(i, c)];
      bez[At(j + 1, c)] += delta / 2.0;
      bez[At(j + 2, c)] += delta / 6.0;
      j += 3;
    }
  }
}

void Bezier_x(std::span<const double> bez, int nseg, double ta, double tb, double tol, double& x, double& y,
              Diagnostics& diagnostics) {
  const double wanted = x;
  double xa = 0.0, ya = 0.0, xb = 0.0, yb = 0.0;
  Bezier_point(bez, nseg, ta, xa, ya);
  Bezier_point(bez, nseg, tb, xb, yb);
  const double fa = xa - wanted;
  const double fb = xb - wanted;
  if (std::fabs(fa) <= tol) {
    x = xa;
    y = ya;
    return;
  }
  if (std::fabs(fb) <= tol) {
    x = xb;
    y = yb;
    return;
  }
  if (fa * fb > 0.0) {
    diagnostics.Report(Inversion_outside_interval{wanted, xa, xb});
    throw Build_failure{Station_outside_curve{wanted, xa, xb}};
  }

  // False position: (t1, x1, f1) is the latest point, (t0, x0) the other end
  // of the bracket.
  double t1 = tb, x1 = xb, f1 = fb;
  double t0 = ta, x0 = xa;
  double result = t1;
  int counter = kMaxNewParameters;
  for (;;) {
    if (std::fabs(f1) <= tol) {
      result = t1;
      break;
    }
    if (std::fabs(t1 - t0) <= tol) {
      result = std::fabs(f1) > std::fabs(x0 - wanted) ? t0 : t1;
      break;
    }
    double tn = t1 - f1 / ((x1 - x0) / (t1 - t0));
    if (!(tn > 0.0)) {
      tn = 0.0;
    } else if (!(tn < 1.0)) {
      tn = 1.0;
    }
    if (--counter == 0) {
      diagnostics.Report(Inversion_not_converged{});
      result = tn;
      break;
    }
    const double xn = Coordinate(bez.data(), Weights_at(tn, nseg), 0);
    const double fn = xn - wanted;
    if (f1 * fn <= 0.0) {
      t0 = t1;
      x0 = x1;
    }
    t1 = tn;
    x1 = xn;
    f1 = fn;
  }
  Bezier_point(bez, nseg, result, x, y);
}

}  // namespace torvane
