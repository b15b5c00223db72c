#include "geometry/tip_gap.hpp"
#include "geometry/angle_wrap.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "base/build_failure.hpp"
#include "base/casing_line.hpp"
#include "distribution/distribute_line.hpp"
#include "distribution/stretch.hpp"
#include "geometry/angle_wrap.hpp"
#include "geometry/span_lines.hpp"

namespace torvane {

namespace {

// Bisection steps for the tip point on a segment: far past a double's precision.
constexpr int kTipBisections = 200;

double Distance(double dx, double dy, double dz) { return std::sqrt(dx * dx + dy * dy + dz * dz); }

// A point in the axial, radial and circumferential coordinates of the machine.
struct Polar {
  double x, r, theta;
};

Polar Polar_of(const Grid& g, int i, int j, int k) {
  const double y = g.yg(i, j, k), z = g.zg(i, j, k);
  return {g.xg(i, j, k), std::hypot(y, z), std::atan2(y, z)};
}

void Put(const Grid& g, int i, int j, int k, const Polar& p) {
  g.xg(i, j, k) = p.x;
  g.yg(i, j, k) = p.r * std::sin(p.theta);
  g.zg(i, j, k) = p.r * std::cos(p.theta);
}

// The planes where the wall layers of the hub-to-tip distribution end: k = 1
// .. hub_top grow from the hub, k = tip_bottom .. kt towards the tip.
struct Wall_layers {
  int hub_top, tip_bottom;
};

// Whether a tip layer of n intervals growing by ratio from `first` takes at
// most half of the height `room` left above the hub's layer, and ends with a
// slope (its last interval times the growth of the blend's cubic there) no
// steeper than the blend's mean interval over the rest of the `free` ones: a
// steeper layer would make the blend shrink its intervals back, or fold them.
bool Tip_layer_fits(double first, int n, double ratio, int free, double room) {
  const double depth = Geometric_length(first, n, ratio);
  if (depth > room / 2) return false;
  const double slope =
      ratio > 1 ? first * Integer_power(ratio, n - 1) * (ratio * std::log(ratio) / (ratio - 1.0)) : first;
  return slope <= (room - depth) / (free - n);
}

// The spanwise distributions: hub to tip with the hub's wall layer and a
// layer growing from the tip by the wall ratio over up to half the points
// between, its first interval the gap's first where the height below the tip
// has room for it; across the gap in shares clustered
// alike at the tip and the casing (a cosine law, which leaves a single cell whole).
// Gives where the hub-to-tip distribution's wall layers end.
Wall_layers Spanwise_shares(const Tip_gap_sizes& s, const Tip_gap_work& work, int kt, Diagnostics& diagnostics) {
  const int n = s.gap_cells;
  for (int k = kt; k <= s.ke; ++k) {
    work.across(k) = (1.0 - std::cos(std::numbers::pi * (k - kt) / n)) / 2.0;
  }
  work.across(s.ke) = 1.0;
  const double height = s.span - s.gap;
  // The hub's wall layer, shortened when the tip plane leaves no room for all of it and a blend.
  const int layers = std::max(0, std::min(s.nwallhc, kt - 3));
  const double hub_depth = Geometric_length(s.dzwall, layers, s.ratio);
  // The tip's layer: at most half of the intervals and half of the height left,
  // from no more than an even share of that height.
  const int free = kt - 1 - layers;
  const double room = height - hub_depth;
  const double tip_interval = std::min(s.gap * work.across(kt + 1), room / free);
  int tip_layers = std::max(1, free / 2);
  while (tip_layers > 1 && !Tip_layer_fits(tip_interval, tip_layers, s.ratio, free, room)) --tip_layers;
  const double tip_depth = Geometric_length(tip_interval, tip_layers, s.ratio);
  Distribute_line(1, layers + 1, kt - tip_layers, kt, 0.0, hub_depth, height - tip_depth, height,
                  layers < 1 ? (height - tip_depth) / (kt - 1 - tip_layers) : s.dzwall, tip_interval, work.lower,
                  diagnostics);
  work.lower(1) = 0.0;
  work.lower(kt) = height;
  return {layers + 1, kt - tip_layers};
}

// The point at parameter t (0 to 1) of segment m .. m + 1 of the line as
// built: the cubic Hermite curve through its points with the tangents of the
// neighbouring points over their arc length, so a line through several
// sections keeps its curve (a straight line stays straight).
void Point_on(const Tip_gap_work& w, int ke, int m, double t, double point[3]) {
  const Line* old[3] = {&w.old_x, &w.old_y, &w.old_z};
  const double h = w.old_s(m + 1) - w.old_s(m);
  auto tangent = [&](const Line& f, int k) {
    const int lo = std::max(1, k - 1), hi = std::min(ke, k + 1);
    const double ds = w.old_s(hi) - w.old_s(lo);
    return ds > 0 ? (f(hi) - f(lo)) / ds : 0.0;
  };
  const double t2 = t * t, t3 = t2 * t;
  const double h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
  for (int c = 0; c < 3; ++c) {
    const Line& f = *old[c];
    point[c] = h00 * f(m) + h10 * h * tangent(f, m) + h01 * f(m + 1) + h11 * h * tangent(f, m + 1);
  }
}

// The point at arc length `at` along the line as built.
void Along_line(const Tip_gap_work& w, int ke, double at, int& segment, double point[3]) {
  while (segment < ke - 1 && w.old_s(segment + 1) < at) ++segment;
  const double length = w.old_s(segment + 1) - w.old_s(segment);
  const double t = length > 0 ? (at - w.old_s(segment)) / length : 0.0;
  Point_on(w, ke, segment, t, point);
}

// The stations below the tip, hub first: the plane each was built on and
// the plane the cut gives it, and the wall layers of the hub-to-tip distribution.
struct Cut_stations {
  int count = 0;
  std::array<int, kMaxSpanStations> built{};
  std::array<int, kMaxSpanStations> cut{};
  Wall_layers layers{};
};

// Each station below the tip on the plane of the hub-to-tip distribution
// nearest to its place, after the previous station's and leaving one for each
// station still to come; none when they outnumber the planes below the tip.
Cut_stations Stations_below_tip(const Tip_gap_sizes& s, const Tip_gap_work& w, std::span<const Kept_station> stations,
                                int kt, Wall_layers layers) {
  Cut_stations kept;
  kept.layers = layers;
  const double height = s.span - s.gap;
  int below = 0;
  while (below < static_cast<int>(stations.size()) &&
         stations[static_cast<std::size_t>(below)].place * s.span < height) {
    ++below;
  }
  if (below > kt - 2 || below > kMaxSpanStations) return kept;
  int previous = 1;
  for (int n = 0; n < below; ++n) {
    const Kept_station& station = stations[static_cast<std::size_t>(n)];
    const double at = station.place * s.span;
    const int last = kt - (below - n);
    int best = previous + 1;
    for (int k = best; k <= last; ++k) {
      if (std::fabs(w.lower(k) - at) < std::fabs(w.lower(best) - at)) best = k;
    }
    kept.built[static_cast<std::size_t>(n)] = station.k;
    kept.cut[static_cast<std::size_t>(n)] = best;
    previous = best;
  }
  kept.count = below;
  return kept;
}

// A point a cut line keeps: on plane k, at arc length `arc` along the line as
// built; the point of plane `built` as built when that is not 0.
struct Anchor {
  int k;
  double arc;
  int built;
};

// The anchors of a line, hub to tip, between which its points are spread.
struct Line_anchors {
  int count = 0;
  std::array<Anchor, kMaxSpanStations + 4> at{};
  void Add(Anchor anchor) { at[static_cast<std::size_t>(count++)] = anchor; }
};

// A line's anchors: the hub; the stations it crosses below its tip, with the
// ends of the wall layers where the stations leave room for them, so that the
// hub's and the tip's clustering stay those of a line without stations; the tip.
Line_anchors Anchors_of_line(const Cut_stations& kept, const Tip_gap_work& w, int kt, double tip_s) {
  Line_anchors line;
  line.Add({1, 0.0, 0});
  int crossed = 0;
  while (crossed < kept.count && w.old_s(kept.built[static_cast<std::size_t>(crossed)]) < tip_s) ++crossed;
  if (crossed > 0) {
    auto arc_of = [&](int n) { return w.old_s(kept.built[static_cast<std::size_t>(n)]); };
    // Where a line without stations puts a plane.
    auto plain = [&](int k) { return tip_s * (w.lower(k) / w.lower(kt)); };
    const int hub_top = kept.layers.hub_top, tip_bottom = kept.layers.tip_bottom;
    if (hub_top > 1 && hub_top < kept.cut[0] && plain(hub_top) < arc_of(0)) line.Add({hub_top, plain(hub_top), 0});
    for (int n = 0; n < crossed; ++n) {
      line.Add({kept.cut[static_cast<std::size_t>(n)], arc_of(n), kept.built[static_cast<std::size_t>(n)]});
    }
    const int last = crossed - 1;
    if (tip_bottom > kept.cut[static_cast<std::size_t>(last)] && plain(tip_bottom) > arc_of(last)) {
      line.Add({tip_bottom, plain(tip_bottom), 0});
    }
  }
  line.Add({kt, tip_s, 0});
  return line;
}

// The tip of the line as built: its point where the casing lies the gap
// above it, and its arc length.
double Tip_point(const Tip_gap_sizes& s, const Tip_gap_work& w, const Grid& g, int i, int j, double tip[3]) {
  const int ke = s.ke;
  auto clearance = [&](double x, double y, double z) {
    return Casing_radius(g, s.ie, j, ke, x, i) - std::hypot(y, z) - s.gap;
  };
  // The highest point still the gap or more below the casing; the tip lies on the segment above it.
  int below = ke - 1;
  while (below >= 1 && clearance(w.old_x(below), w.old_y(below), w.old_z(below)) < 0) --below;
  if (below < 1) throw Build_failure{Tip_gap_too_deep{s.gap, i, j}};
  double lo = 0, hi = 1;
  for (int step = 0; step < kTipBisections && lo < hi; ++step) {
    const double t = (lo + hi) / 2;
    if (t == lo || t == hi) break;
    double p[3];
    Point_on(w, ke, below, t, p);
    (clearance(p[0], p[1], p[2]) >= 0 ? lo : hi) = t;
  }
  const double t = lo;
  Point_on(w, ke, below, t, tip);
  return w.old_s(below) + t * (w.old_s(below + 1) - w.old_s(below));
}

// Re-distributes the spanwise line (i, j): its tip point where the casing is
// the gap above it, the stations below it kept on their planes, the points
// between spread along the line as built in proportion to the hub-to-tip
// distribution between the anchors around them, the points above the tip across the gap.
void Cut_line(const Tip_gap_sizes& s, const Tip_gap_work& w, const Cut_stations& kept, const Grid& g, int i, int j,
              int kt) {
  const int ke = s.ke;
  for (int k = 1; k <= ke; ++k) {
    w.old_x(k) = g.xg(i, j, k);
    w.old_y(k) = g.yg(i, j, k);
    w.old_z(k) = g.zg(i, j, k);
    w.old_s(k) = k == 1 ? 0.0
                        : w.old_s(k - 1) + Distance(w.old_x(k) - w.old_x(k - 1), w.old_y(k) - w.old_y(k - 1),
                                                    w.old_z(k) - w.old_z(k - 1));
  }
  double tip[3] = {0, 0, 0};
  const double tip_s = Tip_point(s, w, g, i, j, tip);
  const double length = w.old_s(ke);
  const Line_anchors line = Anchors_of_line(kept, w, kt, tip_s);

  int segment = 1;
  int m = 0;  // the anchor at or below k
  for (int k = 2; k <= ke - 1; ++k) {
    double p[3];
    if (k == kt) {
      p[0] = tip[0];
      p[1] = tip[1];
      p[2] = tip[2];
    } else if (k > kt) {
      Along_line(w, ke, tip_s + (length - tip_s) * w.across(k), segment, p);
    } else {
      while (line.at[static_cast<std::size_t>(m + 1)].k <= k) ++m;
      const Anchor& a = line.at[static_cast<std::size_t>(m)];
      const Anchor& b = line.at[static_cast<std::size_t>(m + 1)];
      if (k == a.k && a.built > 0) {
        p[0] = w.old_x(a.built);
        p[1] = w.old_y(a.built);
        p[2] = w.old_z(a.built);
      } else {
        const double l0 = w.lower(a.k), l1 = w.lower(b.k);
        Along_line(w, ke, a.arc + (b.arc - a.arc) * ((w.lower(k) - l0) / (l1 - l0)), segment, p);
      }
    }
    g.xg(i, j, k) = p[0];
    g.yg(i, j, k) = p[1];
    g.zg(i, j, k) = p[2];
  }
}

// The camber of station i on plane k: midway between this blade's wall j = 1
// (`wall`) and its other wall, j = je (`next`) turned back by the pitch.
Polar Camber_of(const Polar& wall, const Polar& next, double pitch) {
  return {(wall.x + next.x) / 2, (wall.r + next.r) / 2, wall.theta + Wrapped(next.theta - pitch - wall.theta) / 2};
}

// The share of the walls' way to the camber surface closed at plane k, 0 at
// plane kp (the last one whose walls stay where they are), 1 from the tip
// plane kt up, in proportion to the height between (a straight taper).
double Pinch_share(const Tip_gap_work& w, int k, int kp, int kt) {
  if (k >= kt) return 1.0;
  return (w.lower(k) - w.lower(kp)) / (w.lower(kt) - w.lower(kp));
}

// Closes the blade walls of station i onto the camber surface, wholly from
// the tip plane up and by their share on the planes of the taper below it,
// every row stretched to its new ends by a share of the move that grows
// with the row's length from j = 1.
void Pinch_station(const Tip_gap_sizes& s, const Tip_gap_work& w, const Grid& g, int i, int kp, int kt, double pitch) {
  const int je = s.je;
  for (int k = kp + 1; k <= s.ke; ++k) {
    const double share = Pinch_share(w, k, kp, kt);
    const Polar wall = Polar_of(g, i, 1, k);
    const Polar next = Polar_of(g, i, je, k);
    const Polar camber = Camber_of(wall, next, pitch);
    Polar move_first{camber.x - wall.x, camber.r - wall.r, Wrapped(camber.theta - wall.theta)};
    Polar move_last{camber.x - next.x, camber.r - next.r, Wrapped(camber.theta + pitch - next.theta)};
    if (share < 1) {
      move_first = {share * move_first.x, share * move_first.r, share * move_first.theta};
      move_last = {share * move_last.x, share * move_last.r, share * move_last.theta};
    }
    w.row_share(1) = 0;
    for (int j = 2; j <= je; ++j) {
      w.row_share(j) =
          w.row_share(j - 1) + Distance(g.xg(i, j, k) - g.xg(i, j - 1, k), g.yg(i, j, k) - g.yg(i, j - 1, k),
                                        g.zg(i, j, k) - g.zg(i, j - 1, k));
    }
    const double row_length = w.row_share(je);
    for (int j = 2; j <= je - 1; ++j) {
      const double f = row_length > 0 ? w.row_share(j) / row_length : 0.0;
      const Polar p = Polar_of(g, i, j, k);
      Put(g, i, j, k,
          {p.x + (1 - f) * move_first.x + f * move_last.x, p.r + (1 - f) * move_first.r + f * move_last.r,
           p.theta + (1 - f) * move_first.theta + f * move_last.theta});
    }
    if (share < 1) {
      Put(g, i, 1, k, {wall.x + move_first.x, wall.r + move_first.r, wall.theta + move_first.theta});
      Put(g, i, je, k, {next.x + move_last.x, next.r + move_last.r, next.theta + move_last.theta});
    } else {
      Put(g, i, 1, k, camber);
      Put(g, i, je, k, {camber.x, camber.r, camber.theta + pitch});
    }
  }
}

// The blade's largest half thickness on the tip plane: the distance from a
// wall to the camber surface, the most of any station.
double Tip_half_thickness(const Tip_gap_sizes& s, const Grid& g, int kt, double pitch) {
  double largest = 0;
  for (int i = s.ile; i <= s.ite; ++i) {
    const Polar wall = Polar_of(g, i, 1, kt);
    const Polar camber = Camber_of(wall, Polar_of(g, i, s.je, kt), pitch);
    const double dx = camber.x - wall.x;
    const double dy = camber.r * std::sin(camber.theta) - wall.r * std::sin(wall.theta);
    const double dz = camber.r * std::cos(camber.theta) - wall.r * std::cos(wall.theta);
    largest = std::max(largest, Distance(dx, dy, dz));
  }
  return largest;
}

// The last plane below the tip whose walls stay where they are: the highest
// one at least `pinch` below the tip plane (the hub when none is); the plane
// below the tip when the pinch is no longer than the last interval.
int Pinch_start(const Tip_gap_work& w, int kt, double pinch) {
  int kp = kt - 1;
  while (kp > 1 && w.lower(kt) - w.lower(kp) < pinch) --kp;
  return kp;
}

}  // namespace

int Tip_plane(int ke, int gap_cells) {
  const int kt = ke - gap_cells;
  return kt >= 3 ? kt : 0;
}

void Spanwise_distribution(const Tip_gap_sizes& sizes, const Tip_gap_work& work, Diagnostics& diagnostics) {
  const int kt = Tip_plane(sizes.ke, sizes.gap_cells);
  if (kt != 0) Spanwise_shares(sizes, work, kt, diagnostics);
}

double Casing_radius(const Grid& grid, int ie, int j, int ke, double x, int hint) {
  const std::size_t stride = ie > 1 ? static_cast<std::size_t>(&grid.xg(2, j, ke) - &grid.xg(1, j, ke)) : 1;
  return Casing_radius_at(&grid.xg(1, j, ke), &grid.yg(1, j, ke), &grid.zg(1, j, ke), ie, stride, x, hint - 1);
}

void Cut_tip_gap(const Tip_gap_sizes& s, const Tip_gap_work& work, std::span<const Kept_station> stations,
                 const Grid& grid, Diagnostics& diagnostics) {
  const int kt = Tip_plane(s.ke, s.gap_cells);
  if (kt == 0) return;
  const Wall_layers layers = Spanwise_shares(s, work, kt, diagnostics);
  const Cut_stations kept = Stations_below_tip(s, work, stations, kt, layers);
  for (int i = 1; i <= s.ie; ++i) {
    for (int j = 1; j <= s.je; ++j) Cut_line(s, work, kept, grid, i, j, kt);
  }
  // The pitch turns j = 1 onto j = je; its sense from the inlet's periodic points.
  const double inlet_turn =
      Wrapped(std::atan2(grid.yg(1, s.je, 1), grid.zg(1, s.je, 1)) - std::atan2(grid.yg(1, 1, 1), grid.zg(1, 1, 1)));
  const double pitch = inlet_turn < 0 ? -std::fabs(s.pitch_angle) : std::fabs(s.pitch_angle);
  if (s.ile < 1) return;
  const int kp = Pinch_start(work, kt, s.pinch_auto ? Tip_half_thickness(s, grid, kt, pitch) : s.pinch);
  for (int i = s.ile; i <= s.ite; ++i) Pinch_station(s, work, grid, i, kp, kt, pitch);
}

}  // namespace torvane
