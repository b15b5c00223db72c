// The search for the blade's edges on its Bezier curve: the leading edge at
// the smallest x, the trailing edge at the largest, over a fixed set of
// samples of the curve parameter.
#pragma once

#include <span>

namespace torvane {

// Samples of the curve parameter after t = 0: t = i / kEdgeSamples, i = 1..kEdgeSamples.
inline constexpr int kEdgeSamples = 5000;

// The curve parameter of sample i.
inline double Edge_sample(int i) { return static_cast<double>(i) / static_cast<double>(kEdgeSamples); }

// Curve parameters of the leading edge (the last sample of smallest x) and
// of the trailing edge (the last of largest x, t = 0 included).
struct Edge_parameters {
  double t_le;
  double t_te;
};
Edge_parameters Find_edges(std::span<const double> bez, int nseg);

}  // namespace torvane
