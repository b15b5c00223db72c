#include "deck/deck_checks.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <tuple>

#include "base/storage_limits.hpp"
#include "control/build_stop.hpp"
#include "control/control_check.hpp"
#include "control/run.hpp"
#include "deck/deck_records.hpp"
#include "deck/text_files.hpp"
#include "distribution/stretch.hpp"
#include "geometry/bezier.hpp"
#include "geometry/edge_search.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

std::string Size_problem(const char* size, std::int64_t value, int limit, const char* formula, const char* options) {
  return std::string("too many grid points: ") + size + " = " + formula + " = " + std::to_string(value) + " exceeds " +
         std::to_string(limit) + "; lower " + options;
}

// How far, as a share of the chord, the edge the search finds may lie from
// the contour's own leading or trailing edge.
constexpr double kEdgeReach = 0.05;

// A length in a message: six significant digits.
std::string Length_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100 * share);
  return text;
}

// How far a blade side may turn back in x, as a share of the section's
// smallest edge spacing: below it no two blade points can change places.
constexpr double kTurnBackShare = 0.1;

// The deepest dip of x against the sense of a side (sense 1: x should grow
// along the samples, -1: fall) and the sample where it is deepest.
struct Turn_back {
  double depth = 0;
  int sample = 0;
};

Turn_back Largest_turn_back(const std::vector<double>& x, const std::vector<int>& samples, double sense) {
  Turn_back turn;
  double reached = sense * x[static_cast<size_t>(samples.front())];
  for (int i : samples) {
    const double along = sense * x[static_cast<size_t>(i)];
    reached = std::max(reached, along);
    if (reached - along > turn.depth) turn = {reached - along, i};
  }
  return turn;
}

// How far the length stretched grid lines cover may miss the length asked
// for, as a share of it.
constexpr double kStretchMismatch = 1e-3;

// The 1-based contour point nearest to curve parameter t.
long Point_near(double t, int nseg) { return std::lround(t * nseg) + 1; }

// Streams torvane's console text line by line.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The contour's points as (x, y) pairs.
std::vector<double> Pairs(const Section_contour& contour) {
  std::vector<double> xy;
  xy.reserve(2 * contour.points.size());
  for (const Point& p : contour.points) {
    xy.push_back(p.x);
    xy.push_back(p.y);
  }
  return xy;
}

// A warning of the dry run: its text (the WARNING line and the line after
// it, if any), the part of the grid and the options that govern that part.
std::string Warning_problem(Build_part part, const Diagnostic& event, const std::vector<std::string>& lines) {
  std::string text;
  for (size_t n = 0; n < lines.size(); ++n) {
    if (!lines[n].starts_with("WARNING")) continue;
    text = lines[n];
    if (n + 1 < lines.size() && !lines[n + 1].empty()) text += lines[n + 1];
    break;
  }
  const bool hub = part == Build_part::hub_surface;
  const std::string where = part == Build_part::volume ? "the volume grid"
                            : hub                      ? "the hub surface"
                                                       : "the casing surface";
  std::string options_to_change;
  if (std::holds_alternative<Inversion_not_converged>(event)) {
    options_to_change = hub ? "--staghub or the hub section" : "--stagcas or the casing section";
  } else if (part == Build_part::volume) {
    options_to_change = "--dzwall, --nwallhc, --ratio or --nspan";
  } else {
    options_to_change =
        "--dsle, --dste, --lin, --lx, --nin, --nout, --dywle, --dywte, --nwall, --ratio, "
        "--dyout or --npitch";
  }
  return "torvane would warn while building " + where + ": \"" + text + "\"; change " + options_to_change;
}

}  // namespace

std::vector<std::string> Value_problems(const Control_values& values) {
  std::vector<std::string> problems;
  const std::int64_t ie = std::int64_t{values.nin} + values.nblade / 2 + values.nout + 1;
  const std::int64_t je = std::int64_t{values.npitch} + 1;
  const std::int64_t ke = std::int64_t{values.nspan} + 1;
  if (ie > kMaxIe) {
    problems.push_back(Size_problem("ie", ie, kMaxIe, "nin + nblade/2 + nout + 1", "--nin, --nblade or --nout"));
  }
  if (je > kMaxJe) problems.push_back(Size_problem("je", je, kMaxJe, "npitch + 1", "--npitch"));
  if (ke > kMaxKe) problems.push_back(Size_problem("ke", ke, kMaxKe, "nspan + 1", "--nspan"));
  if (!problems.empty()) return problems;
  if (const auto refusal = Refused_value(values)) problems.push_back("--" + refusal->name + ": " + refusal->reason);
  return problems;
}

namespace {

// One section placed as torvane places it, approximated and searched for its
// edges, with how the messages name it.
struct Placed_section {
  Surface_description description;
  const Section_contour& contour;
  std::vector<double> xy;   // the placed contour points, (x, y) pairs
  std::vector<double> bez;  // its Bezier control points
  int nseg = 0;
  Edge_parameters edges{};
  std::string where;   // "hub section (FILE, staghub 30)"
  std::string change;  // "; change --staghub or the section"
  Edge_order order;    // how the two sides lie between the edges

  // The placed contour point n (1-based).
  Point point(int n) const { return {xy[2 * static_cast<size_t>(n - 1)], xy[2 * static_cast<size_t>(n - 1) + 1]}; }
  // The curve point at parameter t.
  Point curve(double t) const {
    Point p{};
    Bezier_point(bez, nseg, t, p.x, p.y);
    return p;
  }
};

// More points than a deck holds, or a list torvane refuses.
std::optional<std::string> List_problem(Surface surface, const Deck_section& section, const std::string& where) {
  const Section_contour& contour = section.contour;
  const int npts = static_cast<int>(contour.points.size());
  if (npts > kMaxContourPoints) {
    return where + ": " + std::to_string(npts) + " points; a deck holds at most " + std::to_string(kMaxContourPoints) +
           ": resample it with --points N (N at most " + std::to_string(kMaxContourPoints) + ")";
  }
  std::vector<double> xy = Pairs(contour);
  const Contour_points list{surface == Surface::hub ? 34 : 35 + npts, npts, contour.iref, xy};
  if (const auto refusal = Refused_contour(surface, list)) return where + ": " + refusal->reason;
  return std::nullopt;
}

// The first two blade intervals at each edge cover 2.1 times the edge
// spacing; both pairs must fit between the edges.
std::optional<std::string> Edge_pairs_problem(const Placed_section& p) {
  const Point le = p.curve(p.edges.t_le);
  const Point te = p.curve(p.edges.t_te);
  const Section_spacings& spacing = p.description.spacings;
  const double edge_pairs = 2.1 * spacing.dsle + 2.1 * spacing.dste;
  if (edge_pairs < te.x - le.x) return std::nullopt;
  return p.where + ": the first two blade intervals at both edges, 2.1 x (dsle + dste) = " + Length_text(edge_pairs) +
         ", do not fit the blade's axial length " + Length_text(te.x - le.x) + "; lower --dsle and --dste";
}

// The grid lines torvane lays out by stretching must reach their lengths:
// its iteration, started from a ratio of 2, can settle on another root (1
// where a large ratio is wanted) without a word.
std::vector<std::string> Stretch_problems(const Placed_section& p, const Control_values& values) {
  std::vector<std::string> problems;
  const bool hub = p.description.surface == Surface::hub;
  const std::string surface(Surface_name(p.description.surface));
  Diagnostic_log quiet;  // the dry run reports the stretching's own warnings
  auto stretched = [&](const char* lines, double first, double length, int n, const char* options) {
    if (n <= 0) return 0.0;
    const double ratio = Stretch(first, length, n, quiet);
    const double reach = Geometric_length(first, n, ratio);
    if (!(std::fabs(reach - length) <= kStretchMismatch * std::fabs(length))) {
      problems.push_back(surface + " surface: the " + lines + " would cover " + Length_text(reach) + " instead of " +
                         Length_text(length) + ": torvane's stretching of " + std::to_string(n) +
                         " intervals from a first one of " + Length_text(first) + " settles on a growth ratio of " +
                         Length_text(ratio) + "; change " + options);
    }
    return reach;
  };
  const Section_spacings& spacing = p.description.spacings;
  const Section_geometry& geometry = p.description.geometry;
  // The casing section's lengths also depend on its axial shift by the sweep.
  const double upstream = stretched("upstream lines", spacing.dsle, values.lin + geometry.xref, values.nin,
                                    hub ? "--nin, --dsle or --lin" : "--nin, --dsle, --lin or --sweep");
  const double x_inlet = p.curve(p.edges.t_le).x - upstream;
  stretched("downstream lines", spacing.dste, values.lx - std::fabs(p.curve(p.edges.t_te).x - x_inlet), values.nout,
            hub ? "--nout, --dste or --lx" : "--nout, --dste, --lx or --sweep");
  const double pitch = geometry.dphi * geometry.radius;
  stretched("outlet line's half pitch", values.dyout, pitch / 2.0, values.npitch / 2, "--npitch or --dyout");
  return problems;
}

// The edges the search finds must lie near the contour's own: the
// leading-edge point, and the trailing-edge point (or the two corners of a
// trailing edge closed at its midpoint). A staggered round nose has its
// smallest x a little off the leading-edge point; that is where the grid's
// leading-edge line belongs.
std::vector<std::string> Edge_location_problems(const Placed_section& p) {
  std::vector<std::string> problems;
  auto share_of_chord = [&](double t, int n) {
    const Point found = p.curve(t);
    const Point edge = p.point(n);
    return std::hypot(found.x - edge.x, found.y - edge.y) / p.description.geometry.chord;
  };
  const Section_contour& contour = p.contour;
  const double le_off = share_of_chord(p.edges.t_le, contour.iref);
  if (le_off > kEdgeReach) {
    problems.push_back(p.where + ": the smallest x of the placed contour is near point " +
                       std::to_string(Point_near(p.edges.t_le, p.nseg)) + ", " + Percent(le_off) +
                       " of the chord from the leading edge (point " + std::to_string(contour.iref) +
                       "), so torvane's edge search would put the leading edge there" + p.change);
  }
  double te_off = share_of_chord(p.edges.t_te, 1);
  if (contour.corner_first > 0) {
    te_off = std::min({te_off, share_of_chord(p.edges.t_te, contour.corner_first),
                       share_of_chord(p.edges.t_te, contour.corner_last)});
  }
  if (te_off > kEdgeReach) {
    problems.push_back(p.where + ": the largest x of the placed contour is near point " +
                       std::to_string(Point_near(p.edges.t_te, p.nseg)) + ", " + Percent(te_off) +
                       " of the chord from the trailing edge (point 1), so torvane's edge search would put the "
                       "trailing edge there" +
                       p.change);
  }
  return problems;
}

// Each side runs monotonically in x between the edges, as torvane's blade
// points are searched on it: the +y side from the leading to the trailing
// edge, the -y side from the trailing edge over the curve's end and start
// (the same point of a closed contour) back to the leading edge.
std::vector<std::string> Side_problems(const Placed_section& p) {
  std::vector<double> x(kEdgeSamples + 1);
  x[0] = p.curve(0.0).x;
  for (int i = 1; i <= kEdgeSamples; ++i) x[static_cast<size_t>(i)] = p.curve(Edge_sample(i)).x;
  const int i_le = static_cast<int>(std::lround(p.edges.t_le * kEdgeSamples));
  const int i_te = static_cast<int>(std::lround(p.edges.t_te * kEdgeSamples));
  std::vector<int> plus_side, minus_side;
  if (p.order == Edge_order::trailing_first) {
    // The trailing edge a little past the start: the +y side goes over the curve's end and start.
    for (int i = i_le; i <= kEdgeSamples; ++i) plus_side.push_back(i);
    for (int i = 1; i <= i_te; ++i) plus_side.push_back(i);
    for (int i = i_te; i <= i_le; ++i) minus_side.push_back(i);
  } else {
    for (int i = i_le; i <= i_te; ++i) plus_side.push_back(i);
    for (int i = i_te; i <= kEdgeSamples; ++i) minus_side.push_back(i);
    for (int i = 1; i <= i_le; ++i) minus_side.push_back(i);
  }
  const Section_spacings& spacing = p.description.spacings;
  const double allowed = kTurnBackShare * std::min(spacing.dsle, spacing.dste);
  std::vector<std::string> problems;
  for (const auto& [side, samples, sense] : {std::tuple{"+y", &plus_side, 1.0}, std::tuple{"-y", &minus_side, -1.0}}) {
    const Turn_back turn = Largest_turn_back(x, *samples, sense);
    if (turn.depth > allowed) {
      problems.push_back(p.where + ": the " + side + " side turns back in x by " + Length_text(turn.depth) +
                         " near point " +
                         std::to_string(Point_near(static_cast<double>(turn.sample) / kEdgeSamples, p.nseg)) +
                         " (more than a tenth of the smallest edge spacing, " + Length_text(allowed * 10) +
                         "), so torvane's blade points there would be ambiguous" + p.change);
    }
  }
  return problems;
}

// Appends the problems to the list; true when there were any.
bool Add(std::vector<std::string>& problems, std::vector<std::string> more) {
  for (std::string& problem : more) problems.push_back(std::move(problem));
  return !problems.empty();
}

// The options of the records torvane's message names as "record N (name)"
// or "records N (name), M (name)", in the order named: "--a, --b or --c";
// only those of the likely cause when the message tells one.
std::string Options_named(const std::string& message) {
  std::vector<std::string> names;
  const size_t likely = message.find("likely cause lies in ");
  for (size_t left = message.find(" (", likely == std::string::npos ? 0 : likely); left != std::string::npos;
       left = message.find(" (", left + 1)) {
    const size_t right = message.find(')', left);
    if (right == std::string::npos) break;
    if (left == 0 || message[left - 1] < '0' || message[left - 1] > '9') continue;
    const std::string name = message.substr(left + 2, right - left - 2);
    if (Find_record(name) == nullptr) continue;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  std::string text;
  for (size_t n = 0; n < names.size(); ++n) {
    if (n > 0) text += n + 1 == names.size() ? " or " : ", ";
    text += "--" + names[n];
  }
  return text;
}

}  // namespace

std::vector<std::string> Section_problems(const Control_values& values, Surface surface, const Deck_section& section) {
  const bool hub = surface == Surface::hub;
  const std::string stagger_name = hub ? "staghub" : "stagcas";
  const std::string stagger_text = " (" + Printable(section.file) + ", " + stagger_name + " " +
                                   Real_text(hub ? values.staghub : values.stagcas) + ")";
  const std::string where = std::string(Surface_name(surface)) + " section" + stagger_text;
  if (auto problem = List_problem(surface, section, where)) return {*problem};

  // Placed as torvane places it, from the same description of the surface.
  Placed_section p{Describe_surface(surface, values),
                   section.contour,
                   Pairs(section.contour),
                   {},
                   0,
                   {},
                   where,
                   // A resampled section may lose its shape at the edges when the points are few.
                   "; change --" + stagger_name + (section.resampled ? ", --points" : "") + " or the section",
                   Edge_order::refused};
  const int npts = static_cast<int>(p.contour.points.size());
  Place_contour(p.description.geometry, Contour_points{0, npts, p.contour.iref, p.xy});
  p.nseg = npts - 1;
  p.bez.resize(2 * static_cast<size_t>(3 * p.nseg + 1));
  Bezier_approx(p.xy, p.nseg, p.bez);
  p.edges = Find_edges(p.bez, p.nseg);
  p.order = Order_of_edges(p.bez, p.nseg, p.edges);
  if (p.order == Edge_order::refused) {
    return {Edge_order_message(surface, p.edges.t_le, p.edges.t_te) + stagger_text + p.change};
  }

  std::vector<std::string> problems;
  if (auto problem = Edge_pairs_problem(p)) return {*problem};
  if (Add(problems, Stretch_problems(p, values))) return problems;
  if (Add(problems, Edge_location_problems(p))) return problems;
  Add(problems, Side_problems(p));
  return problems;
}

std::vector<std::string> Dry_run_problems(const std::string& deck, const std::string& flow_path) {
  std::istringstream in(deck);
  Console out, err;
  Run_options options;
  options.write_files = false;
  options.flow_path = flow_path;
  std::vector<std::string> problems;
  std::string stopped_on;  // the console text of an event the run stops on
  options.on_event = [&](Build_part part, const Diagnostic& event) {
    if (std::holds_alternative<Contour_approximated>(event)) return;
    const std::vector<std::string> lines = Lines(Console_lines(event));
    if (std::holds_alternative<Inversion_outside_interval>(event)) {
      for (const std::string& line : lines) {
        if (line.starts_with("ERROR")) stopped_on = line;
      }
      return;
    }
    problems.push_back(Warning_problem(part, event, lines));
  };
  const int status = Run(in, out, err, options);
  if (status != kExitComplete) {
    std::string said;
    for (const std::string& line : Lines(err.captured())) said += line.starts_with("torvane: ") ? line.substr(9) : line;
    if (said.empty()) said = stopped_on;
    const std::string named = Options_named(said);
    if (!named.empty()) {
      said += "; change " + named;
      if (said.find("covers the blade") != std::string::npos) said += ", or the points of the section file";
    } else if (said.starts_with("ERROR (Bezier_x)")) {
      said +=
          "; a blade point falls outside its section's curve: lower --dsle and --dste, or change the "
          "stagger or the section";
    }
    problems.push_back("torvane would stop on this deck: " + said);
  }
  return problems;
}

}  // namespace torvane::deck
