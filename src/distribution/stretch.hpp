// Geometric stretching: the growth ratio that makes n intervals, starting
// from a first interval dx1, add up to the length sumdx.
#pragma once

#include "base/diagnostics.hpp"

namespace torvane {

// Newton iteration from 2.0; returns the last iterate. After 200 updates
// without convergence it reports Stretch_not_converged and returns the 200th
// iterate.
double Stretch(double dx1, double sumdx, int n, Diagnostics& diagnostics);

// The ratio of Stretch and the number of Newton updates that produced it.
struct Stretch_result {
  double r;     // last iterate, as Stretch returns it
  int updates;  // 1 .. 200
};

// Stretch, also telling how many updates it took (the iteration is the same).
Stretch_result Stretch_with_updates(double dx1, double sumdx, int n, Diagnostics& diagnostics);

// The length of n intervals growing by ratio from first, summed term by term
// with a running product (0 when n <= 0): the wall layers of the grid lines.
double Geometric_length(double first, int n, double ratio);

// r to the integer power n by repeated squaring (1/r^|n| for negative n).
double Integer_power(double r, int n);

}  // namespace torvane
