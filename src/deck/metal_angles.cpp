#include "deck/metal_angles.hpp"

#include <cmath>
#include <vector>

#include "geometry/bezier.hpp"
#include "geometry/edge_search.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

// The camber-line direction at an edge is taken as the chord of the camber
// line between these shares of the blade chord from the leading edge: close
// enough to the edge to see its angle, far enough to be clear of the nose.
constexpr double kInletFrom = 0.01;
constexpr double kInletTo = 0.06;
constexpr double kOutletFrom = 0.94;
constexpr double kOutletTo = 0.99;

// A point in the frame of the blade chord: u along it (0 at the leading edge,
// 1 at the trailing edge), v across it, both in chords.
struct Chord_point {
  double u, v;
};

// The v of a side where it first reaches u, walking from the leading edge.
std::optional<double> Side_at(const std::vector<Chord_point>& side, double u) {
  for (size_t n = 1; n < side.size(); ++n) {
    const Chord_point& a = side[n - 1];
    const Chord_point& b = side[n];
    if ((a.u - u) * (b.u - u) > 0 || a.u == b.u) continue;
    return a.v + (b.v - a.v) * (u - a.u) / (b.u - a.u);
  }
  return std::nullopt;
}

// The camber-line angle to the chord [rad] between the two shares of the chord.
std::optional<double> Camber_angle(const std::vector<Chord_point>& side1, const std::vector<Chord_point>& side2,
                                   double from, double to) {
  const auto a1 = Side_at(side1, from), a2 = Side_at(side2, from);
  const auto b1 = Side_at(side1, to), b2 = Side_at(side2, to);
  if (!a1 || !a2 || !b1 || !b2) return std::nullopt;
  return std::atan2((*b1 + *b2) / 2.0 - (*a1 + *a2) / 2.0, to - from);
}

}  // namespace

std::optional<Metal_angles> Section_metal_angles(const Control_values& values, Surface surface,
                                                 const Section_contour& contour) {
  const int npts = static_cast<int>(contour.points.size());
  if (npts < 3) return std::nullopt;
  std::vector<double> xy;
  for (const Point& p : contour.points) {
    xy.push_back(p.x);
    xy.push_back(p.y);
  }
  const Surface_description description = Describe_surface(surface, values);
  Place_contour(description.geometry, Contour_points{0, npts, contour.iref, xy});
  const int nseg = npts - 1;
  std::vector<double> bez(2 * static_cast<size_t>(3 * nseg + 1));
  Bezier_approx(xy, nseg, bez);
  const Edge_parameters edges = Find_edges(bez, nseg);
  const Edge_order order = Order_of_edges(bez, nseg, edges);
  if (order == Edge_order::refused) return std::nullopt;

  Point le{}, te{};
  Bezier_point(bez, nseg, edges.t_le, le.x, le.y);
  Bezier_point(bez, nseg, edges.t_te, te.x, te.y);
  const double cx = te.x - le.x, cy = te.y - le.y;
  const double squared = cx * cx + cy * cy;
  if (!(squared > 0)) return std::nullopt;

  // The curve sampled as the edge search samples it, in the chord's frame.
  std::vector<Chord_point> samples(kEdgeSamples + 1);
  for (int i = 0; i <= kEdgeSamples; ++i) {
    Point p{};
    Bezier_point(bez, nseg, i == 0 ? 0.0 : Edge_sample(i), p.x, p.y);
    const double dx = p.x - le.x, dy = p.y - le.y;
    samples[static_cast<size_t>(i)] = {(dx * cx + dy * cy) / squared, (cx * dy - cy * dx) / squared};
  }
  // Both sides from the leading edge: one forward to the trailing edge, the
  // other backward over the curve's closed end.
  const int i_le = static_cast<int>(std::lround(edges.t_le * kEdgeSamples));
  const int i_te = static_cast<int>(std::lround(edges.t_te * kEdgeSamples));
  std::vector<Chord_point> forward, backward;
  if (order == Edge_order::trailing_first) {
    // The trailing edge a little past the start: the forward side goes over the curve's end and start.
    for (int i = i_le; i <= kEdgeSamples; ++i) forward.push_back(samples[static_cast<size_t>(i)]);
    for (int i = 1; i <= i_te; ++i) forward.push_back(samples[static_cast<size_t>(i)]);
    for (int i = i_le; i >= i_te; --i) backward.push_back(samples[static_cast<size_t>(i)]);
  } else {
    for (int i = i_le; i <= i_te; ++i) forward.push_back(samples[static_cast<size_t>(i)]);
    for (int i = i_le; i >= 0; --i) backward.push_back(samples[static_cast<size_t>(i)]);
    for (int i = kEdgeSamples - 1; i >= i_te; --i) backward.push_back(samples[static_cast<size_t>(i)]);
  }

  const auto inlet = Camber_angle(forward, backward, kInletFrom, kInletTo);
  const auto outlet = Camber_angle(forward, backward, kOutletFrom, kOutletTo);
  if (!inlet || !outlet) return std::nullopt;
  const double chord_angle = std::atan2(cy, cx);
  return Metal_angles{(chord_angle + *inlet) / kDegree, (chord_angle + *outlet) / kDegree};
}

}  // namespace torvane::deck
