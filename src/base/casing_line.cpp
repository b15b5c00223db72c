#include "base/casing_line.hpp"

#include <algorithm>
#include <cmath>

namespace torvane {

double Casing_radius_at(const double* x, const double* y, const double* z, int n, std::size_t stride, double xq,
                        int hint) {
  auto radius = [&](int m) { return std::hypot(y[m * stride], z[m * stride]); };
  if (n < 2) return n == 1 ? radius(0) : 0.0;
  auto xs = [&](int m) { return x[m * stride]; };
  // The segment m .. m + 1 holding xq, searched outwards from the hint.
  int m = std::clamp(hint, 0, n - 2);
  while (m > 0 && xq < xs(m)) --m;
  while (m < n - 2 && xq > xs(m + 1)) ++m;
  const double x0 = xs(m), x1 = xs(m + 1);
  const double r0 = radius(m), r1 = radius(m + 1);
  if (x1 == x0) return std::max(r0, r1);
  return r0 + (xq - x0) * (r1 - r0) / (x1 - x0);
}

}  // namespace torvane
