// Band limits of the cell measures: bad, fair or good, following the limits
// mesh quality tools and solver guides commonly apply to hexahedral CFD grids.
#pragma once

namespace torvane::inspect {

enum class Band { good = 0, fair = 1, bad = 2 };

// Scaled Jacobian: <= 0 is a folded (inverted or collapsed) cell; 0.5..1 is the
// acceptable range of the Verdict quality library (Sandia report SAND2007-1751);
// below 0.2 (about sin 11.5 deg of shear) solvers commonly reject a cell.
inline constexpr double kJacobianBad = 0.2;
inline constexpr double kJacobianFair = 0.5;

// Face corner angles: below 10 or above 170 degrees is bad in common practice;
// 30..150 keeps the skew that sheared hexahedra show at the same 0.5 as the
// Jacobian band above (sin 30 deg = 0.5).
inline constexpr double kAngleBadLow = 10, kAngleBadHigh = 170;
inline constexpr double kAngleFairLow = 30, kAngleFairHigh = 150;

// Aspect ratio (longest over shortest edge): wall-resolved grids stretch
// near-wall cells to some hundreds; beyond 1000 implicit solvers commonly
// lose convergence speed and accuracy.
inline constexpr double kAspectFair = 100, kAspectBad = 1000;

// Volume ratio to a neighbour: growth up to 2 between neighbours is the usual
// limit for second-order accuracy; beyond 5 the truncation error is large.
inline constexpr double kVolumeRatioFair = 2, kVolumeRatioBad = 5;

inline Band Jacobian_band(double v) {
  return !(v >= kJacobianBad) ? Band::bad : v < kJacobianFair ? Band::fair : Band::good;
}
inline Band Angle_band(double min_angle, double max_angle) {
  if (!(min_angle >= kAngleBadLow) || !(max_angle <= kAngleBadHigh)) return Band::bad;
  if (min_angle < kAngleFairLow || max_angle > kAngleFairHigh) return Band::fair;
  return Band::good;
}
inline Band Aspect_band(double v) { return !(v <= kAspectBad) ? Band::bad : v > kAspectFair ? Band::fair : Band::good; }
inline Band Volume_ratio_band(double v) {
  return !(v <= kVolumeRatioBad) ? Band::bad : v > kVolumeRatioFair ? Band::fair : Band::good;
}

}  // namespace torvane::inspect
