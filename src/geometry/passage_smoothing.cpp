#include "geometry/passage_smoothing.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/angle_wrap.hpp"

namespace torvane {

namespace {

// The share of the stations between a boundary and the blade that each blend
// takes: the inlet's the first third, the leading edge's the last.
constexpr int kBlendShare = 3;

// The steepest bisector [rad] a stagnation or wake line is given: beyond it
// the walls' first segments are no guide to the line's course.
constexpr double kSteepestBisector = 1.3;

double Theta_of(const Grid& g, int i, int j, int k) { return std::atan2(g.yg(i, j, k), g.zg(i, j, k)); }

// 0 below 0, 1 above 1 and the cubic smoothstep between.
double Smoothstep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// The line j = 1 of plane k along one stretch of stations, in the axial
// position x and the unwrapped angle theta.
struct Periodic_line {
  const Grid& g;
  Line theta;
  int k;

  double x(int i) const { return g.xg(i, 1, k); }
  // d theta / dx at station i from its two neighbours.
  double Slope(int i) const { return (theta(i + 1) - theta(i - 1)) / (x(i + 1) - x(i - 1)); }
  // Whether x grows from station a to b.
  bool Advances(int a, int b) const {
    for (int i = a; i < b; ++i) {
      if (!(x(i + 1) > x(i))) return false;
    }
    return true;
  }
};

// The cubic through (x0, t0) with slope s0 and (x1, t1) with slope s1, at x.
double Hermite(double x0, double t0, double s0, double x1, double t1, double s1, double x) {
  const double h = x1 - x0;
  const double u = (x - x0) / h;
  const double u2 = u * u, u3 = u2 * u;
  return (2 * u3 - 3 * u2 + 1) * t0 + (u3 - 2 * u2 + u) * h * s0 + (-2 * u3 + 3 * u2) * t1 + (u3 - u2) * h * s1;
}

// The angle [rad] from the axial direction of the wall leaving (or, with
// step -1, arriving at) the edge station ie along line j, the other wall
// brought back by the pitch; r theta against x.
double Wall_angle(const Grid& g, int edge, int step, int j, int k, double edge_theta, double pitch) {
  const double shift = j == 1 ? 0.0 : pitch;
  const double at_edge = edge_theta + Wrapped(Theta_of(g, edge, j, k) - shift - edge_theta);
  const double next = at_edge + Wrapped(Theta_of(g, edge + step, j, k) - shift - at_edge);
  const double r = std::hypot(g.yg(edge, 1, k), g.zg(edge, 1, k));
  return std::atan2(r * (next - at_edge) * step, (g.xg(edge + step, j, k) - g.xg(edge, j, k)) * step);
}

// The slope d theta / dx of the bisector of the two walls at an edge.
double Bisector_slope(const Grid& g, int edge, int step, int je, int k, double edge_theta, double pitch) {
  const double first = Wall_angle(g, edge, step, 1, k, edge_theta, pitch);
  const double last = Wall_angle(g, edge, step, je, k, edge_theta, pitch);
  const double bisector = std::clamp((first + last) / 2, -kSteepestBisector, kSteepestBisector);
  return std::tan(bisector) / std::hypot(g.yg(edge, 1, k), g.zg(edge, 1, k));
}

// The turns of plane k's stations outside the blade.
void Plane_turns(const Smoothing_sizes& s, const Smoothing_work& w, const Grid& g, int k, double pitch) {
  const Periodic_line line{g, w.theta, k};
  w.theta(1) = Theta_of(g, 1, 1, k);
  for (int i = 2; i <= s.ie; ++i) w.theta(i) = w.theta(i - 1) + Wrapped(Theta_of(g, i, 1, k) - w.theta(i - 1));
  for (int i = 1; i <= s.ie; ++i) w.turn(i, k) = 0.0;
  const Line& t = w.theta;

  const int upstream = (s.ile - 1) / kBlendShare;
  if (upstream >= 1 && line.Advances(1, s.ile)) {
    // The inlet: the parabola square to it that meets the line, and its slope, at station a.
    const int a = 1 + upstream;
    const double slope = line.Slope(a);
    const double length = line.x(a) - line.x(1);
    for (int i = 1; i < a; ++i) {
      const double dx = line.x(i) - line.x(a);
      w.turn(i, k) = t(a) + slope * dx + slope / (2 * length) * dx * dx - t(i);
    }
    // The leading edge: from station b on the line to the edge along the bisector.
    const int b = s.ile - upstream;
    const double edge_slope = Bisector_slope(g, s.ile, 1, s.je, k, t(s.ile), pitch);
    for (int i = b + 1; i < s.ile; ++i) {
      w.turn(i, k) = Hermite(line.x(b), t(b), line.Slope(b), line.x(s.ile), t(s.ile), edge_slope, line.x(i)) - t(i);
    }
  }
  const int downstream = (s.ie - s.ite) / kBlendShare;
  if (downstream >= 1 && line.Advances(s.ite, s.ie)) {
    // The trailing edge: from the edge along the bisector to station b on the line.
    const int b = s.ite + downstream;
    const double edge_slope = Bisector_slope(g, s.ite, -1, s.je, k, t(s.ite), pitch);
    for (int i = s.ite + 1; i < b; ++i) {
      w.turn(i, k) = Hermite(line.x(s.ite), t(s.ite), edge_slope, line.x(b), t(b), line.Slope(b), line.x(i)) - t(i);
    }
    // The outlet: the parabola from station a's line and slope, square to the outlet.
    const int a = s.ie - downstream;
    const double slope = line.Slope(a);
    const double length = line.x(s.ie) - line.x(a);
    for (int i = a + 1; i <= s.ie; ++i) {
      const double dx = line.x(i) - line.x(a);
      w.turn(i, k) = t(a) + slope * dx - slope / (2 * length) * dx * dx - t(i);
    }
  }
}

// Turns point (i, j, k) by angle about the axis.
void Turn(const Grid& g, int i, int j, int k, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double y = g.yg(i, j, k), z = g.zg(i, j, k);
  g.yg(i, j, k) = y * c + z * s;
  g.zg(i, j, k) = z * c - y * s;
}

// Each pitchwise line's share of a turn near the blade: whole within the
// periodic lines' wall layers, nothing at mid-pitch.
void Pitchwise_shares(const Smoothing_sizes& s, const Smoothing_work& w) {
  const double middle = (s.je - 1) / 2.0;
  for (int j = 1; j <= s.je; ++j) {
    const double from_wall = std::min(j - 1, s.je - j);
    w.share(j) = middle > s.nwall ? 1.0 - Smoothstep((from_wall - s.nwall) / (middle - s.nwall)) : 1.0;
  }
}

// Turns every point ahead of and behind the blade by its station's turn,
// next to the blade by its line's share of it.
void Turn_stations(const Smoothing_sizes& s, const Smoothing_work& w, const Grid& g) {
  const int upstream = (s.ile - 1) / kBlendShare, downstream = (s.ie - s.ite) / kBlendShare;
  for (int k = 1; k <= s.ke; ++k) {
    for (int j = 1; j <= s.je; ++j) {
      for (int i = 1; i <= s.ie; ++i) {
        if (i >= s.ile && i <= s.ite) continue;
        const bool near_blade = (i > s.ile - upstream && i < s.ile) || (i > s.ite && i < s.ite + downstream);
        const double angle = near_blade ? w.turn(i, k) * w.share(j) : w.turn(i, k);
        if (angle != 0.0) Turn(g, i, j, k, angle);
      }
    }
  }
}

}  // namespace

void Smooth_passage(const Smoothing_sizes& s, const Smoothing_work& w, const Grid& g) {
  // The pitch turns j = 1 onto j = je; its sense from the inlet's periodic points.
  const double pitch = Wrapped(Theta_of(g, 1, s.je, 1) - Theta_of(g, 1, 1, 1));
  // The planes whose turns the wall layers of hub and casing, and the planes over a tip gap, take over.
  const int top = s.tip_k < s.ke ? s.tip_k - 1 : s.ke;
  int low = 1 + s.nwallhc, high = std::min(s.ke - s.nwallhc, top);
  if (low > high) low = high = std::min((s.ke + 1) / 2, top);
  for (int k = low; k <= high; ++k) Plane_turns(s, w, g, k, pitch);
  for (int k = 1; k <= s.ke; ++k) {
    if (k >= low && k <= high) continue;
    const int from = k < low ? low : high;
    for (int i = 1; i <= s.ie; ++i) w.turn(i, k) = w.turn(i, from);
  }
  Pitchwise_shares(s, w);
  Turn_stations(s, w, g);
}

}  // namespace torvane
