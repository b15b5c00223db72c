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

// How the blade's two sides lie between the edges along the curve.
//   leading_first: the -y side from the start (or, past the trailing edge,
//     from the curve's end over its start) to the leading edge, the +y side
//     from the leading to the trailing edge.
//   trailing_first: a round trailing edge whose most downstream point lies a
//     little way along the -y side: the -y side from the trailing to the
//     leading edge, the +y side from the leading edge over the curve's end
//     and start to the trailing edge. The curve's start must lie nearer the
//     trailing edge than the leading edge in x, so a list that starts
//     elsewhere is still refused.
//   refused: no such order (the list does not start at the trailing edge).
enum class Edge_order { leading_first, trailing_first, refused };
Edge_order Order_of_edges(std::span<const double> bez, int nseg, Edge_parameters edges);

}  // namespace torvane
