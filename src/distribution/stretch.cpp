#include "distribution/stretch.hpp"

#include <cmath>

namespace torvane {

namespace {

constexpr double kStart = 2.0;
constexpr double kTolerance = 5.0e-5;
constexpr int kMaxUpdates = 200;

// r^n, exponent wide enough for n - 1 of any int; its magnitude is taken
// unsigned, so negating the smallest exponent cannot overflow.
double Power(double r, long long n) {
  const auto magnitude = static_cast<unsigned long long>(n);
  unsigned long long e = n < 0 ? 0ull - magnitude : magnitude;
  double result = 1.0;
  double base = r;
  while (e != 0) {
    if ((e & 1ull) != 0) result *= base;
    e >>= 1;
    if (e != 0) base *= base;
  }
  return n < 0 ? 1.0 / result : result;
}

}  // namespace

double Integer_power(double r, int n) { return Power(r, n); }

double Geometric_length(double first, int n, double ratio) {
  double length = 0.0;
  double h = first;
  for (int k = 0; k < n; ++k) {  // counted up to n, never past it: n may be the largest int
    length = length + h;
    h = h * ratio;
  }
  return length;
}

Stretch_result Stretch_with_updates(double dx1, double sumdx, int n, Diagnostics& diagnostics) {
  // Newton on dx1*(r^n - 1) = sumdx*(r - 1), both sides negated; negating dx1
  // and sumdx together leaves every iterate unchanged bit for bit.
  double r_old = kStart;
  const double c = static_cast<double>(n) * dx1;
  for (int update = 1; update <= kMaxUpdates; ++update) {
    const double p_n = Power(r_old, n);
    const double p_m = Power(r_old, static_cast<long long>(n) - 1);
    const double numerator = (r_old - 1.0) * sumdx - dx1 * (p_n - 1.0);
    const double denominator = sumdx - p_m * c;
    const double r_new = r_old - numerator / denominator;
    if (std::fabs(r_new - r_old) < kTolerance) return {r_new, update};
    r_old = r_new;
  }
  diagnostics.Report(Stretch_not_converged{n, r_old, sumdx, dx1});
  return {r_old, kMaxUpdates};
}

double Stretch(double dx1, double sumdx, int n, Diagnostics& diagnostics) {
  return Stretch_with_updates(dx1, sumdx, n, diagnostics).r;
}

}  // namespace torvane
