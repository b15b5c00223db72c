#include "control/flow_path_file.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "base/run_stop.hpp"
#include "base/surface.hpp"
#include "base/text.hpp"
#include "control/control_input.hpp"

namespace torvane {

namespace {

// A radius read from the curve matches the deck's to this fraction of it.
constexpr double kReferenceRadiusTolerance = 1.0e-9;

std::string Number(double value, int digits = 6) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string Shortest(double value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

[[noreturn]] void Refuse(const Flow_path_file& file, int line, const std::string& why) {
  throw Run_stop{kExitRefused, Flow_path_place(file, line) + ": " + why};
}

std::string Quote(std::string_view item) {
  std::string text = "\"";
  for (char c : item.substr(0, 40)) text += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  return text + (item.size() > 40 ? "...\"" : "\"");
}

void Check_curve_length(const Flow_path_file& file, std::string_view which, const Curve_points& curve) {
  if (curve.x.size() < 2) {
    Refuse(file, curve.header_line,
           "the " + std::string(which) + " curve has " + std::to_string(curve.x.size()) +
               (curve.x.size() == 1 ? " point" : " points") + "; it needs at least two `x r` lines");
  }
}

// Two values with as many digits (6 to 17) as it takes to show them apart.
std::pair<std::string, std::string> Apart(double a, double b) {
  for (int digits = 6; digits < 17; ++digits) {
    if (Number(a, digits) != Number(b, digits)) return {Number(a, digits), Number(b, digits)};
  }
  return {Number(a, 17), Number(b, 17)};
}

// Refuses a curve whose points lie too close in x for its slopes to be
// finite numbers.
void Check_pieces(const Flow_path_file& file, std::string_view which, const Curve_points& points) {
  const Meridional_curve curve(points.x, points.r);
  const std::size_t p = curve.First_unsound_piece();
  if (p == curve.pieces()) return;
  Refuse(file, points.lines[p + 1],
         "the " + std::string(which) + " curve's slope from x = " + Shortest(points.x[p]) + " (line " +
             std::to_string(points.lines[p]) + ") to x = " + Shortest(points.x[p + 1]) +
             " is not a finite number: the points lie too close in x for the change of radius between them; move "
             "them apart or correct the radius");
}

// Refuses a map whose integral does not settle out to an end of its curve:
// the first piece outwards from the section's reference point that fails.
void Check_settled(const Flow_path_file& file, const std::string& name, const Curve_points& points,
                   const Meridional_curve& curve, const Conformal_map& map, double x_ref) {
  const std::size_t p_ref = curve.Piece_at(x_ref);
  std::size_t p = curve.pieces();
  for (std::size_t k = p_ref + 1; k-- > 0 && p == curve.pieces();) {
    if (std::isnan(map.xi_knot(k))) p = k;
  }
  for (std::size_t k = p_ref + 1; k < curve.size() && p == curve.pieces(); ++k) {
    if (std::isnan(map.xi_knot(k))) p = k - 1;
  }
  if (p == curve.pieces()) return;
  const std::size_t low = points.r[p] <= points.r[p + 1] ? p : p + 1;
  // A radius this small beside the other end's makes 1/r nearly singular at that end.
  const bool near_axis = points.r[low] < 1e-6 * std::max(points.r[p], points.r[p + 1]);
  Refuse(file, points.lines[low],
         "the mapping of the " + name + " curve cannot be computed between x = " + Number(points.x[p]) + " and " +
             Number(points.x[p + 1]) + " (lines " + std::to_string(points.lines[p]) + " and " +
             std::to_string(points.lines[p + 1]) + "): its integral of sqrt(1 + r'^2) / r does not settle there" +
             (near_axis
                  ? " (r = " + Number(points.r[low]) + " is too small beside r = " + Number(points.r[p + p + 1 - low]) +
                        " at the piece's other end for it to resolve); start or end the curve where the "
                        "radius is larger"
                  : " (the values are too large for a double); bring the points nearer"));
}

// The line of the point that starts the piece holding x.
int Line_at(const Curve_points& points, const Meridional_curve& curve, double x) {
  return points.lines[curve.Piece_at(x)];
}

// A surface's curve with its name and points, as the checks below name it in refusals.
struct Surface_curve {
  const Flow_path_file& file;
  const Curve_points& points;
  const Meridional_curve& curve;
  const std::string& name;
};

// The curve reaches the section's reference point at x_ref.
void Check_reaches_reference(const Surface_curve& s, double x_ref) {
  const Meridional_curve& curve = s.curve;
  if (x_ref < curve.x_first() || x_ref > curve.x_last()) {
    const bool before = x_ref < curve.x_first();
    Refuse(s.file, before ? s.points.lines.front() : s.points.lines.back(),
           "the " + s.name + " curve " + (before ? "starts" : "ends") +
               " at x = " + Number(before ? curve.x_first() : curve.x_last()) + "; it must reach the " + s.name +
               " section's reference point at x = " + Number(x_ref));
  }
}

// The curve's radius at x_ref is the deck's, with the value the deck should give otherwise.
void Check_reference_radius(const Surface_curve& s, Surface surface, double radius, double x_ref, double should_be) {
  const std::string record = surface == Surface::hub ? "rhub (record 17)" : "rcas (record 18)";
  const double at_ref = s.curve.Radius(x_ref);
  if (!(std::fabs(at_ref - radius) <= kReferenceRadiusTolerance * radius)) {
    Refuse(s.file, Line_at(s.points, s.curve, x_ref),
           "the " + s.name + " curve has radius " + Number(at_ref, 12) + " at the " + s.name +
               " section's reference point (x = " + Number(x_ref) + ") but the deck's " + record + " is " +
               Number(radius, 12) + "; give the deck " + record.substr(0, 4) + " = " + Number(should_be, 12) +
               " or move the curve");
  }
}

// The curve spans the axial planes of the block.
void Check_covers_planes(const Surface_curve& s, const Plane_extent& planes) {
  const Meridional_curve& curve = s.curve;
  if (planes.inlet < curve.x_first() || planes.outlet > curve.x_last()) {
    const bool before = planes.inlet < curve.x_first();
    Refuse(s.file, before ? s.points.lines.front() : s.points.lines.back(),
           "the " + s.name + " curve " + (before ? "starts" : "ends") +
               " at x = " + Number(before ? curve.x_first() : curve.x_last()) + ", " +
               (before ? "downstream" : "upstream") + " of the " + (before ? "inlet" : "outlet") +
               " plane at x = " + Number(before ? planes.inlet : planes.outlet) + "; extend the curve");
  }
}

// The mapped curve spans the grid's extent in the surface's plane.
void Check_covers_extent(const Surface_curve& s, const Conformal_map& map, const Plane_extent& extent) {
  const std::string& name = s.name;
  if (extent.inlet < map.xi_first()) {
    const auto [first, inlet] = Apart(map.xi_first(), extent.inlet);
    Refuse(s.file, s.points.lines.front(),
           "the " + name + " curve starts at x = " + Number(s.curve.x_first()) + " (xi = " + first + " in the " + name +
               " plane), downstream of the " + name + " grid's inlet at xi = " + inlet +
               "; extend the curve upstream or shorten lin");
  }
  if (extent.outlet > map.xi_last()) {
    const auto [last, outlet] = Apart(map.xi_last(), extent.outlet);
    Refuse(s.file, s.points.lines.back(),
           "the " + name + " curve ends at x = " + Number(s.curve.x_last()) + " (xi = " + last + " in the " + name +
               " plane), upstream of the " + name + " grid's outlet at xi = " + outlet +
               "; extend the curve downstream or shorten lx");
  }
}

// The map of one surface, refused when the curve misses the section's
// reference point or its radius there, or does not cover the plane's extent.
Conformal_map Surface_map(const Flow_path_file& file, Surface surface, const Curve_points& points, double radius,
                          double x_ref, double should_be, const Plane_extent& extent,
                          const std::optional<Plane_extent>& planes) {
  const Meridional_curve curve(points.x, points.r);
  const std::string name(Surface_name(surface));
  const Surface_curve checked{file, points, curve, name};
  Check_reaches_reference(checked, x_ref);
  Check_reference_radius(checked, surface, radius, x_ref, should_be);
  Conformal_map map(curve, radius, x_ref);
  Check_settled(file, name, points, curve, map, x_ref);
  if (planes) {
    Check_covers_planes(checked, *planes);
    return map;
  }
  Check_covers_extent(checked, map, extent);
  return map;
}

// Coefficients in u = x - a of a piece's cubic: c[0] + u (c[1] + u (c[2] + u c[3])).
void Cubic_about(const Curve_piece& piece, double a, double c[4]) {
  const double s = a - piece.x0;
  c[0] = piece.Radius(a);
  c[1] = piece.c1 + s * (2.0 * piece.c2 + 3.0 * piece.c3 * s);
  c[2] = piece.c2 + 3.0 * piece.c3 * s;
  c[3] = piece.c3;
}

// Where in [a, b] the casing radius less the hub radius is smallest: the
// ends of every stretch between the points of both curves and the inner
// extrema of the difference on it (a cubic there).
double Closest_approach(const Meridional_curve& hub, const Meridional_curve& casing, double a, double b) {
  std::vector<double> cuts{a, b};
  for (const Meridional_curve* curve : {&hub, &casing}) {
    for (std::size_t n = 0; n < curve->size(); ++n) {
      if (a < curve->x(n) && curve->x(n) < b) cuts.push_back(curve->x(n));
    }
  }
  std::sort(cuts.begin(), cuts.end());
  auto gap = [&](double x) { return casing.Radius(x) - hub.Radius(x); };
  double closest = a;
  auto consider = [&](double x) {
    if (gap(x) < gap(closest)) closest = x;
  };
  for (std::size_t n = 0; n + 1 < cuts.size(); ++n) {
    const double lo = cuts[n];
    const double hi = cuts[n + 1];
    consider(hi);
    if (!(lo < hi)) continue;
    const double middle = 0.5 * (lo + hi);
    double h[4], c[4];
    Cubic_about(hub.piece(hub.Piece_at(middle)), lo, h);
    Cubic_about(casing.piece(casing.Piece_at(middle)), lo, c);
    // The difference's slope d1 + 2 d2 u + 3 d3 u^2 and its roots inside.
    const double d1 = c[1] - h[1];
    const double d2 = c[2] - h[2];
    const double d3 = c[3] - h[3];
    std::vector<double> roots;
    if (d3 == 0.0) {
      if (d2 != 0.0) roots.push_back(-d1 / (2.0 * d2));
    } else {
      const double discriminant = 4.0 * d2 * d2 - 12.0 * d3 * d1;
      if (discriminant >= 0.0) {
        const double root = std::sqrt(discriminant);
        roots.push_back((-2.0 * d2 + root) / (6.0 * d3));
        roots.push_back((-2.0 * d2 - root) / (6.0 * d3));
      }
    }
    for (double u : roots) {
      if (0.0 < u && lo + u < hi) consider(lo + u);
    }
  }
  return closest;
}

// A `hub` or `casing` line: the curve it begins, in the order the file must give them.
Curve_points& Begin_curve(Flow_path_file& file, int number, bool hub) {
  if (hub && file.hub.header_line != 0) Refuse(file, number, "a second `hub` line; the file holds one hub curve");
  if (!hub && file.casing.header_line != 0) {
    Refuse(file, number, "a second `casing` line; the file holds one casing curve");
  }
  if (hub && file.casing.header_line != 0) Refuse(file, number, "the hub curve must come before the casing curve");
  if (!hub && file.hub.header_line == 0) Refuse(file, number, "the hub curve must come before the casing curve");
  if (!hub) Check_curve_length(file, "hub", file.hub);
  return hub ? file.hub : file.casing;
}

// A point line `x r` of the current curve.
void Add_point(const Flow_path_file& file, int number, const std::vector<std::string_view>& items,
               Curve_points& current) {
  double values[2] = {0.0, 0.0};
  for (size_t n = 0; n < items.size() && n < 2; ++n) {
    if (!Parse_real(items[n], values[n])) {
      Refuse(file, number, Quote(items[n]) + " is not a number; a point is a line `x r`");
    }
  }
  if (items.size() != 2) {
    Refuse(file, number, "a point is a line `x r` of two numbers, found " + std::to_string(items.size()) + " items");
  }
  const std::string which = &current == &file.hub ? "hub" : "casing";
  if (!(values[1] > 0.0)) {
    Refuse(file, number, "r = " + Number(values[1]) + " on the " + which + " curve; a radius must be positive");
  }
  if (!current.x.empty() && !(values[0] > current.x.back())) {
    // The shortest text of each that reads back to it, so that two close values show apart.
    Refuse(file, number,
           "x = " + Shortest(values[0]) + " does not increase from x = " + Shortest(current.x.back()) + " on line " +
               std::to_string(current.lines.back()) + "; x must increase strictly along a curve");
  }
  current.x.push_back(values[0]);
  current.r.push_back(values[1]);
  current.lines.push_back(number);
}

// The parse of a file's text or of the block's entry, whose lines are counted from first_line.
Flow_path_file Parse_curves(Flow_path_file result, std::string_view text, int first_line) {
  const Flow_path_file& file = result;
  Curve_points* current = nullptr;
  int number = first_line - 1;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    line = line.substr(0, std::min(line.find('#'), line.size()));
    const std::vector<std::string_view> items = Split_items(line);
    if (items.empty()) continue;
    if (items.size() == 1 && (items[0] == "hub" || items[0] == "casing")) {
      current = &Begin_curve(result, number, items[0] == "hub");
      current->header_line = number;
      continue;
    }
    if (current == nullptr) {
      Refuse(file, number, "expected the line `hub` before the points, found " + Quote(items[0]));
    }
    Add_point(file, number, items, *current);
  }
  if (result.hub.header_line == 0) Refuse(file, 0, "no `hub` line; the file gives a hub curve, then a casing curve");
  if (result.casing.header_line == 0) {
    Check_curve_length(file, "hub", result.hub);
    Refuse(file, 0, "no `casing` line after the hub curve; the file gives a hub curve, then a casing curve");
  }
  Check_curve_length(file, "casing", result.casing);
  Check_pieces(file, "hub", result.hub);
  Check_pieces(file, "casing", result.casing);
  return result;
}

}  // namespace

std::string Flow_path_place(const Flow_path_file& file, int line) {
  if (file.entry_line > 0) {
    std::string where = "deck line ";
    where.append(std::to_string(line > 0 ? line : file.entry_line)).append(" (flow-path)");
    return where;
  }
  std::string where = file.name;
  if (line > 0) where.append(":").append(std::to_string(line));
  return where;
}

Flow_path_file Parse_flow_path(std::string_view name, std::string_view text) {
  return Parse_curves(Flow_path_file{std::string(name), 0, {}, {}}, text, 1);
}

Flow_path_file Parse_flow_path_entry(std::string_view text, int entry_line) {
  return Parse_curves(Flow_path_file{"deck", entry_line, {}, {}}, text, entry_line + 1);
}

Flow_path_file Read_flow_path_file(const std::string& path) {
  std::error_code ignored;
  const Flow_path_file named{path, 0, {}, {}};
  if (std::filesystem::is_directory(path, ignored)) Refuse(named, 0, "a folder, not a flow-path file");
  std::ifstream in(path, std::ios::binary);
  if (!in) Refuse(named, 0, std::string("the flow-path file cannot be read (") + std::strerror(errno) + ")");
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxFlowPathBytes) {
      Refuse(named, 0, "the flow-path file is larger than " + std::to_string(kMaxFlowPathBytes) + " bytes");
    }
  }
  if (in.bad()) Refuse(named, 0, "the flow-path file cannot be read to its end");
  return Parse_flow_path(path, text);
}

Surface_maps Check_flow_path(const Flow_path_file& file, const Flow_path_demands& d) {
  const Meridional_curve casing_curve(file.casing.x, file.casing.r);
  const double rcas_wanted = Casing_reference_radius(casing_curve, d.rhub, d.tan_sweep);
  const double rhub_wanted = Meridional_curve(file.hub.x, file.hub.r).Radius(0.0);
  Surface_maps maps{
      Surface_map(file, Surface::hub, file.hub, d.rhub, 0.0, rhub_wanted, d.hub, d.axial_planes),
      Surface_map(file, Surface::casing, file.casing, d.rcas, d.xrefcas, rcas_wanted, d.casing, d.axial_planes)};

  // Over the axial range of both surfaces the hub stays below the casing.
  const Meridional_curve& hub = maps.hub.curve();
  const Meridional_curve& casing = maps.casing.curve();
  const double inlet =
      d.axial_planes ? d.axial_planes->inlet : std::min(maps.hub.Axial(d.hub.inlet), maps.casing.Axial(d.casing.inlet));
  const double outlet = d.axial_planes ? d.axial_planes->outlet
                                       : std::max(maps.hub.Axial(d.hub.outlet), maps.casing.Axial(d.casing.outlet));
  const double a = std::max({inlet, hub.x_first(), casing.x_first()});
  const double b = std::min({outlet, hub.x_last(), casing.x_last()});
  if (a <= b) {
    const double x = Closest_approach(hub, casing, a, b);
    if (!(hub.Radius(x) < casing.Radius(x))) {
      Refuse(file, Line_at(file.hub, hub, x),
             "the hub radius " + Number(hub.Radius(x)) + " reaches the casing radius " + Number(casing.Radius(x)) +
                 " at x = " + Number(x) + " (casing curve near line " +
                 std::to_string(Line_at(file.casing, casing, x)) +
                 "); the hub must stay below the casing over the axial range of the grid, x = " + Number(a) + " to " +
                 Number(b));
    }
  }
  return maps;
}

}  // namespace torvane
