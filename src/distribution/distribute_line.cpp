#include "distribution/distribute_line.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "distribution/stretch.hpp"

namespace torvane {

namespace {

// Stores value at index k when the line holds k; the sums go on either way,
// so the points inside the line do not depend on where the line ends.
void Put(Line x, long long k, double value) {
  if (k >= 1 && k <= x.size()) x(static_cast<int>(k)) = value;
}

// Growth ratio of a stretched section of n intervals. Fewer than two intervals
// leave nothing to find (Stretch would only warn and return not-a-number).
// Counts beyond an int come only from indices far outside any line.
double Section_ratio(double first, double length, long long n, Diagnostics& diagnostics) {
  if (n < 2) return 1.0;
  return Stretch(first, length, static_cast<int>(std::min<long long>(n, INT_MAX)), diagnostics);
}

// Slope per index unit of the exponential law at the inner end of a stretched
// section: the last interval times r ln r / (r - 1), which tends to 1 at r = 1.
double Junction_slope(double last_interval, double r) {
  if (r == 1.0) return last_interval;
  return ((last_interval * r) * std::log(r)) / (r - 1.0);
}

}  // namespace

void Distribute_line(int i1, int i2, int i3, int i4, double x1, double x2, double x3, double x4, double dx1, double dx4,
                     Line x, Diagnostics& diagnostics) {
  // Index differences and counters in a wider type: any int set stays exact.
  const long long n1 = static_cast<long long>(i2) - i1;
  const long long n4 = static_cast<long long>(i4) - i3;

  // Start section: a running sum from x1, the interval growing by r1. The last
  // two sums are kept for the junction slope (they are the stored values).
  const double r1 = Section_ratio(dx1, x2 - x1, n1, diagnostics);
  double at_i2 = x1;
  double before_i2 = x1;
  Put(x, i1, x1);
  double h = dx1;
  for (long long k = i1 + 1LL; k <= i2; ++k) {
    before_i2 = at_i2;
    at_i2 = at_i2 + h;
    Put(x, k, at_i2);
    h = h * r1;
  }

  // End section, written second so that it wins where the sections overlap:
  // from x4 backwards, the interval next to i4 being dx4.
  const double r2 = Section_ratio(-dx4, x3 - x4, n4, diagnostics);
  double at_i3 = x4;
  double after_i3 = x4;
  Put(x, i4, x4);
  h = -dx4;
  for (long long k = i4 - 1LL; k >= i3; --k) {
    after_i3 = at_i3;
    at_i3 = at_i3 + h;
    Put(x, k, at_i3);
    h = h * r2;
  }

  if (i2 > i3) return;
  if (i2 == i3) {
    Put(x, i2, x2);
    return;
  }

  // Cubic blend in the index from x2 (slope s0) at i2 to x3 (slope s1) at i3.
  const double s0 = n1 < 2 ? dx1 : Junction_slope(at_i2 - before_i2, r1);
  const double s1 = n4 < 2 ? dx4 : Junction_slope(after_i3 - at_i3, r2);
  const double M = static_cast<double>(static_cast<long long>(i3) - i2);
  const double L = x3 - x2;
  const double A = 3.0 * L - (s1 + 2.0 * s0) * M;
  const double B = 2.0 * L - (s1 + s0) * M;
  const long long first = std::max<long long>(i2, 1);
  const long long last = std::min<long long>(i3, x.size());
  for (long long k = first; k <= last; ++k) {
    const double u = static_cast<double>(k - i2);
    const double t = u / M;
    x(static_cast<int>(k)) = ((u * s0 + x2) + (t * t) * A) - ((t * t) * t) * B;
  }
}

}  // namespace torvane
