#include "deck/deck_checks.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <tuple>

#include "control/control_check.hpp"
#include "control/run.hpp"
#include "deck/deck_records.hpp"
#include "deck/text_files.hpp"
#include "distribution/stretch.hpp"
#include "geometry/bezier.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/section_setup.hpp"

namespace torvane::deck {

namespace {

constexpr int kSamples = 5000;  // torvane's edge search samples the curve at i/5000

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

}  // namespace

std::vector<std::string> Value_problems(const Control_values& values) {
  std::vector<std::string> problems;
  const std::int64_t ie = std::int64_t{values.nin} + values.nblade / 2 + values.nout + 1;
  const std::int64_t je = std::int64_t{values.npitch} + 1;
  const std::int64_t ke = std::int64_t{values.nspan} + 1;
  if (ie > 257)
    problems.push_back(Size_problem("ie", ie, 257, "nin + nblade/2 + nout + 1", "--nin, --nblade or --nout"));
  if (je > 65) problems.push_back(Size_problem("je", je, 65, "npitch + 1", "--npitch"));
  if (ke > 49) problems.push_back(Size_problem("ke", ke, 49, "nspan + 1", "--nspan"));
  if (!problems.empty()) return problems;
  if (const auto refusal = Refused_value(values)) problems.push_back("--" + refusal->name + ": " + refusal->reason);
  return problems;
}

std::vector<std::string> Section_problems(const Control_values& values, std::string_view surface,
                                          const Deck_section& section) {
  const bool hub = surface == "hub";
  const std::string stagger_name = hub ? "staghub" : "stagcas";
  const double stagger_degrees = hub ? values.staghub : values.stagcas;
  const std::string where = std::string(surface) + " section (" + Printable(section.file) + ", " + stagger_name + " " +
                            Real_text(stagger_degrees) + ")";
  // A resampled section may lose its shape at the edges when the points are few.
  const std::string change = "; change --" + stagger_name + (section.resampled ? ", --points" : "") + " or the section";
  const Section_contour& contour = section.contour;
  const int npts = static_cast<int>(contour.points.size());

  if (npts > kMaxContourPoints) {
    return {where + ": " + std::to_string(npts) + " points; a deck holds at most " + std::to_string(kMaxContourPoints) +
            ": resample it with --points N (N at most " + std::to_string(kMaxContourPoints) + ")"};
  }
  std::vector<double> xy;
  for (const Point& p : contour.points) {
    xy.push_back(p.x);
    xy.push_back(p.y);
  }
  const Contour_points list{hub ? 34 : 35 + npts, npts, contour.iref, xy};
  if (const auto refusal = Refused_contour(surface, list)) {
    return {where + ": " + refusal->reason};
  }

  // Placed as torvane places it, with the set-up's casing position and the
  // casing's edge spacings scaled by the chord ratio.
  Control_values setup_values = values;
  const Setup_values setup = Section_setup(setup_values);
  Control_values spacing = values;
  if (!hub) Scale_casing_spacings(spacing);
  Section_geometry geometry{};
  geometry.stagger = hub ? setup_values.staghub : setup_values.stagcas;
  geometry.chord = hub ? values.chordhub : values.chordcas;
  geometry.xref = hub ? 0.0 : setup.xrefcas;
  geometry.yref = hub ? 0.0 : setup.yrefcas;
  Place_contour(geometry, Section_points{surface, npts, contour.iref, xy});
  const int nseg = npts - 1;
  std::vector<double> bez(2 * static_cast<size_t>(3 * nseg + 1));
  Bezier_approx(xy, nseg, bez);
  const Edge_parameters edges = Find_edges(bez, nseg);
  if (!(edges.t_le < edges.t_te)) {
    return {Edge_order_message(surface, edges.t_le, edges.t_te) + " (" + Printable(section.file) + ", " + stagger_name +
            " " + Real_text(stagger_degrees) + ")" + change};
  }

  std::vector<std::string> problems;
  // The first two blade intervals at each edge cover 2.1 times the edge
  // spacing; both pairs must fit between the edges.
  Point le_point{}, te_point{};
  Bezier_point(bez, nseg, edges.t_le, le_point.x, le_point.y);
  Bezier_point(bez, nseg, edges.t_te, te_point.x, te_point.y);
  const double edge_pairs = 2.1 * spacing.dsle + 2.1 * spacing.dste;
  if (!(edge_pairs < te_point.x - le_point.x)) {
    problems.push_back(
        where + ": the first two blade intervals at both edges, 2.1 x (dsle + dste) = " + Length_text(edge_pairs) +
        ", do not fit the blade's axial length " + Length_text(te_point.x - le_point.x) + "; lower --dsle and --dste");
    return problems;
  }
  // The grid lines torvane lays out by stretching must reach their lengths:
  // its iteration, started from a ratio of 2, can settle on another root
  // (1 where a large ratio is wanted) without a word.
  Console quiet;  // the dry run reports the stretching's own warnings
  auto stretched = [&](const char* lines, double first, double length, int n, const char* options) {
    if (n <= 0) return 0.0;
    const double ratio = Stretch(first, length, n, quiet);
    const double reach = Geometric_length(first, n, ratio);
    if (!(std::fabs(reach - length) <= kStretchMismatch * std::fabs(length))) {
      problems.push_back(std::string(surface) + " surface: the " + lines + " would cover " + Length_text(reach) +
                         " instead of " + Length_text(length) + ": torvane's stretching of " + std::to_string(n) +
                         " intervals from a first one of " + Length_text(first) + " settles on a growth ratio of " +
                         Length_text(ratio) + "; change " + options);
    }
    return reach;
  };
  // The casing section's lengths also depend on its axial shift by the sweep.
  const double upstream = stretched("upstream lines", spacing.dsle, values.lin + geometry.xref, values.nin,
                                    hub ? "--nin, --dsle or --lin" : "--nin, --dsle, --lin or --sweep");
  const double x_inlet = le_point.x - upstream;
  stretched("downstream lines", spacing.dste, values.lx - std::fabs(te_point.x - x_inlet), values.nout,
            hub ? "--nout, --dste or --lx" : "--nout, --dste, --lx or --sweep");
  const double pitch = setup.dphi * (hub ? values.rhub : values.rcas);
  stretched("outlet line's half pitch", values.dyout, pitch / 2.0, values.npitch / 2, "--npitch or --dyout");
  if (!problems.empty()) return problems;

  // The edges the search finds must lie near the contour's own: the
  // leading-edge point, and the trailing-edge point (or the two corners of a
  // trailing edge closed at its midpoint). A staggered round nose has its
  // smallest x a little off the leading-edge point; that is where the grid's
  // leading-edge line belongs.
  auto point = [&](int n) { return Point{xy[2 * static_cast<size_t>(n - 1)], xy[2 * static_cast<size_t>(n - 1) + 1]}; };
  auto share_of_chord = [&](double t, int n) {
    Point found{};
    Bezier_point(bez, nseg, t, found.x, found.y);
    const Point edge = point(n);
    return std::hypot(found.x - edge.x, found.y - edge.y) / geometry.chord;
  };
  const double le_off = share_of_chord(edges.t_le, contour.iref);
  if (le_off > kEdgeReach) {
    problems.push_back(where + ": the smallest x of the placed contour is near point " +
                       std::to_string(Point_near(edges.t_le, nseg)) + ", " + Percent(le_off) +
                       " of the chord from the leading edge (point " + std::to_string(contour.iref) +
                       "), so torvane's edge search would put the leading edge there" + change);
  }
  double te_off = share_of_chord(edges.t_te, 1);
  if (contour.corner_first > 0) {
    te_off = std::min(
        {te_off, share_of_chord(edges.t_te, contour.corner_first), share_of_chord(edges.t_te, contour.corner_last)});
  }
  if (te_off > kEdgeReach) {
    problems.push_back(where + ": the largest x of the placed contour is near point " +
                       std::to_string(Point_near(edges.t_te, nseg)) + ", " + Percent(te_off) +
                       " of the chord from the trailing edge (point 1), so torvane's edge search would put the "
                       "trailing edge there" +
                       change);
  }
  if (!problems.empty()) return problems;

  // Each side runs monotonically in x between the edges, as torvane's blade
  // points are searched on it: the +y side from the leading to the trailing
  // edge, the -y side from the trailing edge over the curve's end and start
  // back to the leading edge.
  std::vector<double> x(kSamples + 1);
  for (int i = 0; i <= kSamples; ++i) {
    double y = 0;
    Bezier_point(bez, nseg, static_cast<double>(i) / 5000.0, x[static_cast<size_t>(i)], y);
  }
  const int i_le = static_cast<int>(std::lround(edges.t_le * kSamples));
  const int i_te = static_cast<int>(std::lround(edges.t_te * kSamples));
  // The +y side from the leading to the trailing edge; the -y side from the
  // trailing edge to the curve's end, then from its start (the same point of
  // a closed contour) to the leading edge.
  std::vector<int> plus_side, minus_side;
  for (int i = i_le; i <= i_te; ++i) plus_side.push_back(i);
  for (int i = i_te; i <= kSamples; ++i) minus_side.push_back(i);
  for (int i = 1; i <= i_le; ++i) minus_side.push_back(i);
  const double allowed = kTurnBackShare * std::min(spacing.dsle, spacing.dste);
  for (const auto& [side, samples, sense] : {std::tuple{"+y", &plus_side, 1.0}, std::tuple{"-y", &minus_side, -1.0}}) {
    const Turn_back turn = Largest_turn_back(x, *samples, sense);
    if (turn.depth > allowed) {
      problems.push_back(where + ": the " + side + " side turns back in x by " + Length_text(turn.depth) +
                         " near point " +
                         std::to_string(Point_near(static_cast<double>(turn.sample) / kSamples, nseg)) +
                         " (more than a tenth of the smallest edge spacing, " + Length_text(allowed * 10) +
                         "), so torvane's blade points there would be ambiguous" + change);
    }
  }
  return problems;
}

namespace {

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

std::vector<std::string> Dry_run_problems(const std::string& deck) {
  std::istringstream in(deck);
  Console out, err;
  Run_options options;
  options.write_files = false;
  const int status = Run(in, out, err, options);

  std::vector<std::string> problems;
  const std::vector<std::string> lines = Lines(out.captured());
  int surfaces = 0;
  bool volume = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line == " Blade contour: one-shot Bezier spline approx. done") ++surfaces;
    if (line == " Generating volume grid ...") volume = true;
    if (!line.starts_with("WARNING")) continue;
    std::string text = line;
    if (n + 1 < lines.size() && !lines[n + 1].empty()) text += lines[n + 1];
    const std::string part = volume ? "the volume grid" : surfaces <= 1 ? "the hub surface" : "the casing surface";
    std::string options_to_change;
    if (line.starts_with("WARNING (Bezier_x)")) {
      options_to_change = surfaces <= 1 ? "--staghub or the hub section" : "--stagcas or the casing section";
    } else if (volume) {
      options_to_change = "--dzwall, --nwallhc, --ratio or --nspan";
    } else {
      options_to_change =
          "--dsle, --dste, --lin, --lx, --nin, --nout, --dywle, --dywte, --nwall, --ratio, "
          "--dyout or --npitch";
    }
    problems.push_back("torvane would warn while building " + part + ": \"" + text + "\"; change " + options_to_change);
  }
  if (status != kExitComplete) {
    std::string said;
    for (const std::string& line : Lines(err.captured())) said += line.starts_with("torvane: ") ? line.substr(9) : line;
    if (said.empty()) {
      for (const std::string& line : lines) {
        if (line.starts_with("ERROR")) said = line;
      }
    }
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
