#include "geometry/edge_search.hpp"

#include "geometry/bezier.hpp"

namespace torvane {

namespace {

// Start of the search for the smallest x: larger than any x of a grid.
constexpr double kNoSmallestYet = 1.0e20;

}  // namespace

Edge_parameters Find_edges(std::span<const double> bez, int nseg) {
  Edge_parameters edges{0.0, 0.0};
  double xs = 0.0, ys = 0.0;
  Bezier_point(bez, nseg, 0.0, xs, ys);
  double largest = xs;
  double smallest = kNoSmallestYet;
  // The samples a block at a time: their x worked out together, then taken in order.
  constexpr int kBlock = 250;
  static_assert(kEdgeSamples % kBlock == 0);
  double t[kBlock], x[kBlock];
  for (int first = 1; first <= kEdgeSamples; first += kBlock) {
    for (int n = 0; n < kBlock; ++n) t[n] = Edge_sample(first + n);
    Bezier_axial(bez, nseg, t, x);
    for (int n = 0; n < kBlock; ++n) {
      if (x[n] <= smallest) {
        smallest = x[n];
        edges.t_le = t[n];
      }
      if (x[n] >= largest) {
        largest = x[n];
        edges.t_te = t[n];
      }
    }
  }
  return edges;
}

Edge_order Order_of_edges(std::span<const double> bez, int nseg, Edge_parameters edges) {
  if (edges.t_le < edges.t_te) return Edge_order::leading_first;
  if (!(0.0 < edges.t_te && edges.t_te < edges.t_le)) return Edge_order::refused;
  double x_start = 0.0, x_le = 0.0, x_te = 0.0, y = 0.0;
  Bezier_point(bez, nseg, 0.0, x_start, y);
  Bezier_point(bez, nseg, edges.t_le, x_le, y);
  Bezier_point(bez, nseg, edges.t_te, x_te, y);
  return x_te - x_start < x_start - x_le ? Edge_order::trailing_first : Edge_order::refused;
}

}  // namespace torvane
