#include "deck/rotor_deck.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

#include "base/rotor_speed.hpp"
#include "base/run_stop.hpp"
#include "base/storage_limits.hpp"
#include "base/terminal_text.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/curve_files.hpp"
#include "deck/deck_block_text.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_records.hpp"
#include "deck/deck_text.hpp"
#include "deck/geometry_defaults.hpp"
#include "deck/metal_angles.hpp"
#include "deck/refinement.hpp"
#include "deck/section_contour.hpp"
#include "deck/tip_layer.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/meridional_curve.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

// Points of a section's streamsurface curve inside the blade's axial extent.
constexpr int kCurveSamples = 41;
// Points of a section closer than this share of its extent are one point.
constexpr double kSamePointShare = 1e-9;
// A first or last section within this share of the span from its wall is the wall's section.
constexpr double kOnWall = 0.005;
// The streamsurface's span fraction beyond the blade settles over this share of the axial chord.
constexpr double kSettleShare = 0.25;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// A section in the conformal plane of its surface, as the deck gives it.
struct Plane_section {
  Section_contour contour;  // before the stagger, point 1 near the trailing edge, iref the nose
  double stagger = 0;       // [deg]
  double chord = 0;         // the contour's reference x-extent
  double true_chord = 0;    // nose to the far end of the trailing edge
  Point nose{};             // in the plane
};

// The list in the deck's order: clockwise (along the -y side from the trailing
// edge), starting one point past the most downstream point, so that torvane's
// edge search finds the trailing edge at the list's end; the nose (the end of
// the longest chord upstream) is the reference point.
Plane_section Deck_order(std::vector<Point> points, const std::string& where) {
  // Points closer than this share of the section's extent to the one before
  // are one point (a closing point written again, a repeated line).
  double extent = 0;
  for (const Point& p : points) extent = std::max(extent, std::hypot(p.x - points[0].x, p.y - points[0].y));
  const double same = kSamePointShare * extent;
  auto close = [&](const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y) <= same; };
  points.erase(std::unique(points.begin(), points.end(), close), points.end());
  if (points.size() > 1 && close(points.front(), points.back())) points.pop_back();
  const size_t n = points.size();
  if (n < 4) throw Input_error(where + ": fewer than 4 distinct points");
  double area = 0;
  for (size_t p = 0; p < n; ++p) {
    const Point& a = points[p];
    const Point& b = points[(p + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  if (!(area != 0)) throw Input_error(where + ": the points enclose no area");
  if (area > 0) std::reverse(points.begin(), points.end());
  size_t le = 0, te = 0;
  double longest = -1;
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = a + 1; b < n; ++b) {
      const double d = std::hypot(points[a].x - points[b].x, points[a].y - points[b].y);
      if (d > longest) {
        longest = d;
        le = a;
        te = b;
      }
    }
  }
  if (points[te].x < points[le].x) std::swap(le, te);
  const size_t last = static_cast<size_t>(
      std::max_element(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; }) -
      points.begin());
  const size_t start = (last + 1) % n;
  Plane_section section;
  section.nose = points[le];
  const Point tail = points[te];
  section.true_chord = longest;
  const double stagger = std::atan2(-(tail.y - section.nose.y), tail.x - section.nose.x);
  section.stagger = stagger / kDegree;
  const double c = std::cos(section.stagger * kDegree);
  const double s = std::sin(section.stagger * kDegree);
  for (size_t m = 0; m <= n; ++m) {
    const Point& p = points[(start + m) % n];
    const double dx = p.x - section.nose.x;
    const double dy = p.y - section.nose.y;
    section.contour.points.push_back({dx * c - dy * s, dx * s + dy * c});
    if ((start + m) % n == le && m < n) section.contour.iref = static_cast<int>(m) + 1;
  }
  if (static_cast<int>(section.contour.points.size()) > kMaxContourPoints) {
    section.contour = Resample_contour(section.contour, kMaxContourPoints);
  }
  const Section_contour& contour = section.contour;
  section.chord = std::fabs(contour.points[static_cast<size_t>(contour.iref - 1)].x - contour.points[0].x);
  return section;
}

// The section's points in the conformal plane of the map: (xi(x), R theta), theta from the frame's.
std::vector<Point> Plane_points(const Profile_section& profile, const Conformal_map& map, double x0, double theta0) {
  std::vector<Point> points;
  for (const Cylindrical_point& p : profile.points) {
    points.push_back({map.Xi(p.x - x0), map.radius() * (p.theta - theta0)});
  }
  return points;
}

// The least-squares cubic through (x, f) and the settling beyond the ends.
struct Span_fraction {
  double mid = 0, half = 1;
  double c[4] = {0, 0, 0, 0};
  double x_first = 0, x_last = 0, settle = 1;

  double Cubic(double x) const {
    const double t = (x - mid) / half;
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
  }
  double Slope(double x) const {
    const double t = (x - mid) / half;
    return (c[1] + t * (2.0 * c[2] + t * 3.0 * c[3])) / half;
  }
  // Beyond the blade, f moves on along its end slope and settles within about `settle`.
  double operator()(double x) const {
    if (x < x_first) return Cubic(x_first) - Slope(x_first) * settle * (1.0 - std::exp(-(x_first - x) / settle));
    if (x > x_last) return Cubic(x_last) + Slope(x_last) * settle * (1.0 - std::exp(-(x - x_last) / settle));
    return Cubic(x);
  }
};

Span_fraction Fit_span_fraction(const std::vector<double>& x, const std::vector<double>& f) {
  Span_fraction fit;
  fit.x_first = *std::min_element(x.begin(), x.end());
  fit.x_last = *std::max_element(x.begin(), x.end());
  fit.mid = 0.5 * (fit.x_first + fit.x_last);
  fit.half = 0.5 * (fit.x_last - fit.x_first);
  fit.settle = kSettleShare * (fit.x_last - fit.x_first);
  double a[4][5] = {};
  for (size_t n = 0; n < x.size(); ++n) {
    const double t = (x[n] - fit.mid) / fit.half;
    const double powers[4] = {1, t, t * t, t * t * t};
    for (int r = 0; r < 4; ++r) {
      for (int q = 0; q < 4; ++q) a[r][q] += powers[r] * powers[q];
      a[r][4] += powers[r] * f[n];
    }
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r) {
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    }
    std::swap(a[col], a[pivot]);
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      const double w = a[r][col] / a[col][col];
      for (int q = col; q < 5; ++q) a[r][q] -= w * a[col][q];
    }
  }
  for (int r = 0; r < 4; ++r) fit.c[r] = a[r][4] / a[r][r];
  return fit;
}

// The streamsurface of a section between the hub and casing curves (deck frame).
Curve_points Streamsurface(const Profile_section& profile, const Meridional_curve& hub, const Meridional_curve& casing,
                           double x0) {
  std::vector<double> x, f;
  for (const Cylindrical_point& p : profile.points) {
    const double xd = p.x - x0;
    x.push_back(xd);
    f.push_back((p.r - hub.Radius(xd)) / (casing.Radius(xd) - hub.Radius(xd)));
  }
  const Span_fraction fraction = Fit_span_fraction(x, f);
  const double first = std::max(hub.x_first(), casing.x_first());
  const double last = std::min(hub.x_last(), casing.x_last());
  std::vector<double> knots{first, last};
  for (const Meridional_curve* curve : {&hub, &casing}) {
    for (size_t n = 0; n < curve->size(); ++n) {
      if (first < curve->x(n) && curve->x(n) < last) knots.push_back(curve->x(n));
    }
  }
  for (int n = 0; n < kCurveSamples; ++n) {
    knots.push_back(fraction.x_first + (fraction.x_last - fraction.x_first) * n / (kCurveSamples - 1));
  }
  std::sort(knots.begin(), knots.end());
  Curve_points curve;
  const double gap = 1e-6 * (last - first);
  for (double k : knots) {
    if (k < first || k > last || (!curve.x.empty() && k - curve.x.back() < gap)) continue;
    curve.x.push_back(k);
    curve.r.push_back(hub.Radius(k) + fraction(k) * (casing.Radius(k) - hub.Radius(k)));
  }
  return curve;
}

// The mean of the span fractions of the section's points between hub (0) and casing (1).
double Mean_span_fraction(const Profile_section& profile, const Meridional_curve& hub, const Meridional_curve& casing,
                          double x0) {
  double sum = 0;
  for (const Cylindrical_point& p : profile.points) {
    const double x = p.x - x0;
    sum += (p.r - hub.Radius(x)) / (casing.Radius(x) - hub.Radius(x));
  }
  return sum / static_cast<double>(profile.points.size());
}

Curve_points Deck_curve(const std::vector<Cylindrical_point>& points, double x0) {
  Curve_points curve;
  for (const Cylindrical_point& p : points) {
    curve.x.push_back(p.x - x0);
    curve.r.push_back(p.r);
  }
  return curve;
}

Deck_build Refused(int status, std::vector<std::string> messages) { return {status, std::move(messages), ""}; }

// A section placed on the surface of a meridional curve (files' frame): its
// plane at the radius of its nose, and the nose's axial position and angle.
struct Placed_section {
  Plane_section plane;
  double x = 0, theta = 0;
};

Placed_section Place_on(const Profile_section& profile, const Meridional_curve& curve, const std::string& where) {
  const double x_first =
      std::min_element(profile.points.begin(), profile.points.end(), [](auto& a, auto& b) { return a.x < b.x; })->x;
  const Conformal_map trial(curve, curve.Radius(x_first), x_first);
  const Plane_section trial_plane = Deck_order(Plane_points(profile, trial, 0.0, 0.0), where);
  Placed_section placed;
  placed.x = trial.Axial(trial_plane.nose.x);
  placed.theta = trial_plane.nose.y / trial.radius();
  const Conformal_map map(curve, curve.Radius(placed.x), placed.x);
  placed.plane = Deck_order(Plane_points(profile, map, 0.0, 0.0), where);
  return placed;
}

// The wall's section from the two sections nearest to it (a at fa, b at fb),
// extrapolated to the wall's span fraction: a's contour, its nose, stagger and
// chord moved on along the line from b to a.
Placed_section Extrapolated(const Placed_section& a, double fa, const Placed_section& b, double fb, double wall) {
  const double t = (wall - fa) / (fa - fb);
  Placed_section placed = a;
  placed.x = a.x + (a.x - b.x) * t;
  placed.theta = a.theta + (a.theta - b.theta) * t;
  placed.plane.stagger = a.plane.stagger + (a.plane.stagger - b.plane.stagger) * t;
  placed.plane.chord = a.plane.chord + (a.plane.chord - b.plane.chord) * t;
  placed.plane.true_chord = a.plane.true_chord + (a.plane.true_chord - b.plane.true_chord) * t;
  return placed;
}

// A length option in the files' unit [m].
std::optional<double> Option_length(const std::string& text, double unit) {
  double value = 0;
  if (!Parse_real(text, value)) return std::nullopt;
  return value * unit;
}

// "FILE, line N": where a profile section lies.
struct Profile_places {
  std::string file;
  std::string operator()(const Profile_section& p) const { return file + ", line " + std::to_string(p.line); }
};

// The curve files as read, in the files' frame and unit.
struct Row_files {
  Row_info info;
  std::vector<Profile_section> profiles;
  std::vector<Cylindrical_point> hub_points, casing_points;
  double unit = 0;
};

// The hub and casing curves in one frame.
struct Wall_curves {
  const Meridional_curve& hub;
  const Meridional_curve& casing;
};

// The sections at the walls in the files' frame, and whether the first and
// last sections lie away from their walls (the wall's section is then
// extrapolated from it and its neighbour).
struct Wall_sections {
  double first_fraction = 0, last_fraction = 0;
  bool first_away = false, last_away = false;
  Placed_section hub, casing;
};

// A grid angle rounded to 0.01 deg within the lines' limits.
double Limited_angle(double angle) {
  return std::clamp(std::round(angle * 100.0) / 100.0, -kMaxLineAngle, kMaxLineAngle);
}

// The info, profile and curve files in the unit of the info file or --unit;
// a refusal when the unit is not known or a file cannot be read.
std::optional<Deck_build> Read_row_files(const Row_request& request, Row_files& files) {
  Row_info& info = files.info;
  try {
    if (!request.info.empty()) info = Read_info_file(request.info);
    if (!request.unit.empty()) {
      const auto given = Unit_length(request.unit);
      if (!given) return Refused(kExitUsage, {"--unit: \"" + Printable(request.unit) + "\": give m, cm, mm, in or ft"});
      info.unit = given;
    }
    if (!info.unit) {
      return Refused(kExitUsage, {"the coordinates' unit is not known: give --unit (m, cm, mm, in or ft) or an info "
                                  "file with `Coordinates unit`"});
    }
    files.unit = *info.unit;
    files.profiles = Read_profile_file(request.profile, info.axis, files.unit);
    files.hub_points = Read_curve_file(request.hub_curve, info.axis, files.unit);
    files.casing_points = Read_curve_file(request.casing_curve, info.axis, files.unit);
  } catch (const Input_error& e) {
    return Refused(kExitInput, {e.what()});
  }
  return std::nullopt;
}

// The plane options in place of the info file's trims; a refusal when one is not a number.
std::optional<Deck_build> Take_plane_options(const Row_request& request, Row_files& files) {
  Row_info& info = files.info;
  for (auto [option, trim] :
       {std::pair{&request.inlet_plane, &info.inlet_trim}, std::pair{&request.outlet_plane, &info.outlet_trim}}) {
    if (option->empty()) continue;
    *trim = Option_length(*option, files.unit);
    if (!*trim) return Refused(kExitUsage, {"\"" + Printable(*option) + "\" is not an axial position"});
  }
  return std::nullopt;
}

// The hub's section and, when the last section lies away from the casing,
// the casing's, both in the files' frame; a refusal when one cannot be placed.
std::optional<Deck_build> Place_wall_sections(const std::vector<Profile_section>& profiles, const Wall_curves& files,
                                              const Profile_places& where, Wall_sections& walls) {
  walls.first_fraction = Mean_span_fraction(profiles.front(), files.hub, files.casing, 0.0);
  walls.last_fraction = Mean_span_fraction(profiles.back(), files.hub, files.casing, 0.0);
  walls.first_away = walls.first_fraction > kOnWall;
  walls.last_away = walls.last_fraction < 1.0 - kOnWall;
  try {
    auto own = [&](size_t n) {
      const Curve_points c = Streamsurface(profiles[n], files.hub, files.casing, 0.0);
      return Place_on(profiles[n], Meridional_curve(c.x, c.r), where(profiles[n]));
    };
    auto fraction = [&](size_t n) { return Mean_span_fraction(profiles[n], files.hub, files.casing, 0.0); };
    const size_t last = profiles.size() - 1;
    walls.hub = walls.first_away ? Extrapolated(own(0), walls.first_fraction, own(1), fraction(1), 0.0)
                                 : Place_on(profiles.front(), files.hub, where(profiles.front()));
    if (walls.last_away) {
      walls.casing = Extrapolated(own(last), walls.last_fraction, own(last - 1), fraction(last - 1), 1.0);
    }
  } catch (const Input_error& e) {
    return Refused(kExitInput, {e.what()});
  }
  return std::nullopt;
}

// Every section lies within the axial reach of both the hub and the casing
// curve, where its streamsurface is known; a refusal naming the first that does not.
std::optional<Deck_build> Check_sections_within_curves(const Row_files& files, const Wall_curves& curves,
                                                       const Profile_places& where) {
  const double first = std::max(curves.hub.x_first(), curves.casing.x_first());
  const double last = std::min(curves.hub.x_last(), curves.casing.x_last());
  for (const Profile_section& profile : files.profiles) {
    for (const Cylindrical_point& p : profile.points) {
      if (p.x >= first && p.x <= last) continue;
      return Refused(
          kExitInput,
          {where(profile) + ": the section at " + Number(profile.percent) + "% reaches the axial position " +
           Number(p.x / files.unit) + ", beyond the hub and casing curves, which both reach from " +
           Number(first / files.unit) + " to " + Number(last / files.unit) + " (the files' unit); extend the curves"});
    }
  }
  return std::nullopt;
}

// The settings over the default values and choices, the names of the records
// given added; a refusal at the first one that is not a record or choice or
// not a value of it.
std::optional<Deck_build> Apply_settings(const Row_request& request, Control_values& values,
                                         std::set<std::string>& given, Deck_choices& choices) {
  for (const Setting& setting : request.settings) {
    if (Is_choice_name(setting.name)) {
      if (const auto why = Set_choice(choices, setting)) return Refused(kExitUsage, {setting.origin + ": " + *why});
      continue;
    }
    const Deck_record* record = Find_record(setting.name);
    if (record == nullptr) return Refused(kExitUsage, {setting.origin + ": not the name of a record"});
    if (const auto why = Set_value(values, *record, setting.text)) {
      return Refused(kExitUsage, {setting.origin + ": " + Printable(*why)});
    }
    given.insert(setting.name);
  }
  return std::nullopt;
}

// The casing section's records: its radius, the sweep and lean that put its
// nose (casing_place, files' frame) there, its contour, stagger and chord.
void Set_casing_records(const Placed_section& casing_place, double x0, double theta0,
                        const Meridional_curve& casing_curve, Control_values& values, Deck_section& casing) {
  const double x_nose = casing_place.x - x0;
  const double theta_nose = casing_place.theta - theta0;
  values.rcas = casing_curve.Radius(x_nose);
  values.sweep = std::atan2(x_nose, values.rcas - values.rhub) / kDegree;
  values.lean =
      std::atan2(values.rcas * std::sin(theta_nose), values.rcas * std::cos(theta_nose) - values.rhub) / kDegree;
  casing.contour = casing_place.plane.contour;
  values.stagcas = casing_place.plane.stagger;
  values.chordcas = casing_place.plane.chord;
}

// The block's planes (deck's frame) and lin and lx: the info file's trims, or
// a hub chord upstream of the blade and two downstream, no further than both
// curves reach.
void Set_planes(const Row_files& files, const Wall_curves& file_curves, const Conformal_map& hub_map, double x0,
                Control_values& values, Deck_block& block) {
  double x_min = 1e300, x_max = -1e300;
  for (const Profile_section& profile : files.profiles) {
    for (const Cylindrical_point& p : profile.points) {
      x_min = std::min(x_min, p.x);
      x_max = std::max(x_max, p.x);
    }
  }
  // Without trims, no further than both curves reach.
  const double reach_first = std::max(file_curves.hub.x_first(), file_curves.casing.x_first());
  const double reach_last = std::min(file_curves.hub.x_last(), file_curves.casing.x_last());
  const Row_info& info = files.info;
  const double inlet = (info.inlet_trim ? *info.inlet_trim : std::max(x_min - values.chordhub, reach_first)) - x0;
  const double outlet =
      (info.outlet_trim ? *info.outlet_trim : std::min(x_max + 2.0 * values.chordhub, reach_last)) - x0;
  block.planes = Axial_planes{0, inlet, outlet};
  values.lin = -hub_map.Xi(inlet);
  values.lx = hub_map.Xi(outlet) - hub_map.Xi(inlet);
}

// A section between the walls on its own streamsurface (deck's frame), with
// its metal angles when they are found.
Block_section Streamsurface_section(const Profile_section& profile, const Wall_curves& curves, double x0, double theta0,
                                    const Control_values& values, const std::string& where) {
  Block_section section;
  section.span = profile.percent / 100.0;
  if (!(section.span > 0 && section.span < 1)) {
    section.span = std::clamp(Mean_span_fraction(profile, curves.hub, curves.casing, x0), kOnWall, 1.0 - kOnWall);
  }
  section.curve = Streamsurface(profile, curves.hub, curves.casing, x0);
  const Meridional_curve curve(section.curve.x, section.curve.r);
  const Conformal_map map_trial(curve, curve.Radius(0.0), 0.0);
  const Plane_section trial_section = Deck_order(Plane_points(profile, map_trial, x0, theta0), where);
  section.xref = map_trial.Axial(trial_section.nose.x);
  const Conformal_map map(curve, curve.Radius(section.xref), section.xref);
  const Plane_section plane = Deck_order(Plane_points(profile, map, x0, theta0), where);
  section.stagger = plane.stagger;
  section.chord = plane.chord;
  section.yref = plane.nose.y;
  section.iref = plane.contour.iref;
  for (const Point& p : plane.contour.points) {
    section.xy.push_back(p.x);
    section.xy.push_back(p.y);
  }
  Control_values at = values;
  at.staghub = section.stagger;
  at.chordhub = section.chord;
  const auto angles = Section_metal_angles(at, Surface::hub, plane.contour);
  if (angles) {
    section.angles_given = true;
    section.betain = Limited_angle(angles->inlet);
    section.betaout = Limited_angle(angles->outlet);
  }
  return section;
}

// The deck being built in its frame (the hub section's nose at x = 0, angle 0).
struct Row_deck {
  double x0 = 0, theta0 = 0;
  Deck_block block;
  Control_values values;
  Deck_section hub, casing;
  std::vector<const Profile_section*> section_profiles;  // the profile of each of the block's sections
};

// The hub and casing sections on their curves, the casing placed by sweep and
// lean, the planes, and the sections between, each on its own streamsurface;
// a refusal when a section cannot be placed.
std::optional<Deck_build> Lay_out_row(const Row_files& files, const Wall_curves& file_curves, const Wall_curves& curves,
                                      const Profile_places& where, Wall_sections& walls, Row_deck& row) {
  Control_values& values = row.values;
  const std::vector<Profile_section>& profiles = files.profiles;
  try {
    values.rhub = curves.hub.Radius(0.0);
    const Conformal_map hub_map(curves.hub, values.rhub, 0.0);
    row.hub.contour = walls.hub.plane.contour;
    values.staghub = walls.hub.plane.stagger;
    values.chordhub = walls.hub.plane.chord;

    // The casing nose (in the deck's frame), then the deck's sweep and lean put it there.
    const Profile_section& top = profiles.back();
    if (!walls.last_away) walls.casing = Place_on(top, file_curves.casing, where(top));
    Set_casing_records(walls.casing, row.x0, row.theta0, curves.casing, values, row.casing);

    Set_planes(files, file_curves, hub_map, row.x0, values, row.block);

    // The sections between, each on its own streamsurface.
    for (size_t n = walls.first_away ? 0 : 1; n + (walls.last_away ? 0 : 1) < profiles.size(); ++n) {
      const Profile_section& profile = profiles[n];
      row.block.sections.push_back(Streamsurface_section(profile, curves, row.x0, row.theta0, values, where(profile)));
      row.section_profiles.push_back(&profile);
    }
  } catch (const Input_error& e) {
    return Refused(kExitInput, {e.what()});
  }
  return std::nullopt;
}

// Grid angles: each wall section's metal angles for the block's stations,
// records 9 and 10 their mean at hub and casing.
void Set_grid_angles(Row_deck& row) {
  Control_values& values = row.values;
  const auto at_hub = Section_metal_angles(values, Surface::hub, row.hub.contour);
  const auto at_casing = Section_metal_angles(values, Surface::casing, row.casing.contour);
  if (at_hub && at_casing) {
    row.block.angles = Station_angles{0, Limited_angle(at_hub->inlet), Limited_angle(at_hub->outlet),
                                      Limited_angle(at_casing->inlet), Limited_angle(at_casing->outlet)};
    values.betain = Limited_angle((at_hub->inlet + at_casing->inlet) / 2.0);
    values.betaout = Limited_angle((at_hub->outlet + at_casing->outlet) / 2.0);
  }
}

// The defaults for what the settings left, any refinement, then the refusal
// of the values or the wall sections, if any.
std::optional<Deck_build> Complete_values(const std::set<std::string>& given, Deck_choices& choices,
                                          Value_sources& sources, Row_deck& row, std::vector<std::string>& warnings) {
  Control_values& values = row.values;
  Apply_geometry_defaults(values, given, row.hub, row.casing, choices, sources);
  if (const auto missing = Missing_choice(choices)) return Refused(kExitUsage, {*missing});
  if (row.block.tip_gap) {
    if (auto problem = Apply_tip_layer(values, given, choices, *row.block.tip_gap, sources, warnings)) {
      return Refused(kExitProblems, {*problem});
    }
  }
  if (choices.refine || choices.levels) {
    if (auto problems = Value_problems(values, Limits_of(choices)); !problems.empty())
      return Refused(kExitProblems, std::move(problems));
    if (auto problem = Refine(values, choices, sources)) return Refused(kExitProblems, {*problem});
  }
  if (auto problems = Value_problems(values, Limits_of(choices)); !problems.empty())
    return Refused(kExitProblems, std::move(problems));
  std::vector<std::string> problems = Section_problems(values, Surface::hub, row.hub);
  for (std::string& problem : Section_problems(values, Surface::casing, row.casing)) {
    problems.push_back(std::move(problem));
  }
  if (!problems.empty()) return Refused(kExitProblems, std::move(problems));
  return std::nullopt;
}

// The deck's comment lines on the files it came from and its wall sections.
std::string Source_notes(const Row_request& request, const Row_files& files, const std::string& profile_name,
                         const Wall_sections& walls, const Row_deck& row) {
  const std::vector<Profile_section>& profiles = files.profiles;
  std::string notes = "# the curve files: " + profile_name + " (" + std::to_string(profiles.size()) + " sections), " +
                      Printable(request.hub_curve) + ", " + Printable(request.casing_curve) +
                      (request.info.empty() ? "" : ", " + Printable(request.info)) + "; unit " + Number(files.unit) +
                      " m\n";
  notes += "# hub section " + Number(profiles.front().percent) + "%, casing section " +
           Number(profiles.back().percent) + "%; chords nose to trailing edge: hub " +
           Number(walls.hub.plane.true_chord) + ", casing " +
           Number(row.casing.contour.points.empty() ? 0 : row.values.chordcas) +
           "; the nose of each round leading edge is the reference point\n";
  if (!files.info.tip_clearance.empty()) {
    notes += "# tip clearance in the info file: " + files.info.tip_clearance +
             (row.block.tip_gap ? " (meshed: the block's tip-gap)\n" : " (the grid runs the blade to the casing)\n");
  }
  if (row.block.rpm) {
    notes += "# rotor speed " + Rotor_speed_text(*row.block.rpm) + " rpm, from " +
             (request.rpm.text.empty() ? "the info file's RPM" : Printable(request.rpm.origin)) +
             " (the block's rpm; torvane-inspect's RANS case takes it)\n";
  }
  return notes;
}

// The deck lines that open the block's section entries.
std::vector<int> Section_entry_lines(const std::string& deck) {
  std::vector<int> entry_lines;
  int number = 0;
  for (size_t at = 0; at < deck.size(); at = deck.find('\n', at) + 1) {
    ++number;
    if (deck.compare(at, 8, "section ") == 0 || deck.compare(at, 8, "section\n") == 0) entry_lines.push_back(number);
    if (deck.find('\n', at) == std::string::npos) break;
  }
  return entry_lines;
}

// A problem of a section names the profile it came from besides its deck line.
void Name_section_profiles(const std::string& deck, const std::vector<const Profile_section*>& section_profiles,
                           const Profile_places& where, std::vector<std::string>& problems) {
  const std::vector<int> entry_lines = Section_entry_lines(deck);
  for (std::string& problem : problems) {
    const size_t at = problem.find("deck line ");
    if (at == std::string::npos || problem.find(" (section)", at) == std::string::npos) continue;
    const int line = std::atoi(problem.c_str() + at + 10);
    size_t n = 0;
    while (n + 1 < entry_lines.size() && entry_lines[n + 1] <= line) ++n;
    if (n < section_profiles.size() && !entry_lines.empty() && entry_lines[0] <= line) {
      problem +=
          " (the section of " + where(*section_profiles[n]) + ", at " + Number(section_profiles[n]->percent) + "%)";
    }
  }
}

}  // namespace

// The info file's `Tip clearance` ("0.2% of span (~0.13mm)", "0.61 mm",
// "0.0005") as torvane's tip gap: a share of the span as it is, a length with
// a unit (m cm mm in ft) in metres, a bare number in the files' unit.
Setting Info_tip_gap(const std::string& clearance, double unit, const std::string& where) {
  std::istringstream words(clearance);
  std::string first, second;
  words >> first >> second;
  Setting setting{"tip-gap", first, where + " (Tip clearance)"};
  if (first.ends_with('%')) return setting;
  size_t digits = 0;
  while (digits < first.size() && (std::isdigit(static_cast<unsigned char>(first[digits])) != 0 ||
                                   first[digits] == '.' || first[digits] == 'e' || first[digits] == '-')) {
    ++digits;
  }
  const std::string suffix = digits < first.size() ? first.substr(digits) : second;
  double value = 0;
  if (!Parse_real(first.substr(0, digits), value)) return setting;
  const std::optional<double> metres = suffix.empty() ? std::optional<double>(unit) : Unit_length(suffix);
  if (!metres) return setting;
  setting.text = Real_text(value * *metres);
  return setting;
}

Deck_build Build_row_deck(const Row_request& request) {
  Row_files files;
  if (auto refused = Read_row_files(request, files)) return *refused;
  std::vector<Profile_section>& profiles = files.profiles;
  std::stable_sort(profiles.begin(), profiles.end(),
                   [](const Profile_section& a, const Profile_section& b) { return a.percent < b.percent; });
  if (auto refused = Take_plane_options(request, files)) return *refused;

  // The frame: the hub section's nose at x = 0, angle 0, as the deck's hub section lies.
  const Profile_places where{Printable(request.profile)};
  const Meridional_curve hub_file(Deck_curve(files.hub_points, 0).x, Deck_curve(files.hub_points, 0).r);
  const Meridional_curve casing_file(Deck_curve(files.casing_points, 0).x, Deck_curve(files.casing_points, 0).r);
  const Wall_curves file_curves{hub_file, casing_file};
  if (auto refused = Check_sections_within_curves(files, file_curves, where)) return *refused;
  Wall_sections walls;
  if (auto refused = Place_wall_sections(profiles, file_curves, where, walls)) return *refused;
  Row_deck row;
  row.x0 = walls.hub.x;
  row.theta0 = walls.hub.theta;
  Deck_block& block = row.block;
  block.flow_path =
      Flow_path_file{"deck", 0, Deck_curve(files.hub_points, row.x0), Deck_curve(files.casing_points, row.x0)};
  const Meridional_curve hub_curve(block.flow_path->hub.x, block.flow_path->hub.r);
  const Meridional_curve casing_curve(block.flow_path->casing.x, block.flow_path->casing.r);
  block.frame = Grid_frame{0, row.x0, row.theta0 / kDegree};
  // The tip gap of --tip-gap, else of the info file's `Tip clearance`.
  const Setting gap_given = !request.tip_gap.text.empty() || files.info.tip_clearance.empty()
                                ? request.tip_gap
                                : Info_tip_gap(files.info.tip_clearance, files.unit, Printable(request.info));
  if (std::optional<Deck_build> refused = Read_tip_gap(gap_given, request.gap_cells, request.tip_pinch, block.tip_gap))
    return *refused;
  // The speed of --rpm, else of the info file's `RPM`.
  block.rpm = files.info.rpm;
  if (std::optional<Deck_build> refused = Read_rotor_speed(request.rpm, block.rpm)) return *refused;

  Control_values& values = row.values;
  values = Default_values();
  std::set<std::string> given{"lin", "lx", "betain", "betaout"};
  Deck_choices choices;
  if (files.info.blades) values.nbrow = *files.info.blades;
  if (auto refused = Apply_settings(request, values, given, choices)) return *refused;
  const std::string stem = std::filesystem::path(request.profile).stem().string();
  if (!given.count("title")) values.title = Printable(stem).substr(0, kTextLength);
  if (!given.count("fname")) values.fname = Printable(stem).substr(0, kTextLength);
  std::replace(values.fname.begin(), values.fname.end(), ' ', '_');

  row.hub = Deck_section{request.profile, "", {}, false};
  row.casing = Deck_section{request.profile, "", {}, false};
  if (auto refused = Lay_out_row(files, file_curves, {hub_curve, casing_curve}, where, walls, row)) return *refused;
  Set_grid_angles(row);

  Value_sources sources;
  std::vector<std::string> warnings;
  if (auto refused = Complete_values(given, choices, sources, row, warnings)) return *refused;

  std::string deck = Deck_text(values, row.hub, row.casing, {}, sources);
  deck += Source_notes(request, files, where.file, walls, row);
  block.large = choices.large && !Grid_fits_storage(values);
  block.smooth = choices.smooth;
  deck += Deck_block_text(block);
  if (auto run_problems = Dry_run_problems(deck, {}, choices.large, &warnings); !run_problems.empty()) {
    Name_section_profiles(deck, row.section_profiles, where, run_problems);
    return Refused(kExitProblems, std::move(run_problems));
  }
  return {kExitWritten, std::move(warnings), std::move(deck)};
}

}  // namespace torvane::deck
