#include "geometry/edge_search.hpp"

#include <cstdio>

#include "geometry/bezier.hpp"

namespace torvane {

namespace {

// Start of the search for the smallest x: larger than any x of a grid.
constexpr double kNoSmallestYet = 1.0e20;

}  // namespace

std::string Edge_order_message(Surface surface, double t_le, double t_te) {
  char found[128];
  std::snprintf(found, sizeof found,
                "; its edge search found the leading edge at curve parameter %.4f and the trailing edge at %.4f", t_le,
                t_te);
  std::string message(Surface_name(surface));
  message += " section: the contour must start and end at the trailing edge and pass the leading edge once";
  message += found;
  return message;
}

Edge_parameters Find_edges(std::span<const double> bez, int nseg) {
  Edge_parameters edges{0.0, 0.0};
  double xs = 0.0, ys = 0.0;
  Bezier_point(bez, nseg, 0.0, xs, ys);
  double largest = xs;
  double smallest = kNoSmallestYet;
  for (int i = 1; i <= kEdgeSamples; ++i) {
    const double t = Edge_sample(i);
    Bezier_point(bez, nseg, t, xs, ys);
    if (xs <= smallest) {
      smallest = xs;
      edges.t_le = t;
    }
    if (xs >= largest) {
      largest = xs;
      edges.t_te = t;
    }
  }
  return edges;
}

}  // namespace torvane
