#include "control/grid_verdict.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "base/diagnostics.hpp"
#include "base/record_table.hpp"
#include "control/grid_storage.hpp"
#include "distribution/stretch.hpp"

namespace torvane {

namespace {

// A number for a message: four significant digits.
std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string Percent(double part, double whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f %%", 100.0 * part / whole);
  return text;
}

// "1 interval", "3 intervals".
std::string Intervals(int n) { return std::to_string(n) + (n == 1 ? " interval" : " intervals"); }

// The span station a spanwise plane k is nearest to, the lower one of two as near.
const Span_station& Nearest_station(int k, const Passage& passage) {
  const Span_station* nearest = &passage.stations.front();
  for (const Span_station& s : passage.stations) {
    if (std::abs(k - s.k) < std::abs(k - nearest->k)) nearest = &s;
  }
  return *nearest;
}

// The other station of the two (hub and casing) the deck describes.
const Span_station& Other_station(const Span_station& station, const Passage& passage) {
  for (const Span_station& s : passage.stations) {
    if (s.surface != station.surface) return s;
  }
  return station;
}

// Whether plane k is a span station's.
bool Station_plane(int k, const Passage& passage) {
  for (const Span_station& s : passage.stations) {
    if (s.k == k) return true;
  }
  return false;
}

// A cause found in the numbers of the deck: its text and whether it is a
// known reason for folding (rather than a description of that part).
struct Finding {
  std::string text;
  bool known = false;
};

// The two wall layers of n intervals from `first` growing by `ratio` against
// the length of the line they share with the blend of `total` intervals:
// known to fold when they leave less than a last wall interval to each
// interval of the blend.
Finding Wall_layers(std::string_view line, double first, int n, double ratio, int total, double length) {
  const double layer = Geometric_length(first, n, ratio);
  const double last = first * Integer_power(ratio, n - 1);
  const double left = length - 2.0 * layer;
  Finding f;
  f.text = "the two wall layers of " + Intervals(n) + " from " + Num(first) + " growing by " + Num(ratio) +
           " take 2 x " + Num(layer) + " of the " + std::string(line) + " " + Num(length) + " (" +
           Percent(2.0 * layer, length) + ")";
  const long long middle = static_cast<long long>(total) - 2LL * n;
  if (!(left > 0) || middle <= 0) {
    f.text += ", leaving nothing for the blend between them";
    f.known = true;
  } else {
    const double share = left / static_cast<double>(middle);
    f.text += ", leaving " + Num(left) + " for the " + Intervals(static_cast<int>(middle)) + " of the blend";
    if (share < last) {
      f.text += " (" + Num(share) + " each, less than the last wall interval " + Num(last) + ")";
      f.known = true;
    }
  }
  return f;
}

// The stretch from an edge towards the inlet or the outlet: the ratio it
// settled on and the length it covers, known to fold when that is not the
// length it should cover.
Finding Stretch_reach(std::string_view which, std::string_view target_name, double first, double target, int n) {
  Diagnostic_log quiet;  // the run has told what the stretching said
  const double q = Stretch(first, target, n, quiet);
  const double covered = Geometric_length(first, n, q);
  Finding f;
  f.text = "the " + std::string(which) + " stretch of " + Intervals(n) + " from " + Num(first) + " settled on ratio " +
           Num(q) + " and covers " + Num(covered);
  if (!(std::fabs(covered - target) <= 1e-3 * std::fabs(target))) {
    f.text += ", not the " + Num(target) + " " + std::string(target_name) + " asks for";
    f.known = true;
  } else {
    f.text += " of " + Num(target);
  }
  return f;
}

// The records that govern each kind of finding.
using V = Control_values;
std::string Span_records() {
  return Records_text({&Record_of(&V::nspan), &Record_of(&V::rhub), &Record_of(&V::rcas), &Record_of(&V::nwallhc),
                       &Record_of(&V::ratio), &Record_of(&V::dzwall)});
}
std::string Pitch_records() {
  return Records_text({&Record_of(&V::npitch), &Record_of(&V::nwall), &Record_of(&V::ratio), &Record_of(&V::dywle),
                       &Record_of(&V::dywte), &Record_of(&V::dyout)});
}
std::string Upstream_records() {
  return Records_text({&Record_of(&V::nin), &Record_of(&V::betain), &Record_of(&V::lin), &Record_of(&V::dsle)});
}
std::string Downstream_records() {
  return Records_text({&Record_of(&V::nout), &Record_of(&V::betaout), &Record_of(&V::lx), &Record_of(&V::dste)});
}
std::string Passage_records() {
  return Records_text({&Record_of(&V::nblade), &Record_of(&V::dsle), &Record_of(&V::dste)}) +
         " and the section's contour";
}

// Everything the deck's numbers tell of one section (the hub or the casing).
struct Section_findings {
  Finding pitch, upstream, downstream;
};

Section_findings Findings_at(const Span_station& station, const Check_input& in) {
  const Control_values& v = in.values;
  // The section's own spacings and placement, as its surface was built.
  const Surface_description d = Describe_surface(station.surface, v);
  const Section_spacings& spacing = d.spacings;
  const std::string at = "at the " + std::string(Surface_name(station.surface)) + " ";
  const int k = station.k;
  const Grid& g = in.grid;
  Section_findings f;
  const double pitch = in.setup.dphi * d.geometry.radius;
  const Finding le = Wall_layers("pitch", spacing.dywle, v.nwall, v.ratio, v.npitch, pitch);
  const Finding te = Wall_layers("pitch", spacing.dywte, v.nwall, v.ratio, v.npitch, pitch);
  f.pitch = le.known || !te.known ? le : te;
  f.upstream = Stretch_reach("upstream", "lin", spacing.dsle, v.lin + d.geometry.xref, v.nin);
  f.downstream = Stretch_reach("downstream", "lx", spacing.dste,
                               v.lx - std::fabs(g.xg(in.sizes.ite, 1, k) - g.xg(1, 1, k)), v.nout);
  for (Finding* one : {&f.pitch, &f.upstream, &f.downstream}) one->text = at + one->text;
  return f;
}

// The records that govern the part of the first folded cell (its wall layer
// and its streamwise part) and the numbers of the cause, the first known one
// of: the part's own wall layers, wall layers that squeeze their blend
// elsewhere, the part's stretch missing its length; otherwise what the part's
// numbers are.
std::string Cause(const Grid_part& part, int k, const Check_input& in) {
  const Control_values& v = in.values;
  const Span_station& nearest = Nearest_station(k, in.passage);
  const Section_findings near = Findings_at(nearest, in);
  const Section_findings far = Findings_at(Other_station(nearest, in.passage), in);
  // One spanwise interval has no wall layers at the hub and casing (their count is then not checked).
  const Finding span = in.sizes.ke > 2 ? Wall_layers("span", v.dzwall, v.nwallhc, v.ratio, v.nspan, in.setup.span)
                                       : Finding{"one spanwise interval, no wall layers at the hub and casing", false};
  const std::string span_records = Span_records();
  const std::string pitch_records = Pitch_records();
  const std::string passage_records = Passage_records();
  const std::string upstream_records = Upstream_records();
  const std::string downstream_records = Downstream_records();
  struct Candidate {
    const std::string* records;
    const Finding* finding;
  };
  Candidate stream{&passage_records, nullptr};
  if (part.stream == Grid_part::Stream::upstream) stream = {&upstream_records, &near.upstream};
  if (part.stream == Grid_part::Stream::downstream) stream = {&downstream_records, &near.downstream};
  Candidate layer{nullptr, nullptr};
  if (part.layer == Grid_part::Layer::hub || part.layer == Grid_part::Layer::casing) layer = {&span_records, &span};
  if (part.layer == Grid_part::Layer::blade_walls) layer = {&pitch_records, &near.pitch};

  std::string text = layer.finding == nullptr
                         ? *stream.records + " govern it"
                         : *layer.records + " govern its wall layer and " + *stream.records + " its streamwise part";
  for (const Candidate& known : {layer, Candidate{&span_records, &span}, Candidate{&pitch_records, &near.pitch},
                                 Candidate{&pitch_records, &far.pitch}, stream}) {
    if (known.finding != nullptr && known.finding->known) {
      return text + "; the likely cause lies in " + *known.records + ": " + known.finding->text;
    }
  }
  if (stream.finding != nullptr) return text + ": " + stream.finding->text;
  if (layer.finding != nullptr) return text + ": " + layer.finding->text;
  return text + ": the streamwise intervals along the blade or the shape of the contour";
}

std::string Part_text(const Grid_part& part) {
  std::string text = part.stream == Grid_part::Stream::upstream     ? "upstream of the leading edge"
                     : part.stream == Grid_part::Stream::downstream ? "downstream of the trailing edge"
                                                                    : "in the blade passage";
  switch (part.layer) {
    case Grid_part::Layer::hub:
      return text + ", in the wall layer at the hub";
    case Grid_part::Layer::casing:
      return text + ", in the wall layer at the casing";
    case Grid_part::Layer::blade_walls:
      return text + ", in the wall layer at the blade walls";
    case Grid_part::Layer::none:
      break;
  }
  return text;
}

// The contour point nearest to (x, y) in the blade-to-blade plane.
int Nearest_point(const Contour_points& list, double x, double y) {
  int best = 1;
  double best_distance = INFINITY;
  for (int n = 1; n <= list.npts; ++n) {
    const double d = std::hypot(list.xy[2 * (n - 1)] - x, list.xy[2 * (n - 1) + 1] - y);
    if (d < best_distance) {
      best_distance = d;
      best = n;
    }
  }
  return best;
}

std::string Covered_blade(const Blade_sense& sense, int k, const Check_input& in) {
  const Grid& g = in.grid;
  const int i = sense.first_i;
  const bool section_plane = Station_plane(k, in.passage);
  const Span_station& station = Nearest_station(k, in.passage);
  const bool hub = station.surface == Surface::hub;
  const Contour_points& list = hub ? in.hub : in.casing;
  const std::string name(Surface_name(station.surface));
  std::string text =
      section_plane ? name + " section" : "between the hub and casing sections at k = " + std::to_string(k);
  // The walls j = 1 and j = je of the station, back in the blade-to-blade plane of the section.
  const double radius = hub ? in.values.rhub : in.values.rcas;
  const int ks = station.k;
  const double pitch = in.passage.Pitch_angle() * radius;
  text += ", blade station i = " + std::to_string(i) + ": the passage covers the blade (it is " +
          Num(pitch - sense.first_thickness) + " wide where the pitch is " + Num(pitch) + " and the blade leaves " +
          Num(sense.first_thickness) + "; " + std::to_string(sense.covering) + " stations covered in all)";
  const int lower = Nearest_point(list, g.xg(i, 1, ks), radius * std::atan2(g.yg(i, 1, ks), g.zg(i, 1, ks)));
  const int upper = Nearest_point(list, g.xg(i, in.sizes.je, ks),
                                  radius * std::atan2(g.yg(i, in.sizes.je, ks), g.zg(i, in.sizes.je, ks)) - pitch);
  text += "; the nearest contour points are " + name + " point " + std::to_string(lower) + " (record " +
          std::to_string(list.count_record + lower) + ")";
  if (upper != lower) {
    text += " and point " + std::to_string(upper) + " (record " + std::to_string(list.count_record + upper) + ")";
  }
  return text + ": a mistyped point, or a blade thicker than the pitch (" + Record_text(Record_of(&V::nbrow)) +
         "), is the usual cause";
}

}  // namespace

std::string Grid_size_excess(const Control_values& v, const Grid_limits& limits) {
  struct Size {
    const char* formula;
    long long value;
    int limit;
  } sizes[] = {
      {"ie = nin + nblade/2 + nout + 1", static_cast<long long>(v.nin) + v.nblade / 2 + v.nout + 1, limits.ie},
      {"je = npitch + 1", static_cast<long long>(v.npitch) + 1, limits.je},
      {"ke = nspan + 1", static_cast<long long>(v.nspan) + 1, limits.ke},
  };
  std::string text;
  for (const Size& size : sizes) {
    if (size.value <= size.limit) continue;
    if (!text.empty()) text += "; ";
    text += std::string(size.formula) + " = " + std::to_string(size.value) + " exceeds " + std::to_string(size.limit);
  }
  return text;
}

std::string Inversion_cause(std::string_view section, const Contour_points& placed, double dsle, double dste) {
  double lo = std::numeric_limits<double>::infinity(), hi = -std::numeric_limits<double>::infinity();
  for (int n = 1; n <= placed.npts; ++n) {
    lo = std::min(lo, placed.xy[2 * (n - 1)]);
    hi = std::max(hi, placed.xy[2 * (n - 1)]);
  }
  const double length = hi - lo;
  std::string text = std::string(section) + " section: a blade station fell outside the contour between its edges; " +
                     "the blade is " + Num(length) + " long axially, and the first streamwise intervals at its edges " +
                     "are dsle " + Num(dsle) + " and dste " + Num(dste) + " (about twice each is taken at each edge)";
  // The first two intervals at an edge cover about twice its first interval.
  if (4.0 * std::max(dsle, dste) >= length) {
    return text + ": " + Record_text(dsle >= dste ? Record_of(&V::dsle) : Record_of(&V::dste)) +
           " too long for the blade is the likely cause";
  }
  return text + ": the stagger, " + Record_text(section == "hub" ? Record_of(&V::staghub) : Record_of(&V::stagcas)) +
         ", or the section's points are the likely cause";
}

Grid_part Part_of_cell(int i, int j, int k, const Grid_sizes& s, int nwall, int nwallhc) {
  Grid_part part{Grid_part::Stream::passage, Grid_part::Layer::none};
  if (i < s.ile) part.stream = Grid_part::Stream::upstream;
  if (i >= s.ite) part.stream = Grid_part::Stream::downstream;
  // One spanwise interval has no wall layers at the hub and casing.
  const bool span_layers = s.ke > 2;
  if (span_layers && k <= nwallhc) {
    part.layer = Grid_part::Layer::hub;
  } else if (span_layers && k > s.ke - 1 - nwallhc) {
    part.layer = Grid_part::Layer::casing;
  } else if (j <= nwall || j > s.je - 1 - nwall) {
    part.layer = Grid_part::Layer::blade_walls;
  }
  return part;
}

Grid_points Points_of(const Grid& g, const Grid_sizes& s) {
  const std::size_t line = static_cast<std::size_t>(g.xg.ld());
  return {&g.xg(1, 1, 1), &g.yg(1, 1, 1), &g.zg(1, 1, 1), s.ie,
          s.je,           s.ke,           line,           line * static_cast<std::size_t>(g.xg.nd2())};
}

Grid_verdict Judge_grid(const Grid_findings& f, const Check_input& in) {
  const Grid_sizes& s = in.sizes;
  if (f.sense.covering > 0) {
    // Told at a section when one is covered, the hub first.
    const Grid_points points = Points_of(in.grid, s);
    const Passage::Edges blade = in.passage.Blade_edges();
    for (const Span_station& station : in.passage.stations) {
      const int k = station.k;
      Grid_points plane = points;
      const std::size_t shift = static_cast<std::size_t>(k - 1) * plane.plane;
      plane.x += shift;
      plane.y += shift;
      plane.z += shift;
      plane.ke = 1;
      Blade_sense at = Check_blade_sense(plane, blade.ile, blade.ite, in.passage.Pitch_angle());
      if (at.covering == 0) continue;
      at.covering = f.sense.covering;
      return {kExitRefused, Covered_blade(at, k, in)};
    }
    return {kExitRefused, Covered_blade(f.sense, f.sense.first_k, in)};
  }
  const Folded_cells& folded = f.folded;
  if (folded.folded == 0) return {};
  const std::string cell = "the grid has " + std::to_string(folded.folded) + " folded cells of " +
                           std::to_string(folded.cells) + " (scaled Jacobian <= 0); the first, cell (" +
                           std::to_string(folded.first_i) + ", " + std::to_string(folded.first_j) + ", " +
                           std::to_string(folded.first_k) + "), lies ";
  // The layer below the tip plane (the blade's roof) and the gap above it.
  const int tip = s.ke - in.gap_cells;
  if (in.gap_cells > 0 && folded.first_k >= tip - 1) {
    return {kExitProgramError, cell + "at the blade tip (the tip plane is k = " + std::to_string(tip) +
                                   "); the tip gap of " + Num(in.gap) + " with " + Intervals(in.gap_cells) +
                                   " across it governs it: give the gap more cells, " +
                                   "or the blade more spanwise intervals (record 7, nspan) below its tip"};
  }
  const Grid_part part =
      Part_of_cell(folded.first_i, folded.first_j, folded.first_k, s, in.values.nwall, in.values.nwallhc);
  std::string text = "the grid has " + std::to_string(folded.folded) + " folded cells of " +
                     std::to_string(folded.cells) + " (scaled Jacobian <= 0); the first, cell (" +
                     std::to_string(folded.first_i) + ", " + std::to_string(folded.first_j) + ", " +
                     std::to_string(folded.first_k) + "), lies " + Part_text(part) + "; " +
                     Cause(part, folded.first_k, in);
  return {kExitProgramError, text};
}

}  // namespace torvane
