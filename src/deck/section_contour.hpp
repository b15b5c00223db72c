// A blade section contour in the order torvane takes it: point 1 at the
// trailing edge, along the -y side to the leading edge (the reference point),
// back along the +y side, the last point equal to the first.
#pragma once

#include <vector>

#include "deck/airfoil_file.hpp"

namespace torvane::deck {

struct Section_contour {
  std::vector<Point> points;  // point 1 first
  int iref = 0;               // 1-based index of the leading edge (the reference point)
  // An open trailing edge was closed at the midpoint of its two end points:
  // that midpoint is point 1 and the last point.
  bool closed_at_midpoint = false;
  // The file's two end points where they stay as the corners of the closed
  // trailing edge (1-based; 0 when the midpoint took their place).
  int corner_first = 0;
  int corner_last = 0;
};

// The contour of a section file: repeated consecutive points dropped, the
// sense set by the enclosed area (clockwise: -y side first), the leading edge
// at the smallest x, an open trailing edge closed at the midpoint of its end
// points (which replaces them when the gap is shorter than half the legs
// beside it). Throws Input_error naming the file when the points are no
// section (fewer than 3, no area, ends away from the trailing edge).
Section_contour Build_contour(const Airfoil_file& file);

// Smallest point count Resample_contour makes.
inline constexpr int kMinResampledPoints = 9;

// The contour resampled to npoints points with cosine clustering towards both
// edges of each side, on cubic splines through the points in chord-length
// parameter (the halves of a capped trailing edge stay straight); the
// leading-edge point, the ends and the corners are kept exactly.
Section_contour Resample_contour(const Section_contour& contour, int npoints);

}  // namespace torvane::deck
