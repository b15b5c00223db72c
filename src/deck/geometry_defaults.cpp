#include "deck/geometry_defaults.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/storage_limits.hpp"
#include "deck/metal_angles.hpp"
#include "deck/wall_spacing.hpp"
#include "distribution/stretch.hpp"
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

std::optional<Layered_line> Wall_layers(double first, double ratio, std::span<const double> lengths,
                                        std::span<const double> scales, int min_intervals, int max_intervals,
                                        bool fixed) {
  const double slope_factor = ratio * std::log(ratio) / (ratio - 1.0);
  const int last_tried = fixed ? min_intervals : max_intervals;
  // Counts tried in steps of kCountStep, from the next multiple up, as multigrid solvers like them.
  const int from = fixed ? min_intervals : (min_intervals + kCountStep - 1) / kCountStep * kCountStep;
  for (int intervals = from; intervals <= last_tried; intervals += fixed ? 1 : kCountStep) {
    // The most layers whose blend nowhere starts below their last slope.
    std::optional<Layered_line> best;
    double best_worst = INFINITY;
    for (int layers = 1; intervals - 2 * layers >= kMinBlendIntervals; ++layers) {
      double worst = 0;
      double least = INFINITY;
      bool fits = true;
      for (size_t l = 0; l < lengths.size(); ++l) {
        const double h1 = first * scales[l];
        const double thickness = h1 * (std::pow(ratio, layers) - 1.0) / (ratio - 1.0);
        const double blend = (lengths[l] - 2.0 * thickness) / (intervals - 2 * layers);
        if (!(blend > 0)) {
          fits = false;
          break;
        }
        const double slope = h1 * std::pow(ratio, layers - 1) * slope_factor;
        worst = std::max(worst, blend / slope);
        least = std::min(least, blend / slope);
      }
      if (!fits || least < 1.0) break;
      best_worst = worst;
      best = Layered_line{intervals, layers};
    }
    if (best && best_worst <= kBlendMismatch) return best;
  }
  return std::nullopt;
}

namespace {

// The fewest intervals, at least `from`, of a stretch from `first` over
// `length` that grows by no more than kStreamwiseGrowth.
int Streamwise_count(double first, double length, int from) {
  int n = std::max(from, 1);
  while (n < kLargeLimits.ie && first * (std::pow(kStreamwiseGrowth, n) - 1.0) / (kStreamwiseGrowth - 1.0) < length) {
    ++n;
  }
  return n;
}

}  // namespace

std::optional<std::string> Apply_wall_layers(Control_values& values, const std::set<std::string>& given,
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
  const std::string growth = "growth " + Number(v.ratio) + " (--ratio)";
  const std::string how =
      "wall layers for y+ " + choices.yplus->text + " growing by " + Number(v.ratio) + " and blending into the core";
  std::string needs;  // counts beyond the classic limits, for the refusal without --large

  if (set.Free("nwall")) {
    const double scale = v.chordcas / v.chordhub;
    const double te = v.dywte / v.dywle;
    const double lengths[] = {setup.dphi * v.rhub, setup.dphi * v.rcas, setup.dphi * v.rhub, setup.dphi * v.rcas};
    const double scales[] = {1.0, scale, te, te * scale};
    const bool fixed = !set.Free("npitch");
    const auto line = Wall_layers(v.dywle, v.ratio, lengths, scales, v.npitch, kLargeLimits.je - 1, fixed);
    if (!line) {
      return fixed ? "--npitch " + std::to_string(v.npitch) + ": no " + how +
                         " fit across the pitch; raise --npitch or --ratio, or leave --npitch out"
                   : "no " + how + " fit in 999 pitchwise intervals; raise --yplus or --ratio, or give --nwall";
    }
    set.Set("npitch", v.npitch, line->intervals, how);
    set.Set("nwall", v.nwall, line->layers, how);
    if (v.npitch + 1 > limits.je) needs += "npitch " + std::to_string(v.npitch);
  }
  // The outlet line's stretch over half the pitch needs a first interval below the mean.
  const double outlet = Rounded(0.5 * setup.dphi * v.rhub / v.npitch);
  if (outlet < v.dyout) set.Set("dyout", v.dyout, outlet, "half the mean pitchwise interval at the hub");
  if (set.Free("nwallhc")) {
    const double lengths[] = {setup.span};
    const double scales[] = {1.0};
    const bool fixed = !set.Free("nspan");
    const auto line = Wall_layers(v.dzwall, v.ratio, lengths, scales, v.nspan, kLargeLimits.ke - 1, fixed);
    if (!line) {
      return fixed ? "--nspan " + std::to_string(v.nspan) + ": no " + how +
                         " fit across the span; raise --nspan or --ratio, or leave --nspan out"
                   : "no " + how + " fit in 999 spanwise intervals; raise --yplus or --ratio, or give --nwallhc";
    }
    set.Set("nspan", v.nspan, line->intervals, how);
    set.Set("nwallhc", v.nwallhc, line->layers, how);
    if (v.nspan + 1 > limits.ke) needs += (needs.empty() ? "" : ", ") + std::string("nspan ") + std::to_string(v.nspan);
  }
  // Streamwise stretches that grow gently, so the blade's pitchwise layers
  // meet cells of a like volume before the leading and after the trailing edge.
  const double axial_hub = v.chordhub * std::fabs(std::cos(v.staghub * kDegree));
  const double axial_casing = v.chordcas * std::fabs(std::cos(v.stagcas * kDegree));
  const double shift = std::isfinite(setup.xrefcas) ? setup.xrefcas : 0.0;
  const std::string stream = "the fewest intervals whose stretch grows by at most " + Number(kStreamwiseGrowth);
  set.Set("nin", v.nin, Streamwise_count(v.dsle, std::max(v.lin, v.lin + shift), v.nin), stream);
  set.Set("nout", v.nout,
          Streamwise_count(v.dste, std::max(v.lx - v.lin - axial_hub, v.lx - v.lin - shift - axial_casing), v.nout),
          stream);
  const long long ie = static_cast<long long>(v.nin) + v.nblade / 2 + v.nout + 1;
  if (ie > limits.ie) needs += (needs.empty() ? "" : ", ") + std::string("ie ") + std::to_string(ie);
  if (!needs.empty()) {
    return "the " + how + " need " + needs + ", beyond the classic limits: add --large, or raise --yplus or " + growth;
  }
  return std::nullopt;
}

}  // namespace torvane::deck
