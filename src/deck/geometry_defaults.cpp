#include "deck/geometry_defaults.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "base/storage_limits.hpp"
#include "deck/metal_angles.hpp"
#include "deck/wall_spacing.hpp"
#include "distribution/stretch.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

// A derived length as the deck writes it: four significant digits.
double Rounded(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return std::strtod(text, nullptr);
}

// A number in a note: up to six significant digits.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// An angle as the deck writes it: to a hundredth of a degree.
double Rounded_angle(double degrees) { return std::round(degrees * 100.0) / 100.0; }

// Sets a record's value and its source unless the user gave the record.
struct Default_setter {
  const std::set<std::string>& given;
  Value_sources& sources;

  bool Free(const char* name) const { return given.count(name) == 0; }
  void Set(const char* name, double& field, double value, const std::string& source) const {
    if (!Free(name)) return;
    field = value;
    sources[static_cast<size_t>(Find_record(name)->number)] = source;
  }
  void Set(const char* name, int& field, int value, const std::string& source) const {
    if (!Free(name)) return;
    field = value;
    sources[static_cast<size_t>(Find_record(name)->number)] = source;
  }
};

}  // namespace

int Wall_layer_count(double first, double ratio, double length, int intervals) {
  int count = 1;
  // Beyond the storage limits no count is written; a first interval of 0 never stops the search.
  for (int n = 2; n <= std::min(intervals / 4, kMaxIe); ++n) {
    if (2.0 * Geometric_length(first, n, ratio) > kLayerShare * length) break;
    count = n;
  }
  return count;
}

void Apply_geometry_defaults(Control_values& values, const std::set<std::string>& given, const Deck_section& hub,
                             const Deck_section& casing, const Deck_choices& choices, Value_sources& sources) {
  Control_values& v = values;
  if (!(v.nbrow > 0 && v.chordhub > 0 && v.chordcas > 0 && v.rhub > 0 && v.rcas > v.rhub)) return;
  if (!std::isfinite(v.rcas) || !std::isfinite(v.chordhub) || !std::isfinite(v.chordcas)) return;
  const Default_setter set{given, sources};
  const Setup_values setup = Section_setup(v);
  const double hub_pitch = setup.dphi * v.rhub;
  const std::string chord_text = "chordhub " + Number(v.chordhub);
  const std::string pitch_text = "hub pitch " + Number(hub_pitch) + " (2 pi x rhub " + Number(v.rhub) + " / nbrow " +
                                 std::to_string(v.nbrow) + ")";

  // Streamwise lengths and first intervals: shares of the chord.
  set.Set("lin", v.lin, Rounded(kInletShareOfChord * v.chordhub), Number(kInletShareOfChord) + " x " + chord_text);
  const double longer_chord = std::max(v.chordhub, v.chordcas);
  const double shift = std::max(0.0, std::isfinite(setup.xrefcas) ? setup.xrefcas : 0.0);
  set.Set("lx", v.lx, Rounded(v.lin + shift + kOutletShareOfChord * longer_chord),
          "lin " + Number(v.lin) + (shift > 0 ? " + casing shift by the sweep " + Number(shift) : "") + " + " +
              Number(kOutletShareOfChord) + " x the longer chord " + Number(longer_chord));
  const double edge = Rounded(kEdgeShareOfChord * v.chordhub);
  set.Set("dsle", v.dsle, edge, Number(kEdgeShareOfChord) + " x " + chord_text);
  set.Set("dste", v.dste, edge, Number(kEdgeShareOfChord) + " x " + chord_text);

  const auto at_hub = Section_metal_angles(v, Surface::hub, hub.contour);
  const auto at_casing = Section_metal_angles(v, Surface::casing, casing.contour);

  // Wall intervals: from y+ on the chord, or shares of the pitch and the span.
  if (choices.yplus && choices.reynolds) {
    const double re = choices.reynolds->value;
    const double distance = Wall_distance(choices.yplus->value, re, v.chordhub);
    const double wall = Rounded(distance);
    const std::string source =
        "y+ " + choices.yplus->text + " at Re " + choices.reynolds->text + " on " + chord_text +
        ": y+ x chord / (Re sqrt(Cf/2)), Cf = (2 log10 Re - 0.65)^-2.3 = " + Number(Flat_plate_skin_friction(re)) +
        " (Schlichting, turbulent flat plate)";
    // The blade's walls cross the pitchwise grid lines at the metal angle: a
    // pitchwise interval of wall / cos(angle) puts the first point at the wall
    // distance normal to the wall.
    auto pitchwise = [&](const char* name, double& field, const char* edge, double hub_angle, double casing_angle) {
      const double angle = (hub_angle + casing_angle) / 2.0;
      set.Set(name, field, Rounded(distance / std::cos(angle * kDegree)),
              "wall distance " + Number(wall) + " normal to the wall / cos(" + edge + " metal angle " +
                  Number(Rounded_angle(angle)) + ", mean of hub and casing); " + source);
    };
    if (at_hub && at_casing) {
      pitchwise("dywle", v.dywle, "inlet", at_hub->inlet, at_casing->inlet);
      pitchwise("dywte", v.dywte, "outlet", at_hub->outlet, at_casing->outlet);
    } else {
      set.Set("dywle", v.dywle, wall, source);
      set.Set("dywte", v.dywte, wall, source);
    }
    set.Set("dzwall", v.dzwall, wall, source);
  } else {
    const double wall = Rounded(kWallShareOfPitch * hub_pitch);
    set.Set("dywle", v.dywle, wall, Number(kWallShareOfPitch) + " x " + pitch_text);
    set.Set("dywte", v.dywte, wall, Number(kWallShareOfPitch) + " x " + pitch_text);
    set.Set("dzwall", v.dzwall, Rounded(kEndwallShareOfSpan * setup.span),
            Number(kEndwallShareOfSpan) + " x span " + Number(setup.span) + " (rcas - rhub)");
  }
  set.Set("dyout", v.dyout, Rounded(kOutletShareOfPitch * hub_pitch), Number(kOutletShareOfPitch) + " x " + pitch_text);

  // Wall layers no thicker together than a third of their line, on both surfaces.
  if (v.ratio > 1 && std::isfinite(v.ratio)) {
    const double casing_scale = v.chordcas / v.chordhub;
    const double wall = std::max(v.dywle, v.dywte);
    const int nwall = std::min(Wall_layer_count(wall, v.ratio, hub_pitch, v.npitch),
                               Wall_layer_count(wall * casing_scale, v.ratio, setup.dphi * v.rcas, v.npitch));
    set.Set("nwall", v.nwall, nwall,
            "the most layers, up to npitch/4, that take at most a third of the pitch at hub and casing");
    set.Set("nwallhc", v.nwallhc, Wall_layer_count(v.dzwall, v.ratio, setup.span, v.nspan),
            "the most layers, up to nspan/4, that take at most a third of the span");
  }

  // Grid lines along the camber line at the edges, hub and casing averaged,
  // and no steeper than kMaxLineAngle.
  if (at_hub && at_casing) {
    auto line_angle = [&](const char* name, double& field, const char* edge, double hub_angle, double casing_angle) {
      const double mean = Rounded_angle((hub_angle + casing_angle) / 2.0);
      const double angle = std::clamp(mean, -kMaxLineAngle, kMaxLineAngle);
      std::string source = std::string(edge) + " metal angle, mean of hub " + Number(Rounded_angle(hub_angle)) +
                           " and casing " + Number(Rounded_angle(casing_angle));
      if (angle != mean) source += ", " + Number(mean) + " limited to " + Number(angle);
      set.Set(name, field, angle, source);
    };
    line_angle("betain", v.betain, "inlet", at_hub->inlet, at_casing->inlet);
    line_angle("betaout", v.betaout, "outlet", at_hub->outlet, at_casing->outlet);
  }
}

double Blend_largest(double length, int intervals, double s0, double s1) {
  // The blend's points as the line distribution computes them, from 0.
  const double m = intervals;
  const double a = 3.0 * length - (s1 + 2.0 * s0) * m;
  const double b = 2.0 * length - (s1 + s0) * m;
  double previous = 0;
  double largest = 0;
  for (int u = 1; u <= intervals; ++u) {
    const double t = u / m;
    const double x = (u * s0 + (t * t) * a) - ((t * t) * t) * b;
    largest = std::max(largest, x - previous);
    previous = x;
  }
  return largest;
}

double Stretch_largest(double first, double length, int n) {
  if (n <= 1) return length;
  if (first * n >= length) return first;
  auto sum = [&](double r) { return first * (std::pow(r, n) - 1.0) / (r - 1.0); };
  double low = 1.0;
  double high = 2.0;
  while (sum(high) < length) high *= 2.0;
  for (int step = 0; step < 200 && high - low > 1e-15 * high; ++step) {
    const double middle = 0.5 * (low + high);
    (sum(middle) < length ? low : high) = middle;
  }
  return first * std::pow(high, n - 1);
}

namespace {

// How a layer count fits the lines of a wall-layered count: whether the
// blend is longer than nothing on every line, and its mean interval against
// the layers' last slope, the least and the worst over the lines.
struct Layer_fit {
  bool fits = true;
  double least = INFINITY;
  double worst = 0;
};

// The thickness, blend mean and last slope of the layers on line l.
struct Layer_line {
  double slope, blend, blend_length;
};

Layer_line Line_of(double first, double ratio, double length, int intervals, int layers) {
  const double slope_factor = ratio * std::log(ratio) / (ratio - 1.0);
  const double thickness = first * (std::pow(ratio, layers) - 1.0) / (ratio - 1.0);
  const double blend_length = length - 2.0 * thickness;
  return {first * std::pow(ratio, layers - 1) * slope_factor, blend_length / (intervals - 2 * layers), blend_length};
}

Layer_fit Fit_layers(double first, double ratio, std::span<const double> lengths, std::span<const double> scales,
                     int intervals, int layers) {
  Layer_fit fit;
  for (size_t l = 0; l < lengths.size(); ++l) {
    const Layer_line line = Line_of(first * scales[l], ratio, lengths[l], intervals, layers);
    if (!(line.blend > 0)) return {false, 0, 0};
    fit.worst = std::max(fit.worst, line.blend / line.slope);
    fit.least = std::min(fit.least, line.blend / line.slope);
  }
  return fit;
}

// The largest blend interval of the layers over the lines.
double Widest_blend(double first, double ratio, std::span<const double> lengths, std::span<const double> scales,
                    Layered_line chosen) {
  double widest = 0;
  for (size_t l = 0; l < lengths.size(); ++l) {
    const Layer_line line = Line_of(first * scales[l], ratio, lengths[l], chosen.intervals, chosen.layers);
    widest = std::max(widest,
                      Blend_largest(line.blend_length, chosen.intervals - 2 * chosen.layers, line.slope, line.slope));
  }
  return widest;
}

}  // namespace

std::optional<Layered_line> Wall_layers(double first, double ratio, std::span<const double> lengths,
                                        std::span<const double> scales, int min_intervals, int max_intervals,
                                        bool fixed, double largest) {
  const int last_tried = fixed ? min_intervals : max_intervals;
  // Counts tried in steps of kCountStep, from the next multiple up, as multigrid solvers like them.
  const int from = fixed ? min_intervals : (min_intervals + kCountStep - 1) / kCountStep * kCountStep;
  for (int intervals = from; intervals <= last_tried; intervals += fixed ? 1 : kCountStep) {
    // The most layers whose blend nowhere starts below their last slope.
    std::optional<Layered_line> best;
    double best_worst = INFINITY;
    for (int layers = 1; intervals - 2 * layers >= kMinBlendIntervals; ++layers) {
      const Layer_fit fit = Fit_layers(first, ratio, lengths, scales, intervals, layers);
      if (!fit.fits || fit.least < 1.0) break;
      best_worst = fit.worst;
      best = Layered_line{intervals, layers};
    }
    if (!best || best_worst > kBlendMismatch) continue;
    if (largest < INFINITY && Widest_blend(first, ratio, lengths, scales, *best) > largest) continue;
    return best;
  }
  return std::nullopt;
}

namespace {

// A streamwise stretch of the hub or casing: its first interval and length.
struct Stretch_line {
  double first, length;
};

// The fewest intervals, at least `from`, of a stretch from `first` over
// `length` that grows by no more than kStreamwiseGrowth, and whose largest
// interval on each of the walls' stretches is at most `largest`.
int Streamwise_count(double first, double length, int from, std::initializer_list<Stretch_line> walls, double largest) {
  auto too_long = [&](int n) {
    return std::any_of(walls.begin(), walls.end(),
                       [&](const Stretch_line& s) { return Stretch_largest(s.first, s.length, n) > largest; });
  };
  int n = std::max(from, 1);
  while (n < kLargeLimits.ie &&
         (first * (std::pow(kStreamwiseGrowth, n) - 1.0) / (kStreamwiseGrowth - 1.0) < length || too_long(n))) {
    ++n;
  }
  return n;
}

// The limits the walls' first intervals set on the intervals along them: over
// the hub and casing layers (dzwall) the pitchwise and streamwise ones, over
// the blade's pitchwise layers (the smallest of dywle and dywte, at hub or
// casing) the spanwise and streamwise ones.
struct Wall_limits {
  double endwalls;   // the largest pitchwise or streamwise interval over the hub and casing layers
  double blade;      // the largest spanwise or streamwise interval over the blade's layers
  std::string text;  // how, for the notes
};

// A wall whose layer count the user gave keeps the classic choices: no limit.
Wall_limits Limits_along_walls(const Control_values& v, const Default_setter& set) {
  const double scale = std::min(1.0, v.chordcas / v.chordhub);
  return {set.Free("nwallhc") ? kMaxEdgeRatio * v.dzwall : INFINITY,
          set.Free("nwall") ? kMaxEdgeRatio * std::min(v.dywle, v.dywte) * scale : INFINITY,
          "; no interval along a wall over " + Number(kMaxEdgeRatio) + " x the first across it"};
}

// The steepest of the blade's edge angles and staggers at hub and casing
// [deg], no steeper than the grid lines' limit: the chordwise intervals along
// the blade are the axial ones over its cosine at most.
double Steepest_blade_angle(const Control_values& v, const Deck_section& hub, const Deck_section& casing) {
  double steepest = std::max({std::fabs(v.staghub), std::fabs(v.stagcas), std::fabs(v.betain), std::fabs(v.betaout)});
  for (const auto& angles :
       {Section_metal_angles(v, Surface::hub, hub.contour), Section_metal_angles(v, Surface::casing, casing.contour)}) {
    if (angles) steepest = std::max({steepest, std::fabs(angles->inlet), std::fabs(angles->outlet)});
  }
  return std::min(steepest, kMaxLineAngle);
}

// The fewest intervals along each blade side, at least `side` (in steps of
// kCountStep from the next multiple up once more are needed), whose blend
// between the edges' two first intervals on hub and casing has no axial
// interval above `largest`.
int Blade_side_count(const Control_values& v, int side, double largest) {
  const double scale = v.chordcas / v.chordhub;
  struct Surface_line {
    double axial, dsle, dste;
  } lines[] = {{v.chordhub * std::fabs(std::cos(v.staghub * kDegree)), v.dsle, v.dste},
               {v.chordcas * std::fabs(std::cos(v.stagcas * kDegree)), v.dsle * scale, v.dste * scale}};
  auto fits = [&](int n) {
    for (const Surface_line& s : lines) {
      const double edge = kEdgeTwoIntervals * (s.dsle + s.dste);
      if (n < 5 || !(s.axial > edge)) return true;  // no blend to measure: the checks judge the count
      // Two intervals growing by r cover kEdgeTwoIntervals first ones; the blend starts at their last slope.
      const double r = kEdgeTwoIntervals - 1.0;
      auto slope = [r](double dx) { return r * dx * (r * std::log(r) / (r - 1.0)); };
      if (Blend_largest(s.axial - edge, n - 4, slope(s.dsle), slope(s.dste)) > largest) return false;
    }
    return true;
  };
  if (fits(side)) return side;
  for (int n = (side + kCountStep) / kCountStep * kCountStep; n <= kLargeLimits.ie; n += kCountStep) {
    if (fits(n)) return n;
  }
  return kLargeLimits.ie;
}

// Streamwise stretches that grow gently, so the blade's pitchwise layers meet
// cells of a like volume before the leading and after the trailing edge, with
// no interval over the hub and casing layers longer than they allow; and as
// many intervals along each blade side as keep its intervals within the
// limits of the blade's and the end walls' layers. The streamwise lines run at
// up to about the blade's steepest angle (the inner lines before and after
// the blade steeper than betain and betaout): the intervals along them are
// taken as the axial ones over its cosine.
void Apply_streamwise_counts(Control_values& v, const Default_setter& set, const Wall_limits& walls, double steepest) {
  const Setup_values setup = Section_setup(v);
  const double scale = v.chordcas / v.chordhub;
  const double axial_hub = v.chordhub * std::fabs(std::cos(v.staghub * kDegree));
  const double axial_casing = v.chordcas * std::fabs(std::cos(v.stagcas * kDegree));
  const double shift = std::isfinite(setup.xrefcas) ? setup.xrefcas : 0.0;
  const std::string stream = "the fewest intervals whose stretch grows by at most " + Number(kStreamwiseGrowth);
  const double along = std::cos(steepest * kDegree);
  auto note = [&](int count, int growing) { return count > growing ? stream + walls.text : stream; };

  const double inlet = std::max(v.lin, v.lin + shift);
  const int nin_growing = Streamwise_count(v.dsle, inlet, v.nin, {}, INFINITY);
  const int nin = Streamwise_count(v.dsle, inlet, v.nin, {{v.dsle, v.lin}, {v.dsle * scale, v.lin + shift}},
                                   walls.endwalls * along);
  set.Set("nin", v.nin, nin, note(nin, nin_growing));

  const double outlet_hub = v.lx - v.lin - axial_hub;
  const double outlet_casing = v.lx - v.lin - shift - axial_casing;
  const double outlet = std::max(outlet_hub, outlet_casing);
  const int nout_growing = Streamwise_count(v.dste, outlet, v.nout, {}, INFINITY);
  const int nout = Streamwise_count(v.dste, outlet, v.nout, {{v.dste, outlet_hub}, {v.dste * scale, outlet_casing}},
                                    walls.endwalls * along);
  set.Set("nout", v.nout, nout, note(nout, nout_growing));

  const int side = Blade_side_count(v, v.nblade / 2, std::min(walls.endwalls, walls.blade) * along);
  if (2 * side != v.nblade) {
    set.Set("nblade", v.nblade, 2 * side,
            "the fewest intervals along each blade side, in steps of " + std::to_string(kCountStep) + walls.text +
                " (the axial ones over the cosine of the steepest blade angle " + Number(steepest) + ")");
  }
}

// One direction's wall-layered line: its records, its lines and the limit on
// the blend's intervals.
struct Layered_direction {
  const char* count_name;  // npitch or nspan
  int& count;
  const char* layers_name;  // nwall or nwallhc
  int& layers;
  const char* across;  // "pitch" or "span"
  const char* way;     // "pitchwise" or "spanwise"
  double first;
  std::span<const double> lengths, scales;
  int max_intervals;
  double largest;
};

// Sets the direction's interval and layer counts the user did not give; why
// none fit, naming the options to change.
std::optional<std::string> Apply_layered_direction(const Layered_direction& d, double ratio, const Default_setter& set,
                                                   const std::string& how, const std::string& limit_text) {
  const bool fixed = !set.Free(d.count_name);
  const auto line =
      Wall_layers(d.first, ratio, d.lengths, d.scales, d.count, d.max_intervals, fixed, fixed ? INFINITY : d.largest);
  const std::string count_option = std::string("--") + d.count_name;
  if (!line) {
    return fixed ? count_option + " " + std::to_string(d.count) + ": no " + how + " fit across the " + d.across +
                       "; raise " + count_option + " or --ratio, or leave " + count_option + " out"
                 : "no " + how + " fit in 999 " + d.way + " intervals; raise --yplus or --ratio, or give --" +
                       d.layers_name;
  }
  set.Set(d.count_name, d.count, line->intervals, how + limit_text);
  set.Set(d.layers_name, d.layers, line->layers, how);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Apply_wall_layers(Control_values& values, const std::set<std::string>& given,
                                             const Deck_section& hub, const Deck_section& casing,
                                             const Deck_choices& choices, Value_sources& sources) {
  Control_values& v = values;
  if (!(choices.yplus && choices.reynolds)) return std::nullopt;
  // Values the checks refuse are left to them.
  if (!(v.ratio > 1 && std::isfinite(v.ratio) && v.nbrow > 0 && v.chordhub > 0 && v.chordcas > 0 && v.rhub > 0 &&
        v.rcas > v.rhub && std::isfinite(v.rcas) && v.dywle > 0 && v.dywte > 0 && v.dzwall > 0 && v.dsle > 0 &&
        v.dste > 0)) {
    return std::nullopt;
  }
  const Default_setter set{given, sources};
  const Grid_limits limits = Limits_of(choices);
  const Setup_values setup = Section_setup(v);
  const Wall_limits walls = Limits_along_walls(v, set);
  const std::string growth = "growth " + Number(v.ratio) + " (--ratio)";
  const std::string how =
      "wall layers for y+ " + choices.yplus->text + " growing by " + Number(v.ratio) + " and blending into the core";
  std::string needs;  // counts beyond the classic limits, for the refusal without --large

  if (set.Free("nwall")) {
    const double scale = v.chordcas / v.chordhub;
    const double te = v.dywte / v.dywle;
    const double lengths[] = {setup.dphi * v.rhub, setup.dphi * v.rcas, setup.dphi * v.rhub, setup.dphi * v.rcas};
    const double scales[] = {1.0, scale, te, te * scale};
    const Layered_direction pitch{"npitch",      v.npitch, "nwall", v.nwall, "pitch",
                                  "pitchwise",   v.dywle,  lengths, scales,  kLargeLimits.je - 1,
                                  walls.endwalls};
    if (auto refused = Apply_layered_direction(pitch, v.ratio, set, how, walls.text)) return refused;
    if (v.npitch + 1 > limits.je) needs += "npitch " + std::to_string(v.npitch);
  }
  // The outlet line's stretch over half the pitch needs a first interval below the mean.
  const double outlet = Rounded(0.5 * setup.dphi * v.rhub / v.npitch);
  if (outlet < v.dyout) set.Set("dyout", v.dyout, outlet, "half the mean pitchwise interval at the hub");
  if (set.Free("nwallhc")) {
    const double lengths[] = {setup.span};
    const double scales[] = {1.0};
    const Layered_direction span{"nspan",  v.nspan, "nwallhc", v.nwallhc,           "span",     "spanwise",
                                 v.dzwall, lengths, scales,    kLargeLimits.ke - 1, walls.blade};
    if (auto refused = Apply_layered_direction(span, v.ratio, set, how, walls.text)) return refused;
    if (v.nspan + 1 > limits.ke) needs += (needs.empty() ? "" : ", ") + std::string("nspan ") + std::to_string(v.nspan);
  }
  Apply_streamwise_counts(v, set, walls, Steepest_blade_angle(v, hub, casing));
  const long long ie = static_cast<long long>(v.nin) + v.nblade / 2 + v.nout + 1;
  if (ie > limits.ie) needs += (needs.empty() ? "" : ", ") + std::string("ie ") + std::to_string(ie);
  if (!needs.empty()) {
    return "the " + how + " need " + needs + ", beyond the classic limits: add --large, or raise --yplus or " + growth;
  }
  return std::nullopt;
}

}  // namespace torvane::deck
